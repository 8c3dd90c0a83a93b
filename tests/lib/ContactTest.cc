#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Algo.h"
#include "CapturedMessages.h"
#include "Model.h"
#include "ResidueTestSupport.h"

namespace {

using namespace residue_test;
using testing_support::CapturedMessages;

typedef Registry ContactTest;
typedef std::vector<std::pair<unsigned, unsigned>> Pairs;

// A residue of no type: its atoms stay where they are given.
AbstractResidue* residue(const CResId& id, const std::vector<CAtom>& atoms)
{
  return new CResidue(nullptr, atoms, id);
}

Pairs positions(Model& m, const std::vector<std::pair<Model::model_iterator, Model::model_iterator>>& contacts)
{
  Pairs p;
  for (const auto& c : contacts) p.emplace_back(c.first - m.begin(), c.second - m.begin());
  return p;
}

// Boxes [0, 1] on every axis, the second moved along one axis so that
// the gap between them is `gap`.
TEST_F(ContactTest, BoxesCloseOnEveryAxis)
{
  for (int axis = 0; axis < 3; ++axis)
    for (float gap : {2.0f, 2.01f}) {
      float shift[3] = {0, 0, 0};
      shift[axis] = 1 + gap;
      Model m;
      m.push_back(residue(CResId(1), {CAtom(0, 0, 0, a_C1p), CAtom(1, 1, 1, a_C2p)}));
      m.push_back(residue(CResId(2), {CAtom(shift[0], shift[1], shift[2], a_C1p),
                                      CAtom(shift[0] + 1, shift[1] + 1, shift[2] + 1, a_C2p)}));
      m.push_back(new CResidue);
      Pairs expected;
      if (gap == 2.0f) expected.emplace_back(0, 1);
      EXPECT_EQ(positions(m, Algo::ExtractContact_AABB(m.begin(), m.end(), 2.0f)), expected)
        << "axis " << axis << " gap " << gap;
    }
}

// Residues of one or a few atoms scattered in a cube, half of them on a
// half-angstrom grid so that boxes often lie exactly 2 apart, with ids
// that repeat, empty residues and one box across the whole cube: the
// sweep finds what testing every pair finds, in the same order, and so
// do the three one-axis sweeps.
TEST_F(ContactTest, SweepEqualsEveryPairTested)
{
  const t_Atom* types[] = {a_C1p, a_C2p, a_C3p, a_C4p, a_O4p, a_N9};
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> coordinate(-20, 20), offset(0, 4);
  std::uniform_int_distribution<int> count(0, 5), number(1, 120), chain(0, 1);
  Model m;
  std::vector<std::pair<CPoint3D, CPoint3D>> boxes;
  for (int k = 0; k < 400; ++k) {
    std::vector<CAtom> atoms;
    CPoint3D lower(FLT_MAX, FLT_MAX, FLT_MAX), upper(-FLT_MAX, -FLT_MAX, -FLT_MAX);
    int n = k == 0 ? 2 : count(random);
    CPoint3D centre(coordinate(random), coordinate(random), coordinate(random));
    for (int a = 0; a < n; ++a) {
      CPoint3D p = k == 0 ? CPoint3D(a == 0 ? -20 : 20, a == 0 ? -20 : 20, a == 0 ? -20 : 20)
                          : centre + CPoint3D(offset(random), offset(random), offset(random));
      if (k % 2 == 0) p = CPoint3D(std::round(p.x * 2) / 2, std::round(p.y * 2) / 2, std::round(p.z * 2) / 2);
      atoms.emplace_back(p.x, p.y, p.z, const_cast<t_Atom*>(types[a]));
      lower = CPoint3D(std::min(lower.x, p.x), std::min(lower.y, p.y), std::min(lower.z, p.z));
      upper = CPoint3D(std::max(upper.x, p.x), std::max(upper.y, p.y), std::max(upper.z, p.z));
    }
    m.push_back(residue(CResId(number(random), chain(random) ? 'A' : 'B'), atoms));
    boxes.emplace_back(lower, upper);
  }
  auto before = [&m](unsigned a, unsigned b) {
    const CResId &x = m[a]->getResId(), &y = m[b]->getResId();
    return x < y || (!(y < x) && a < b);
  };
  auto close = [](float l1, float u1, float l2, float u2) { return l2 - 2 <= u1 && l1 - 2 <= u2; };
  Pairs expected;
  for (unsigned a = 0; a < m.size(); ++a)
    for (unsigned b = a + 1; b < m.size(); ++b) {
      const CPoint3D &l1 = boxes[a].first, &u1 = boxes[a].second, &l2 = boxes[b].first, &u2 = boxes[b].second;
      if (close(l1.x, u1.x, l2.x, u2.x) && close(l1.y, u1.y, l2.y, u2.y) && close(l1.z, u1.z, l2.z, u2.z))
        expected.push_back(before(a, b) ? std::make_pair(a, b) : std::make_pair(b, a));
    }
  std::sort(expected.begin(), expected.end(), [&](const auto& p, const auto& q) {
    return p.first != q.first ? before(p.first, q.first) : before(p.second, q.second);
  });
  ASSERT_GT(expected.size(), 100u);
  EXPECT_EQ(positions(m, Algo::ExtractContact_AABB(m.begin(), m.end(), 2.0f)), expected);

  typedef Algo::ResidueRange<Model::model_iterator> Range;
  Algo::ContactCounts<Model::model_iterator> counts;
  for (int axis = 0; axis < 3; ++axis) {
    std::vector<Range> ranges;
    for (Model::model_iterator r = m.begin(); r != m.end(); ++r) {
      Algo::BoundingBox box = Algo::boundingBox(**r);
      ranges.push_back(Range{{r, r - m.begin()}, box.lower[axis], box.upper[axis]});
    }
    std::sort(ranges.begin(), ranges.end());
    Algo::ExtractContact_OneDim(ranges, counts, 2.0f);
  }
  Pairs three;
  for (const auto& c : counts)
    if (c.second == 3) three.emplace_back(c.first.first.position, c.first.second.position);
  EXPECT_EQ(three, expected);
}

// Heavy atoms closer than 0.8 reject the residue that comes later in id
// order, once however many residues it clashes with.
TEST_F(ContactTest, RemoveClashes)
{
  const CResId a1(1, 'A'), a2(2, 'A'), a3(3, 'A'), a5(5, 'A');
  const struct
  {
    const char* name;
    std::vector<std::pair<CResId, std::vector<CAtom>>> residues;
    std::vector<unsigned> kept;  // positions in the model
    std::string messages;
  } cases[] = {
    {"0.79 apart", {{a2, {CAtom(0.79f, 0, 0, a_N9)}}, {a1, {CAtom(0, 0, 0, a_C1p)}}}, {1},
     "Rejecting A2 because of clashes with A1\n"},
    {"0.8 apart", {{a1, {CAtom(0, 0, 0, a_C1p)}}, {a2, {CAtom(0, 0.8f, 0, a_N9)}}}, {0, 1}, ""},
    {"light atoms",
     {{a1, {CAtom(0, 0, 0, a_C1p), CAtom(0, 0, 5, a_H8)}},
      {a2, {CAtom(0.1f, 0, 0, a_H8), CAtom(0, 0.1f, 0, a_LP1), CAtom(0, 0, 0.1f, a_PSY), CAtom(0, 0, 5.1f, a_N9)}}},
     {0, 1}, ""},
    {"two clashes",
     {{a1, {CAtom(0, 0, 0, a_C1p)}}, {a3, {CAtom(0.5f, 0, 0, a_C1p), CAtom(2.5f, 0, 0, a_N9)}},
      {a2, {CAtom(3, 0, 0, a_C1p)}}},
     {0, 2}, "Rejecting A3 because of clashes with A1\nRejecting A3 because of clashes with A2\n"},
    {"one id twice", {{a5, {CAtom(0, 0, 0, a_C1p)}}, {a5, {CAtom(0, 0, 0.5f, a_C1p)}}}, {0},
     "Rejecting A5 because of clashes with A5\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Model m;
    std::vector<const AbstractResidue*> made;
    for (const auto& r : c.residues) {
      m.push_back(residue(r.first, r.second));
      made.push_back(m[m.size() - 1]);
    }
    CapturedMessages messages;
    gOut->setVerboseLevel(3);
    m.removeClashes();
    EXPECT_EQ(messages.text(), c.messages);
    std::vector<const AbstractResidue*> kept, left(m.begin(), m.end());
    for (unsigned k : c.kept) kept.push_back(made[k]);
    EXPECT_EQ(left, kept);
  }
}

}  // namespace
