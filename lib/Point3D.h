// A point or vector in three dimensions, in single precision: the unit of
// every coordinate in the library (atoms derive from it).
#ifndef TESSEL_POINT3D_H
#define TESSEL_POINT3D_H

#include <cmath>
#include <iosfwd>

class CTransfo;
class iBinstream;
class oBinstream;

class CPoint3D
{
public:
  float x, y, z;

  CPoint3D() : x(0), y(0), z(0) {}
  CPoint3D(float nx, float ny, float nz) : x(nx), y(ny), z(nz) {}
  CPoint3D(const CPoint3D&) = default;
  CPoint3D& operator=(const CPoint3D&) = default;
  // Virtual so that atoms can be handled as points.
  virtual ~CPoint3D() = default;

  CPoint3D& SetXYZ(float nx, float ny, float nz) { x = nx; y = ny; z = nz; return *this; }

  // i = 0, 1, 2 for x, y, z; any other index is an internal error.
  float& operator[](unsigned i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : bad_index(i); }
  const float& operator[](unsigned i) const { return const_cast<CPoint3D&>(*this)[i]; }

  CPoint3D operator+(const CPoint3D& o) const { return CPoint3D(x + o.x, y + o.y, z + o.z); }
  CPoint3D operator-(const CPoint3D& o) const { return CPoint3D(x - o.x, y - o.y, z - o.z); }
  CPoint3D operator-() const { return CPoint3D(-x, -y, -z); }
  CPoint3D operator*(float f) const { return CPoint3D(x * f, y * f, z * f); }
  CPoint3D operator/(float f) const { return CPoint3D(x / f, y / f, z / f); }
  CPoint3D& operator+=(const CPoint3D& o) { x += o.x; y += o.y; z += o.z; return *this; }
  CPoint3D& operator-=(const CPoint3D& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
  CPoint3D& operator*=(float f) { x *= f; y *= f; z *= f; return *this; }
  CPoint3D& operator/=(float f) { x /= f; y /= f; z /= f; return *this; }

  // Dot product.
  float operator*(const CPoint3D& o) const { return (x * o.x + y * o.y) + z * o.z; }
  CPoint3D Cross(const CPoint3D& o) const
  {
    return CPoint3D(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
  }

  // Squared distance: what the RMSD sums, with no square root to pay.
  float operator||(const CPoint3D& o) const
  {
    float dx = x - o.x, dy = y - o.y, dz = z - o.z;
    return (dx * dx + dy * dy) + dz * dz;
  }
  // Distance.
  float operator|(const CPoint3D& o) const { return root(*this || o); }
  float Length() const { return root((x * x + y * y) + z * z); }
  // A zero vector gives not-a-number components.
  CPoint3D& Normalize() { return *this /= Length(); }

  // Angle at this point between the directions to a and to b, in [0, pi];
  // 0 when either direction has zero length.
  float Angle(const CPoint3D& a, const CPoint3D& b) const;
  // Dihedral angle of a, this, b, c about the axis this -> b: unsigned in
  // [0, pi], or signed in [-pi, pi]. Not a number when the axis has zero
  // length or an arm lies along it.
  float TorsionAngle(const CPoint3D& a, const CPoint3D& b, const CPoint3D& c) const;
  float TorsionAngleDir(const CPoint3D& a, const CPoint3D& b, const CPoint3D& c) const;

  // Applies the rigid transformation in place (defined with CTransfo).
  inline CPoint3D& Transform(const CTransfo& t);

private:
  // Square roots are taken in double on the widened value.
  static float root(float v) { return static_cast<float>(std::sqrt(static_cast<double>(v))); }
  [[noreturn]] static float& bad_index(unsigned i);
};

// "%10.3f %10.3f %10.3f", no line end.
std::ostream& operator<<(std::ostream& os, const CPoint3D& p);
// Three floats x, y, z; on failure the point keeps its value.
std::istream& operator>>(std::istream& is, CPoint3D& p);
// Three big-endian floats, 12 bytes.
oBinstream& operator<<(oBinstream& os, const CPoint3D& p);
iBinstream& operator>>(iBinstream& is, CPoint3D& p);

#endif

// CPoint3D::Transform needs the whole CTransfo: whoever uses points gets it.
#include "Transfo.h"
