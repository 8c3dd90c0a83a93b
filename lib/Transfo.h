// A rigid transformation p -> R.p + t, held as the upper three rows of a
// 4x4 homogeneous matrix, row by row, in single precision.
#ifndef TESSEL_TRANSFO_H
#define TESSEL_TRANSFO_H

#include <iosfwd>
#include <utility>

#include "Point3D.h"

class iBinstream;
class oBinstream;

class CTransfo
{
public:
  // The identity.
  CTransfo() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0} {}
  CTransfo(float r11, float r12, float r13, float tx, float r21, float r22, float r23,
           float ty, float r31, float r32, float r33, float tz)
    : m{r11, r12, r13, tx, r21, r22, r23, ty, r31, r32, r33, tz} {}

  void SetAll(float r11, float r12, float r13, float tx, float r21, float r22, float r23,
              float ty, float r31, float r32, float r33, float tz)
  {
    *this = CTransfo(r11, r12, r13, tx, r21, r22, r23, ty, r31, r32, r33, tz);
  }
  void SetIdentity() { *this = CTransfo(); }
  // Exact comparison with the identity, no tolerance.
  bool isIdentity() const;

  // Element k = 4 * row + column (column 3 is the translation); any other
  // index is an internal error.
  float& operator[](unsigned k) { return k < 12 ? m[k] : bad_index(k); }
  float operator[](unsigned k) const { return k < 12 ? m[k] : bad_index(k); }
  float operator()(unsigned row, unsigned column) const
  {
    return row < 3 && column < 4 ? m[4 * row + column] : bad_index(4 * row + column);
  }

  // this x other: other acts first.
  inline CTransfo operator*(const CTransfo& other) const;
  CTransfo& operator*=(const CTransfo& other) { return *this = *this * other; }

  // Replace the whole transformation. The axis is used as given: one whose
  // length is not 1 gives a matrix that is not a rotation.
  CTransfo& SetRotation(const CPoint3D& axis, float angle);
  CTransfo& SetTranslation(const CPoint3D& v)
  {
    *this = CTransfo(1, 0, 0, v.x, 0, 1, 0, v.y, 0, 0, 1, v.z);
    return *this;
  }

  CPoint3D GetTranslation() const { return CPoint3D(m[3], m[7], m[11]); }
  // The unit axis and the angle in [0, pi]; the axis is (0, 0, 0) when the
  // angle is 0 or pi, where it cannot be read off the antisymmetric part.
  std::pair<CPoint3D, float> GetRotation() const;
  // One magnitude for the whole motion: a turn of 30 degrees weighs as much
  // as a shift of one length unit.
  float Strength() const;

  // Rigid inverse, assuming R is a rotation.
  inline CTransfo& Inverse();

  // These compose on the right: the new factor acts first, in the local
  // coordinates of the transformation already held.
  CTransfo& Rotate(const CPoint3D& axis, float angle);
  // this x X(rx) x Y(ry) x Z(rz); a zero angle is skipped.
  CTransfo& Rotate(float rx, float ry, float rz);
  CTransfo& Translate(const CPoint3D& v);

  // True when the three pivots do not span a frame: a pivot not finite, p2
  // on p1, or p3 on the line p1-p2 (within a relative tolerance that keeps
  // the frame's axes accurate in single precision). Callers test this
  // before Align to keep such residues as they are.
  static bool isDegenerate(const CPoint3D& p1, const CPoint3D& p2, const CPoint3D& p3);
  // this := F x this, F the frame of origin p1, first axis the normal of the
  // pivots' plane, second axis towards p2, third axis in the plane on the
  // side of p3. Null or degenerate pivots are an internal error and leave
  // the transformation unchanged.
  CTransfo& Align(const CPoint3D* p1, const CPoint3D* p2, const CPoint3D* p3);
  // Retired: always an internal error.
  [[noreturn]] CTransfo& Referentiel(const CPoint3D*, const CPoint3D*, const CPoint3D*,
                                     const CPoint3D*, const CPoint3D*, const CPoint3D*);

private:
  friend class CPoint3D;
  [[noreturn]] static float& bad_index(unsigned k);

  float m[12];
};

// Four lines "| a  b  c  d |", the last one 0 0 0 1 without a line end.
// Leaves the stream in fixed notation with precision 8.
std::ostream& operator<<(std::ostream& os, const CTransfo& t);
// The 12 elements in index order, 48 bytes.
oBinstream& operator<<(oBinstream& os, const CTransfo& t);
iBinstream& operator>>(iBinstream& is, CTransfo& t);

inline CTransfo CTransfo::operator*(const CTransfo& b) const
{
  const float* a = m;
  const float* o = b.m;
  CTransfo r;
  for (int i = 0; i < 12; i += 4) {
    r.m[i] = (a[i] * o[0] + a[i + 1] * o[4]) + a[i + 2] * o[8];
    r.m[i + 1] = (a[i] * o[1] + a[i + 1] * o[5]) + a[i + 2] * o[9];
    r.m[i + 2] = (a[i] * o[2] + a[i + 1] * o[6]) + a[i + 2] * o[10];
    r.m[i + 3] = ((a[i] * o[3] + a[i + 1] * o[7]) + a[i + 2] * o[11]) + a[i + 3];
  }
  return r;
}

inline CTransfo& CTransfo::Inverse()
{
  float tx = m[3], ty = m[7], tz = m[11];
  *this = CTransfo(m[0], m[4], m[8], -((tx * m[0] + ty * m[4]) + tz * m[8]),
                   m[1], m[5], m[9], -((tx * m[1] + ty * m[5]) + tz * m[9]),
                   m[2], m[6], m[10], -((tx * m[2] + ty * m[6]) + tz * m[10]));
  return *this;
}

inline CPoint3D& CPoint3D::Transform(const CTransfo& t)
{
  const float* m = t.m;
  float nx = ((m[0] * x + m[1] * y) + m[2] * z) + m[3];
  float ny = ((m[4] * x + m[5] * y) + m[6] * z) + m[7];
  float nz = ((m[8] * x + m[9] * y) + m[10] * z) + m[11];
  return SetXYZ(nx, ny, nz);
}

#endif
