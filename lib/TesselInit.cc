#include "TesselInit.h"

#include <iostream>

#include <zlib.h>

#include "AtomTypes.h"
#include "AtomicBond.h"
#include "ResidueAtomSets.h"
#include "ResidueType.h"

namespace {

bool gInitialised = false;

// A slot already filled keeps its type: every residue holds pointers to the
// first set of singletons, and a second set would fail their validation.
template <typename Type, typename Root>
void create(Root*& slot)
{
  if (slot == nullptr) slot = new Type;
}

}  // namespace

void TesselInit()
{
  if (gInitialised) return;
#define TESSEL_ATOM_CATEGORY(S, ...) create<at_##S>(a_##S);
#include "AtomCategories.def"
#define TESSEL_ATOM_TYPE(S, ...) create<at_##S>(a_##S);
#include "AtomTypes.def"
#define TESSEL_RESIDUE_TYPE(S, ...) create<rt_##S>(r_##S);
#define TESSEL_NUCLEOTIDE(S, ...) create<rt_##S>(r_##S);
#define TESSEL_AMINO_ACID(S, ...) create<rt_##S>(r_##S);
#include "ResidueTypes.def"
  setAtomSets();
  setAtomicGeometry();
  gInitialised = true;
}

void Tessel_version()
{
  std::cout << "tessel 1.3" << std::endl;
  std::cout << "Atom and residue types, residues and structure files of nucleic acids and proteins" << std::endl;
  std::cout << "zlib " << ZLIB_VERSION << std::endl;
}
