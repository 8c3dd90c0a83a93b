// Least-squares superposition of two paired point series (Kabsch) and the
// root-mean-square deviation, with and without superposition.
//
// A series is any iterator range whose elements reach a CPoint3D (or a
// class derived from it, such as an atom) through zero or more
// dereferences: arrays and vectors of points, vectors of pointers to
// points, vectors of iterators over a residue's atoms. The k-th point of one
// series is paired with the k-th of the other.
#ifndef TESSEL_RMSD_H
#define TESSEL_RMSD_H

#include <cmath>
#include <cstddef>
#include <type_traits>
#include <vector>

#include "AbstractResidue.h"
#include "Point3D.h"
#include "Transfo.h"

namespace rmsd_detail {

// The point behind a series element, reached by dereferencing until a
// CPoint3D (or subclass) object appears. It must be an object that outlives
// the call, never a temporary or a converted copy.
template <typename T>
inline const CPoint3D& point_of(T&& element)
{
  using Plain = std::remove_cv_t<std::remove_reference_t<T>>;
  if constexpr (std::is_base_of_v<CPoint3D, Plain>) {
    static_assert(std::is_lvalue_reference_v<T>, "a series must hand out its points by reference");
    return element;
  } else {
    return point_of(*element);
  }
}

[[noreturn]] void length_mismatch(std::size_t first, std::size_t second);

inline float root(double v) { return static_cast<float>(std::sqrt(v)); }

}  // namespace rmsd_detail

// The rotation of the least-squares superposition, from the correlation
// matrix R (as below) and E0: U (row-major, double) turns the centred first
// series onto the centred second; fit[0] + fit[1] + fit[2] is trace(U^T.R),
// so that E0 minus the fit is half the sum of squared residuals.
void __superposition_rotation(const double* R, double E0, double* U, double* fit);

// The second half of the superposition, from the centroids c1 and c2, the
// correlation matrix R (row-major, rows the coordinates of the second
// series), E0 and the pair count n. Returns the RMSD and, when t is not
// null, stores in *t the transformation taking the first series onto the
// second. Called by rmsd_with_align only.
float __rmsd_with_align_aux(const CPoint3D& c1, const CPoint3D& c2, const double* R,
                            double E0, int n, CTransfo* t);

// RMSD of the two series after their least-squares superposition. When t
// is not null, *t := the proper rigid motion that carries the first series
// onto the second; nothing is moved. The walk stops at the end of the
// shorter range. Identical, coincident and collinear series give a finite
// RMSD and a rotation; an empty range gives not-a-number.
template <typename It1, typename It2>
float rmsd_with_align(It1 first1, It1 last1, It2 first2, It2 last2, CTransfo* t)
{
  using rmsd_detail::point_of;

  // Centroids, differences and products in double: a product of two floats
  // is exact there, and the sums of single-precision products lose the
  // small singular values of nearly collinear or flat series.
  double c1[3] = {0, 0, 0}, c2[3] = {0, 0, 0};
  int n = 0;
  {
    It1 i = first1;
    It2 j = first2;
    for (; i != last1 && j != last2; ++i, ++j, ++n) {
      const CPoint3D& x = point_of(*i);
      const CPoint3D& y = point_of(*j);
      c1[0] += x.x, c1[1] += x.y, c1[2] += x.z;
      c2[0] += y.x, c2[1] += y.y, c2[2] += y.z;
    }
  }
  for (int k = 0; k < 3; ++k) {
    c1[k] /= n;
    c2[k] /= n;
  }

  // Correlation and E0 in one walk.
  double R[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
  double squares = 0;
  for (; first1 != last1 && first2 != last2; ++first1, ++first2) {
    const CPoint3D& x = point_of(*first1);
    const CPoint3D& y = point_of(*first2);
    const double dx[3] = {x.x - c1[0], x.y - c1[1], x.z - c1[2]};
    const double dy[3] = {y.x - c2[0], y.y - c2[1], y.z - c2[2]};
    // Written out, so that the nine sums stay in registers.
    R[0] += dy[0] * dx[0], R[1] += dy[0] * dx[1], R[2] += dy[0] * dx[2];
    R[3] += dy[1] * dx[0], R[4] += dy[1] * dx[1], R[5] += dy[1] * dx[2];
    R[6] += dy[2] * dx[0], R[7] += dy[2] * dx[1], R[8] += dy[2] * dx[2];
    // One addition to the running sum per pair keeps its chain short.
    squares += ((dx[0] * dx[0] + dx[1] * dx[1]) + dx[2] * dx[2]) +
               ((dy[0] * dy[0] + dy[1] * dy[1]) + dy[2] * dy[2]);
  }
  const CPoint3D centre1(static_cast<float>(c1[0]), static_cast<float>(c1[1]), static_cast<float>(c1[2]));
  const CPoint3D centre2(static_cast<float>(c2[0]), static_cast<float>(c2[1]), static_cast<float>(c2[2]));
  return __rmsd_with_align_aux(centre1, centre2, R, 0.5 * squares, n, t);
}

// RMSD of the two series as they stand. Lists of different lengths are an
// internal error; empty lists give not-a-number.
template <typename T, typename U>
float rmsd(const std::vector<T>& a, const std::vector<U>& b)
{
  using rmsd_detail::point_of;
  if (a.size() != b.size()) rmsd_detail::length_mismatch(a.size(), b.size());
  float sum = 0;
  for (std::size_t k = 0; k < a.size(); ++k) sum += point_of(a[k]) || point_of(b[k]);
  return rmsd_detail::root(static_cast<double>(sum / static_cast<float>(a.size())));
}

// RMSD of the atoms of two residues walked side by side, as they stand.
// Two atoms of different types at one step, or one range ending before the
// other, are internal errors; two empty ranges give not-a-number.
float rmsd(const AbstractResidue::ResidueIterator& begin1,
           const AbstractResidue::ResidueIterator& end1,
           const AbstractResidue::ResidueIterator& begin2,
           const AbstractResidue::ResidueIterator& end2);
float rmsd(const AbstractResidue::ResidueConstIterator& begin1,
           const AbstractResidue::ResidueConstIterator& end1,
           const AbstractResidue::ResidueConstIterator& begin2,
           const AbstractResidue::ResidueConstIterator& end2);

#endif
