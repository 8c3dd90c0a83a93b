// The atom-type family: the abstract root t_Atom, its 13 categories, the misc
// type made for unknown names, and the registry order every container of
// types follows. One immutable object exists per type, so types compare by
// pointer. The concrete types are in AtomTypes.h.
#ifndef TESSEL_ATOMTYPE_H
#define TESSEL_ATOMTYPE_H

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <map>
#include <set>

#include "TextUtil.h"

class AbstractResidue;
class iBinstream;
class oBinstream;
class t_Residue;

// Every category and concrete type, in the order TesselInit creates them.
// A type's place here is its ordinal; misc types come after all of them.
enum class AtomKind : unsigned short
{
#define TESSEL_ATOM_CATEGORY(S, ...) k##S,
#include "AtomCategories.def"
#define TESSEL_ATOM_TYPE(S, ...) k##S,
#include "AtomTypes.def"
};

inline constexpr unsigned kAtomCategoryCount = 13;
inline constexpr unsigned kConcreteAtomTypeCount = 153;
inline constexpr unsigned kAtomTypeCount = kAtomCategoryCount + kConcreteAtomTypeCount;
static_assert(static_cast<unsigned>(AtomKind::kPSAZ) + 1 == kAtomTypeCount,
              "the type tables must hold 13 categories and 153 concrete types");
static_assert(static_cast<unsigned>(AtomKind::kC1p) == kAtomCategoryCount,
              "the categories come first");

class t_Atom
{
public:
  virtual ~t_Atom() = default;

  virtual const char* getName() const { return "ATOM"; }
  // The 4-column atom-name field of a PDB record, blanks included.
  virtual const char* getPdbName() const = 0;
  virtual const char* getAmberName() const = 0;

  virtual bool is_Misc() const { return false; }
#define TESSEL_ATOM_CATEGORY(S, ...) \
  virtual bool is_##S() const { return false; }
#include "AtomCategories.def"
#define TESSEL_ATOM_TYPE(S, ...) \
  virtual bool is_##S() const { return false; }
#include "AtomTypes.def"

  // Whether this type is covalently bonded to `other` within a residue of
  // type `residue`.
  virtual bool is_connected(const t_Atom* /*other*/, const t_Residue* /*residue*/) const
  {
    return false;
  }
  // Van der Waals radius (Rmin/2, angstrom), Amber well depth (kcal/mol) and
  // Amber partial charge, within the given residue.
  virtual float getVDWR(const AbstractResidue* residue) const = 0;
  virtual float getAmberEpsilon(const AbstractResidue* residue) const = 0;
  virtual float getAmberCharge(const AbstractResidue* residue) const = 0;

  // Writes the type's binary id.
  virtual void Binoutput(oBinstream& os) const = 0;

  // The place in the registry order: static_cast<unsigned>(AtomKind) for the
  // categories and concrete types, kAtomTypeCount and up for misc types in
  // their order of creation.
  virtual unsigned getOrdinal() const = 0;
};

// The registry order. Residues index their atoms with it, so written files
// and the pairing of atoms between residues never depend on where the
// allocator put the singletons. A null type sorts first.
struct less_atom_type
{
  bool operator()(const t_Atom* a, const t_Atom* b) const
  {
    if (a == b) return false;
    if (a == nullptr || b == nullptr) return a == nullptr;
    unsigned oa = a->getOrdinal();
    unsigned ob = b->getOrdinal();
    if (oa != ob) return oa < ob;
    // Only a stray copy of a type shares its ordinal; keep it distinct.
    return std::less<const t_Atom*>()(a, b);
  }
};

typedef std::set<t_Atom*, less_atom_type> AtomTypeSet;

#define TESSEL_ATOM_CATEGORY(S, NAME, PDB, AMBER, ID, CHARGE)                    \
  class at_##S : public virtual t_Atom                                         \
  {                                                                            \
  public:                                                                      \
    ~at_##S() override;                                                        \
    const char* getName() const override { return NAME; }                      \
    const char* getPdbName() const override { return PDB; }                    \
    const char* getAmberName() const override { return AMBER; }                \
    bool is_##S() const override { return true; }                              \
    float getVDWR(const AbstractResidue*) const override { return 0.0f; }      \
    float getAmberEpsilon(const AbstractResidue*) const override { return 0.0f; } \
    float getAmberCharge(const AbstractResidue*) const override { return CHARGE; } \
    void Binoutput(oBinstream& os) const override;                             \
    unsigned getOrdinal() const override { return static_cast<unsigned>(AtomKind::k##S); } \
  };
#include "AtomCategories.def"

// The type of an atom whose name no concrete type has. It exists once per key
// and registers itself in gMiscAtomString; it is never destroyed.
class at_Misc : public virtual t_Atom
{
public:
  // Both names are cut to the 4 characters of the PDB atom-name field.
  at_Misc(const char* key, const char* field);
  // A copy is not registered and takes an ordinal of its own.
  at_Misc(const at_Misc& other);
  at_Misc& operator=(const at_Misc& other);
  ~at_Misc() override;

  // The registered type of that key (cut to 4 characters), made when absent.
  static t_Atom* findOrCreate(const char* key, const char* field);

  const char* getName() const override { return field; }
  const char* getPdbName() const override { return field; }
  const char* getAmberName() const override { return field; }
  const char* getKey() const { return key; }

  bool is_Misc() const override { return true; }
  // The element is judged by the first letter of the field, case-sensitive:
  // chlorine counts as carbon, manganese as magnesium.
  bool is_Carbon() const override { return GetFirstAlpha() == 'C'; }
  // Deuterium (D, as neutron structures name exchanged hydrogens) is a
  // hydrogen too.
  bool is_Hydrogen() const override
  {
    const char element = GetFirstAlpha();
    return element == 'H' || element == 'D';
  }
  bool is_Nitrogen() const override { return GetFirstAlpha() == 'N'; }
  bool is_Phosphate() const override { return GetFirstAlpha() == 'P'; }
  bool is_Oxygen() const override { return GetFirstAlpha() == 'O'; }
  bool is_Sulfur() const override { return GetFirstAlpha() == 'S'; }
  bool is_Magnesium() const override { return GetFirstAlpha() == 'M'; }
  bool is_LonePair() const override { return GetFirstAlpha() == 'L'; }

  float getVDWR(const AbstractResidue*) const override { return 0.0f; }
  float getAmberEpsilon(const AbstractResidue*) const override { return 0.0f; }
  float getAmberCharge(const AbstractResidue*) const override { return 0.0f; }

  void Binoutput(oBinstream& os) const override;
  unsigned getOrdinal() const override { return ordinal; }

  // The first letter of the field name, or NUL when it holds none.
  char GetFirstAlpha() const;

  static constexpr std::size_t kNameLength = 4;

private:
  char key[kNameLength + 1];
  char field[kNameLength + 1];
  unsigned ordinal;
  // The registered type made before this one. The registry is destroyed at
  // exit but its types live on; the chain keeps them reachable.
  const at_Misc* previous;
};

// The misc atom types by key; the keys point into the types' own names.
// Written under a lock by findOrCreate only.
typedef std::map<const char*, t_Atom*, less_string> MiscAtomRegistry;
extern MiscAtomRegistry gMiscAtomString;

// When set on a thread, called there (registry unlocked) before that
// thread makes a new misc atom type.
extern thread_local const std::function<void()>* gBeforeNewMiscAtomType;

// The singletons, null until TesselInit has run.
#define TESSEL_ATOM_CATEGORY(S, ...) extern t_Atom* a_##S;
#include "AtomCategories.def"
#define TESSEL_ATOM_TYPE(S, ...) extern t_Atom* a_##S;
#include "AtomTypes.def"

// The global pointer of every category and concrete type, in creation order:
// *kAtomTypeSlots[i] is the type of ordinal i.
inline constexpr t_Atom* const* kAtomTypeSlots[] = {
#define TESSEL_ATOM_CATEGORY(S, ...) &a_##S,
#include "AtomCategories.def"
#define TESSEL_ATOM_TYPE(S, ...) &a_##S,
#include "AtomTypes.def"
};
static_assert(sizeof kAtomTypeSlots / sizeof kAtomTypeSlots[0] == kAtomTypeCount);

// The singleton that writes this binary id, or null for an id no category
// or concrete type has (82, the misc id, included).
t_Atom* atomTypeOfBinaryId(int id);

// Binary form: the id; a misc type adds its key and its field. Reading an
// id that no type has leaves the pointer null and fails the stream, so that
// no null type is handed on as if it had been read; writing a null type
// fails the stream too.
oBinstream& operator<<(oBinstream& os, const t_Atom* type);
iBinstream& operator>>(iBinstream& is, t_Atom*& type);

// Text form: the type's name.
std::ostream& operator<<(std::ostream& os, const t_Atom* type);
std::ostream& operator<<(std::ostream& os, const t_Atom& type);

#endif
