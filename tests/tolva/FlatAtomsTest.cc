#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "FlatAtoms.h"
#include "Rmsd.h"
#include "Transfo.h"

using tolva::CFlatAtoms;

namespace {

std::vector<CPoint3D> random_points(std::mt19937& rng, size_t n, float spread)
{
  std::uniform_real_distribution<float> d(-spread, spread);
  std::vector<CPoint3D> p;
  for (size_t k = 0; k < n; ++k) p.emplace_back(d(rng) + 30.0f, d(rng) - 12.0f, d(rng) + 4.0f);
  return p;
}

CTransfo some_motion(float angle)
{
  CTransfo t;
  t.SetRotation(CPoint3D(1, 2, 2) / 3.0f, angle);
  CTransfo shift;
  shift.SetTranslation(CPoint3D(-7.5f, 3.25f, 11.0f));
  return shift * t;
}

std::vector<CPoint3D> moved(std::vector<CPoint3D> p, const CTransfo& t)
{
  for (CPoint3D& q : p) q.Transform(t);
  return p;
}

// What aligning and then measuring does on the points themselves.
float align_then_measure(const std::vector<CPoint3D>& fixed_align, const std::vector<CPoint3D>& moving_align,
                         const std::vector<CPoint3D>& fixed_rmsd, std::vector<CPoint3D> moving_rmsd)
{
  CTransfo t;
  rmsd_with_align(moving_align.begin(), moving_align.end(), fixed_align.begin(), fixed_align.end(), &t);
  for (CPoint3D& q : moving_rmsd) q.Transform(t);
  return rmsd(moving_rmsd, fixed_rmsd);
}

}  // namespace

TEST(FlatAtoms, CentroidAndCentredCoordinates)
{
  CFlatAtoms f({CPoint3D(0, 0, 0), CPoint3D(2, 0, 0), CPoint3D(0, 4, 0), CPoint3D(2, 4, 8)});
  EXPECT_EQ(f.centroid()[0], 1.0);
  EXPECT_EQ(f.centroid()[1], 2.0);
  EXPECT_EQ(f.centroid()[2], 2.0);
  EXPECT_EQ(f.x()[0], -1.0f);
  EXPECT_EQ(f.z()[3], 6.0f);
  EXPECT_EQ(f.padded(), 8u);
  EXPECT_EQ(f.x()[7], 0.0f);
  EXPECT_DOUBLE_EQ(f.squares(), 4 * (1 + 4) + 3 * 4 + 36);
}

TEST(FlatAtoms, RigidCopyGivesZero)
{
  std::mt19937 rng(3);
  auto a = random_points(rng, 500, 15.0f);
  CFlatAtoms fa(a), fb(moved(a, some_motion(2.0f)));
  EXPECT_LT(tolva::superposed_rmsd(fa, fb, fa, fb), 2e-5f);
  EXPECT_LT(tolva::superposed_rmsd(fb, fa), 2e-5f);
}

TEST(FlatAtoms, OneDisplacedAtomOutsideTheAlignment)
{
  // Aligned on the 99 untouched atoms, measured on all 100: only the atom
  // moved by d counts, so the RMSD is d / sqrt(100).
  std::mt19937 rng(5);
  auto fixed = random_points(rng, 100, 10.0f);
  auto copy = fixed;
  copy[40].x += 3.0f;
  copy[40].y += 4.0f;  // d = 5
  CTransfo t = some_motion(-0.7f);
  copy = moved(copy, t);
  std::vector<CPoint3D> fixed_align, copy_align;
  for (size_t k = 0; k < fixed.size(); ++k)
    if (k != 40) { fixed_align.push_back(fixed[k]); copy_align.push_back(copy[k]); }
  float r = tolva::superposed_rmsd(CFlatAtoms(fixed_align), CFlatAtoms(copy_align), CFlatAtoms(fixed), CFlatAtoms(copy));
  EXPECT_NEAR(r, 0.5f, 2e-5f);
}

TEST(FlatAtoms, AgreesWithAligningThePoints)
{
  std::mt19937 rng(11);
  for (int trial = 0; trial < 20; ++trial) {
    auto fixed = random_points(rng, 60 + trial * 7, 12.0f);
    auto other = moved(random_points(rng, fixed.size(), 12.0f), some_motion(0.3f * trial));
    // Align on the first two thirds, measure on the last half.
    size_t a_end = fixed.size() * 2 / 3, r_begin = fixed.size() / 2;
    std::vector<CPoint3D> fa(fixed.begin(), fixed.begin() + a_end), ma(other.begin(), other.begin() + a_end);
    std::vector<CPoint3D> fr(fixed.begin() + r_begin, fixed.end()), mr(other.begin() + r_begin, other.end());
    float expected = align_then_measure(fa, ma, fr, mr);
    float got = tolva::superposed_rmsd(CFlatAtoms(fa), CFlatAtoms(ma), CFlatAtoms(fr), CFlatAtoms(mr));
    EXPECT_NEAR(got, expected, 1e-5f * expected) << trial;
  }
}
