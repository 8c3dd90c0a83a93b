#include <gtest/gtest.h>

#include <algorithm>
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

// No type: the atoms stay where they are given.
AbstractResidue* residue(const CResId& id, const std::vector<CAtom>& atoms) { return new CResidue(nullptr, atoms, id); }

Pairs contacts(Model& m)
{
  Pairs p;
  for (const auto& c : Algo::ExtractContact_AABB(m.begin(), m.end(), 2.0f))
    p.emplace_back(c.first - m.begin(), c.second - m.begin());
  return p;
}

// Boxes [0, 1] on every axis, the second moved along one axis to leave a
// gap; an empty residue beside them.
TEST_F(ContactTest, BoxesTwoApartAreInContact)
{
  for (int axis = 0; axis < 3; ++axis)
    for (float gap : {2.0f, 2.01f}) {
      float s[3] = {0, 0, 0};
      s[axis] = 1 + gap;
      Model m;
      m.push_back(residue(CResId(1), {CAtom(0, 0, 0, a_C1p), CAtom(1, 1, 1, a_C2p)}));
      m.push_back(residue(CResId(2), {CAtom(s[0], s[1], s[2], a_C1p), CAtom(s[0] + 1, s[1] + 1, s[2] + 1, a_C2p)}));
      m.push_back(new CResidue);
      EXPECT_EQ(contacts(m), (gap == 2.0f ? Pairs{{0, 1}} : Pairs{})) << "axis " << axis << " gap " << gap;
    }
}

// A few hundred residues of up to five atoms in a cube, every other one on
// a half-angstrom grid so that boxes often lie exactly 2 apart, ids
// repeated, empty residues, one box across the whole cube: the sweep finds
// what testing every pair finds, in the same order; so do the one-axis
// sweeps counted together.
TEST_F(ContactTest, SweepEqualsEveryPairTested)
{
  t_Atom* const types[] = {a_C1p, a_C2p, a_C3p, a_C4p, a_O4p};
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> coordinate(-20, 20), offset(0, 4);
  std::uniform_int_distribution<int> count(0, 5), number(1, 120);
  Model m;
  for (int k = 0; k < 400; ++k) {
    std::vector<CAtom> atoms;
    CPoint3D centre(coordinate(random), coordinate(random), coordinate(random));
    for (int a = 0, n = k == 0 ? 2 : count(random); a < n; ++a) {
      CPoint3D p = k == 0 ? CPoint3D(1, 1, 1) * (a == 0 ? -20.0f : 20.0f)
                          : centre + CPoint3D(offset(random), offset(random), offset(random));
      if (k % 2 == 0) p = CPoint3D(std::round(p.x * 2) / 2, std::round(p.y * 2) / 2, std::round(p.z * 2) / 2);
      atoms.emplace_back(p.x, p.y, p.z, types[a]);
    }
    m.push_back(residue(CResId(number(random), k % 3 == 0 ? 'A' : 'B'), atoms));
  }
  auto before = [&m](unsigned a, unsigned b) {
    const CResId &x = m[a]->getResId(), &y = m[b]->getResId();
    return x < y || (!(y < x) && a < b);
  };
  Pairs expected;
  for (unsigned a = 0; a < m.size(); ++a)
    for (unsigned b = a + 1; b < m.size(); ++b) {
      Algo::BoundingBox p = Algo::boundingBox(*m[a]), q = Algo::boundingBox(*m[b]);
      bool close = true;
      for (int x = 0; x < 3; ++x) close &= q.lower[x] - 2 <= p.upper[x] && p.lower[x] - 2 <= q.upper[x];
      if (close) expected.push_back(before(a, b) ? std::make_pair(a, b) : std::make_pair(b, a));
    }
  std::sort(expected.begin(), expected.end(), [&](const auto& p, const auto& q) {
    return p.first != q.first ? before(p.first, q.first) : before(p.second, q.second);
  });
  ASSERT_GT(expected.size(), 100u);
  EXPECT_EQ(contacts(m), expected);

  typedef Algo::ResidueRange<Model::model_iterator> Range;
  Algo::ContactCounts<Model::model_iterator> counts;
  for (int x = 0; x < 3; ++x) {
    std::vector<Range> ranges;
    for (Model::model_iterator r = m.begin(); r != m.end(); ++r) {
      Algo::BoundingBox box = Algo::boundingBox(**r);
      ranges.push_back(Range{{r, r - m.begin()}, box.lower[x], box.upper[x]});
    }
    std::sort(ranges.begin(), ranges.end());
    Algo::ExtractContact_OneDim(ranges, counts, 2.0f);
  }
  Pairs three;
  for (const auto& c : counts)
    if (c.second == 3) three.emplace_back(c.first.first.position, c.first.second.position);
  EXPECT_EQ(three, expected);
}

// Heavy atoms closer than 0.8 reject the residue later in id order, once
// however many residues it clashes with.
TEST_F(ContactTest, RemoveClashes)
{
  const CResId a1(1, 'A'), a2(2, 'A'), a3(3, 'A'), a5(5, 'A');
  const CAtom c1(0, 0, 0, a_C1p);
  const struct
  {
    std::vector<std::pair<CResId, std::vector<CAtom>>> residues;
    std::vector<unsigned> kept;
    const char* messages;
  } cases[] = {
    {{{a2, {CAtom(0.79f, 0, 0, a_N9)}}, {a1, {c1}}}, {1}, "Rejecting A2 because of clashes with A1\n"},
    {{{a1, {c1}}, {a2, {CAtom(0, 0.8f, 0, a_N9)}}}, {0, 1}, ""},
    {{{a1, {c1, CAtom(0, 0, 5, a_H8)}},
      {a2, {CAtom(0.1f, 0, 0, a_H8), CAtom(0, 0.1f, 0, a_LP1), CAtom(0, 0, 0.1f, a_PSY), CAtom(0, 0, 5.1f, a_N9)}}},
     {0, 1}, ""},
    {{{a1, {c1}}, {a3, {CAtom(0.5f, 0, 0, a_C1p), CAtom(2.5f, 0, 0, a_N9)}}, {a2, {CAtom(3, 0, 0, a_C1p)}}},
     {0, 2}, "Rejecting A3 because of clashes with A1\nRejecting A3 because of clashes with A2\n"},
    {{{a5, {c1}}, {a5, {CAtom(0, 0, 0.5f, a_C1p)}}}, {0}, "Rejecting A5 because of clashes with A5\n"},
  };
  for (const auto& c : cases) {
    Model m;
    for (const auto& r : c.residues) m.push_back(residue(r.first, r.second));
    std::vector<const AbstractResidue*> made(m.begin(), m.end()), kept;
    for (unsigned k : c.kept) kept.push_back(made[k]);
    CapturedMessages messages;
    gOut->setVerboseLevel(3);
    m.removeClashes();
    EXPECT_EQ(messages.text(), c.messages);
    EXPECT_EQ(std::vector<const AbstractResidue*>(m.begin(), m.end()), kept) << c.messages;
  }
}

// A dense model where many residues clash, hydrogens, lone pairs and
// pseudo-atoms among the atoms, ids out of order and repeated: clash
// removal keeps what testing every pair of atoms of every contact keeps.
TEST_F(ContactTest, RemoveClashesEqualsEveryAtomTested)
{
  t_Atom* const types[] = {a_C1p, a_C2p, a_N9, a_H8, a_LP1, a_PSY};
  std::mt19937 random(2024);
  std::uniform_real_distribution<float> coordinate(-8, 8), offset(-2, 2);
  std::uniform_int_distribution<int> number(1, 60);
  Model m;
  for (int k = 0; k < 300; ++k) {
    std::vector<CAtom> atoms;
    CPoint3D centre(coordinate(random), coordinate(random), coordinate(random));
    for (t_Atom* t : types)
      if (random() % 4 != 0)
        atoms.emplace_back(centre.x + offset(random), centre.y + offset(random), centre.z + offset(random), t);
    m.push_back(residue(CResId(number(random), 'A'), atoms));
  }
  auto heavy = [](const CAtom& a) {
    const t_Atom* t = a.getType();
    return !t->is_Hydrogen() && !t->is_LonePair() && !t->is_Pseudo();
  };
  std::vector<bool> rejected(m.size(), false);
  for (const std::pair<unsigned, unsigned>& c : contacts(m)) {
    bool clash = false;
    for (unsigned p = 0; p < m[c.first]->size(); ++p)
      for (unsigned q = 0; q < m[c.second]->size(); ++q) {
        const CAtom &x = m[c.first]->getAtom(p), &y = m[c.second]->getAtom(q);
        clash |= heavy(x) && heavy(y) && (x | y) < 0.8f;
      }
    if (clash) rejected[c.second] = true;
  }
  std::vector<const AbstractResidue*> kept;
  for (unsigned k = 0; k < m.size(); ++k)
    if (!rejected[k]) kept.push_back(m[k]);
  ASSERT_GT(m.size() - kept.size(), 30u);
  ASSERT_GT(kept.size(), 30u);
  m.removeClashes();
  EXPECT_EQ(std::vector<const AbstractResidue*>(m.begin(), m.end()), kept);
}

}  // namespace
