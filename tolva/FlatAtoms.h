// A structure's selected atoms copied once into flat arrays, so that the
// distance matrix of cluster mode superimposes pairs without touching the
// residues, without locks, and from any thread: the RMSD of a pair after
// its least-squares superposition does not depend on where either
// structure stands.
#ifndef TOLVA_FLATATOMS_H
#define TOLVA_FLATATOMS_H

#include <vector>

#include "Point3D.h"

namespace tolva {

class CFlatAtoms
{
public:
  CFlatAtoms() = default;
  // The points in series order. The centroid is formed as the
  // superposition forms it: single-precision sum, then the division.
  explicit CFlatAtoms(const std::vector<CPoint3D>& points);

  size_t size() const { return count; }
  const CPoint3D& centroid() const { return centre; }

  // Coordinates relative to the centroid, one array per axis, padded with
  // zeros to a whole number of vector lanes.
  std::vector<float> x, y, z;
  // The sum of the squared centred coordinates, in double.
  double squares = 0.0;

private:
  size_t count = 0;
  CPoint3D centre;
};

// The RMSD between the rmsd atoms of two structures once the moving one is
// superimposed on the fixed one by least squares on their align atoms: the
// number that aligning the moving structure and then measuring gives.
// Both pairs of series must have equal lengths, the align series at least
// three points, the rmsd series at least one.
float superposed_rmsd(const CFlatAtoms& fixed_align, const CFlatAtoms& moving_align,
                      const CFlatAtoms& fixed_rmsd, const CFlatAtoms& moving_rmsd);

}  // namespace tolva

#endif
