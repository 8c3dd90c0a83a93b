// Residue factories: readers ask one for every residue they make, so that
// a program can have all the residues it reads be of its own class.
#ifndef TESSEL_RESIDUEFACTORY_H
#define TESSEL_RESIDUEFACTORY_H

#include <vector>

class AbstractResidue;
class CAtom;
class CResId;
class t_Residue;

class ResidueFactoryMethod
{
public:
  // A new heap copy, owned by the caller.
  virtual ResidueFactoryMethod* clone() const = 0;
  virtual ~ResidueFactoryMethod() = default;

  // An empty residue, for a reader to fill; owned by the caller.
  virtual AbstractResidue* createResidue() const = 0;
  // A residue of that type and id made from atoms given in placed
  // coordinates; owned by the caller.
  virtual AbstractResidue* createResidue(t_Residue* type, const std::vector<CAtom>& atoms,
                                         const CResId& id) const = 0;
};

// Makes CResidue objects.
class CResidueFM : public ResidueFactoryMethod
{
public:
  CResidueFM* clone() const override;
  AbstractResidue* createResidue() const override;
  AbstractResidue* createResidue(t_Residue* type, const std::vector<CAtom>& atoms,
                                 const CResId& id) const override;
};

#endif
