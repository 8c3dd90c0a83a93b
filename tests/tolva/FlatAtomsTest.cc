#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <set>
#include <string>
#include <functional>
#include <random>
#include <vector>

#include "FlatAtoms.h"
#include "FragHandler.h"
#include "Jacobi.h"
#include "ResIdSet.h"
#include "RmsEngine.h"
#include "TesselInit.h"
#include "TestSupport.h"
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

namespace {

typedef std::vector<std::array<double, 3>> Points;

// The reference superposition, all in double and by another road than the
// kernel's: the eigenvector of the largest eigenvalue of the key matrix (by
// Jacobi rotations) as a quaternion, the rotation it gives, and the RMSD of
// the residuals themselves.
double reference_rmsd(const Points& fixed, const Points& moving)
{
  const size_t n = fixed.size();
  double cf[3] = {0, 0, 0}, cm[3] = {0, 0, 0};
  for (size_t k = 0; k < n; ++k)
    for (int i = 0; i < 3; ++i) { cf[i] += fixed[k][i] / n; cm[i] += moving[k][i] / n; }
  double S[3][3] = {{0}};  // moving (rows) against fixed (columns)
  for (size_t k = 0; k < n; ++k)
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) S[i][j] += (moving[k][i] - cm[i]) * (fixed[k][j] - cf[j]);
  double N[16] = {S[0][0] + S[1][1] + S[2][2], S[1][2] - S[2][1], S[2][0] - S[0][2], S[0][1] - S[1][0],
                  S[1][2] - S[2][1], S[0][0] - S[1][1] - S[2][2], S[0][1] + S[1][0], S[2][0] + S[0][2],
                  S[2][0] - S[0][2], S[0][1] + S[1][0], -S[0][0] + S[1][1] - S[2][2], S[1][2] + S[2][1],
                  S[0][1] - S[1][0], S[2][0] + S[0][2], S[1][2] + S[2][1], -S[0][0] - S[1][1] + S[2][2]};
  double d[4], V[16];
  int rotations;
  jacobi(N, 4, d, V, &rotations);
  int best = 0;
  for (int k = 1; k < 4; ++k)
    if (d[k] > d[best]) best = k;
  const double q0 = V[best], q1 = V[4 + best], q2 = V[8 + best], q3 = V[12 + best];
  const double U[3][3] = {{q0 * q0 + q1 * q1 - q2 * q2 - q3 * q3, 2 * (q1 * q2 - q0 * q3), 2 * (q1 * q3 + q0 * q2)},
                          {2 * (q1 * q2 + q0 * q3), q0 * q0 - q1 * q1 + q2 * q2 - q3 * q3, 2 * (q2 * q3 - q0 * q1)},
                          {2 * (q1 * q3 - q0 * q2), 2 * (q2 * q3 + q0 * q1), q0 * q0 - q1 * q1 - q2 * q2 + q3 * q3}};
  double sum = 0;
  for (size_t k = 0; k < n; ++k)
    for (int i = 0; i < 3; ++i) {
      double turned = 0;
      for (int j = 0; j < 3; ++j) turned += U[i][j] * (moving[k][j] - cm[j]);
      sum += std::pow(fixed[k][i] - cf[i] - turned, 2);
    }
  return std::sqrt(sum / n);
}

// Single-precision points, as structures hold them, and their double copy.
struct Series
{
  std::vector<CPoint3D> points;
  Points exact() const
  {
    Points p;
    for (const CPoint3D& q : points) p.push_back({q.x, q.y, q.z});
    return p;
  }
};

Series make(size_t n, const std::function<CPoint3D(size_t)>& at)
{
  Series s;
  for (size_t k = 0; k < n; ++k) s.points.push_back(at(k));
  return s;
}

Series turned(const Series& s, float angle, float noise, unsigned seed)
{
  std::mt19937 rng(seed);
  std::normal_distribution<float> d(0.0f, noise);
  Series t = {moved(s.points, some_motion(angle))};
  if (noise > 0)
    for (CPoint3D& p : t.points) p += CPoint3D(d(rng), d(rng), d(rng));
  return t;
}

}  // namespace

TEST(FlatAtoms, KernelMatchesADoublePrecisionSuperposition)
{
  std::mt19937 rng(17);
  std::uniform_real_distribution<float> u(-20.0f, 20.0f);
  Series cloud = make(1464, [&](size_t) { return CPoint3D(u(rng) + 40.0f, u(rng), u(rng) - 9.0f); });
  Series line = make(200, [](size_t k) { return CPoint3D(0.1f * k + 3.0f, 0.2f * k - 1.0f, -0.05f * k); });
  Series plane = make(300, [&](size_t) { float a = u(rng), b = u(rng); return CPoint3D(a + b, a - 2 * b + 5.0f, 7.0f); });
  Series point = make(50, [](size_t) { return CPoint3D(1.5f, -2.0f, 8.0f); });
  Series mirror = cloud;
  for (CPoint3D& p : mirror.points) p.z = -p.z;
  struct Case
  {
    std::string what;
    Series fixed, moving;
    double worked = 0;
  };
  std::vector<Case> cases = {
      {"random clouds", cloud, make(1464, [&](size_t) { return CPoint3D(u(rng), u(rng), u(rng)); })},
      {"rigid copy", cloud, turned(cloud, 2.0f, 0.0f, 1)},
      {"noisy copy", cloud, turned(cloud, -1.1f, 0.3f, 2)},
      {"barely moved copy", cloud, turned(cloud, 0.4f, 0.002f, 3)},
      {"mirror image", cloud, turned(mirror, 0.9f, 0.0f, 4)},
      {"collinear copy", line, turned(line, 1.3f, 0.0f, 5)},
      {"collinear, stretched", line, make(200, [](size_t k) { return CPoint3D(0.3f * k, 0, 0); })},
      {"planar copy", plane, turned(plane, 0.7f, 0.0f, 6)},
      {"planar, noisy", plane, turned(plane, -2.5f, 0.5f, 7)},
      {"coincident", point, turned(point, 1.0f, 0.0f, 8)},
      {"coincident against a cloud", point, make(50, [&](size_t) { return CPoint3D(u(rng), u(rng), u(rng)); })},
      {"three points", make(3, [](size_t k) { return CPoint3D(k, k * k, 1.0f); }),
       make(3, [](size_t k) { return CPoint3D(2.0f * k, 1.0f, -1.0f * k); })},
      // Minima worked out exactly on the coordinates as floats.
      {"CA atoms nearly on a line",
       {{{-93.442f, 58.337f, 9.776f}, {88.152f, -55.029f, -9.224f}, {10.280f, -6.408f, -1.073f}}},
       {{{-93.433f, 58.343f, 9.792f}, {88.153f, -55.025f, -9.235f}, {10.274f, -6.407f, -1.083f}}}, 0.00332486},
      {"CA atoms nearly on a line, noisier",
       {{{-15.119f, 33.381f, 14.531f}, {11.453f, -25.350f, -11.045f}, {14.561f, -32.188f, -14.021f}}},
       {{{-15.436f, 33.281f, 14.642f}, {11.418f, -25.629f, -10.585f}, {14.164f, -32.469f, -13.760f}}}, 0.1734744},
  };
  // A few thousandths off a line some 200 angstroms long, against a turned
  // copy with as little noise.
  for (unsigned seed = 0; seed < 200; ++seed) {
    CPoint3D along(u(rng), u(rng), u(rng));
    Series line = make(3 + seed % 6, [&](size_t) {
      return along * (u(rng) / 3.0f) + CPoint3D(u(rng), u(rng), u(rng)) * (1.5e-4f + seed % 7 * 1.5e-4f);
    });
    cases.push_back({"nearly collinear " + std::to_string(seed), line,
                     turned(line, 0.5f + seed, 1e-3f + seed % 4 * 3e-3f, seed)});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const double expected = reference_rmsd(c.fixed.exact(), c.moving.exact());
    EXPECT_NEAR(expected, c.worked > 0 ? c.worked : expected, 1e-8);
    CFlatAtoms f(c.fixed.points), m(c.moving.points);
    EXPECT_NEAR(tolva::superposed_rmsd(f, m), expected, 1e-4);
    EXPECT_NEAR(tolva::superposed_rmsd(m, f), expected, 1e-4);
    // Aligned and measured on the same atoms by the second road.
    EXPECT_NEAR(tolva::superposed_rmsd(f, m, f, m), expected, 1e-4);
  }
}

TEST(FlatAtoms, EveryKernelVersionGivesTheSameBits)
{
  std::mt19937 rng(23);
  for (size_t n : {1u, 7u, 8u, 9u, 1464u}) {
    CFlatAtoms a(random_points(rng, n, 25.0f)), b(random_points(rng, n, 25.0f));
    double first[9];
    tolva::correlation(a, b, first);
    for (tolva::CorrelationVersion version : tolva::correlation_versions()) {
      double R[9];
      version(a, b, R);
      for (int e = 0; e < 9; ++e) EXPECT_EQ(R[e], first[e]) << n << " atoms, element " << e;
    }
  }
}

TEST(FlatAtoms, KernelMatchesTheReferenceOnRealStructures)
{
  std::vector<std::string> files;
  for (const char* name : {"1_solution_0_rpr.pdb", "1_das_1_rpr.pdb", "1_bujnicki_2_rpr.pdb", "1_chen_1_rpr.pdb"}) {
    std::string path = testing_support::shared_data(std::string("rna-puzzles/rp01/") + name);
    if (path.empty()) GTEST_SKIP() << "shared structures absent";
    files.push_back(path);
  }
  TesselInit();
  std::vector<tolva::CFragHandler> frags;
  for (const std::string& f : files) {
    frags.emplace_back(f.c_str());
    frags.back().Load(false);
  }
  CResIdSet common = frags[0].GetIds();
  for (const tolva::CFragHandler& f : frags) {
    CResIdSet both;
    std::set_intersection(common.begin(), common.end(), f.GetIds().begin(), f.GetIds().end(),
                          std::inserter(both, both.end()));
    common = both;
  }
  std::vector<t_Residue*> types;
  for (const auto& r : frags[0].atoms_of(common)) types.push_back(r.type);
  for (const tolva::CFragHandler& f : frags) {
    std::vector<tolva::CFragHandler::ResidueAtoms> residues = f.atoms_of(common);
    for (size_t k = 0; k < types.size(); ++k) types[k] = tolva::CRmsEngine::GeneralizeBase(types[k], residues[k].type);
  }
  std::vector<Series> series;
  for (tolva::CFragHandler& f : frags) {
    std::vector<float> xyz;
    f.FilterCoordinates(xyz, common, types);
    series.push_back(make(xyz.size() / 3, [&](size_t k) { return CPoint3D(xyz[3 * k], xyz[3 * k + 1], xyz[3 * k + 2]); }));
  }
  ASSERT_GT(series[0].points.size(), 400u);
  for (size_t i = 0; i < series.size(); ++i)
    for (size_t j = i + 1; j < series.size(); ++j)
      EXPECT_NEAR(tolva::superposed_rmsd(CFlatAtoms(series[i].points), CFlatAtoms(series[j].points)),
                  reference_rmsd(series[i].exact(), series[j].exact()), 1e-4)
          << files[i] << " " << files[j];
}
