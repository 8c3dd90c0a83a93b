// Every global of the library that needs construction lives here, so that
// their construction order is the order of definition below (and their
// destruction the reverse). The type tables come first, the message
// stream last.
#include <iostream>

#include "AtomType.h"
#include "AtomicBond.h"
#include "Messagestream.h"
#include "ResidueAtomSets.h"
#include "ResidueType.h"

// The type singletons: plain pointers, null from program load until
// TesselInit. The objects are never destroyed.
#define TESSEL_ATOM_CATEGORY(S, ...) t_Atom* a_##S = nullptr;
#include "AtomCategories.def"
#define TESSEL_ATOM_TYPE(S, ...) t_Atom* a_##S = nullptr;
#include "AtomTypes.def"
#define TESSEL_RESIDUE_TYPE(S, ...) t_Residue* r_##S = nullptr;
#define TESSEL_NUCLEOTIDE(S, ...) t_Residue* r_##S = nullptr;
#define TESSEL_AMINO_ACID(S, ...) t_Residue* r_##S = nullptr;
#include "ResidueTypes.def"

AtomicBondTable gAtomicBond;
// The registries exist before any misc type can be made; at exit they free
// their nodes only, never the types.
MiscAtomRegistry gMiscAtomString;
MiscResidueRegistry gMiscResidueString;

#define TESSEL_RESIDUE_ATOM_SETS(RES) AtomTypeSet g##RES##OblAtomSet;
#include "ResidueAtomSets.def"
#define TESSEL_RESIDUE_ATOM_SETS(RES) AtomTypeSet g##RES##OptAtomSet;
#include "ResidueAtomSets.def"

// std::cerr must exist before `out` takes its buffer.
static std::ios_base::Init gIostreamInit;

oMessagestream out(std::cerr, 2);
thread_local oMessagestream* gOut = &out;
