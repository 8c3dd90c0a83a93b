#include "IdealBases.h"

#include <iterator>

#include "AtomTypes.h"
#include "ResidueType.h"

namespace {

// The singletons are read through their addresses, which hold null until
// TesselInit has run.
struct IdealAtom
{
  t_Atom* const* type;
  float x, y, z;
};

constexpr IdealAtom kIdealrA[] = {
  {&a_N9, 0.213f, 0.660f, 1.287f}, {&a_C4, 0.250f, 2.016f, 1.509f},
  {&a_N3, 0.016f, 2.995f, 0.619f}, {&a_C2, 0.142f, 4.189f, 1.194f},
  {&a_N1, 0.451f, 4.493f, 2.459f}, {&a_C6, 0.681f, 3.485f, 3.329f},
  {&a_N6, 0.990f, 3.787f, 4.592f}, {&a_C5, 0.579f, 2.170f, 2.844f},
  {&a_N7, 0.747f, 0.934f, 3.454f}, {&a_C8, 0.520f, 0.074f, 2.491f},
  {&a_C1p, 0.0f, 0.0f, 0.0f},
};
static_assert(std::size(kIdealrA) == 11);

constexpr IdealAtom kIdealrC[] = {
  {&a_N1, 0.212f, 0.668f, 1.294f}, {&a_C6, 0.193f, -0.043f, 2.462f},
  {&a_C2, 0.374f, 2.055f, 1.315f}, {&a_O2, 0.388f, 2.673f, 0.240f},
  {&a_N3, 0.511f, 2.687f, 2.504f}, {&a_C4, 0.491f, 1.984f, 3.638f},
  {&a_N4, 0.631f, 2.649f, 4.788f}, {&a_C5, 0.328f, 0.569f, 3.645f},
  {&a_C1p, 0.0f, 0.0f, 0.0f},
};
static_assert(std::size(kIdealrC) == 9);

constexpr IdealAtom kIdealrG[] = {
  {&a_N9, 0.214f, 0.659f, 1.283f}, {&a_C4, 0.254f, 2.014f, 1.509f},
  {&a_N3, 0.034f, 2.979f, 0.591f}, {&a_C2, 0.142f, 4.190f, 1.110f},
  {&a_N2, 0.047f, 5.269f, 0.336f}, {&a_N1, 0.444f, 4.437f, 2.427f},
  {&a_C6, 0.676f, 3.459f, 3.389f}, {&a_O6, 0.941f, 3.789f, 4.552f},
  {&a_C5, 0.562f, 2.154f, 2.846f}, {&a_N7, 0.712f, 0.912f, 3.448f},
  {&a_C8, 0.498f, 0.057f, 2.485f}, {&a_C1p, 0.0f, 0.0f, 0.0f},
};
static_assert(std::size(kIdealrG) == 12);

constexpr IdealAtom kIdealrU[] = {
  {&a_N1, 0.212f, 0.676f, 1.281f}, {&a_C6, 0.195f, -0.023f, 2.466f},
  {&a_C2, 0.370f, 2.048f, 1.265f}, {&a_O2, 0.390f, 2.698f, 0.235f},
  {&a_N3, 0.505f, 2.629f, 2.502f}, {&a_C4, 0.497f, 1.990f, 3.725f},
  {&a_O4, 0.629f, 2.653f, 4.755f}, {&a_C5, 0.329f, 0.571f, 3.657f},
  {&a_C1p, 0.0f, 0.0f, 0.0f},
};
static_assert(std::size(kIdealrU) == 9);

struct IdealBase
{
  bool (t_Residue::*is)() const;
  const IdealAtom* first;
  const IdealAtom* last;
};

// Tested in this order; the first the type is wins.
constexpr IdealBase kIdealBases[] = {
  {&t_Residue::is_rA, std::begin(kIdealrA), std::end(kIdealrA)},
  {&t_Residue::is_rC, std::begin(kIdealrC), std::end(kIdealrC)},
  {&t_Residue::is_rG, std::begin(kIdealrG), std::end(kIdealrG)},
  {&t_Residue::is_rU, std::begin(kIdealrU), std::end(kIdealrU)},
};

}  // namespace

std::vector<CAtom> idealAtoms(const t_Residue* type)
{
  std::vector<CAtom> atoms;
  if (type == nullptr) return atoms;
  for (const IdealBase& base : kIdealBases) {
    if (!(type->*base.is)()) continue;
    atoms.reserve(base.last - base.first);
    for (const IdealAtom* a = base.first; a != base.last; ++a) atoms.emplace_back(a->x, a->y, a->z, *a->type);
    break;
  }
  return atoms;
}
