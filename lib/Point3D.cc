#include "Point3D.h"

#include <cstdio>
#include <istream>
#include <ostream>

#include "Binstream.h"
#include "Exception.h"

namespace {

const float kPiFloat = 3.1415927f;

float arc_cosine(float c) { return static_cast<float>(std::acos(static_cast<double>(c))); }

// The arms u and w with their components along the axis removed, and the
// cosine of the angle between them.
struct Dihedral
{
  CPoint3D axis, u, w;
  float cosine;
};

Dihedral dihedral(const CPoint3D& a, const CPoint3D& self, const CPoint3D& b, const CPoint3D& c)
{
  Dihedral d;
  d.axis = b - self;
  float axis2 = d.axis * d.axis;
  d.u = a - self;
  d.w = c - b;
  d.u = d.u - d.axis * ((d.u * d.axis) / axis2);
  d.w = d.w - d.axis * ((d.w * d.axis) / axis2);
  d.cosine = (d.u * d.w) / (d.u.Length() * d.w.Length());
  return d;
}

}  // namespace

float& CPoint3D::bad_index(unsigned i)
{
  CFatalIntLibException e("Invalid point index", __FILE__, __LINE__);
  e << i;
  throw e;
}

float CPoint3D::Angle(const CPoint3D& a, const CPoint3D& b) const
{
  CPoint3D u = a - *this;
  CPoint3D v = b - *this;
  float p = u.Length() * v.Length();
  if (p == 0) return 0;
  // Rounding can put the cosine of a straight or null angle just past 1.
  float c = (u * v) / p;
  if (c > 1) return 0;
  if (c < -1) return kPiFloat;
  return arc_cosine(c);
}

float CPoint3D::TorsionAngle(const CPoint3D& a, const CPoint3D& b, const CPoint3D& c) const
{
  Dihedral d = dihedral(a, *this, b, c);
  if (d.cosine > 1) return 0;
  if (d.cosine < -1) return kPiFloat;
  return arc_cosine(d.cosine);
}

float CPoint3D::TorsionAngleDir(const CPoint3D& a, const CPoint3D& b, const CPoint3D& c) const
{
  Dihedral d = dihedral(a, *this, b, c);
  if (d.cosine > 1) return 0;
  if (d.cosine < -1) return kPiFloat;
  float angle = arc_cosine(d.cosine);
  return d.u.Cross(d.w) * d.axis < 0 ? -angle : angle;
}

std::ostream& operator<<(std::ostream& os, const CPoint3D& p)
{
  // Wide enough for three fields of the largest float.
  char text[160];
  std::snprintf(text, sizeof text, "%10.3f %10.3f %10.3f", static_cast<double>(p.x),
                static_cast<double>(p.y), static_cast<double>(p.z));
  return os << text;
}

std::istream& operator>>(std::istream& is, CPoint3D& p)
{
  float x, y, z;
  if (is >> x >> y >> z) p.SetXYZ(x, y, z);
  return is;
}

oBinstream& operator<<(oBinstream& os, const CPoint3D& p)
{
  return os << p.x << p.y << p.z;
}

iBinstream& operator>>(iBinstream& is, CPoint3D& p)
{
  float x, y, z;
  is >> x >> y >> z;
  if (is) p.SetXYZ(x, y, z);
  return is;
}
