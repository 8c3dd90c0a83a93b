#include "ResidueFactory.h"

#include "Residue.h"

CResidueFM* CResidueFM::clone() const { return new CResidueFM(*this); }

AbstractResidue* CResidueFM::createResidue() const { return new CResidue(); }

AbstractResidue* CResidueFM::createResidue(t_Residue* type, const std::vector<CAtom>& atoms,
                                           const CResId& id) const
{
  return new CResidue(type, atoms, id);
}
