// Ideal conformations of the four ribonucleotide bases with their C1', in
// angstroms, C1' at the origin: what CResidue::setIdeal puts in place of a
// residue's atoms.
#ifndef TESSEL_IDEALBASES_H
#define TESSEL_IDEALBASES_H

#include <vector>

#include "Atom.h"

class t_Residue;

// The ideal atoms of a residue of that type, in table order: those of the
// first of rA, rC, rG and rU that the type is. Empty for any other type,
// null included.
std::vector<CAtom> idealAtoms(const t_Residue* type);

#endif
