#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

#include "Binstream.h"
#include "Exception.h"
#include "Transfo.h"

namespace {

const float kPiF = 3.1415927f;

void expect_elements(const CTransfo& t, const float (&want)[12], float tolerance = 0)
{
  for (unsigned k = 0; k < 12; ++k) {
    if (tolerance == 0) EXPECT_EQ(t[k], want[k]) << "element " << k;
    else EXPECT_NEAR(t[k], want[k], tolerance) << "element " << k;
  }
}

void expect_near(const CPoint3D& p, const CPoint3D& q, float tolerance)
{
  EXPECT_NEAR(p.x, q.x, tolerance);
  EXPECT_NEAR(p.y, q.y, tolerance);
  EXPECT_NEAR(p.z, q.z, tolerance);
}

CPoint3D moved(CPoint3D p, const CTransfo& t) { return p.Transform(t); }

// A rigid motion with no special angle: rotation about a skew axis, then a shift.
CTransfo skew_motion()
{
  CTransfo t;
  t.SetRotation(CPoint3D(2, -1, 2) / 3.0f, 0.83f);
  t.Translate(CPoint3D(4.5f, -7.25f, 12));
  return t;
}

std::string text_of(const CTransfo& t)
{
  std::ostringstream s;
  s << t;
  return s.str();
}

}  // namespace

TEST(Transfo, IdentityIsExact)
{
  CTransfo t;
  EXPECT_TRUE(t.isIdentity());
  t[5] = std::nextafter(1.0f, 2.0f);
  EXPECT_FALSE(t.isIdentity());
  t.SetIdentity();
  EXPECT_TRUE(t.isIdentity());
  t[3] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(t.isIdentity());
  t.SetAll(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1e-30f);
  EXPECT_FALSE(t.isIdentity());
}

TEST(Transfo, ElementAccessByIndexAndByRowColumn)
{
  CTransfo t(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
  EXPECT_EQ(t[6], 7);
  EXPECT_EQ(t(1, 2), 7);
  EXPECT_EQ(t(2, 3), 12);
  t[11] = -1;
  EXPECT_EQ(t(2, 3), -1);
  expect_elements(t, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, -1});
  EXPECT_THROW(t[12], CFatalIntLibException);
  EXPECT_THROW(t(3, 0), CFatalIntLibException);
  EXPECT_THROW(t(0, 4), CFatalIntLibException);
}

TEST(Transfo, CompositionAppliesTheRightFactorFirst)
{
  CTransfo quarter(0, -1, 0, 1, 1, 0, 0, 0, 0, 0, 1, 0);  // turn about z, then x += 1
  CTransfo shift;
  shift.SetTranslation(CPoint3D(1, 2, 3));
  // By hand: quarter(shift(p)) has t = Rz (1,2,3) + (1,0,0) = (-1, 1, 3).
  expect_elements(quarter * shift, {0, -1, 0, -1, 1, 0, 0, 1, 0, 0, 1, 3});
  expect_elements(shift * quarter, {0, -1, 0, 2, 1, 0, 0, 2, 0, 0, 1, 3});

  CTransfo a = skew_motion(), b;
  b.SetRotation(CPoint3D(0, 1, 0), -0.4f);
  b.Translate(CPoint3D(-2, 1, 0.5f));
  CPoint3D p(3.5f, -1.25f, 8);
  expect_near(moved(p, a * b), moved(moved(p, b), a), 2e-5f);
  CTransfo c = a;
  c *= b;
  CTransfo ab = a * b;
  EXPECT_EQ(std::memcmp(&c, &ab, sizeof c), 0);
}

TEST(Transfo, SetRotation)
{
  CTransfo t(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
  EXPECT_TRUE(t.SetRotation(CPoint3D(0, 0, 1), 0).isIdentity());
  EXPECT_TRUE(t.SetRotation(CPoint3D(0, 0, 2), 0).isIdentity());
  t.SetRotation(CPoint3D(0, 0, 2), 0.5f);
  EXPECT_GT(std::fabs(t(2, 2) - 1), 0.1f);  // an axis of length 2 gives no rotation

  t.SetRotation(CPoint3D(0, 0, 1), kPiF / 2);
  expect_near(moved(CPoint3D(1, 0, 0), t), CPoint3D(0, 1, 0), 1e-7f);
  // A third of a turn about the main diagonal permutes the axes: x -> y -> z -> x.
  float d = static_cast<float>(1 / std::sqrt(3.0));
  t.SetRotation(CPoint3D(d, d, d), 2 * kPiF / 3);
  expect_elements(t, {0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0}, 1e-6f);
}

TEST(Transfo, TranslationsReplaceOrKeepTheRotation)
{
  CTransfo t;
  t.SetRotation(CPoint3D(1, 0, 0), 0.3f);
  t.SetTranslation(CPoint3D(1, 2, 3));
  expect_elements(t, {1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3});
  EXPECT_EQ(t.GetTranslation().z, 3);

  CTransfo q(0, -1, 0, 1, 1, 0, 0, 0, 0, 0, 1, 0);
  q.Translate(CPoint3D(1, 2, 3));  // t := R v + t = (-2, 1, 3) + (1, 0, 0)
  expect_elements(q, {0, -1, 0, -1, 1, 0, 0, 1, 0, 0, 1, 3});
}

TEST(Transfo, InverseOfAKnownMotion)
{
  // Quarter turn about z, then shift (1, 2, 3): the inverse is Rz^T with
  // t = -Rz^T (1, 2, 3) = (-2, 1, -3), worked by hand; exact in floats.
  CTransfo t(0, -1, 0, 1, 1, 0, 0, 2, 0, 0, 1, 3);
  CTransfo inv = t;
  inv.Inverse();
  expect_elements(inv, {0, 1, 0, -2, -1, 0, 0, 1, 0, 0, 1, -3});
  EXPECT_TRUE((t * inv).isIdentity());
  EXPECT_TRUE((inv * t).isIdentity());

  CTransfo s = skew_motion();
  CTransfo si = s;
  si.Inverse();
  const float identity[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
  expect_elements(s * si, identity, 4e-6f);
  expect_elements(si * s, identity, 4e-6f);
  CTransfo back = si;
  back.Inverse();
  for (unsigned k = 0; k < 12; ++k) EXPECT_NEAR(back[k], s[k], 4e-6f) << k;
}

TEST(Transfo, GetRotationAndStrength)
{
  CTransfo t;
  EXPECT_EQ(t.GetRotation().second, 0.0f);
  EXPECT_EQ(t.Strength(), 0.0f);

  float h = static_cast<float>(1 / std::sqrt(2.0));
  t.SetRotation(CPoint3D(h, h, 0), kPiF);
  EXPECT_NEAR(t.GetRotation().second, kPiF, 1e-6f);

  t.SetRotation(CPoint3D(2, -1, 2) / 3.0f, 0.83f);
  std::pair<CPoint3D, float> r = t.GetRotation();
  EXPECT_NEAR(r.second, 0.83f, 1e-6f);
  expect_near(r.first, CPoint3D(2, -1, 2) / 3.0f, 1e-6f);

  t.SetTranslation(CPoint3D(3, 4, 12));
  EXPECT_EQ(t.Strength(), 13.0f);
  t.SetRotation(CPoint3D(0, 0, 1), kPiF / 6);  // 30 degrees weighs one unit
  EXPECT_NEAR(t.Strength(), 1.0f, 1e-5f);
}

TEST(Transfo, RotateComposesOnTheRight)
{
  CTransfo s = skew_motion();
  s[2] = -0.0f;  // a bit pattern that a recomputation would lose
  CTransfo same = s;
  same.Rotate(0, 0, 0);
  EXPECT_EQ(std::memcmp(&same, &s, sizeof s), 0);
  CTransfo about_unit = s;
  about_unit.Rotate(CPoint3D(0, 1, 0), 0);
  for (unsigned k = 0; k < 12; ++k) EXPECT_EQ(about_unit[k], s[k]) << k;

  const CPoint3D axes[3] = {CPoint3D(1, 0, 0), CPoint3D(0, 1, 0), CPoint3D(0, 0, 1)};
  for (int i = 0; i < 3; ++i) {
    CTransfo by_angles, by_axis;
    by_angles.Rotate(i == 0 ? 0.7f : 0, i == 1 ? 0.7f : 0, i == 2 ? 0.7f : 0);
    by_axis.Rotate(axes[i], 0.7f);
    for (unsigned k = 0; k < 12; ++k) EXPECT_NEAR(by_angles[k], by_axis[k], 1e-7f) << i;
  }

  // Rotate(rx, ry, rz) turns a point about z first, then y, then x, then
  // applies what was held: checked against the factors applied one by one.
  CTransfo t = s;
  t.Rotate(0.3f, -1.1f, 2.0f);
  CTransfo x, y, z;
  x.SetRotation(axes[0], 0.3f);
  y.SetRotation(axes[1], -1.1f);
  z.SetRotation(axes[2], 2.0f);
  CPoint3D p(1.5f, -2, 0.25f);
  expect_near(moved(p, t), moved(moved(moved(moved(p, z), y), x), s), 2e-5f);
}

TEST(Transfo, AlignBuildsTheFrameOfThreePivots)
{
  // p1 at the origin, p2 on +y, p3 in the y-z plane on +z: the identity.
  CPoint3D p1, p2(0, 2, 0), p3(0, 1, 3);
  CTransfo t;
  t.Align(&p1, &p2, &p3);
  const float identity[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
  expect_elements(t, identity, 1e-7f);

  CPoint3D d(5, -3, 2);
  CPoint3D q1 = p1 + d, q2 = p2 + d, q3 = p3 + d;
  t.SetIdentity();
  t.Align(&q1, &q2, &q3);
  expect_elements(t, {1, 0, 0, 5, 0, 1, 0, -3, 0, 0, 1, 2}, 1e-6f);

  // Pivots along x then y: normal z, second axis x, third y. Frame
  // coordinates (q1, q2, q3) land on (q2, q3, q1): an exact permutation.
  CPoint3D r1(5, -3, 2), r2(7, -3, 2), r3(6, 1, 2);
  t.SetIdentity();
  t.Align(&r1, &r2, &r3);
  expect_elements(t, {0, 1, 0, 5, 0, 0, 1, -3, 1, 0, 0, 2});
}

TEST(Transfo, AlignPlacesFrameCoordinatesOnThePivots)
{
  CPoint3D p1(12.1f, -40.5f, 7.3f), p2(13.4f, -39.9f, 6.8f), p3(12.9f, -41.2f, 5.9f);
  CTransfo t;
  t.Align(&p1, &p2, &p3);
  float l12 = p1 | p2;
  expect_near(moved(CPoint3D(0, 0, 0), t), p1, 1e-5f);
  expect_near(moved(CPoint3D(0, l12, 0), t), p2, 2e-5f);
  // p3 in frame coordinates: no normal part, on the positive third axis.
  CTransfo back = t;
  back.Inverse();
  CPoint3D f3 = moved(p3, back);
  EXPECT_NEAR(f3.x, 0, 2e-5f);
  EXPECT_GT(f3.z, 0);
  EXPECT_NEAR(f3.Length(), p1 | p3, 2e-5f);

  // Align acts after the transformation already held.
  CTransfo local = skew_motion(), composed = local;
  composed.Align(&p1, &p2, &p3);
  CPoint3D p(0.3f, 1.2f, -0.7f);
  expect_near(moved(p, composed), moved(moved(p, local), t), 4e-5f);
}

TEST(Transfo, AlignRefusesMissingOrDegeneratePivots)
{
  CPoint3D p1, p2(1, 0, 0), p3(0, 1, 0);
  CTransfo t = skew_motion(), before = t;
  try {
    t.Align(&p1, nullptr, &p3);
    FAIL();
  } catch (const CFatalIntLibException& e) {
    EXPECT_STREQ(e.GetMessage(), "Pivot(s) not set.");
  }

  const float nan = std::numeric_limits<float>::quiet_NaN();
  const CPoint3D cases[][3] = {
    {p1, p1, p3},                                        // p2 on p1
    {p1, p2, p1},                                        // p3 on p1
    {p1, p2, p2},                                        // p3 on p2
    {p1, p2, CPoint3D(-3.5f, 0, 0)},                     // on one line
    {CPoint3D(1, 1, 1), CPoint3D(2, 2, 2), CPoint3D(3.5f, 3.5f, 3.5f)},
    {p1, p2, CPoint3D(nan, 0, 0)},
    {p1, p2, CPoint3D(std::numeric_limits<float>::infinity(), 1, 0)},
    {p1, p2, CPoint3D(0.5f, 1e-6f, 0)},                  // collinear within rounding
    {CPoint3D(1e-25f, 0, 0), CPoint3D(2e-25f, 0, 0), CPoint3D(1e-25f, 1e-25f, 0)},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(CTransfo::isDegenerate(c[0], c[1], c[2])) << c[2];
    try {
      t.Align(&c[0], &c[1], &c[2]);
      FAIL() << "degenerate pivots aligned: " << c[2];
    } catch (const CFatalIntLibException& e) {
      EXPECT_STREQ(e.GetMessage(), "Pivots are coincident or collinear: no frame can be built.");
    }
    EXPECT_EQ(std::memcmp(&t, &before, sizeof t), 0);
  }

  // Real residue geometry, far from the origin, and a sharp but sound angle.
  EXPECT_FALSE(CTransfo::isDegenerate(CPoint3D(812.3f, -95.1f, 431.7f),
                                      CPoint3D(813.7f, -95.4f, 431.9f),
                                      CPoint3D(812.9f, -94.2f, 432.8f)));
  EXPECT_FALSE(CTransfo::isDegenerate(p1, p2, CPoint3D(1, 0.02f, 0)));
  EXPECT_FALSE(CTransfo::isDegenerate(p1, p2, p3));
}

TEST(Transfo, ReferentielIsRetired)
{
  CPoint3D a, b(1, 0, 0), c(0, 1, 0), d(0, 0, 1), e(1, 1, 0), f(0, 1, 1);
  CTransfo t;
  try {
    t.Referentiel(&a, &b, &c, &d, &e, &f);
    FAIL();
  } catch (const CFatalIntLibException& x) {
    EXPECT_STREQ(x.GetMessage(), "CTransfo::Referentiel is a deprecated method.");
  }
  EXPECT_TRUE(t.isIdentity());
}

TEST(Transfo, TextForm)
{
  CTransfo t(1, -0.5f, 0, 12.25f, 0, 1, 0, -3, 0, 0, 1, 100);
  std::ostringstream s;
  s << t;
  EXPECT_EQ(s.str(),
            "|   1.00000000   -0.50000000    0.00000000   12.25000000 |\n"
            "|   0.00000000    1.00000000    0.00000000   -3.00000000 |\n"
            "|   0.00000000    0.00000000    1.00000000  100.00000000 |\n"
            "|   0.00000000    0.00000000    0.00000000    1.00000000 |");
  s << ' ' << 2.5;
  EXPECT_EQ(s.str().substr(s.str().size() - 11), " 2.50000000");
  EXPECT_EQ(s.precision(), 8);
  EXPECT_EQ(text_of(CTransfo()).size(), 3 * 59u + 58);
}

TEST(Transfo, BinaryFormIsFortyEightBytesInIndexOrder)
{
  CTransfo t = skew_motion();
  std::stringbuf buf;
  oBinstream out(&buf);
  out << CTransfo() << t;
  std::string bytes = buf.str();
  ASSERT_EQ(bytes.size(), 96u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x3F\x80\x00\x00\x00\x00\x00\x00", 8));
  EXPECT_EQ(bytes.substr(20, 4), std::string("\x3F\x80\x00\x00", 4));  // element 5

  iBinstream in(&buf);
  CTransfo a(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), b;
  in >> a >> b;
  EXPECT_TRUE(in);
  EXPECT_TRUE(a.isIdentity());
  EXPECT_EQ(std::memcmp(&b, &t, sizeof t), 0);

  std::stringbuf cut(bytes.substr(0, 47));
  iBinstream short_in(&cut);
  CTransfo c = t;
  short_in >> c;
  EXPECT_TRUE(short_in.fail());
  EXPECT_EQ(std::memcmp(&c, &t, sizeof t), 0);
}
