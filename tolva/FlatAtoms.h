// A structure's selected atoms copied once into flat arrays, so that the
// distance matrix, compare and pair modes superimpose two structures
// without touching the residues, without locks, and from any thread: the
// RMSD of a pair after its least-squares superposition does not depend on
// where either structure stands.
#ifndef TOLVA_FLATATOMS_H
#define TOLVA_FLATATOMS_H

#include <cstddef>
#include <vector>

#include "Point3D.h"

namespace tolva {

class CFlatAtoms
{
public:
  // Atoms are taken in blocks of this many: the arrays are padded with
  // zeros, which add nothing to any sum.
  static const size_t kLanes = 8;

  CFlatAtoms() = default;
  // The points in series order, centred on their centroid (formed in
  // double) and kept in single precision.
  explicit CFlatAtoms(const std::vector<CPoint3D>& points);
  // The same from x, y, z triples, in `storage` when it is given (its
  // capacity is reused).
  CFlatAtoms(const float* xyz, size_t count, std::vector<float>&& storage = std::vector<float>());

  size_t size() const { return count; }
  // Padded length of each axis array.
  size_t padded() const { return stride; }
  const double* centroid() const { return centre; }
  // Centred coordinates, one array per axis.
  const float* x() const { return coords.data(); }
  const float* y() const { return coords.data() + stride; }
  const float* z() const { return coords.data() + 2 * stride; }
  // The sum of the squared centred coordinates, in double.
  double squares() const { return sumSquares; }

private:
  size_t count = 0;
  size_t stride = 0;
  std::vector<float> coords;
  double centre[3] = {0, 0, 0};
  double sumSquares = 0;
};

// The correlation of two series of equal length: R[3r + c] is the sum over
// the atoms of fixed coordinate r times moving coordinate c. Single-precision
// products are exact in double, so the sums are those of the exact products,
// taken lane by lane in a fixed order on every processor.
void correlation(const CFlatAtoms& fixed, const CFlatAtoms& moving, double* R);

// Every version of the correlation this processor runs (the widest is the
// one used), each called as correlation is: they agree to the last bit.
typedef void (*CorrelationVersion)(const CFlatAtoms& fixed, const CFlatAtoms& moving, double* R);
std::vector<CorrelationVersion> correlation_versions();

// The largest eigenvalue of the 4x4 key matrix of the superposition built
// from R, by Newton's method on its characteristic polynomial started at
// E0, which bounds it from above. False when that root is not simple
// enough for Newton to pin it to the last digits (collinear or coincident
// series): the caller then takes another road.
bool largest_fit(const double* R, double E0, double* fit);

// The RMSD of two series after the least-squares superposition of the
// moving one on the fixed one, read off the fit. Both series must have
// equal lengths, at least one point.
float superposed_rmsd(const CFlatAtoms& fixed, const CFlatAtoms& moving);

// The RMSD between the rmsd atoms of two structures once the moving one is
// superimposed on the fixed one by least squares on their align atoms.
// Both pairs of series must have equal lengths, the align series at least
// three points, the rmsd series at least one.
float superposed_rmsd(const CFlatAtoms& fixed_align, const CFlatAtoms& moving_align,
                      const CFlatAtoms& fixed_rmsd, const CFlatAtoms& moving_rmsd);

}  // namespace tolva

#endif
