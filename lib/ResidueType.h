// The residue-type family: the abstract root t_Residue, the 40 types with a
// singleton (ResidueTypes.def) and the misc type made for unknown names.
// Residue types are flyweights compared by pointer.
#ifndef TESSEL_RESIDUETYPE_H
#define TESSEL_RESIDUETYPE_H

#include <cstddef>
#include <iosfwd>
#include <map>

#include "TextUtil.h"

class iBinstream;
class oBinstream;

class t_Residue
{
public:
  virtual ~t_Residue() = default;

  virtual const char* getName() const { return "RES"; }
  // The residue-name field of a PDB record.
  virtual const char* getPdbName() const = 0;
  virtual char getOneLetterCode() const = 0;

  // Each predicate is true in the class that introduces it and below.
  virtual bool is_Misc() const { return false; }
#define TESSEL_RESIDUE_TYPE(S, ...) virtual bool is_##S() const { return false; }
#define TESSEL_NUCLEOTIDE(S, ...) virtual bool is_##S() const { return false; }
#define TESSEL_AMINO_ACID(S, ...) virtual bool is_##S() const { return false; }
#include "ResidueTypes.def"

  // Whether this type is `other` or one of its subtypes: r_rA is r_A, r_RNA,
  // r_Purine and r_NucleicAcid. `other` must not be null.
  virtual bool is(const t_Residue* other) const { return other->is_supertype_of(this); }
  // Whether `type` is of this class or one derived from it; false for null.
  virtual bool is_supertype_of(const t_Residue* type) const { return type != nullptr; }

  // Writes the type's binary code.
  virtual void Binoutput(oBinstream& os) const;
};

#define TESSEL_UNPAREN(...) __VA_ARGS__

#define TESSEL_RESIDUE_TYPE(S, NAME, PDB, LETTER, CODE, BASES)                  \
  class rt_##S : TESSEL_UNPAREN BASES                                          \
  {                                                                            \
  public:                                                                      \
    ~rt_##S() override;                                                        \
    const char* getName() const override { return NAME; }                      \
    const char* getPdbName() const override { return PDB; }                    \
    char getOneLetterCode() const override { return LETTER; }                  \
    bool is_##S() const override { return true; }                              \
    bool is_supertype_of(const t_Residue* type) const override                 \
    {                                                                          \
      return dynamic_cast<const rt_##S*>(type) != nullptr;                     \
    }                                                                          \
    void Binoutput(oBinstream& os) const override;                             \
  };
// The base class's PDB name and letter are named again only because the
// chain class also answers them.
#define TESSEL_NUCLEOTIDE(S, NAME, CODE, BASE, CHAIN)                           \
  class rt_##S : public virtual rt_##BASE, public virtual rt_##CHAIN            \
  {                                                                            \
  public:                                                                      \
    ~rt_##S() override;                                                        \
    const char* getName() const override { return NAME; }                      \
    const char* getPdbName() const override { return rt_##BASE::getPdbName(); } \
    char getOneLetterCode() const override { return rt_##BASE::getOneLetterCode(); } \
    bool is_##S() const override { return true; }                              \
    bool is_supertype_of(const t_Residue* type) const override                 \
    {                                                                          \
      return dynamic_cast<const rt_##S*>(type) != nullptr;                     \
    }                                                                          \
    void Binoutput(oBinstream& os) const override;                             \
  };
#define TESSEL_AMINO_ACID(S, LETTER, CODE) TESSEL_RESIDUE_TYPE(S, #S, #S, LETTER, CODE, (public rt_AminoAcid))
#include "ResidueTypes.def"

// The type of a residue whose name no singleton has. It registers itself in
// gMiscResidueString and is never destroyed.
class rt_Misc : public virtual t_Residue
{
public:
  // Keeps at most the first 3 characters of the name, the PDB field's width.
  explicit rt_Misc(const char* name);
  // A copy is not registered.
  rt_Misc(const rt_Misc& other);
  rt_Misc& operator=(const rt_Misc& other);
  ~rt_Misc() override;

  // The registered type of that name (cut to 3 characters), made when absent.
  static t_Residue* findOrCreate(const char* name);

  const char* getName() const override { return name; }
  const char* getPdbName() const override { return name; }
  char getOneLetterCode() const override { return 'X'; }
  bool is_Misc() const override { return true; }
  // Any two misc types are each other's supertype, whatever their names.
  bool is_supertype_of(const t_Residue* type) const override
  {
    return dynamic_cast<const rt_Misc*>(type) != nullptr;
  }
  void Binoutput(oBinstream& os) const override;

  static constexpr std::size_t kNameLength = 3;

private:
  char name[kNameLength + 1];
  // The registered type made before this one. The registry is destroyed at
  // exit but its types live on; the chain keeps them reachable.
  const rt_Misc* previous;
};

// The misc residue types by name; the keys point into the types' own names.
// Written under a lock by findOrCreate only.
typedef std::map<const char*, t_Residue*, less_string> MiscResidueRegistry;
extern MiscResidueRegistry gMiscResidueString;

// The singletons, null until TesselInit has run.
#define TESSEL_RESIDUE_TYPE(S, ...) extern t_Residue* r_##S;
#define TESSEL_NUCLEOTIDE(S, ...) extern t_Residue* r_##S;
#define TESSEL_AMINO_ACID(S, ...) extern t_Residue* r_##S;
#include "ResidueTypes.def"

inline constexpr unsigned kResidueTypeCount = 40;

// The global pointer of every residue type with a singleton, in creation order.
inline constexpr t_Residue* const* kResidueTypeSlots[] = {
#define TESSEL_RESIDUE_TYPE(S, ...) &r_##S,
#define TESSEL_NUCLEOTIDE(S, ...) &r_##S,
#define TESSEL_AMINO_ACID(S, ...) &r_##S,
#include "ResidueTypes.def"
};
static_assert(sizeof kResidueTypeSlots / sizeof kResidueTypeSlots[0] == kResidueTypeCount);

// The singleton of that binary code, or null (1, the root's own code, and
// 22, the misc code, included).
t_Residue* residueTypeOfBinaryCode(int code);

// A base (A, C, G, U, T, ribo or deoxy) or one amino acid: no generalised
// type, no phosphate, no misc type.
bool is_concrete_polymer(const t_Residue* type);

// Binary form: the code; a misc type adds its name. An unknown code reads as
// a null type and the stream is left as it is; the caller checks both.
// Writing a null type fails the stream.
oBinstream& operator<<(oBinstream& os, const t_Residue* type);
iBinstream& operator>>(iBinstream& is, t_Residue*& type);

// Text form: the type's name.
std::ostream& operator<<(std::ostream& os, const t_Residue* type);
std::ostream& operator<<(std::ostream& os, const t_Residue& type);

#endif
