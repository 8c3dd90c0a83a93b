// Covalent bond lengths between backbone and sugar atoms of nucleotides, in
// angstroms, stored under both orders of each pair.
#ifndef TESSEL_ATOMICBOND_H
#define TESSEL_ATOMICBOND_H

#include <map>

#include "AtomType.h"

typedef std::map<t_Atom*, std::map<t_Atom*, float, less_atom_type>, less_atom_type> AtomicBondTable;

extern AtomicBondTable gAtomicBond;

// Stores the length under b then a, and under a then b, replacing what was
// there.
void atomicBondSymetricInsertion(t_Atom* a, t_Atom* b, AtomicBondTable& table, float length);

// Fills gAtomicBond. Needs every atom-type singleton; called by TesselInit.
// A reader that must not create entries looks up with find on both levels.
void setAtomicGeometry();

#endif
