// A rigid transformation p -> R.p + t, held as the upper three rows of a
// 4x4 homogeneous matrix, row by row, in single precision.
#ifndef TESSEL_TRANSFO_H
#define TESSEL_TRANSFO_H

#include "Point3D.h"

class CTransfo
{
public:
  // The identity.
  CTransfo() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0} {}
  CTransfo(float r11, float r12, float r13, float tx, float r21, float r22, float r23,
           float ty, float r31, float r32, float r33, float tz)
    : m{r11, r12, r13, tx, r21, r22, r23, ty, r31, r32, r33, tz} {}

  // Element k = 4 * row + column (column 3 is the translation); any other
  // index is an internal error.
  float& operator[](unsigned k) { return k < 12 ? m[k] : bad_index(k); }
  float operator[](unsigned k) const { return k < 12 ? m[k] : bad_index(k); }
  float operator()(unsigned row, unsigned column) const
  {
    return row < 3 && column < 4 ? m[4 * row + column] : bad_index(4 * row + column);
  }

private:
  friend class CPoint3D;
  [[noreturn]] static float& bad_index(unsigned k);

  float m[12];
};

inline CPoint3D& CPoint3D::Transform(const CTransfo& t)
{
  const float* m = t.m;
  float nx = ((m[0] * x + m[1] * y) + m[2] * z) + m[3];
  float ny = ((m[4] * x + m[5] * y) + m[6] * z) + m[7];
  float nz = ((m[8] * x + m[9] * y) + m[10] * z) + m[11];
  return SetXYZ(nx, ny, nz);
}

#endif
