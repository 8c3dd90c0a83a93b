#include "Rmsd.h"

#include <cmath>
#include <utility>

#include "AtomType.h"
#include "Exception.h"
#include "Jacobi.h"

namespace {

// Below this fraction of the leading singular value (or, for the leading one,
// of E0) a column of R.V is taken as zero. R sums single-precision products,
// each good to 6e-8 of itself: a smaller column has no direction of its own,
// only that of the rounding.
const double kRankTolerance = 1e-6;

typedef double Vec[3];

double dot(const Vec a, const Vec b) { return (a[0] * b[0] + a[1] * b[1]) + a[2] * b[2]; }

void cross(const Vec a, const Vec b, Vec out)
{
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

double length(const Vec a) { return std::sqrt(((0.0 + a[0] * a[0]) + a[1] * a[1]) + a[2] * a[2]); }

void column(const double* m, int k, Vec out)
{
  for (int i = 0; i < 3; ++i) out[i] = m[3 * i + k];
}

void set_column(double* m, int k, const Vec c)
{
  for (int i = 0; i < 3; ++i) m[3 * i + k] = c[i];
}

// c minus its component along the unit vector b1, normalised; the length of
// the residual before normalising is returned.
double orthonormalise(Vec c, const Vec b1)
{
  double along = dot(c, b1);
  for (int i = 0; i < 3; ++i) c[i] -= along * b1[i];
  double l = length(c);
  for (int i = 0; i < 3; ++i) c[i] /= l;
  return l;
}

// Eigenvalues by decreasing size, eigenvector columns exchanged alike; equal
// values keep their order.
void sort_decreasing(double* d, double* V)
{
  for (int i = 0; i < 2; ++i) {
    for (int j = i + 1; j < 3; ++j) {
      if (d[i] < d[j]) {
        std::swap(d[i], d[j]);
        for (int r = 0; r < 3; ++r) std::swap(V[3 * r + i], V[3 * r + j]);
      }
    }
  }
}

// The images b1, b2 of the eigenvectors a1, a2 of R^T.R, as unit vectors
// orthogonal to each other. When R has rank one (collinear series) b2 is
// free: it is made from a2 (or from a3 when a2 lies nearly along b1), so
// that a series lying along one line is not turned about it for nothing.
void second_axis(const double* B, const double* V, double len1, double len0, const Vec b1, Vec b2)
{
  if (len1 > kRankTolerance * len0) {
    column(B, 1, b2);
    if (orthonormalise(b2, b1) > 0.5 * len1) return;
  }
  column(V, 1, b2);
  if (orthonormalise(b2, b1) > 0.5) return;
  column(V, 2, b2);
  orthonormalise(b2, b1);
}

// p -> U.(p - c1) + c2, in single precision.
CTransfo rigid_motion(const double* U, const CPoint3D& c1, const CPoint3D& c2)
{
  float u[9];
  for (int k = 0; k < 9; ++k) u[k] = static_cast<float>(U[k]);
  CTransfo rotation(u[0], u[1], u[2], 0, u[3], u[4], u[5], 0, u[6], u[7], u[8], 0);
  CTransfo to_target, from_origin;
  to_target.SetTranslation(c2);
  from_origin.SetTranslation(-c1);
  return (to_target * rotation) * from_origin;
}

// Eigenvectors a1, a2, a3 of R^T.R (columns of V, by decreasing eigenvalue,
// a3 = a1 x a2 so the basis is right-handed) and B = R.V, whose columns are
// R.a1, R.a2, R.a3.
void principal_axes(const double* R, double* V, double* B)
{
  double A[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      A[3 * i + j] = ((0.0 + R[i] * R[j]) + R[3 + i] * R[3 + j]) + R[6 + i] * R[6 + j];
  double d[3];
  int nrot;
  jacobi(A, 3, d, V, &nrot);
  sort_decreasing(d, V);

  Vec a1, a2, a3;
  column(V, 0, a1);
  column(V, 1, a2);
  cross(a1, a2, a3);
  set_column(V, 2, a3);

  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      B[3 * i + j] = (R[3 * i] * V[j] + R[3 * i + 1] * V[3 + j]) + R[3 * i + 2] * V[6 + j];
}

template <typename Iterator>
float residue_rmsd(Iterator a, const Iterator& end1, Iterator b, const Iterator& end2)
{
  float sum = 0;
  int n = 0;
  for (; a != end1 && b != end2; ++a, ++b, ++n) {
    const t_Atom* ta = a->getType();
    const t_Atom* tb = b->getType();
    if (ta != tb) {
      CFatalIntLibException e("Mismatch atom in rmsd computation ", __FILE__, __LINE__);
      e << (ta != nullptr ? ta->getName() : "(null)") << " != "
        << (tb != nullptr ? tb->getName() : "(null)") << ".";
      throw e;
    }
    sum += *a || *b;
  }
  if (a != end1 || b != end2) {
    CFatalIntLibException e("One residue is missing some atoms", __FILE__, __LINE__);
    throw e;
  }
  return rmsd_detail::root(static_cast<double>(sum / static_cast<float>(n)));
}

}  // namespace

float rmsd(const AbstractResidue::ResidueIterator& begin1,
           const AbstractResidue::ResidueIterator& end1,
           const AbstractResidue::ResidueIterator& begin2,
           const AbstractResidue::ResidueIterator& end2)
{
  return residue_rmsd(begin1, end1, begin2, end2);
}

float rmsd(const AbstractResidue::ResidueConstIterator& begin1,
           const AbstractResidue::ResidueConstIterator& end1,
           const AbstractResidue::ResidueConstIterator& begin2,
           const AbstractResidue::ResidueConstIterator& end2)
{
  return residue_rmsd(begin1, end1, begin2, end2);
}

void rmsd_detail::length_mismatch(std::size_t first, std::size_t second)
{
  CFatalIntLibException e("Atom lists of different lengths in rmsd computation: ", __FILE__,
                          __LINE__);
  e << static_cast<unsigned long>(first) << " != " << static_cast<unsigned long>(second) << ".";
  throw e;
}

void __superposition_rotation(const double* R, double E0, double* U, double* fit)
{
  double V[9], B[9];
  principal_axes(R, V, B);
  Vec col[3];
  for (int k = 0; k < 3; ++k) column(B, k, col[k]);
  double len0 = length(col[0]);

  // fit = trace(U^T.R) for the rotation U returned, and E0 - fit is half its
  // sum of squared residuals. Read off R.a_k, it equals sqrt(d1) + sqrt(d2)
  // + sigma sqrt(d3), d the eigenvalues of R^T.R and sigma the handedness,
  // without their square roots: those lose half the digits of an
  // eigenvalue near zero (flat or identical series), or give NaN for one
  // that rounding put below it.
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  for (int k = 0; k < 9; ++k) U[k] = identity[k];
  fit[0] = R[0];
  fit[1] = R[4];
  fit[2] = R[8];
  // Coincident series, or one pair: R vanishes and every rotation is as
  // good; keep the exact identity.
  if (len0 > kRankTolerance * E0) {
    Vec b[3];
    for (int i = 0; i < 3; ++i) b[0][i] = col[0][i] / len0;
    second_axis(B, V, length(col[1]), len0, b[0], b[1]);
    // b3 = b1 x b2 keeps U proper; mirror-image data shows as a negative fit[2].
    cross(b[0], b[1], b[2]);
    for (int k = 0; k < 3; ++k) {
      set_column(B, k, b[k]);
      fit[k] = dot(col[k], b[k]);
    }
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        U[3 * i + j] =
            (B[3 * i] * V[3 * j] + B[3 * i + 1] * V[3 * j + 1]) + B[3 * i + 2] * V[3 * j + 2];
  }
}

float __rmsd_with_align_aux(const CPoint3D& c1, const CPoint3D& c2, const double* R,
                            double E0, int n, CTransfo* t)
{
  double U[9], fit[3];
  __superposition_rotation(R, E0, U, fit);
  double e = ((E0 - fit[0]) - fit[1]) - fit[2];
  double r = e * 2.0 / static_cast<double>(n);
  if (r < 0) r = 0.0;

  if (t != nullptr) *t = rigid_motion(U, c1, c2);
  return rmsd_detail::root(r);
}
