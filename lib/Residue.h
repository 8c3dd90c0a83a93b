// The library's residue. Its atoms are stored in the residue's local frame,
// built from its own pivot atoms when it is made, and the transformation
// places them back; moving the residue changes only the transformation.
//
// The placed atoms are recomputed whenever the transformation or an atom
// changes, and not stored at all while the transformation is the identity,
// so that reading a residue never writes to it: several threads may read
// one residue at once as long as none moves or changes it.
#ifndef TESSEL_RESIDUE_H
#define TESSEL_RESIDUE_H

#include <iosfwd>
#include <vector>

#include "AbstractResidue.h"

class CResidue : public AbstractResidue
{
public:
  // No id, no type, no atoms: what a reader fills.
  CResidue();
  // The atoms are taken as placed coordinates; the residue then builds its
  // index, its pseudo-atoms and its frame (init).
  CResidue(t_Residue* residue_type, const std::vector<CAtom>& atoms, const CResId& residue_id);
  CResidue(const CResidue& other);
  CResidue& operator=(const CResidue& other);
  ~CResidue() override;

  CResidue* clone() const override;

  // An rA, rC, rG or rU becomes its ideal base and C1', at the ideal
  // coordinates under the identity transformation, with a frame rebuilt
  // from them; any other residue is left as it is, with a message.
  void setIdeal() override;
  CResidue& operator=(const CTransfo& t) override;
  CAtom& operator[](const t_Atom* atom_type) override;
  const CAtom& operator[](const t_Atom* atom_type) const override;

  CAtom& getPlacedAtom(unsigned position) const override
  {
    return const_cast<CAtom&>(identity ? refAtoms[position] : placedAtoms[position]);
  }
  const CAtom* ref(const t_Atom* atom_type) const override;
  const CAtom& getRefAtom(unsigned position) const override { return refAtoms[position]; }
  const CAtom* res(const t_Atom* atom_type) const override;
  const CAtom& getAtom(unsigned position) const override
  {
    return identity ? refAtoms[position] : placedAtoms[position];
  }
  unsigned size() const override { return static_cast<unsigned>(refAtoms.size()); }
  bool empty() const override { return refAtoms.empty(); }

  void insert_local(const CAtom& atom) override;
  void insert(const CAtom& atom) override;
  ResidueIterator erase(const t_Atom* atom_type) override;
  void erase(const AtomTypeSet& atom_types) override;
  // Removes the atoms from first up to last, as the iterators' filter
  // walks them.
  template <typename Iterator>
  void erase(const Iterator& first, const Iterator& last)
  {
    AtomTypeSet doomed;
    for (Iterator i = first; i != last; ++i) doomed.insert(i->getType());
    erase(doomed);
  }
  // Atoms that only one of the two residues holds are left as they are.
  void AtomCopy(const AbstractResidue& other) override;
  CResidue* select(const std::vector<const t_Atom*>& atom_types) const override;
  CResidue& Transform(const CTransfo& t) override;
  void Align() override;

  // Binary form: id, type, then the atoms that are neither hydrogens,
  // pseudo-atoms nor lone pairs, in current coordinates. The frame is not
  // stored: reading rebuilds it. A read that fails leaves the residue as
  // it was.
  iBinstream& read(iBinstream& is) override;
  oBinstream& write(oBinstream& os) const override;
  // Gathers the atom lines of one residue, up to a change of residue name,
  // chain, number or insertion code (whose atom the stream keeps for the
  // next read), ENDMDL, END or the end of input. Of two atoms of one type
  // the first alternate location wins; pseudo-atom and lone-pair lines are
  // dropped, since the residue computes its own. Nothing read, or a stream
  // gone bad (a damaged file), leaves the residue as it was.
  iPdbstream& read(iPdbstream& is) override;
  // The ATOM records, in registry order and current coordinates, through
  // the stream's filter.
  oPdbstream& write(oPdbstream& os) const override;
  std::ostream& write(std::ostream& os) const override;

  // Rebuilds the index, the pseudo-atoms and the frame from the reference
  // atoms, taken as placed coordinates. The first atom of each type is
  // kept. A residue whose frame atoms are missing is demoted to a misc type;
  // one whose frame atoms coincide or lie on a line keeps its atoms as
  // they are, with no pseudo-atoms and the identity frame.
  void init();

private:
  enum class Completion { Done, Missing, Degenerate };

  // The position of the atom of that type, or kNoRank.
  unsigned positionOf(const t_Atom* atom_type) const;
  // Stores the atom in local coordinates, with `placed` as its placed form
  // (computed when null).
  void store(const CAtom& local, const CAtom* placed);
  // Recomputes every placed atom from the transformation.
  void place();
  void setTransformation(const CTransfo& t);
  // Keeps the first atom of each type, drops untyped atoms, indexes them.
  void dropDuplicates();
  Completion addPseudoAtoms();
  Completion addBasePseudoAtoms(const t_Atom* n, const t_Atom* x, const t_Atom* y);
  Completion addAminoPseudoAtom();
  void refineType();
  void buildFrame();

  std::vector<CAtom> refAtoms;
  // Same positions as refAtoms; empty while the transformation is the identity.
  std::vector<CAtom> placedAtoms;
  // The transformation is exactly the identity.
  bool identity;
};

inline iBinstream& operator>>(iBinstream& is, CResidue& residue) { return residue.read(is); }
inline oBinstream& operator<<(oBinstream& os, const CResidue& residue) { return residue.write(os); }
inline iPdbstream& operator>>(iPdbstream& is, CResidue& residue) { return residue.read(is); }
inline oPdbstream& operator<<(oPdbstream& os, const CResidue& residue) { return residue.write(os); }
inline std::ostream& operator<<(std::ostream& os, const CResidue& residue)
{
  return residue.write(os);
}

#endif
