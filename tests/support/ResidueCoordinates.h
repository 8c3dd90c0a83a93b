// Heavy atoms of real nucleotides and an amino acid: model 1 of the public
// wwPDB entry 1LCD (a lac repressor headpiece on its DNA operator). Shared
// by the residue tests and benchmarks.
#ifndef TOLVA_RESIDUE_COORDINATES_H
#define TOLVA_RESIDUE_COORDINATES_H

#include <cstddef>
#include <initializer_list>
#include <vector>

#include "Atom.h"
#include "AtomTypes.h"

namespace residue_test {

struct AtomRow
{
  t_Atom* const* type;
  float x, y, z;
};

// 1LCD chain B residue 2.
inline const AtomRow kDA[] = {
  {&a_P, 9.650f, 31.670f, 42.870f},   {&a_O1P, 8.790f, 32.860f, 42.710f},
  {&a_O2P, 9.140f, 30.390f, 42.310f}, {&a_O5p, 11.160f, 31.910f, 42.400f},
  {&a_C5p, 11.610f, 33.140f, 41.820f}, {&a_C4p, 13.070f, 33.060f, 41.360f},
  {&a_O4p, 13.910f, 32.250f, 42.210f}, {&a_C3p, 13.170f, 32.460f, 39.980f},
  {&a_O3p, 14.220f, 33.040f, 39.190f}, {&a_C2p, 13.470f, 31.010f, 40.230f},
  {&a_C1p, 14.430f, 31.170f, 41.390f}, {&a_N9, 14.490f, 29.960f, 42.220f},
  {&a_C8, 13.430f, 29.300f, 42.690f},  {&a_N7, 13.830f, 28.360f, 43.550f},
  {&a_C5, 15.150f, 28.460f, 43.650f},  {&a_C6, 16.170f, 27.780f, 44.320f},
  {&a_N6, 15.860f, 26.880f, 45.230f},  {&a_N1, 17.470f, 28.040f, 44.090f},
  {&a_C2, 17.840f, 28.970f, 43.210f},  {&a_N3, 16.900f, 29.680f, 42.560f},
  {&a_C4, 15.580f, 29.450f, 42.770f},
};
// Chain B residue 5.
inline const AtomRow kDG[] = {
  {&a_P, 25.670f, 28.660f, 35.310f},  {&a_O1P, 26.720f, 29.390f, 36.060f},
  {&a_O2P, 25.490f, 29.100f, 33.910f}, {&a_O5p, 25.890f, 27.070f, 35.350f},
  {&a_C5p, 26.310f, 26.520f, 36.610f}, {&a_C4p, 25.780f, 25.140f, 36.960f},
  {&a_O4p, 24.370f, 25.060f, 36.690f}, {&a_C3p, 26.460f, 24.060f, 36.140f},
  {&a_O3p, 27.350f, 23.330f, 37.020f}, {&a_C2p, 25.330f, 23.250f, 35.550f},
  {&a_C1p, 24.110f, 23.690f, 36.370f}, {&a_N9, 22.830f, 23.580f, 35.630f},
  {&a_C8, 22.500f, 24.250f, 34.540f},  {&a_N7, 21.170f, 24.190f, 34.350f},
  {&a_C5, 20.650f, 23.470f, 35.350f},  {&a_C6, 19.370f, 23.000f, 35.700f},
  {&a_O6, 18.340f, 23.450f, 35.190f},  {&a_N1, 19.230f, 22.120f, 36.780f},
  {&a_C2, 20.360f, 21.740f, 37.490f},  {&a_N2, 20.290f, 20.690f, 38.240f},
  {&a_N3, 21.560f, 22.240f, 37.190f},  {&a_C4, 21.730f, 23.070f, 36.150f},
};
// Chain B residue 10.
inline const AtomRow kDC[] = {
  {&a_P, 17.220f, 7.100f, 26.550f},   {&a_O1P, 16.070f, 6.260f, 26.960f},
  {&a_O2P, 18.580f, 6.520f, 26.410f}, {&a_O5p, 16.910f, 7.900f, 25.210f},
  {&a_C5p, 15.770f, 8.770f, 25.150f}, {&a_C4p, 15.960f, 9.890f, 24.130f},
  {&a_O4p, 17.160f, 10.640f, 24.440f}, {&a_C3p, 16.180f, 9.370f, 22.720f},
  {&a_O3p, 15.420f, 10.200f, 21.780f}, {&a_C2p, 17.680f, 9.360f, 22.560f},
  {&a_C1p, 17.940f, 10.680f, 23.230f}, {&a_N1, 19.380f, 10.880f, 23.540f},
  {&a_C2, 20.060f, 12.050f, 23.150f},  {&a_O2, 19.590f, 12.820f, 22.310f},
  {&a_N3, 21.310f, 12.260f, 23.590f},  {&a_C4, 21.930f, 11.370f, 24.390f},
  {&a_N4, 23.190f, 11.660f, 24.600f},  {&a_C5, 21.320f, 10.170f, 24.790f},
  {&a_C6, 20.020f, 9.930f, 24.320f},
};
// Chain B residue 3.
inline const AtomRow kDT[] = {
  {&a_P, 13.840f, 33.560f, 37.730f},  {&a_O1P, 13.260f, 34.900f, 37.950f},
  {&a_O2P, 13.020f, 32.550f, 37.010f}, {&a_O5p, 15.250f, 33.720f, 36.970f},
  {&a_C5p, 15.730f, 32.690f, 36.110f}, {&a_C4p, 16.570f, 31.730f, 36.930f},
  {&a_O4p, 15.880f, 30.830f, 37.810f}, {&a_C3p, 17.360f, 30.810f, 36.060f},
  {&a_O3p, 18.400f, 31.530f, 35.350f}, {&a_C2p, 17.950f, 29.920f, 37.130f},
  {&a_C1p, 17.000f, 30.070f, 38.300f}, {&a_N1, 16.580f, 28.780f, 38.910f},
  {&a_C2, 17.500f, 28.110f, 39.760f},  {&a_O2, 18.680f, 28.010f, 39.470f},
  {&a_N3, 17.030f, 27.170f, 40.670f},  {&a_C4, 15.670f, 26.860f, 40.730f},
  {&a_O4, 15.300f, 26.340f, 41.780f},  {&a_C5, 14.760f, 27.410f, 39.820f},
  {&a_C5M, 13.320f, 26.900f, 39.770f}, {&a_C6, 15.220f, 28.370f, 38.920f},
};
// Chain A residue 10.
inline const AtomRow kALA[] = {
  {&a_N, 24.300f, 31.850f, 23.400f}, {&a_CA, 24.270f, 31.910f, 24.870f},
  {&a_C, 25.460f, 32.720f, 25.450f}, {&a_O, 25.250f, 33.730f, 26.140f},
  {&a_CB, 24.260f, 30.500f, 25.460f},
};

template <std::size_t N>
std::vector<CAtom> atoms_of(const AtomRow (&rows)[N])
{
  std::vector<CAtom> atoms;
  for (const AtomRow& r : rows) atoms.emplace_back(r.x, r.y, r.z, *r.type);
  return atoms;
}

inline const CAtom* find_in(const std::vector<CAtom>& atoms, const t_Atom* t)
{
  for (const CAtom& a : atoms)
    if (a.getType() == t) return &a;
  return nullptr;
}

inline std::vector<CAtom> without(std::vector<CAtom> atoms, std::initializer_list<const t_Atom*> types)
{
  for (const t_Atom* t : types)
    for (auto i = atoms.begin(); i != atoms.end(); ++i)
      if (i->getType() == t) {
        atoms.erase(i);
        break;
      }
  return atoms;
}

// A deoxyribose made a ribose: O2' 1.41 from C2', staggered between its
// other neighbours as a hydroxyl stands.
inline std::vector<CAtom> with_O2p(std::vector<CAtom> atoms)
{
  CPoint3D c2 = *find_in(atoms, a_C2p), c1 = *find_in(atoms, a_C1p), c3 = *find_in(atoms, a_C3p);
  CPoint3D a = c2 - c1, b = c2 - c3;
  a.Normalize();
  b.Normalize();
  CPoint3D bisector = a + b, normal = a.Cross(b);
  bisector.Normalize();
  normal.Normalize();
  CPoint3D d = bisector + normal * 1.386f;
  d.Normalize();
  CPoint3D o = c2 + d * 1.41f;
  atoms.emplace_back(o.x, o.y, o.z, a_O2p);
  return atoms;
}

}  // namespace residue_test

#endif
