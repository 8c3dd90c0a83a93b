// One loaded structure: a private copy of the residues of a file's first
// model, indexed by residue id, and the two atom lists the comparison
// uses, one to superimpose on and one to measure.
#ifndef TOLVA_FRAGHANDLER_H
#define TOLVA_FRAGHANDLER_H

#include <map>
#include <memory>
#include <vector>

#include "AbstractResidue.h"
#include "ResId.h"
#include "ResIdSet.h"

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
  ~CFragHandler();

  // Reads the file: the first model, validated unless -n, keyed by residue
  // id, or numbered 1, 2, ... under -e (sorted by id) and -f (file order).
  // A file that cannot be read, or holds no residue, throws CException
  // naming it.
  void Load();

  // This structure's residues for the ids of the range, in range order;
  // absent ids are skipped.
  template <typename It>
  std::vector<AbstractResidue*> select(It first, It last) const
  {
    std::vector<AbstractResidue*> found;
    for (; first != last; ++first) {
      ResidueMap::const_iterator r = residues.find(*first);
      if (r != residues.end()) found.push_back(r->second);
    }
    return found;
  }

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
  void check_counts(const AtomList& mine, const CFragHandler& other, const AtomList& theirs) const;
  void list_pairs(const char* what, const AtomList& mine, const CFragHandler& other, const AtomList& theirs) const;

  ResidueMap residues;
  char* name;
  CResIdSet ids;
  AtomList alignAtoms;
  AtomList rmsdAtoms;
  bool rmsdSharesAlign = false;
  int serial;
  // The residues outlive every copy of the handler that points at them.
  std::shared_ptr<std::vector<std::unique_ptr<AbstractResidue>>> store;
};

oPdbstream& operator<<(oPdbstream& os, const CFragHandler& frag);

}  // namespace tolva

#endif
