#include "Jacobi.h"

#include <cmath>
#include <vector>

namespace {

const int kMaxSweeps = 50;
// Orders up to this keep their work vectors on the stack: the superposition
// calls this from every worker thread with n = 3 and must not allocate.
const int kStackOrder = 8;

double off_diagonal_sum(const double* a, int n)
{
  double sm = 0.0;
  for (int p = 0; p < n - 1; ++p)
    for (int q = p + 1; q < n; ++q) sm += std::fabs(a[p * n + q]);
  return sm;
}

// Zeroes a[p][q] by one rotation of the (p, q) plane, updating the rest of
// the upper triangle, the eigenvalue estimates and the eigenvectors.
void rotate_plane(double* a, int n, int p, int q, double g, double* d, double* z, double* v)
{
  double apq = a[p * n + q];
  double h = d[q] - d[p];
  double t;
  if (std::fabs(h) + g == std::fabs(h)) {
    t = apq / h;
  } else {
    double theta = 0.5 * h / apq;
    t = 1.0 / (std::fabs(theta) + std::sqrt(1.0 + theta * theta));
    if (theta < 0.0) t = -t;
  }
  double c = 1.0 / std::sqrt(1 + t * t);
  double s = t * c;
  double tau = s / (1.0 + c);
  h = t * apq;
  z[p] -= h;
  z[q] += h;
  d[p] -= h;
  d[q] += h;
  a[p * n + q] = 0.0;
  for (int j = 0; j < p; ++j) jacobi_rotate(a, j, p, j, q, n, s, tau);
  for (int j = p + 1; j < q; ++j) jacobi_rotate(a, p, j, j, q, n, s, tau);
  for (int j = q + 1; j < n; ++j) jacobi_rotate(a, p, j, q, j, n, s, tau);
  for (int j = 0; j < n; ++j) jacobi_rotate(v, j, p, j, q, n, s, tau);
}

// Columns whose cosine is below this are orthogonal: a few roundings of
// their dot product.
const double kOrthogonal = 1e-15;

void identity(double* v, int n)
{
  for (int p = 0; p < n; ++p)
    for (int q = 0; q < n; ++q) v[p * n + q] = p == q ? 1.0 : 0.0;
}

// Columns p and q of the n x n matrix m turned by the angle of cosine c and
// sine s.
void rotate_columns(double* m, int n, int p, int q, double c, double s)
{
  for (int i = 0; i < n; ++i) {
    double mp = m[i * n + p];
    double mq = m[i * n + q];
    m[i * n + p] = c * mp - s * mq;
    m[i * n + q] = s * mp + c * mq;
  }
}

// Turns columns p and q of b (and of v alike) to make them orthogonal;
// false when they already are, or when either is no longer than `floor`
// squared: a column of rounding only has no direction to keep, and turning
// it would go on for ever.
bool orthogonalise_columns(double* b, int n, int p, int q, double floor, double* v)
{
  double alpha = 0, beta = 0, gamma = 0;
  for (int i = 0; i < n; ++i) {
    alpha += b[i * n + p] * b[i * n + p];
    beta += b[i * n + q] * b[i * n + q];
    gamma += b[i * n + p] * b[i * n + q];
  }
  if (alpha <= floor || beta <= floor) return false;
  // A NaN counts as orthogonal: nothing would converge.
  if (!(std::fabs(gamma) > kOrthogonal * std::sqrt(alpha * beta))) return false;
  // The smaller root of t^2 + 2 zeta t - 1 = 0: the turn of at most 45 degrees.
  double zeta = (beta - alpha) / (2.0 * gamma);
  double t = 1.0 / (std::fabs(zeta) + std::sqrt(1.0 + zeta * zeta));
  if (zeta < 0.0) t = -t;
  double c = 1.0 / std::sqrt(1.0 + t * t);
  rotate_columns(b, n, p, q, c, c * t);
  rotate_columns(v, n, p, q, c, c * t);
  return true;
}

}  // namespace

void jacobi_svd(double* b, int n, double* v, int* nrot)
{
  *nrot = 0;
  identity(v, n);
  double floor = 0;
  for (int k = 0; k < n * n; ++k) floor += b[k] * b[k];
  floor *= kOrthogonal * kOrthogonal;
  for (int sweep = 1; sweep <= kMaxSweeps; ++sweep) {
    bool turned = false;
    for (int p = 0; p < n - 1; ++p) {
      for (int q = p + 1; q < n; ++q) {
        if (orthogonalise_columns(b, n, p, q, floor, v)) {
          turned = true;
          ++*nrot;
        }
      }
    }
    if (!turned) return;
  }
}

void jacobi(double* a, int n, double* d, double* v, int* nrot)
{
  *nrot = 0;
  if (n <= 0) return;

  double stack_work[2 * kStackOrder];
  std::vector<double> heap_work;
  double* b = stack_work;
  if (n > kStackOrder) {
    heap_work.resize(2 * static_cast<unsigned>(n));
    b = heap_work.data();
  }
  double* z = b + n;

  identity(v, n);
  for (int p = 0; p < n; ++p) {
    b[p] = d[p] = a[p * n + p];
    z[p] = 0.0;
  }

  for (int sweep = 1; sweep <= kMaxSweeps; ++sweep) {
    double sm = off_diagonal_sum(a, n);
    if (sm == 0.0) return;
    double tresh = sweep < 4 ? 0.2 * sm / (n * n) : 0.0;
    for (int p = 0; p < n - 1; ++p) {
      for (int q = p + 1; q < n; ++q) {
        double g = 100.0 * std::fabs(a[p * n + q]);
        // Late in the run an element too small to move either diagonal
        // entry is simply dropped.
        if (sweep > 4 && std::fabs(d[p]) + g == std::fabs(d[p]) &&
            std::fabs(d[q]) + g == std::fabs(d[q])) {
          a[p * n + q] = 0.0;
        } else if (std::fabs(a[p * n + q]) > tresh) {
          rotate_plane(a, n, p, q, g, d, z, v);
          ++*nrot;
        }
      }
    }
    // Fold the accumulated updates back in, limiting rounding drift.
    for (int p = 0; p < n; ++p) {
      b[p] += z[p];
      d[p] = b[p];
      z[p] = 0.0;
    }
  }
}
