#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Jacobi.h"

namespace {

const double kPi = 3.14159265358979323846;

// Checks that column k of v is a unit eigenvector of a0 for d[k] and that
// the columns are orthogonal.
void expect_eigenpairs(const std::vector<double>& a0, int n, const double* d, const double* v,
                       double tolerance)
{
  for (int k = 0; k < n; ++k) {
    for (int r = 0; r < n; ++r) {
      double av = 0;
      for (int c = 0; c < n; ++c) av += a0[r * n + c] * v[c * n + k];
      EXPECT_NEAR(av, d[k] * v[r * n + k], tolerance) << "pair " << k << " row " << r;
    }
    for (int l = 0; l < n; ++l) {
      double vv = 0;
      for (int r = 0; r < n; ++r) vv += v[r * n + k] * v[r * n + l];
      EXPECT_NEAR(vv, k == l ? 1.0 : 0.0, tolerance) << k << "," << l;
    }
  }
}

std::vector<double> sorted(const double* d, int n)
{
  std::vector<double> s(d, d + n);
  std::sort(s.begin(), s.end());
  return s;
}

}  // namespace

TEST(Jacobi, DiagonalMatrixStopsAtOnce)
{
  double a[9] = {3, 0, 0, 0, -1, 0, 0, 0, 7};
  double d[3], v[9];
  int nrot = -1;
  jacobi(a, 3, d, v, &nrot);
  EXPECT_EQ(nrot, 0);
  EXPECT_EQ(d[0], 3);
  EXPECT_EQ(d[1], -1);
  EXPECT_EQ(d[2], 7);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(v[k], k % 4 == 0 ? 1.0 : 0.0);
}

TEST(Jacobi, TwoByTwo)
{
  // [[2, 1], [1, 2]]: eigenvalues 1 and 3, along (1, -1) and (1, 1).
  std::vector<double> a0 = {2, 1, 1, 2};
  std::vector<double> a = a0;
  double d[2], v[4];
  int nrot;
  jacobi(a.data(), 2, d, v, &nrot);
  EXPECT_EQ(nrot, 1);
  std::vector<double> s = sorted(d, 2);
  EXPECT_NEAR(s[0], 1, 1e-15);
  EXPECT_NEAR(s[1], 3, 1e-15);
  expect_eigenpairs(a0, 2, d, v, 1e-15);
  int big = d[0] > d[1] ? 0 : 1;
  EXPECT_NEAR(std::fabs(v[big]), std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(v[big], v[2 + big], 1e-15);
  // Only the element above the diagonal is overwritten.
  EXPECT_EQ(a[0], 2);
  EXPECT_EQ(a[2], 1);
  EXPECT_EQ(a[3], 2);
  EXPECT_EQ(a[1], 0);
}

TEST(Jacobi, TridiagonalSpectrumIsKnownInClosedForm)
{
  // 2 on the diagonal, -1 beside it: eigenvalues 2 - 2 cos(k pi / (n + 1)).
  // Order 12 also takes the work vectors off the stack.
  for (int n : {3, 5, 12}) {
    std::vector<double> a0(n * n, 0.0);
    for (int i = 0; i < n; ++i) {
      a0[i * n + i] = 2;
      if (i + 1 < n) a0[i * n + i + 1] = a0[(i + 1) * n + i] = -1;
    }
    std::vector<double> a = a0, d(n), v(n * n);
    int nrot;
    jacobi(a.data(), n, d.data(), v.data(), &nrot);
    EXPECT_GT(nrot, 0);
    std::vector<double> s = sorted(d.data(), n);
    for (int k = 1; k <= n; ++k)
      EXPECT_NEAR(s[k - 1], 2 - 2 * std::cos(k * kPi / (n + 1)), 1e-13) << n << " " << k;
    expect_eigenpairs(a0, n, d.data(), v.data(), 1e-13);
    for (int i = 0; i < n; ++i)
      for (int j = 0; j <= i; ++j) EXPECT_EQ(a[i * n + j], a0[i * n + j]) << "lower triangle kept";
  }
}

TEST(Jacobi, RotatedDiagonalGivesBackItsSpectrum)
{
  // Q diag(9, 4, 0.25) Q^T with Q a rotation by 0.6 about (1, 2, 2) / 3.
  double x = 1 / 3.0, y = 2 / 3.0, z = 2 / 3.0, c = std::cos(0.6), s = std::sin(0.6), k = 1 - c;
  double q[9] = {k * x * x + c,     k * x * y - s * z, k * x * z + s * y,
                 k * x * y + s * z, k * y * y + c,     k * y * z - s * x,
                 k * x * z - s * y, k * y * z + s * x, k * z * z + c};
  const double lambda[3] = {9, 4, 0.25};
  std::vector<double> a0(9);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int m = 0; m < 3; ++m) a0[3 * i + j] += q[3 * i + m] * lambda[m] * q[3 * j + m];
  std::vector<double> a = a0;
  double d[3], v[9];
  int nrot;
  jacobi(a.data(), 3, d, v, &nrot);
  std::vector<double> sd = sorted(d, 3);
  EXPECT_NEAR(sd[0], 0.25, 1e-14);
  EXPECT_NEAR(sd[1], 4, 1e-14);
  EXPECT_NEAR(sd[2], 9, 1e-14);
  expect_eigenpairs(a0, 3, d, v, 1e-14);
}
