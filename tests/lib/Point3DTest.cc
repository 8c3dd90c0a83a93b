#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <sstream>
#include <string>
#include <type_traits>

#include "Binstream.h"
#include "Exception.h"
#include "Point3D.h"

namespace {

const float kPiF = 3.1415927f;
const float kHalfPiF = 1.5707964f;

std::string text_of(const CPoint3D& p)
{
  std::ostringstream s;
  s << p;
  return s.str();
}

std::string hex(const std::string& s)
{
  static const char* digits = "0123456789ABCDEF";
  std::string h;
  for (unsigned char c : s) {
    h += digits[c >> 4];
    h += digits[c & 15];
  }
  return h;
}

void expect_point(const CPoint3D& p, float x, float y, float z)
{
  EXPECT_EQ(p.x, x);
  EXPECT_EQ(p.y, y);
  EXPECT_EQ(p.z, z);
}

}  // namespace

TEST(Point3D, IsPolymorphicSoAtomsCanDeriveFromIt)
{
  static_assert(std::has_virtual_destructor<CPoint3D>::value, "atoms are deleted as points");
  expect_point(CPoint3D(), 0, 0, 0);
}

TEST(Point3D, ArithmeticIsComponentWise)
{
  CPoint3D a(1, 2, 3), b(0.5f, -4, 8);
  expect_point(a + b, 1.5f, -2, 11);
  expect_point(a - b, 0.5f, 6, -5);
  expect_point(-a, -1, -2, -3);
  expect_point(a * 2.0f, 2, 4, 6);
  expect_point(b / 2.0f, 0.25f, -2, 4);

  CPoint3D c = a;
  expect_point(c += b, 1.5f, -2, 11);
  expect_point(c -= b, 1, 2, 3);
  expect_point(c *= -1.0f, -1, -2, -3);
  expect_point(c /= 4.0f, -0.25f, -0.5f, -0.75f);
  expect_point(c.SetXYZ(7, 8, 9), 7, 8, 9);
  c = c;
  expect_point(c, 7, 8, 9);
}

TEST(Point3D, DotCrossAndDistances)
{
  CPoint3D a(1, 2, 3), b(4, -5, 6);
  EXPECT_EQ(a * b, 12.0f);  // 4 - 10 + 18
  expect_point(CPoint3D(1, 0, 0).Cross(CPoint3D(0, 1, 0)), 0, 0, 1);
  expect_point(a.Cross(b), 27, 6, -13);  // by hand: (12+15, 12-6, -5-8)

  CPoint3D o, q(1, 2, 2);
  EXPECT_EQ(o || q, 9.0f);
  EXPECT_EQ(o | q, 3.0f);
  EXPECT_EQ(q | o, 3.0f);
  EXPECT_EQ(CPoint3D(3, 4, 12).Length(), 13.0f);

  CPoint3D n(3, 0, 4);
  expect_point(n.Normalize(), 0.6f, 0, 0.8f);
  EXPECT_TRUE(std::isnan(CPoint3D().Normalize().x));
}

TEST(Point3D, IndexReachesEachCoordinateAndRejectsOthers)
{
  CPoint3D p(1, 2, 3);
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[1], 2);
  EXPECT_EQ(p[2], 3);
  p[2] = 5;
  EXPECT_EQ(p.z, 5);
  const CPoint3D& cp = p;
  EXPECT_EQ(cp[2], 5);

  try {
    p[3];
    FAIL() << "index 3 accepted";
  } catch (const CFatalIntLibException& e) {
    EXPECT_STREQ(e.GetMessage(), "Invalid point index3");
    EXPECT_NE(std::string(e.GetFile()).find("Point3D.cc"), std::string::npos);
  }
  EXPECT_THROW(cp[4000000000u], CFatalIntLibException);
}

TEST(Point3D, Angle)
{
  CPoint3D o;
  EXPECT_EQ(o.Angle(CPoint3D(1, 0, 0), CPoint3D(0, 1, 0)), kHalfPiF);
  EXPECT_EQ(o.Angle(o, CPoint3D(0, 1, 0)), 0.0f);
  EXPECT_FLOAT_EQ(o.Angle(CPoint3D(1, 0, 0), CPoint3D(1, 1, 0)), kPiF / 4);
  // Parallel and opposite arms: a float cosine near 1 is only good to about
  // 3e-4 radians after acos, and one that rounds past 1 must not give NaN.
  CPoint3D p(0.1f, 0.7f, 0.3f);
  for (float k : {3.0f, 7.0f, 11.0f, 13.0f, 0.3f}) {
    EXPECT_NEAR(o.Angle(p, p * k), 0.0f, 1e-3) << k;
    EXPECT_NEAR(o.Angle(p, p * -k), kPiF, 1e-3) << k;
  }
  // This pair's float cosine is 1.00000012.
  CPoint3D q(5.67f, 3.68f, 2.11f);
  float k = 11.6945953f;
  EXPECT_EQ(o.Angle(q, q * k), 0.0f);
  EXPECT_EQ(o.Angle(q, q * -k), kPiF);
}

TEST(Point3D, TorsionAngles)
{
  CPoint3D a(1, 0, 0), self, b(0, 0, 1);
  EXPECT_FLOAT_EQ(self.TorsionAngle(a, b, CPoint3D(0, 1, 1)), kHalfPiF);
  EXPECT_FLOAT_EQ(self.TorsionAngleDir(a, b, CPoint3D(0, 1, 1)), kHalfPiF);
  EXPECT_FLOAT_EQ(self.TorsionAngleDir(a, b, CPoint3D(0, -1, 1)), -kHalfPiF);
  EXPECT_FLOAT_EQ(self.TorsionAngle(a, b, CPoint3D(0, -1, 1)), kHalfPiF);

  // Planar: trans gives pi with no sign, cis gives 0.
  EXPECT_EQ(self.TorsionAngle(a, b, CPoint3D(-1, 0, 1)), kPiF);
  EXPECT_EQ(self.TorsionAngleDir(a, b, CPoint3D(-1, 0, 1)), kPiF);
  EXPECT_EQ(self.TorsionAngle(a, b, CPoint3D(1, 0, 1)), 0.0f);
  EXPECT_EQ(self.TorsionAngleDir(a, b, CPoint3D(1, 0, 1)), 0.0f);

  // A gauche dihedral of a known chain: 60 degrees, sign by the right-hand rule.
  float c60 = 0.5f, s60 = std::sqrt(3.0f) / 2;
  EXPECT_NEAR(self.TorsionAngleDir(a, b, CPoint3D(c60, s60, 1)), kPiF / 3, 1e-6);
  EXPECT_NEAR(self.TorsionAngleDir(a, b, CPoint3D(c60, -s60, 1)), -kPiF / 3, 1e-6);
}

TEST(Point3D, TextForm)
{
  std::string t = text_of(CPoint3D(1, -2.5f, 1000));
  EXPECT_EQ(t, "     1.000     -2.500   1000.000");
  EXPECT_EQ(t.size(), 32u);

  CPoint3D p(9, 9, 9);
  std::istringstream in("1.5 -2 3e2 4 x");
  in >> p;
  expect_point(p, 1.5f, -2, 300);
  in >> p;
  EXPECT_TRUE(in.fail());
  expect_point(p, 1.5f, -2, 300);
}

TEST(Point3D, BinaryFormIsTwelveBigEndianBytes)
{
  std::stringbuf buf;
  oBinstream out(&buf);
  out << CPoint3D(1, -2, 0.5f);
  EXPECT_EQ(hex(buf.str()), "3F800000C00000003F000000");

  iBinstream in(&buf);
  CPoint3D p;
  in >> p;
  EXPECT_TRUE(in);
  expect_point(p, 1, -2, 0.5f);

  std::stringbuf cut(std::string("\x3F\x80\x00\x00\x3F\x80", 6));
  iBinstream short_in(&cut);
  CPoint3D q(4, 5, 6);
  short_in >> q;
  EXPECT_TRUE(short_in.fail());
  expect_point(q, 4, 5, 6);
}

TEST(Point3D, TransformAppliesRotationThenTranslation)
{
  // A quarter turn about z followed by a shift (10, 20, 30).
  CTransfo t(0, -1, 0, 10, 1, 0, 0, 20, 0, 0, 1, 30);
  CPoint3D p(1, 2, 3);
  expect_point(p.Transform(t), 8, 21, 33);
  expect_point(p.Transform(CTransfo()), 8, 21, 33);
}
