#include "Transfo.h"

#include <cmath>
#include <ostream>

#include "Binstream.h"
#include "Exception.h"
#include "Numerics.h"

namespace {

// Sine of the angle at p1 below which three pivots count as collinear. Single
// precision coordinates of a few hundred angstroms carry relative errors
// near 1e-5 on bond-length differences; well above that, the frame's normal
// is sound, and no real residue comes anywhere near it.
const float kPivotCollinearity = 1e-4f;

float narrow_cos(float a) { return static_cast<float>(std::cos(static_cast<double>(a))); }
float narrow_sin(float a) { return static_cast<float>(std::sin(static_cast<double>(a))); }

bool finite(const CPoint3D& p)
{
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

}  // namespace

float& CTransfo::bad_index(unsigned k)
{
  CFatalIntLibException e("Invalid transformation index ", __FILE__, __LINE__);
  e << k;
  throw e;
}

bool CTransfo::isIdentity() const
{
  return m[0] == 1 && m[1] == 0 && m[2] == 0 && m[3] == 0 && m[4] == 0 && m[5] == 1 &&
         m[6] == 0 && m[7] == 0 && m[8] == 0 && m[9] == 0 && m[10] == 1 && m[11] == 0;
}

CTransfo& CTransfo::SetRotation(const CPoint3D& axis, float angle)
{
  float c = narrow_cos(angle), s = narrow_sin(angle), k = 1 - c;
  float x = axis.x, y = axis.y, z = axis.z;
  *this = CTransfo((x * x) * k + c, (x * y) * k - s * z, (x * z) * k + s * y, 0,
                   (x * y) * k + s * z, (y * y) * k + c, (y * z) * k - s * x, 0,
                   (x * z) * k - s * y, (y * z) * k + s * x, (z * z) * k + c, 0);
  return *this;
}

std::pair<CPoint3D, float> CTransfo::GetRotation() const
{
  CPoint3D axis(m[9] - m[6], m[2] - m[8], m[4] - m[1]);
  float twice_sine = axis.Length();
  float twice_cosine = ((m[0] + m[5]) + m[10]) - 1;
  float angle = static_cast<float>(
      std::atan2(static_cast<double>(twice_sine), static_cast<double>(twice_cosine)));
  if (twice_sine > 0 && std::isfinite(twice_sine)) axis /= twice_sine;
  else axis = CPoint3D();
  return std::make_pair(axis, angle);
}

float CTransfo::Strength() const
{
  float degrees = RadToDegree(GetRotation().second);
  float shift = GetTranslation().Length();
  float turn = static_cast<float>(static_cast<double>(degrees * degrees) / 900.0);
  return static_cast<float>(std::sqrt(static_cast<double>(shift * shift + turn)));
}

CTransfo& CTransfo::Rotate(const CPoint3D& axis, float angle)
{
  CTransfo r;
  r.SetRotation(axis, angle);
  return *this *= r;
}

CTransfo& CTransfo::Rotate(float rx, float ry, float rz)
{
  if (static_cast<double>(rx) != 0.0) {
    float c = narrow_cos(rx), s = narrow_sin(rx);
    *this *= CTransfo(1, 0, 0, 0, 0, c, -s, 0, 0, s, c, 0);
  }
  if (static_cast<double>(ry) != 0.0) {
    float c = narrow_cos(ry), s = narrow_sin(ry);
    *this *= CTransfo(c, 0, s, 0, 0, 1, 0, 0, -s, 0, c, 0);
  }
  if (static_cast<double>(rz) != 0.0) {
    float c = narrow_cos(rz), s = narrow_sin(rz);
    *this *= CTransfo(c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0);
  }
  return *this;
}

CTransfo& CTransfo::Translate(const CPoint3D& v)
{
  CTransfo shift;
  return *this *= shift.SetTranslation(v);
}

bool CTransfo::isDegenerate(const CPoint3D& p1, const CPoint3D& p2, const CPoint3D& p3)
{
  if (!finite(p1) || !finite(p2) || !finite(p3)) return true;
  // The lengths that Align divides by, computed as Align computes them.
  CPoint3D a = p2 - p1, b = p3 - p1;
  float la = a.Length(), lb = b.Length(), lc = a.Cross(b).Length();
  if (!std::isfinite(la * lb) || !std::isfinite(lc)) return true;
  return !(la > 0) || !(lc > kPivotCollinearity * la * lb);
}

CTransfo& CTransfo::Align(const CPoint3D* p1, const CPoint3D* p2, const CPoint3D* p3)
{
  if (p1 == nullptr || p2 == nullptr || p3 == nullptr) {
    CFatalIntLibException e("Pivot(s) not set.", __FILE__, __LINE__);
    throw e;
  }
  if (isDegenerate(*p1, *p2, *p3)) {
    CFatalIntLibException e("Pivots are coincident or collinear: no frame can be built.",
                            __FILE__, __LINE__);
    throw e;
  }
  CPoint3D a = *p2 - *p1;
  CPoint3D u = a / a.Length();
  CPoint3D w = a.Cross(*p3 - *p1);
  w /= w.Length();
  CPoint3D v = w.Cross(u);
  CTransfo world_to_frame(w.x, w.y, w.z, 0, u.x, u.y, u.z, 0, v.x, v.y, v.z, 0);
  CTransfo to_origin;
  to_origin.SetTranslation(-*p1);
  world_to_frame = world_to_frame * to_origin;
  *this = world_to_frame.Inverse() * *this;
  return *this;
}

CTransfo& CTransfo::Referentiel(const CPoint3D*, const CPoint3D*, const CPoint3D*,
                                const CPoint3D*, const CPoint3D*, const CPoint3D*)
{
  CFatalIntLibException e("CTransfo::Referentiel is a deprecated method.", __FILE__, __LINE__);
  throw e;
}

std::ostream& operator<<(std::ostream& os, const CTransfo& t)
{
  os.precision(8);
  os.flags(os.flags() | std::ios::right);
  os.flags(os.flags() | std::ios::showpoint);
  os.flags(os.flags() | std::ios::fixed);
  os.flags(os.flags() | std::ios::internal);
  for (unsigned row = 0; row < 3; ++row) {
    os << "| ";
    for (unsigned column = 0; column < 4; ++column) {
      if (column > 0) os << "  ";
      os.width(12);
      os << t(row, column);
    }
    os << " |\n";
  }
  const double last[4] = {0.0, 0.0, 0.0, 1.0};
  os << "| ";
  for (unsigned column = 0; column < 4; ++column) {
    if (column > 0) os << "  ";
    os.width(12);
    os << last[column];
  }
  return os << " |";
}

oBinstream& operator<<(oBinstream& os, const CTransfo& t)
{
  for (unsigned k = 0; k < 12; ++k) os << t[k];
  return os;
}

iBinstream& operator>>(iBinstream& is, CTransfo& t)
{
  // Read whole before storing, so a short input leaves the transformation as it was.
  float e[12];
  for (float& v : e) is >> v;
  if (is) t.SetAll(e[0], e[1], e[2], e[3], e[4], e[5], e[6], e[7], e[8], e[9], e[10], e[11]);
  return is;
}
