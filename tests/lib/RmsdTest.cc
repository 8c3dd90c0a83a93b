#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Exception.h"
#include "Rmsd.h"

namespace {

typedef std::vector<CPoint3D> Points;

// A cloud the size of a small RNA, some 20 angstroms across, away from the origin.
Points cloud(unsigned n, unsigned seed)
{
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> u(-10, 10);
  Points p;
  for (unsigned k = 0; k < n; ++k) p.emplace_back(u(gen) + 30, u(gen) - 12, u(gen) + 5);
  return p;
}

Points moved(Points p, const CTransfo& t)
{
  for (CPoint3D& q : p) q.Transform(t);
  return p;
}

Points jittered(Points p, float amplitude, unsigned seed)
{
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> u(-amplitude, amplitude);
  for (CPoint3D& q : p) q += CPoint3D(u(gen), u(gen), u(gen));
  return p;
}

CTransfo motion(const CPoint3D& axis, float angle, const CPoint3D& shift)
{
  CTransfo t;
  t.SetTranslation(shift);
  t.Rotate(axis / axis.Length(), angle);
  return t;
}

float align(const Points& a, const Points& b, CTransfo* t)
{
  return rmsd_with_align(a.begin(), a.end(), b.begin(), b.end(), t);
}

double determinant(const CTransfo& t)
{
  double m[9];
  for (unsigned i = 0; i < 3; ++i)
    for (unsigned j = 0; j < 3; ++j) m[3 * i + j] = t(i, j);
  return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
         m[2] * (m[3] * m[7] - m[4] * m[6]);
}

void expect_rotation(const CTransfo& t, double tolerance)
{
  for (unsigned i = 0; i < 3; ++i)
    for (unsigned j = 0; j < 3; ++j) {
      double rr = 0;
      for (unsigned k = 0; k < 3; ++k) rr += double(t(k, i)) * t(k, j);
      EXPECT_NEAR(rr, i == j ? 1 : 0, tolerance) << i << "," << j;
    }
  EXPECT_NEAR(determinant(t), 1, tolerance);
}

void expect_same_motion(const CTransfo& got, const CTransfo& want, float rotation_tol,
                        float shift_tol)
{
  for (unsigned i = 0; i < 3; ++i) {
    for (unsigned j = 0; j < 3; ++j) EXPECT_NEAR(got(i, j), want(i, j), rotation_tol) << i << j;
    EXPECT_NEAR(got(i, 3), want(i, 3), shift_tol) << "translation " << i;
  }
}

// RMSD of the pairs as they stand, in double.
double direct_rmsd(const Points& a, const Points& b)
{
  double s = 0;
  for (size_t k = 0; k < a.size(); ++k) {
    double dx = double(a[k].x) - b[k].x, dy = double(a[k].y) - b[k].y, dz = double(a[k].z) - b[k].z;
    s += dx * dx + dy * dy + dz * dz;
  }
  return std::sqrt(s / a.size());
}

// An independent reference: the optimal proper superposition from the
// singular value decomposition of the 3x3 correlation, all in double, by
// one-sided Jacobi rotations of its columns.
struct Reference
{
  double U[9];  // rotation taking the centred first series onto the centred second
  double rmsd;
};

Reference reference_superposition(const Points& x, const Points& y)
{
  size_t n = x.size();
  double cx[3] = {0, 0, 0}, cy[3] = {0, 0, 0};
  for (size_t k = 0; k < n; ++k)
    for (int i = 0; i < 3; ++i) {
      cx[i] += x[k][i];
      cy[i] += y[k][i];
    }
  for (int i = 0; i < 3; ++i) {
    cx[i] /= n;
    cy[i] /= n;
  }
  // H = sum (y - cy)(x - cx)^T; optimum U = W diag(1, 1, det) V^T for H = W S V^T.
  double H[9] = {0};
  for (size_t k = 0; k < n; ++k)
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) H[3 * i + j] += (y[k][i] - cy[i]) * (x[k][j] - cx[j]);
  double A[9], V[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  std::memcpy(A, H, sizeof A);
  for (int sweep = 0; sweep < 60; ++sweep) {
    double worst = 0;
    for (int p = 0; p < 2; ++p)
      for (int q = p + 1; q < 3; ++q) {
        double alpha = 0, beta = 0, gamma = 0;
        for (int i = 0; i < 3; ++i) {
          alpha += A[3 * i + p] * A[3 * i + p];
          beta += A[3 * i + q] * A[3 * i + q];
          gamma += A[3 * i + p] * A[3 * i + q];
        }
        if (gamma == 0) continue;
        worst = std::max(worst, std::fabs(gamma) / std::sqrt(alpha * beta));
        double zeta = (beta - alpha) / (2 * gamma);
        double t = (zeta >= 0 ? 1 : -1) / (std::fabs(zeta) + std::sqrt(1 + zeta * zeta));
        double c = 1 / std::sqrt(1 + t * t), s = c * t;
        for (double* m : {A, V})
          for (int i = 0; i < 3; ++i) {
            double mp = m[3 * i + p], mq = m[3 * i + q];
            m[3 * i + p] = c * mp - s * mq;
            m[3 * i + q] = s * mp + c * mq;
          }
      }
    if (worst < 1e-15) break;
  }
  double sv[3], W[9];
  for (int k = 0; k < 3; ++k) {
    sv[k] = std::sqrt(A[k] * A[k] + A[3 + k] * A[3 + k] + A[6 + k] * A[6 + k]);
    for (int i = 0; i < 3; ++i) W[3 * i + k] = A[3 * i + k] / sv[k];
  }
  auto det = [](const double* m) {
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
           m[2] * (m[3] * m[7] - m[4] * m[6]);
  };
  int smallest = 0;
  for (int k = 1; k < 3; ++k)
    if (sv[k] < sv[smallest]) smallest = k;
  double flip = det(W) * det(V) < 0 ? -1 : 1;
  Reference r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      r.U[3 * i + j] = 0;
      for (int k = 0; k < 3; ++k)
        r.U[3 * i + j] += W[3 * i + k] * (k == smallest ? flip : 1) * V[3 * j + k];
    }
  double s = 0;
  for (size_t k = 0; k < n; ++k)
    for (int i = 0; i < 3; ++i) {
      double ux = 0;
      for (int j = 0; j < 3; ++j) ux += r.U[3 * i + j] * (x[k][j] - cx[j]);
      double d = ux - (y[k][i] - cy[i]);
      s += d * d;
    }
  r.rmsd = std::sqrt(s / n);
  return r;
}

}  // namespace

// The RMSD is the square root of a difference of sums of single-precision
// products: a rigidly moved copy of a cloud 40 angstroms from the origin
// reads as a few 1e-3 at most, never as NaN. An identical copy makes the
// same products on both sides and reads at the rounding of the coordinates.
const float kZeroRmsd = 5e-3f;
const float kIdenticalRmsd = 1e-6f;

TEST(RmsdWithAlign, RecoversAKnownRigidMotion)
{
  Points x = cloud(200, 1);
  CTransfo applied = motion(CPoint3D(1, -2, 0.5f), 2.1f, CPoint3D(-14, 3.5f, 22));
  Points y = moved(x, applied);

  CTransfo t;
  float r = align(x, y, &t);
  EXPECT_FALSE(std::isnan(r));
  EXPECT_LT(r, kZeroRmsd);
  expect_same_motion(t, applied, 2e-6f, 2e-4f);
  expect_rotation(t, 1e-6);
  // The transformation takes the first series onto the second.
  EXPECT_LT(direct_rmsd(moved(x, t), y), 1e-4);
  EXPECT_GT(direct_rmsd(moved(y, t), x), 1);

  // Swapping the series gives the inverse motion.
  CTransfo back;
  align(y, x, &back);
  CTransfo inverse = applied;
  inverse.Inverse();
  expect_same_motion(back, inverse, 2e-6f, 2e-4f);
}

TEST(RmsdWithAlign, IdenticalSeriesGiveZeroNeverNaN)
{
  // Every size from three pairs (always flat) up: copies of one model are
  // the common case, and sqrt of a rounded-negative eigenvalue would be NaN.
  for (unsigned n = 3; n < 60; ++n) {
    for (unsigned seed = 0; seed < 20; ++seed) {
      Points x = cloud(n, 1000 * n + seed);
      CTransfo t;
      float r = align(x, x, &t);
      ASSERT_FALSE(std::isnan(r)) << n << " pairs, seed " << seed;
      EXPECT_LT(r, kIdenticalRmsd) << n << " pairs, seed " << seed;
      expect_same_motion(t, CTransfo(), 1e-6f, 1e-4f);
    }
  }
}

TEST(RmsdWithAlign, FlatSeriesOnThemselvesGiveZero)
{
  // A six-membered ring, flat, far from the origin: one base aligned on itself.
  Points ring;
  for (int k = 0; k < 6; ++k)
    ring.emplace_back(412.5f + 1.39f * std::cos(k * 1.0471976f), -87.25f,
                      133.75f + 1.39f * std::sin(k * 1.0471976f));
  CTransfo t;
  EXPECT_LT(align(ring, ring, &t), kIdenticalRmsd);
  expect_same_motion(t, CTransfo(), 1e-6f, 1e-3f);
  Points three(ring.begin(), ring.begin() + 3);
  EXPECT_LT(align(three, three, &t), kIdenticalRmsd);
  EXPECT_LT(direct_rmsd(moved(three, t), three), 1e-4);
}

TEST(RmsdWithAlign, MirrorImageOfACubeHasTheBestProperRotation)
{
  // Corners against their inversion: no rotation reaches -p, the best is a
  // half-turn; the residual 4 (n.p)^2 summed over the corners is 32, so the
  // RMSD is sqrt(32 / 8) = 2.
  Points x, y;
  for (int k = 0; k < 8; ++k) {
    CPoint3D p(k & 1 ? 1 : -1, k & 2 ? 1 : -1, k & 4 ? 1 : -1);
    x.push_back(p);
    y.push_back(-p);
  }
  CTransfo t;
  EXPECT_EQ(align(x, y, &t), 2.0f);
  expect_rotation(t, 1e-12);
  EXPECT_EQ(((t(0, 0) + t(1, 1)) + t(2, 2)), -1.0f);  // trace of a half-turn
  EXPECT_NEAR(direct_rmsd(moved(x, t), y), 2.0, 1e-6);
}

TEST(RmsdWithAlign, MirrorImageMatchesADoublePrecisionSvd)
{
  Points x = cloud(50, 7);
  Points y = x;
  for (CPoint3D& p : y) p.z = -p.z;
  y = moved(y, motion(CPoint3D(0.3f, 1, -1), 0.9f, CPoint3D(5, 6, -7)));

  Reference ref = reference_superposition(x, y);
  CTransfo t;
  float r = align(x, y, &t);
  EXPECT_NEAR(r, ref.rmsd, 1e-4 * ref.rmsd);
  EXPECT_GT(r, 1);
  expect_rotation(t, 1e-6);
  for (unsigned i = 0; i < 3; ++i)
    for (unsigned j = 0; j < 3; ++j) EXPECT_NEAR(t(i, j), ref.U[3 * i + j], 1e-5);
  EXPECT_NEAR(direct_rmsd(moved(x, t), y), ref.rmsd, 1e-4 * ref.rmsd);
}

TEST(RmsdWithAlign, NoisyCopiesMatchADoublePrecisionSvd)
{
  for (unsigned seed = 1; seed <= 6; ++seed) {
    unsigned n = 10 * seed * seed;
    Points x = cloud(n, seed);
    Points y = moved(jittered(x, 1.5f, seed + 100),
                     motion(CPoint3D(seed, 1, -2), 0.5f * seed, CPoint3D(3, -float(seed), 9)));
    Reference ref = reference_superposition(x, y);
    CTransfo t;
    float r = align(x, y, &t);
    EXPECT_NEAR(r, ref.rmsd, 1e-4 * ref.rmsd) << n;
    for (unsigned i = 0; i < 3; ++i)
      for (unsigned j = 0; j < 3; ++j) EXPECT_NEAR(t(i, j), ref.U[3 * i + j], 2e-6) << n;
    EXPECT_NEAR(direct_rmsd(moved(x, t), y), r, 1e-4 * r) << n;
  }
}

TEST(RmsdWithAlign, NearlyCollinearAndFlatSeriesMatchADoublePrecisionSvd)
{
  // Three CA atoms of two models nearly on a line, with the minima worked out
  // exactly on the coordinates as floats (0.0033234 and 0.1734744 on the
  // decimals as written); then 3 to 8 points some 200 angstroms along a line
  // (odd rows: also across, in a plane), a few thousandths off it, against a
  // turned copy with as little noise, every fifth copy mirrored.
  std::vector<std::pair<Points, Points>> rows = {
      {{{-93.442f, 58.337f, 9.776f}, {88.152f, -55.029f, -9.224f}, {10.280f, -6.408f, -1.073f}},
       {{-93.433f, 58.343f, 9.792f}, {88.153f, -55.025f, -9.235f}, {10.274f, -6.407f, -1.083f}}},
      {{{-15.119f, 33.381f, 14.531f}, {11.453f, -25.350f, -11.045f}, {14.561f, -32.188f, -14.021f}},
       {{-15.436f, 33.281f, 14.642f}, {11.418f, -25.629f, -10.585f}, {14.164f, -32.469f, -13.760f}}}};
  const double worked[] = {0.00332486, 0.1734744};
  for (unsigned seed = 0; seed < 400; ++seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<float> u(-1, 1);
    CPoint3D along(u(gen), u(gen), u(gen)), across(u(gen), u(gen), u(gen));
    Points x;
    for (unsigned k = 0; k < 3 + seed % 6; ++k)
      x.push_back(CPoint3D(30, -12, 5) + along * (120 * u(gen)) + across * (seed % 2 * 60 * u(gen)));
    x = jittered(x, 3e-3f + seed % 7 * 3e-3f, seed);
    Points y = jittered(x, 1e-3f + seed % 4 * 3e-3f, seed + 1);
    for (CPoint3D& p : y) p.z *= seed % 5 ? 1 : -1;
    rows.emplace_back(x, moved(y, motion(CPoint3D(1, seed, 2), 0.5f + seed, CPoint3D(7, -3, 1))));
  }
  for (size_t k = 0; k < rows.size(); ++k) {
    SCOPED_TRACE(k);
    const Points &x = rows[k].first, &y = rows[k].second;
    Reference ref = reference_superposition(x, y);
    EXPECT_NEAR(ref.rmsd, k < 2 ? worked[k] : ref.rmsd, 1e-8);
    CTransfo t;
    EXPECT_NEAR(align(x, y, &t), ref.rmsd, 1e-6);
    expect_rotation(t, 1e-6);
    EXPECT_NEAR(direct_rmsd(moved(x, t), y), ref.rmsd, 2e-5);
  }
}

TEST(RmsdWithAlign, OnlyTheShorterRangeCounts)
{
  Points x = cloud(30, 3);
  CTransfo applied = motion(CPoint3D(0, 0, 1), -1.2f, CPoint3D(1, 2, 3));
  Points y = moved(x, applied);
  y.resize(12);
  // The extra points of the longer series would spoil the fit if read.
  for (unsigned k = 12; k < 30; ++k) x[k] = CPoint3D(1000, -1000, 1000);

  CTransfo t1, t2;
  EXPECT_LT(align(x, y, &t1), kZeroRmsd);
  expect_same_motion(t1, applied, 2e-6f, 2e-4f);
  Points x12(x.begin(), x.begin() + 12);
  EXPECT_EQ(align(x12, y, &t2), align(x, y, nullptr));
  EXPECT_EQ(std::memcmp(&t1, &t2, sizeof t1), 0);
  EXPECT_EQ(align(y, x, nullptr), align(y, x12, &t2));
}

TEST(RmsdWithAlign, DegenerateSeriesGiveFiniteRotations)
{
  CPoint3D shift(4, -5, 6);
  CTransfo applied = motion(CPoint3D(1, 1, 0), 0.7f, shift);

  // All points on one spot, and a single pair: the exact identity rotation.
  Points spot(5, CPoint3D(1.5f, 2.5f, -3)), other(5, CPoint3D(-1, 0, 4));
  CTransfo t;
  EXPECT_EQ(align(spot, spot, &t), 0.0f);
  EXPECT_TRUE(t.isIdentity());
  align(spot, other, &t);
  expect_same_motion(t, CTransfo(1, 0, 0, -2.5f, 0, 1, 0, -2.5f, 0, 0, 1, 7), 0, 0);
  Points one = {CPoint3D(1, 2, 3)}, one_moved = {CPoint3D(1, 2, 3) + shift};
  EXPECT_EQ(align(one, one_moved, &t), 0.0f);
  EXPECT_EQ(moved(one, t)[0] || one_moved[0], 0.0f);

  // Collinear series: the rotation about their line is free, yet finite and proper.
  Points line;
  for (int k = 0; k < 6; ++k) line.emplace_back(2.0f * k, 0, 0);
  Points line_moved = moved(line, applied);
  EXPECT_LT(align(line, line_moved, &t), kZeroRmsd);
  expect_rotation(t, 1e-6);
  EXPECT_LT(direct_rmsd(moved(line, t), line_moved), 1e-4);
  // A line on itself keeps its place: nothing turns it about its axis.
  align(line, line, &t);
  expect_same_motion(t, CTransfo(), 1e-7f, 1e-6f);
  Points diagonal;
  for (int k = 0; k < 6; ++k) diagonal.emplace_back(0.1f * k + 1, 0.1f * k - 2, 0.1f * k);
  align(diagonal, diagonal, &t);
  expect_same_motion(t, CTransfo(), 1e-6f, 1e-5f);

  // Two pairs, and a line against a point cloud.
  Points two(line.begin(), line.begin() + 2), two_moved(line_moved.begin(), line_moved.begin() + 2);
  EXPECT_LT(align(two, two_moved, &t), kZeroRmsd);
  expect_rotation(t, 1e-6);
  Points c = cloud(6, 9);
  float r = align(line, c, &t);
  EXPECT_TRUE(std::isfinite(r));
  expect_rotation(t, 1e-6);
}

namespace {

// An atom-like point: what a residue's atom iterator hands out.
struct TypedPoint : CPoint3D
{
  TypedPoint(const CPoint3D& p, int k) : CPoint3D(p), kind(k) {}
  int kind;
};

}  // namespace

TEST(RmsdWithAlign, AnyElementThatReachesAPointWillDo)
{
  Points x = cloud(25, 11), y = jittered(moved(x, motion(CPoint3D(1, 0, 1), 1, CPoint3D())), 1, 12);
  CTransfo want;
  float r = align(x, y, &want);

  // Plain arrays.
  CPoint3D ax[25], ay[25];
  std::copy(x.begin(), x.end(), ax);
  std::copy(y.begin(), y.end(), ay);
  CTransfo t;
  EXPECT_EQ(rmsd_with_align(ax, ax + 25, ay, ay + 25, &t), r);
  EXPECT_EQ(std::memcmp(&t, &want, sizeof t), 0);

  // Pointers to points, and a mix of series kinds.
  std::vector<const CPoint3D*> px, py;
  for (unsigned k = 0; k < 25; ++k) {
    px.push_back(&x[k]);
    py.push_back(&y[k]);
  }
  EXPECT_EQ(rmsd_with_align(px.begin(), px.end(), ay, ay + 25, &t), r);
  EXPECT_EQ(std::memcmp(&t, &want, sizeof t), 0);

  // Iterators to subclass objects, reached through two dereferences.
  std::vector<TypedPoint> tx, ty;
  for (unsigned k = 0; k < 25; ++k) {
    tx.emplace_back(x[k], k);
    ty.emplace_back(y[k], k);
  }
  std::vector<std::vector<TypedPoint>::iterator> ix, iy;
  for (unsigned k = 0; k < 25; ++k) {
    ix.push_back(tx.begin() + k);
    iy.push_back(ty.begin() + k);
  }
  EXPECT_EQ(rmsd_with_align(ix.begin(), ix.end(), iy.begin(), iy.end(), &t), r);
  EXPECT_EQ(std::memcmp(&t, &want, sizeof t), 0);
  EXPECT_EQ(rmsd_with_align(&ix[0], &ix[0] + 25, &iy[0], &iy[0] + 25, &t), r);

  EXPECT_EQ(rmsd(ix, iy), rmsd(x, y));
  EXPECT_EQ(rmsd(px, ty), rmsd(x, y));
}

TEST(RmsdWithAlign, WorkerThreadsGetTheSerialResults)
{
  const unsigned kStructures = 16;
  std::vector<Points> s;
  for (unsigned k = 0; k < kStructures; ++k)
    s.push_back(jittered(moved(cloud(300, 77), motion(CPoint3D(1, k, 2), 0.1f * k, CPoint3D(k, 0, 0))),
                         0.8f, k));
  auto pair_rmsd = [&](unsigned i, unsigned j, CTransfo* t) { return align(s[i], s[j], t); };

  std::vector<float> serial(kStructures * kStructures);
  std::vector<CTransfo> serial_t(kStructures * kStructures);
  for (unsigned i = 0; i < kStructures; ++i)
    for (unsigned j = 0; j < kStructures; ++j)
      serial[i * kStructures + j] = pair_rmsd(i, j, &serial_t[i * kStructures + j]);

  std::vector<float> threaded(kStructures * kStructures);
  std::vector<CTransfo> threaded_t(kStructures * kStructures);
  std::vector<std::thread> workers;
  for (unsigned w = 0; w < 8; ++w)
    workers.emplace_back([&, w] {
      for (unsigned p = w; p < kStructures * kStructures; p += 8)
        threaded[p] = pair_rmsd(p / kStructures, p % kStructures, &threaded_t[p]);
    });
  for (std::thread& w : workers) w.join();
  for (unsigned p = 0; p < kStructures * kStructures; ++p) {
    EXPECT_EQ(threaded[p], serial[p]) << p;
    EXPECT_EQ(std::memcmp(&threaded_t[p], &serial_t[p], sizeof(CTransfo)), 0) << p;
  }
}

TEST(Rmsd, PlainRmsdOfTwoLists)
{
  // Squared distances 9 and 16: sqrt(25 / 2).
  Points a = {CPoint3D(0, 0, 0), CPoint3D(1, 0, 0)};
  Points b = {CPoint3D(0, 0, 3), CPoint3D(1, 4, 0)};
  EXPECT_FLOAT_EQ(rmsd(a, b), 3.5355339f);
  EXPECT_EQ(rmsd(a, a), 0.0f);
  Points none;
  EXPECT_TRUE(std::isnan(rmsd(none, none)));
  CTransfo t;
  EXPECT_TRUE(std::isnan(align(none, none, &t)));
}

TEST(Rmsd, ListsOfDifferentLengthsAreRefused)
{
  Points a = cloud(5, 1), b = cloud(4, 2);
  try {
    rmsd(a, b);
    FAIL() << "lengths 5 and 4 accepted";
  } catch (const CFatalIntLibException& e) {
    EXPECT_STREQ(e.GetMessage(), "Atom lists of different lengths in rmsd computation: 5 != 4.");
  }
  EXPECT_THROW(rmsd(b, a), CFatalIntLibException);
}
