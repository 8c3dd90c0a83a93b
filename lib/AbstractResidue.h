// A residue as the atom types see it: its type, and which atom types it
// holds. The atom types' residue-dependent parameters need no more than
// getType, find and end; the full residue class takes this one's place.
#ifndef TESSEL_ABSTRACTRESIDUE_H
#define TESSEL_ABSTRACTRESIDUE_H

#include <map>

#include "AtomType.h"

class AbstractResidue
{
public:
  // For each atom type present, the position of its atom in the residue.
  typedef std::map<const t_Atom*, unsigned, less_atom_type> AtomIndex;

  class ResidueConstIterator
  {
  public:
    ResidueConstIterator() : residue(nullptr), position() {}
    ResidueConstIterator(const AbstractResidue* r, AtomIndex::const_iterator p)
      : residue(r), position(p) {}

    // Equal when on the same residue at the same index entry.
    bool operator==(const ResidueConstIterator& other) const
    {
      return residue == other.residue && (residue == nullptr || position == other.position);
    }
    bool operator!=(const ResidueConstIterator& other) const { return !(*this == other); }

  private:
    const AbstractResidue* residue;
    AtomIndex::const_iterator position;
  };

  AbstractResidue() : type(nullptr) {}
  explicit AbstractResidue(t_Residue* residue_type) : type(residue_type) {}
  virtual ~AbstractResidue() = default;

  t_Residue* getType() const { return type; }

  // The atom of that type, or end() when the residue holds none.
  virtual ResidueConstIterator find(const t_Atom* atom_type) const
  {
    AtomIndex::const_iterator p = atomIndex.find(atom_type);
    return p == atomIndex.end() ? end() : ResidueConstIterator(this, p);
  }
  virtual ResidueConstIterator end() const { return ResidueConstIterator(this, atomIndex.end()); }

protected:
  t_Residue* type;
  AtomIndex atomIndex;
};

#endif
