#include "Rmsd.h"

#include <cmath>
#include <utility>

#include "AtomType.h"
#include "Exception.h"
#include "Jacobi.h"

namespace {

// R sums double products of double differences, each good to 1e-16 of
// itself: a column of R.V shorter than this fraction of the longest (or the
// longest against E0) is rounding, with no direction of its own.
const double kNegligible = 1e-14;

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

void swap_columns(double* m, int i, int j)
{
  for (int r = 0; r < 3; ++r) std::swap(m[3 * r + i], m[3 * r + j]);
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

// The image b2 of a2, a unit vector orthogonal to b1. When R.a2 is only
// rounding (collinear series) b2 is free: it is made from a2 (or from a3
// when a2 lies nearly along b1), so that a series lying along one line is
// not turned about it for nothing.
void second_axis(const Vec Ra2, const double* V, double len0, const Vec b1, Vec b2)
{
  for (int i = 0; i < 3; ++i) b2[i] = Ra2[i];
  if (orthonormalise(b2, b1) > kNegligible * len0) return;
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

// The singular value decomposition of R, by turning its own columns: the
// right singular vectors a1, a2, a3 (columns of V, a right-handed basis)
// and B = R.V, whose columns R.a_k are orthogonal, by decreasing length
// (the singular values). The eigenvectors of R^T.R would lose the small
// singular values of nearly collinear or flat series under the rounding
// of the square of the large one.
void singular_axes(const double* R, double* V, double* B, double* len)
{
  for (int k = 0; k < 9; ++k) B[k] = R[k];
  int nrot;
  jacobi_svd(B, 3, V, &nrot);
  for (int k = 0; k < 3; ++k) {
    Vec c;
    column(B, k, c);
    len[k] = length(c);
  }
  bool odd = false;
  for (int i = 0; i < 2; ++i) {
    for (int j = i + 1; j < 3; ++j) {
      if (len[i] < len[j]) {
        std::swap(len[i], len[j]);
        swap_columns(V, i, j);
        swap_columns(B, i, j);
        odd = !odd;
      }
    }
  }
  // An odd number of exchanges made V a reflection.
  if (odd)
    for (int r = 0; r < 3; ++r) {
      V[3 * r + 2] = -V[3 * r + 2];
      B[3 * r + 2] = -B[3 * r + 2];
    }
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
  double V[9], B[9], len[3];
  singular_axes(R, V, B, len);
  Vec col[3];
  for (int k = 0; k < 3; ++k) column(B, k, col[k]);

  // fit = trace(U^T.R) for the rotation U returned, and E0 - fit is half its
  // sum of squared residuals: s1 + s2 + sigma s3, the singular values with
  // the handedness sigma on the smallest.
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  for (int k = 0; k < 9; ++k) U[k] = identity[k];
  fit[0] = R[0];
  fit[1] = R[4];
  fit[2] = R[8];
  // Coincident series, or one pair: R vanishes and every rotation is as
  // good; keep the exact identity.
  if (len[0] > kNegligible * E0) {
    Vec b[3];
    for (int i = 0; i < 3; ++i) b[0][i] = col[0][i] / len[0];
    second_axis(col[1], V, len[0], b[0], b[1]);
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
