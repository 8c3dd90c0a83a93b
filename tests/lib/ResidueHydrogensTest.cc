#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "CapturedMessages.h"
#include "Residue.h"
#include "ResidueTestSupport.h"

namespace {

using namespace residue_test;
using testing_support::CapturedMessages;

typedef Registry HydrogenTest;
typedef Registry LonePairTest;
typedef std::set<const t_Atom*> TypeSet;

CResidue rA() { return CResidue(r_A, with_O2p(atoms_of(kDA)), CResId(2, 'B')); }
CResidue dA() { return CResidue(r_A, atoms_of(kDA), CResId(2, 'B')); }
CResidue rG() { return CResidue(r_G, with_O2p(atoms_of(kDG)), CResId(5, 'B')); }
CResidue dC() { return CResidue(r_C, atoms_of(kDC), CResId(10, 'B')); }
CResidue dT() { return CResidue(r_T, atoms_of(kDT), CResId(3, 'B')); }
CResidue rU() { return CResidue(r_U, with_O2p(without(atoms_of(kDT), {a_C5M})), CResId(3, 'B')); }

// The types that an operation added to the residue.
template <typename Operation>
TypeSet added_by(CResidue& r, Operation op)
{
  std::vector<const t_Atom*> before = types_of(r);
  op(r);
  TypeSet added;
  for (const t_Atom* t : types_of(r))
    if (std::find(before.begin(), before.end(), t) == before.end()) added.insert(t);
  return added;
}

TypeSet hydrogens_of(CResidue r)
{
  return added_by(r, [](CResidue& x) { x.addHydrogens(); });
}

TypeSet lone_pairs_of(CResidue r)
{
  return added_by(r, [](CResidue& x) { x.addLP(); });
}

TEST_F(HydrogenTest, NucleotidesGainTheirBaseAndSugarHydrogens)
{
  CapturedMessages messages;
  TypeSet sugar = {a_H1p, a_H3p, a_H4p, a_1H5p, a_2H5p, a_HO3p};
  TypeSet ribose = sugar, deoxyribose = sugar;
  ribose.insert({a_H2p, a_HO2p});
  deoxyribose.insert({a_1H2p, a_2H2p});
  auto with = [](TypeSet s, std::initializer_list<const t_Atom*> base) {
    s.insert(base);
    return s;
  };
  EXPECT_EQ(hydrogens_of(rA()), with(ribose, {a_H2, a_H8, a_1H6, a_2H6}));
  EXPECT_EQ(hydrogens_of(dA()), with(deoxyribose, {a_H2, a_H8, a_1H6, a_2H6}));
  EXPECT_EQ(hydrogens_of(rG()), with(ribose, {a_H1, a_H8, a_1H2, a_2H2}));
  EXPECT_EQ(hydrogens_of(dC()), with(deoxyribose, {a_H5, a_H6, a_1H4, a_2H4}));
  EXPECT_EQ(hydrogens_of(rU()), with(ribose, {a_H3, a_H5, a_H6}));
  EXPECT_EQ(hydrogens_of(dT()), with(deoxyribose, {a_H3, a_H6, a_1H5M, a_2H5M, a_3H5M}));
  EXPECT_EQ(messages.text(), "");
}

TEST_F(HydrogenTest, BaseHydrogensLieInThePlaneOnTheOuterBisectors)
{
  CResidue a = rA();
  a.addHydrogens();
  CPoint3D c8 = at(a, a_C8), n7 = at(a, a_N7), n9 = at(a, a_N9), h8 = at(a, a_H8);
  EXPECT_NEAR(distance(h8, c8), 1.08, 1e-5);
  EXPECT_NEAR(angle(n7, c8, h8), angle(n9, c8, h8), 1e-3);
  EXPECT_NEAR(angle(n7, c8, h8) * 2 + angle(n7, c8, n9), 360.0, 1e-3);
  EXPECT_LT(off_plane(h8, n7, c8, n9), 1e-4);
  CPoint3D c2 = at(a, a_C2), h2 = at(a, a_H2);
  EXPECT_NEAR(distance(h2, c2), 1.08, 1e-5);
  EXPECT_NEAR(angle(at(a, a_N1), c2, h2), angle(at(a, a_N3), c2, h2), 1e-3);

  CResidue g = rG();
  g.addHydrogens();
  CPoint3D n1 = at(g, a_N1), h1 = at(g, a_H1);
  EXPECT_NEAR(distance(h1, n1), 1.0, 1e-5);
  EXPECT_NEAR(angle(at(g, a_C2), n1, h1), angle(at(g, a_C6), n1, h1), 1e-3);

  CResidue u = rU();
  u.addHydrogens();
  EXPECT_NEAR(distance(at(u, a_H3), at(u, a_N3)), 1.0, 1e-5);
  EXPECT_NEAR(distance(at(u, a_H5), at(u, a_C5)), 1.08, 1e-5);
  EXPECT_NEAR(distance(at(u, a_H6), at(u, a_C6)), 1.08, 1e-5);
}

// Two amino hydrogens, or two carbonyl lone pairs, 1.0 from N (or O) at 120
// degrees from C and from each other; `near` names the ring neighbour of C
// whose side the first one is on. Their plane holds the C-N bond and is
// square to the ring (the ring plane itself when N lies in it, which real
// bases only nearly do).
void expect_planar_pair(const CResidue& r, const t_Atom* n, const t_Atom* c, const t_Atom* h_near,
                  const t_Atom* h_far, const t_Atom* near, const t_Atom* far)
{
  CPoint3D pn = at(r, n), pc = at(r, c), h1 = at(r, h_near), h2 = at(r, h_far);
  CPoint3D ring_normal = (pc - at(r, near)).Cross(pc - at(r, far));
  CPoint3D across = ring_normal.Cross(pn - pc);
  for (const CPoint3D& h : {h1, h2}) {
    EXPECT_NEAR(distance(h, pn), 1.0, 1e-5);
    EXPECT_NEAR(angle(pc, pn, h), 120.0, 1e-2);
    EXPECT_LT(off_plane(h, pc, pn, pn + across), 1e-4);
  }
  EXPECT_NEAR(angle(h1, pn, h2), 120.0, 1e-2);
  EXPECT_LT(distance(h1, at(r, near)), distance(h1, at(r, far)));
  EXPECT_LT(distance(h2, at(r, far)), distance(h2, at(r, near)));
}

TEST_F(HydrogenTest, AminoHydrogensSitOnTheSidesTheirNamesSay)
{
  CResidue a = rA();
  a.addHydrogens();
  expect_planar_pair(a, a_N6, a_C6, a_1H6, a_2H6, a_N1, a_C5);
  CResidue g = rG();
  g.addHydrogens();
  expect_planar_pair(g, a_N2, a_C2, a_1H2, a_2H2, a_N3, a_N1);
  CResidue c = dC();
  c.addHydrogens();
  expect_planar_pair(c, a_N4, a_C4, a_1H4, a_2H4, a_C5, a_N3);
}

TEST_F(HydrogenTest, MethylHydrogensFanAroundTheBond)
{
  CResidue t = dT();
  t.addHydrogens();
  CPoint3D c5m = at(t, a_C5M), c5 = at(t, a_C5);
  CPoint3D h[3] = {at(t, a_1H5M), at(t, a_2H5M), at(t, a_3H5M)};
  for (const CPoint3D& p : h) {
    EXPECT_NEAR(distance(p, c5m), 1.08, 1e-5);
    EXPECT_NEAR(angle(c5, c5m, p), 110.0, 1e-2);
  }
  // 120 degrees apart about the bond: the three H-H distances are equal.
  float hh = distance(h[0], h[1]);
  EXPECT_NEAR(distance(h[1], h[2]), hh, 1e-4);
  EXPECT_NEAR(distance(h[2], h[0]), hh, 1e-4);
  EXPECT_LT(off_plane(h[0], c5m, c5, at(t, a_C4)), 1e-4);
}

TEST_F(HydrogenTest, SugarHydrogensAtTheirBondLengthsAndAngles)
{
  CResidue a = rA();
  a.addHydrogens();
  CPoint3D c1 = at(a, a_C1p), h1 = at(a, a_H1p);
  EXPECT_NEAR(distance(h1, c1), 1.09, 1e-5);
  // Away from all three heavy neighbours, as a fourth tetrahedral bond.
  for (const t_Atom* n : {a_C2p, a_N9, a_O4p}) EXPECT_GT(angle(at(a, n), c1, h1), 100.0);
  EXPECT_NEAR(distance(at(a, a_H3p), at(a, a_C3p)), 1.09, 1e-5);
  EXPECT_NEAR(distance(at(a, a_H4p), at(a, a_C4p)), 1.09, 1e-5);
  EXPECT_NEAR(distance(at(a, a_H2p), at(a, a_C2p)), 1.09, 1e-5);

  // The two hydrogens of C5' mirror each other through the C4'-C5'-O5' plane.
  CPoint3D c5 = at(a, a_C5p), c4 = at(a, a_C4p), o5 = at(a, a_O5p);
  CPoint3D h5 = at(a, a_1H5p), h5b = at(a, a_2H5p);
  EXPECT_NEAR(distance(h5, c5), 1.09, 1e-5);
  EXPECT_NEAR(distance(h5b, c5), 1.09, 1e-5);
  EXPECT_NEAR(distance(h5, c4), distance(h5b, c4), 1e-4);
  EXPECT_NEAR(distance(h5, o5), distance(h5b, o5), 1e-4);
  EXPECT_GT(distance(h5, h5b), 1.5);

  // Hydroxyl hydrogens at about 109.5 degrees on their oxygens.
  EXPECT_NEAR(distance(at(a, a_HO3p), at(a, a_O3p)), 1.03, 1e-5);
  EXPECT_NEAR(angle(at(a, a_C3p), at(a, a_O3p), at(a, a_HO3p)), 109.5, 0.05);
  EXPECT_NEAR(distance(at(a, a_HO2p), at(a, a_O2p)), 1.03, 1e-5);
  EXPECT_NEAR(angle(at(a, a_C2p), at(a, a_O2p), at(a, a_HO2p)), 109.5, 0.05);

  CResidue d = dA();
  d.addHydrogens();
  EXPECT_NEAR(distance(at(d, a_1H2p), at(d, a_C2p)), 1.09, 1e-5);
  EXPECT_NEAR(distance(at(d, a_1H2p), at(d, a_C1p)), distance(at(d, a_2H2p), at(d, a_C1p)), 1e-4);
}

TEST_F(HydrogenTest, MissingSugarAtomsSkipTheirHydrogensSilently)
{
  CResidue a = rA();
  a.erase(a_O3p);
  CapturedMessages messages;
  TypeSet added = hydrogens_of(a);
  EXPECT_EQ(added.count(a_HO3p), 0u);
  EXPECT_EQ(added.count(a_H3p), 0u);
  EXPECT_EQ(added.count(a_H4p), 1u);
  EXPECT_EQ(messages.text(), "");
}

TEST_F(HydrogenTest, ABaseLackingAnAtomItsHydrogensOrLonePairsNeedIsDemoted)
{
  struct Case
  {
    CResidue (*make)();
    std::vector<const t_Atom*> required;
  };
  const Case cases[] = {
    {rA, {a_C2, a_N1, a_N3, a_C8, a_N7, a_N9, a_C6, a_C5, a_N6, a_C4}},
    {rG, {a_N1, a_C2, a_C6, a_C8, a_N7, a_N9, a_N3, a_N2, a_C4, a_C5, a_O6}},
    {dC, {a_C5, a_C4, a_C6, a_N1, a_N3, a_N4, a_C2, a_O2}},
    {rU, {a_N3, a_C2, a_C4, a_C5, a_C6, a_N1, a_O2, a_O4}},
    {dT, {a_N3, a_C2, a_C4, a_C5, a_C6, a_N1, a_O2, a_O4, a_C5M}},
  };
  for (const Case& c : cases) {
    for (const t_Atom* missing : c.required) {
      CResidue r = c.make();
      std::string name = r.getType()->getName();
      r.erase(missing);
      unsigned n = r.size();
      CapturedMessages messages;
      r.addHydrogens();
      EXPECT_EQ(messages.text(), "Residue " + name + "-" + static_cast<const char*>(r.getResId()) +
                                     " is missing one or more critical atoms.\n")
          << name << " without " << missing->getName();
      EXPECT_TRUE(r.getType()->is_Misc());
      EXPECT_EQ(r.getType()->getName(), name);
      EXPECT_EQ(r.size(), n);  // not even the sugar hydrogens
    }
    // Sugar atoms are not required.
    CResidue r = c.make();
    r.erase(a_O4p);
    r.addHydrogens();
    EXPECT_FALSE(r.getType()->is_Misc());
  }
}

TEST_F(HydrogenTest, OnlyNucleotidesGetHydrogens)
{
  CapturedMessages messages;
  CResidue ala(r_ALA, atoms_of(kALA), CResId(10, 'A'));
  EXPECT_TRUE(hydrogens_of(ala).empty());
  CResidue misc(rt_Misc::findOrCreate("LIG"), atoms_of(kDG), CResId(1));
  EXPECT_TRUE(hydrogens_of(misc).empty());
  CResidue untyped;
  untyped.addHydrogens();
  untyped.addLP();
  EXPECT_TRUE(untyped.empty());
  EXPECT_EQ(messages.text(), "");
}

TEST_F(HydrogenTest, PlacingTwiceReplacesInPlace)
{
  CResidue g = rG();
  g.addHydrogens();
  g.addLP();
  CResidue once(g);
  g.addHydrogens();
  g.addLP();
  ASSERT_EQ(types_of(g), types_of(once));
  for (unsigned k = 0; k < g.size(); ++k) {
    EXPECT_EQ(g.getAtom(k).x, once.getAtom(k).x);
    EXPECT_EQ(g.getAtom(k).z, once.getAtom(k).z);
  }
}

TEST_F(HydrogenTest, AtomsThatCannotBePlacedAreLeftOut)
{
  // C5', C4' and O5' at one place: no C5' hydrogens, nothing not finite.
  std::vector<CAtom> atoms = with_O2p(atoms_of(kDA));
  for (CAtom& a : atoms)
    if (a.getType() == a_C4p || a.getType() == a_O5p) a.SetXYZ(11.61f, 33.14f, 41.82f);
  CResidue r(r_A, atoms, CResId(2, 'B'));
  TypeSet added = added_by(r, [](CResidue& x) {
    x.addHydrogens();
    x.addLP();
  });
  EXPECT_EQ(added.count(a_1H5p), 0u);
  EXPECT_EQ(added.count(a_2H5p), 0u);
  EXPECT_EQ(added.count(a_H8), 1u);
  EXPECT_EQ(added.count(a_LP7), 1u);
  for (AbstractResidue::ResidueConstIterator i = r.begin(); i != r.end(); ++i)
    EXPECT_TRUE(finite(*i)) << i->getType()->getName();
}

TEST_F(LonePairTest, AcceptorsGainTheirLonePairs)
{
  EXPECT_EQ(lone_pairs_of(rA()), TypeSet({a_LP1, a_LP3, a_LP7}));
  EXPECT_EQ(lone_pairs_of(rG()), TypeSet({a_LP3, a_LP7, a_1LP6, a_2LP6}));
  EXPECT_EQ(lone_pairs_of(dC()), TypeSet({a_LP3, a_1LP2, a_2LP2}));
  EXPECT_EQ(lone_pairs_of(rU()), TypeSet({a_1LP2, a_2LP2, a_1LP4, a_2LP4}));
  EXPECT_EQ(lone_pairs_of(dT()), TypeSet({a_1LP2, a_2LP2, a_1LP4, a_2LP4}));
  CResidue ala(r_ALA, atoms_of(kALA), CResId(10, 'A'));
  EXPECT_TRUE(lone_pairs_of(ala).empty());
  CResidue again = rG();
  again.addLP();
  EXPECT_TRUE(lone_pairs_of(again).empty());
  // Ring nitrogens: on the outer bisector, as H8 on C8.
  CResidue a = rA();
  a.addLP();
  EXPECT_NEAR(distance(at(a, a_LP1), at(a, a_N1)), 1.0, 1e-5);
  EXPECT_NEAR(distance(at(a, a_LP3), at(a, a_N3)), 1.0, 1e-5);
  EXPECT_NEAR(distance(at(a, a_LP7), at(a, a_N7)), 1.0, 1e-5);
  EXPECT_NEAR(angle(at(a, a_C5), at(a, a_N7), at(a, a_LP7)),
              angle(at(a, a_C8), at(a, a_N7), at(a, a_LP7)), 1e-3);
}

TEST_F(LonePairTest, CarbonylLonePairsSitOnTheSidesTheirNamesSay)
{
  CResidue g = rG();
  g.addLP();
  expect_planar_pair(g, a_O6, a_C6, a_1LP6, a_2LP6, a_C5, a_N1);
  CResidue c = dC();
  c.addLP();
  expect_planar_pair(c, a_O2, a_C2, a_1LP2, a_2LP2, a_N1, a_N3);
  CResidue u = rU();
  u.addLP();
  expect_planar_pair(u, a_O2, a_C2, a_1LP2, a_2LP2, a_N1, a_N3);
  expect_planar_pair(u, a_O4, a_C4, a_1LP4, a_2LP4, a_C5, a_N3);
}

TEST_F(LonePairTest, RowsWithMissingAtomsAreSkipped)
{
  CResidue g = rG();
  g.erase(a_O6);
  EXPECT_EQ(lone_pairs_of(g), TypeSet({a_LP3, a_LP7}));
  EXPECT_EQ(g.getType(), r_rG);
}

}  // namespace
