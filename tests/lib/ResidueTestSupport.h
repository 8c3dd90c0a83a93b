// Shared by the residue tests: residues built from real coordinates, and
// the geometry the tests measure with.
#ifndef TOLVA_RESIDUE_TEST_SUPPORT_H
#define TOLVA_RESIDUE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "AtomTypes.h"
#include "Residue.h"
#include "ResidueCoordinates.h"
#include "ResidueType.h"
#include "TesselInit.h"

namespace residue_test {

class Registry : public ::testing::Test
{
protected:
  void SetUp() override { TesselInit(); }
};

inline float distance(const CPoint3D& a, const CPoint3D& b) { return a | b; }

// Angle a-b-c at b, in degrees.
inline double angle(const CPoint3D& a, const CPoint3D& b, const CPoint3D& c)
{
  CPoint3D u = a - b, v = c - b;
  double cosine = (u * v) / (double(u.Length()) * v.Length());
  return std::acos(std::fmax(-1.0, std::fmin(1.0, cosine))) * 180.0 / M_PI;
}

// Distance of p from the plane of a, b, c.
inline double off_plane(const CPoint3D& p, const CPoint3D& a, const CPoint3D& b, const CPoint3D& c)
{
  CPoint3D n = (b - a).Cross(c - a);
  n.Normalize();
  return std::fabs((p - a) * n);
}

inline bool finite(const CPoint3D& p)
{
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// The residue's atom of that type in current coordinates; fails the test
// when it is absent.
inline CPoint3D at(const AbstractResidue& r, const t_Atom* t)
{
  const CAtom* a = r.res(t);
  EXPECT_NE(a, nullptr) << "no atom " << t->getName();
  return a != nullptr ? CPoint3D(*a) : CPoint3D(NAN, NAN, NAN);
}

// The atom types of the residue in iteration order.
inline std::vector<const t_Atom*> types_of(const AbstractResidue& r)
{
  std::vector<const t_Atom*> types;
  for (AbstractResidue::ResidueConstIterator i = r.begin(); i != r.end(); ++i)
    types.push_back(i->getType());
  return types;
}

}  // namespace residue_test

#endif
