// One loaded structure: a private copy of the residues of a file's first
// model, indexed by residue id, and the two atom lists the comparison
// uses, one to superimpose on and one to measure.
#ifndef TOLVA_FRAGHANDLER_H
#define TOLVA_FRAGHANDLER_H

#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <vector>

#include "AbstractResidue.h"
#include "ResId.h"
#include "ResIdSet.h"

class Model;
class oPdbstream;
class t_Residue;

namespace tolva {

class CFragHandler
{
public:
  typedef std::map<CResId, AbstractResidue*> ResidueMap;
  typedef std::vector<AbstractResidue::ResidueIterator> AtomList;

  explicit CFragHandler(const char* name);
  // Copies share the residues and start with empty atom lists.
  CFragHandler(const CFragHandler& other);
  CFragHandler& operator=(const CFragHandler& other);
  // Takes the other's residues and name over, leaving it empty: a loaded
  // handler handed on without a copy of its atoms.
  CFragHandler& operator=(CFragHandler&& other) noexcept;
  ~CFragHandler();

  // Reads the file: the first model, validated unless -n, keyed by residue
  // id, or numbered 1, 2, ... under -e (sorted by id) and -f (file order).
  // A file that cannot be read, or holds no residue, throws CException
  // naming it. Without `shown` (nothing will write or show the structure),
  // validation places no hydrogen and no lone pair, and the handler keeps
  // only a light copy of the other atoms where they stand: what measures
  // heavy atoms reads the same. The file's warnings go to `warnings`
  // (standard error when null).
  void Load(bool shown = true, std::ostream* warnings = nullptr);

  // One residue as the atom selection walks it: the residue itself, or its
  // light copy (types and coordinates of its atoms other than hydrogens,
  // in iteration order).
  struct ResidueAtoms
  {
    CResId id;
    t_Residue* type;
    AbstractResidue* residue;  // null for a light copy
    t_Atom* const* types;
    const float* xyz;
    uint32_t count;
  };
  // The residues of the ids that this structure has, in set order.
  std::vector<ResidueAtoms> atoms_of(const CResIdSet& ids) const;
  // Their types alone, in one walk along the ids and the residues.
  std::vector<t_Residue*> ResidueTypes(const CResIdSet& ids) const;

  // Atom types per selected residue: with them the filters take only the
  // atoms whose types are listed, so that atoms pair by type where the
  // residues of one position hold different atoms (-n). Each filter
  // returns how many atoms it left out for that reason.
  typedef std::vector<AtomTypeSet> TypesPerResidue;
  size_t AlignFilter(const CResIdSet& ids, const std::vector<t_Residue*>& types,
                     const TypesPerResidue* common = nullptr);
  size_t RmsdFilter(const CResIdSet& ids, const std::vector<t_Residue*>& types,
                    const TypesPerResidue* common = nullptr);
  // The RMSD is measured on the align atoms themselves: one list, not two
  // equal ones (thousands of structures are held at once).
  void UseAlignAtomsForRmsd() { rmsdSharesAlign = true; }
  size_t Filter(AtomList& out, const CResIdSet& ids, const std::vector<t_Residue*>& types,
                const TypesPerResidue* common = nullptr);
  // The atoms Filter would list, as x, y, z triples where the structure
  // stands, without the list.
  size_t FilterCoordinates(std::vector<float>& out, const CResIdSet& ids, const std::vector<t_Residue*>& types,
                           const TypesPerResidue* common = nullptr);
  // The counts Align and Rmsd check, when the atom lists are not built.
  void SetAtomCounts(size_t align, size_t rmsd);
  // Gives up the residues once nothing will read or move them; the ids and
  // the atom counts stay. The coordinate array of the light copies is
  // handed back, emptied, for the caller to fill again: its pages are
  // already the process's.
  std::vector<float> Release();

  // Superimposes `other` on this structure, moving every residue of other.
  void Align(CFragHandler& other);
  // The RMSD of the two rmsd-atom lists as the structures stand.
  float Rmsd(const CFragHandler& other) const;
  // The failures Align and Rmsd would raise for this pair, without moving
  // or measuring anything.
  void CheckAlign(const CFragHandler& other) const;
  void CheckRmsd(const CFragHandler& other) const;

  // The file name, or "(null)" for a handler built without one.
  const char* GetFileName() const;
  const CResIdSet& GetIds() const { return ids; }
  const ResidueMap& GetResidues() const { return residues; }
  const AtomList& GetAlignAtoms() const { return alignAtoms; }
  const AtomList& GetRmsdAtoms() const { return rmsdSharesAlign ? alignAtoms : rmsdAtoms; }
  int GetSerial() const { return serial; }

  static int next_serial_no;

private:
  // False when the id is already held: the first residue of an id wins.
  bool keep(const CResId& id, std::unique_ptr<AbstractResidue> residue);
  // Validates the model read and takes its residues over.
  void keep_model(Model& model, bool shown, std::ostream* warnings);
  template <typename Sink>
  size_t select_atoms(Sink& sink, const CResIdSet& ids, const std::vector<t_Residue*>& types,
                      const TypesPerResidue* common);
  void check_counts(size_t mine, const CFragHandler& other, size_t theirs) const;
  size_t align_count() const;
  size_t rmsd_count() const;
  void list_pairs(const char* what, const AtomList& mine, const CFragHandler& other, const AtomList& theirs) const;

  ResidueMap residues;
  char* name;
  CResIdSet ids;
  AtomList alignAtoms;
  AtomList rmsdAtoms;
  bool rmsdSharesAlign = false;
  // Set when the counts stand without the lists.
  bool counted = false;
  size_t alignCount = 0;
  size_t rmsdCount = 0;
  int serial;
  // The residues outlive every copy of the handler that points at them.
  std::shared_ptr<std::vector<std::unique_ptr<AbstractResidue>>> store;

  // The light copies, when the residues are not kept: per id, the type,
  // the atom types (a run shared by every residue that holds the same
  // atoms) and where the atoms' coordinates start in lightXyz.
  struct LightResidue
  {
    t_Residue* type;
    const std::vector<t_Atom*>* types;
    uint32_t first;
  };
  typedef std::pair<CResId, LightResidue> LightEntry;
  bool light = false;
  std::vector<LightEntry> lightResidues;  // by id
  std::vector<float> lightXyz;
};

oPdbstream& operator<<(oPdbstream& os, const CFragHandler& frag);

}  // namespace tolva

#endif
