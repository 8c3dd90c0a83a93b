// The atom types that a complete residue of each validated type must have
// (g<RES>OblAtomSet) and may have (g<RES>OptAtomSet): its hydrogens and, for
// nucleotides, lone pairs. The two sets of a type have no member in common.
#ifndef TESSEL_RESIDUEATOMSETS_H
#define TESSEL_RESIDUEATOMSETS_H

#include "AtomType.h"

#define TESSEL_RESIDUE_ATOM_SETS(RES) \
  extern AtomTypeSet g##RES##OblAtomSet; \
  extern AtomTypeSet g##RES##OptAtomSet;
#include "ResidueAtomSets.def"

// Fills the 56 sets from the library's lists. Needs every atom-type
// singleton; called by TesselInit.
void setAtomSets();

#endif
