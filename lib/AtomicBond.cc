#include "AtomicBond.h"

#include <iterator>

namespace {

struct BondRow
{
  t_Atom* const* a;
  t_Atom* const* b;
  float length;
};

constexpr BondRow kBonds[] = {
  {&a_N1, &a_C1p, 1.47f},
  {&a_N9, &a_C1p, 1.46f},
  {&a_C1p, &a_C2p, 1.53f},
  {&a_C2p, &a_O2p, 1.42f},
  {&a_C1p, &a_O4p, 1.41f},
  {&a_O4p, &a_C4p, 1.45f},
  {&a_C2p, &a_C3p, 1.52f},
  {&a_C3p, &a_C4p, 1.52f},
  {&a_C4p, &a_C5p, 1.51f},
  {&a_C5p, &a_O5p, 1.44f},
  {&a_O5p, &a_P, 1.59f},
  {&a_C3p, &a_O3p, 1.42f},
  {&a_O3p, &a_P, 1.60f},
  {&a_O1P, &a_P, 1.485f},
  {&a_O2P, &a_P, 1.485f},
};
static_assert(std::size(kBonds) == 15);

}  // namespace

void atomicBondSymetricInsertion(t_Atom* a, t_Atom* b, AtomicBondTable& table, float length)
{
  table[b][a] = length;
  table[a][b] = length;
}

void setAtomicGeometry()
{
  for (const BondRow& row : kBonds) atomicBondSymetricInsertion(*row.a, *row.b, gAtomicBond, row.length);
}
