#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "AtomSet.h"
#include "Binstream.h"
#include "CapturedMessages.h"
#include "Exception.h"
#include "Residue.h"
#include "ResidueFactory.h"
#include "ResidueTestSupport.h"

namespace {

using namespace residue_test;
using testing_support::CapturedMessages;

typedef Registry ResidueTest;

// A few units in the last place of coordinates some 40 angstroms from the
// origin, taken into a frame and back.
const float kPlacedTolerance = 2e-5f;

CTransfo motion(const CPoint3D& axis, float angle, const CPoint3D& shift)
{
  CTransfo t;
  t.SetTranslation(shift);
  CPoint3D unit_axis = axis;
  t.Rotate(unit_axis.Normalize(), angle);
  return t;
}

void expect_near(const CPoint3D& a, const CPoint3D& b, float tolerance)
{
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
  EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST_F(ResidueTest, KeepsTheCoordinatesItWasMadeFromInItsOwnFrame)
{
  std::vector<CAtom> atoms = with_O2p(atoms_of(kDG));
  CResidue r(r_G, atoms, CResId(5, 'B'));
  EXPECT_EQ(r.getType(), r_rG);
  EXPECT_FALSE(r.getTransfo().isIdentity());
  for (const CAtom& a : atoms) {
    ASSERT_NE(r.res(a.getType()), nullptr);
    expect_near(*r.res(a.getType()), a, kPlacedTolerance);
    expect_near(r[a.getType()], a, kPlacedTolerance);
  }
  // The frame's origin is N9, its second axis points at PSY.
  expect_near(*r.ref(a_N9), CPoint3D(0, 0, 0), 1e-5f);
  EXPECT_NEAR(r.ref(a_PSY)->x, 0, 1e-5f);
  EXPECT_NEAR(r.ref(a_PSY)->y, 1, 1e-5f);
  EXPECT_NEAR(r.ref(a_PSY)->z, 0, 1e-5f);
  // Non-const and const access see the same placed atoms.
  for (AbstractResidue::ResidueIterator i = r.begin(); i != r.end(); ++i)
    EXPECT_EQ(&*i, &*r.find(i->getType()));
}

TEST_F(ResidueTest, PseudoAtomsFixTheBaseFrame)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  CPoint3D n9 = at(g, a_N9), c8 = at(g, a_C8), c4 = at(g, a_C4);
  CPoint3D psy = at(g, a_PSY), psz = at(g, a_PSZ);
  EXPECT_NEAR(distance(psy, n9), 1.0, 1e-5);
  EXPECT_NEAR(distance(psz, n9), 1.0, 1e-5);
  // PSY halves the C8-N9-C4 angle in the base plane; PSZ is on the normal,
  // on the side of (C4 - N9) x (C8 - N9).
  EXPECT_NEAR(angle(c8, n9, psy), angle(c8, n9, c4) / 2, 1e-3);
  EXPECT_NEAR(angle(c4, n9, psy), angle(c8, n9, c4) / 2, 1e-3);
  EXPECT_LT(off_plane(psy, n9, c8, c4), 1e-4);
  EXPECT_NEAR(angle(psz, n9, c8), 90.0, 1e-3);
  EXPECT_NEAR(angle(psz, n9, c4), 90.0, 1e-3);
  EXPECT_GT((psz - n9) * (c4 - n9).Cross(c8 - n9), 0);

  CResidue c(r_C, atoms_of(kDC), CResId(10, 'B'));
  CPoint3D n1 = at(c, a_N1), c6 = at(c, a_C6), c2 = at(c, a_C2);
  EXPECT_NEAR(angle(c6, n1, at(c, a_PSY)), angle(c6, n1, c2) / 2, 1e-3);
  EXPECT_NEAR(angle(at(c, a_PSZ), n1, c2), 90.0, 1e-3);
  EXPECT_EQ(c.getType(), r_dC);

  CResidue ala(r_ALA, atoms_of(kALA), CResId(10, 'A'));
  CPoint3D ca = at(ala, a_CA), n = at(ala, a_N), cc = at(ala, a_C), psaz = at(ala, a_PSAZ);
  EXPECT_NEAR(distance(psaz, ca), 1.0, 1e-5);
  EXPECT_NEAR(angle(psaz, ca, n), 90.0, 1e-3);
  EXPECT_NEAR(angle(psaz, ca, cc), 90.0, 1e-3);
  EXPECT_GT((psaz - ca) * (cc - ca).Cross(n - ca), 0);
  EXPECT_EQ(ala.getType(), r_ALA);
}

TEST_F(ResidueTest, TheSugarRefinesTheBaseType)
{
  EXPECT_EQ(CResidue(r_G, atoms_of(kDG), CResId()).getType(), r_dG);
  EXPECT_EQ(CResidue(r_A, with_O2p(atoms_of(kDA)), CResId()).getType(), r_rA);
  EXPECT_EQ(CResidue(r_A, atoms_of(kDA), CResId()).getType(), r_dA);
  EXPECT_EQ(CResidue(r_T, atoms_of(kDT), CResId()).getType(), r_dT);
  // No deoxy-uridine, no ribo-thymidine, no refinement without C1', and a
  // concrete type stays as it is.
  std::vector<CAtom> uracil = without(atoms_of(kDT), {a_C5M});
  EXPECT_EQ(CResidue(r_U, uracil, CResId()).getType(), r_U);
  EXPECT_EQ(CResidue(r_U, with_O2p(uracil), CResId()).getType(), r_rU);
  EXPECT_EQ(CResidue(r_T, with_O2p(atoms_of(kDT)), CResId()).getType(), r_T);
  EXPECT_EQ(CResidue(r_G, without(atoms_of(kDG), {a_C1p}), CResId()).getType(), r_G);
  EXPECT_EQ(CResidue(r_rG, atoms_of(kDG), CResId()).getType(), r_rG);
}

TEST_F(ResidueTest, MissingFrameAtomsDemoteToOneMiscTypeOfTheSameName)
{
  CapturedMessages messages;
  CResidue first(r_G, without(atoms_of(kDG), {a_C4}), CResId(5, 'B'));
  EXPECT_EQ(messages.text(), "Residue G-B5 is missing one or more critical atoms.\n");
  ASSERT_TRUE(first.getType()->is_Misc());
  EXPECT_STREQ(first.getType()->getName(), "G");
  EXPECT_TRUE(first.getTransfo().isIdentity());
  EXPECT_EQ(first.ref(a_PSY), nullptr);
  EXPECT_EQ(first.size(), 21u);
  CResidue second(r_G, without(atoms_of(kDG), {a_N9}), CResId(6, 'B'));
  EXPECT_EQ(second.getType(), first.getType());

  messages.clear();
  CResidue ala(r_ALA, without(atoms_of(kALA), {a_C}), CResId(10, 'A'));
  EXPECT_EQ(messages.text(), "Residue ALA-A10 is missing one or more critical atoms.\n");
  EXPECT_STREQ(ala.getType()->getName(), "ALA");
}

TEST_F(ResidueTest, AMiscResidueTakesItsFirstThreeAtomsAsFrame)
{
  t_Residue* hoh = rt_Misc::findOrCreate("HOH");
  std::vector<CAtom> two = {CAtom(1, 2, 3, a_O), CAtom(1.5f, 2, 3, a_H)};
  CResidue water(hoh, two, CResId(1));
  EXPECT_TRUE(water.getTransfo().isIdentity());
  expect_near(*water.ref(a_H), two[1], 0);

  std::vector<CAtom> three = {CAtom(1, 2, 3, a_MG), CAtom(4, 2, 3, a_O), CAtom(1, 5, 3, a_C)};
  CResidue ion(hoh, three, CResId(2));
  EXPECT_FALSE(ion.getTransfo().isIdentity());
  expect_near(*ion.ref(a_MG), CPoint3D(0, 0, 0), 1e-6f);
  for (const CAtom& a : three) expect_near(*ion.res(a.getType()), a, 1e-5f);
}

TEST_F(ResidueTest, DegenerateFrameAtomsLeaveTheResidueAsRead)
{
  // Placeholder coordinates: a base whose frame atoms all sit at the origin.
  std::vector<CAtom> atoms = atoms_of(kDG);
  for (CAtom& a : atoms)
    if (a.getType() == a_N9 || a.getType() == a_C8 || a.getType() == a_C4) a.SetXYZ(0, 0, 0);
  CResidue g(r_G, atoms, CResId(5, 'B'));
  EXPECT_TRUE(g.getTransfo().isIdentity());
  EXPECT_EQ(g.ref(a_PSY), nullptr);
  EXPECT_EQ(g.getType(), r_dG);
  for (const CAtom& a : atoms) expect_near(*g.res(a.getType()), a, 0);
  g.validate();
  g.addHydrogens();
  g.addLP();
  for (AbstractResidue::ResidueConstIterator i = g.begin(); i != g.end(); ++i)
    EXPECT_TRUE(finite(*i)) << i->getType()->getName();

  // A phosphate whose pivots lie on one line.
  std::vector<CAtom> line = {CAtom(0, 0, 0, a_P), CAtom(1, 1, 1, a_O3p), CAtom(2, 2, 2, a_O5p),
                             CAtom(0, 1, 0, a_O1P)};
  CResidue phosphate(r_Phosphate, line, CResId(1));
  EXPECT_TRUE(phosphate.getTransfo().isIdentity());
  for (const CAtom& a : line) expect_near(*phosphate.res(a.getType()), a, 0);

  // Every atom of a misc residue at the same place.
  std::vector<CAtom> heap = {CAtom(3, 3, 3, a_O), CAtom(3, 3, 3, a_C), CAtom(3, 3, 3, a_N)};
  CResidue misc(rt_Misc::findOrCreate("UNK"), heap, CResId(1));
  EXPECT_TRUE(misc.getTransfo().isIdentity());
  EXPECT_TRUE(finite(*misc.res(a_N)));
}

TEST_F(ResidueTest, TheFirstAtomOfATypeWins)
{
  std::vector<CAtom> atoms = atoms_of(kDG);
  atoms.emplace_back(0, 0, 0, a_C1p);
  atoms.emplace_back(0, 0, 0, nullptr);  // untyped: no atom of the residue
  CapturedMessages messages;
  CResidue g(r_G, atoms, CResId(5, 'B'));
  EXPECT_EQ(messages.text(), "CResidue: Duplicated atom [C1*] in residue B5.\n");
  EXPECT_EQ(g.size(), 24u);
  expect_near(at(g, a_C1p), CPoint3D(24.110f, 23.690f, 36.370f), kPlacedTolerance);
}

TEST_F(ResidueTest, IndexingAMissingTypeAddsATypedAtomAtTheOrigin)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  unsigned n = g.size();
  CAtom& added = g[a_H8];
  EXPECT_EQ(g.size(), n + 1);
  EXPECT_EQ(added.getType(), a_H8);
  expect_near(added, CPoint3D(0, 0, 0), 1e-5f);
  expect_near(at(g, a_H8), CPoint3D(0, 0, 0), 1e-5f);
  EXPECT_EQ(&g[a_H8], &added);
  EXPECT_EQ(g.size(), n + 1);
  EXPECT_THROW(g[nullptr], CFatalIntLibException);

  const CResidue& view = g;
  EXPECT_EQ(view[a_C8].getType(), a_C8);
  EXPECT_THROW(view[a_CA], CFatalIntLibException);
}

TEST_F(ResidueTest, InsertTakesPlacedCoordinatesAndInsertLocalFrameOnes)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  g.insert(CAtom(1, 2, 3, a_H8));
  expect_near(at(g, a_H8), CPoint3D(1, 2, 3), 0);
  CPoint3D local = *g.ref(a_H8);
  expect_near(local.Transform(g.getTransfo()), CPoint3D(1, 2, 3), 1e-5f);

  g.insert_local(CAtom(0, 0, 0, a_H1));
  expect_near(at(g, a_H1), at(g, a_N9), 1e-5f);
  // Replacing keeps one atom of the type.
  unsigned n = g.size();
  g.insert(CAtom(4, 5, 6, a_H8));
  EXPECT_EQ(g.size(), n);
  expect_near(at(g, a_H8), CPoint3D(4, 5, 6), 0);
}

TEST_F(ResidueTest, EraseKeepsTheIndexConsistent)
{
  std::vector<CAtom> atoms = atoms_of(kDG);
  CResidue g(r_G, atoms, CResId(5, 'B'));
  // The last atom in registry order: PSZ.
  EXPECT_EQ(types_of(g).back(), a_PSZ);
  AbstractResidue::ResidueIterator after_last = g.erase(a_PSZ);
  EXPECT_EQ(after_last, g.end());
  AbstractResidue::ResidueIterator after_absent = g.erase(a_CA);
  EXPECT_EQ(after_absent, g.end());
  EXPECT_EQ(g.size(), 23u);
  AbstractResidue::ResidueIterator next = g.erase(a_C1p);
  ASSERT_NE(next, g.end());
  EXPECT_EQ(next->getType(), a_C2p);
  for (const CAtom& a : atoms) {
    if (a.getType() == a_C1p) {
      EXPECT_EQ(g.find(a_C1p), g.end());
      continue;
    }
    ASSERT_NE(g.find(a.getType()), g.end());
    EXPECT_EQ(g.find(a.getType())->getType(), a.getType());
    expect_near(*g.find(a.getType()), a, kPlacedTolerance);
  }

  AtomTypeSet doomed = {a_P, a_O6, a_N2, a_H8};
  g.erase(doomed);
  EXPECT_EQ(g.size(), 19u);
  for (AbstractResidue::ResidueConstIterator i = g.begin(); i != g.end(); ++i) {
    EXPECT_EQ(doomed.count(i->getType()), 0u);
    if (const CAtom* a = find_in(atoms, i->getType())) expect_near(*i, *a, kPlacedTolerance);
  }
}

TEST_F(ResidueTest, RangeEraseRemovesWhatTheFilterWalks)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  g.erase(g.begin(new base_atom_set), g.end());
  for (AbstractResidue::ResidueConstIterator i = g.begin(); i != g.end(); ++i)
    EXPECT_FALSE(i->getType()->is_SideChain());
  EXPECT_EQ(g.size(), 11u);
}

TEST_F(ResidueTest, RigidMotionMovesEveryAtom)
{
  CResidue g(r_G, with_O2p(atoms_of(kDG)), CResId(5, 'B'));
  g.validate();
  CResidue before(g);
  CTransfo t = motion(CPoint3D(1, 2, 3), 0.7f, CPoint3D(5, -3, 2));
  CTransfo u = motion(CPoint3D(-2, 1, 0), 2.1f, CPoint3D(-1, 0, 4));
  g.Transform(t).Transform(u);
  CResidue once(before);
  once.Transform(u * t);
  ASSERT_EQ(g.size(), before.size());
  for (unsigned k = 0; k < g.size(); ++k) {
    CPoint3D expected = before.getAtom(k);
    expected.Transform(u * t);
    expect_near(g.getAtom(k), expected, 1e-4f);
    // Float products do not associate: equal up to rounding.
    expect_near(g.getAtom(k), once.getAtom(k), 1e-4f);
    // The local frame does not move.
    EXPECT_EQ(g.getRefAtom(k).x, before.getRefAtom(k).x);
  }
  g.Align();
  EXPECT_TRUE(g.getTransfo().isIdentity());
  for (unsigned k = 0; k < g.size(); ++k) EXPECT_EQ(&g.getAtom(k), &g.getRefAtom(k));
  g = before.getTransfo();
  for (unsigned k = 0; k < g.size(); ++k) expect_near(g.getAtom(k), before.getAtom(k), 0);
}

TEST_F(ResidueTest, BinaryFormKeepsHeavyAtomsAndRebuildsTheFrame)
{
  CResidue g(r_G, with_O2p(atoms_of(kDG)), CResId(5, 'B', 'A'));
  g.validate();
  g.Transform(motion(CPoint3D(0, 0, 1), 1.0f, CPoint3D(3, 4, 5)));
  std::stringbuf buf;
  oBinstream out(&buf);
  out << g;
  ASSERT_TRUE(out);

  std::stringbuf in_buf(buf.str());
  iBinstream in(&in_buf);
  CResidue back;
  in >> back;
  ASSERT_TRUE(in);
  EXPECT_EQ(back.getType(), r_rG);
  EXPECT_EQ(back.getResId(), CResId(5, 'B', 'A'));
  EXPECT_EQ(back.size(), 25u);  // 23 heavy atoms, PSY and PSZ recomputed
  for (AbstractResidue::ResidueConstIterator i = g.begin(); i != g.end(); ++i) {
    const t_Atom* t = i->getType();
    if (t->is_Hydrogen() || t->is_LonePair()) {
      EXPECT_EQ(back.res(t), nullptr);
      continue;
    }
    expect_near(at(back, t), *i, kPlacedTolerance);
  }

  // A read cut short leaves the residue as it was.
  std::string bytes = buf.str();
  std::stringbuf cut(bytes.substr(0, bytes.size() - 5));
  iBinstream short_in(&cut);
  CResidue kept(r_A, atoms_of(kDA), CResId(2, 'B'));
  short_in >> kept;
  EXPECT_FALSE(short_in);
  EXPECT_EQ(kept.getType(), r_dA);
  EXPECT_EQ(kept.size(), 23u);

  // A residue without a type has no binary form.
  std::stringbuf none;
  oBinstream none_out(&none);
  none_out << CResidue();
  EXPECT_FALSE(none_out);
}

TEST_F(ResidueTest, AtomCopyTakesCoordinatesAndFrameTypeByType)
{
  CResidue target(r_G, atoms_of(kDG), CResId(5, 'B'));
  CResidue source(target);
  source.Transform(motion(CPoint3D(1, 0, 0), 0.5f, CPoint3D(0, 1, 0)));
  target.AtomCopy(source);
  for (unsigned k = 0; k < target.size(); ++k) expect_near(target.getAtom(k), source.getAtom(k), 0);

  CResidue adenine(r_A, atoms_of(kDA), CResId(2, 'B'));
  try {
    target.AtomCopy(adenine);
    FAIL() << "copied from another residue type";
  } catch (const CException& e) {
    EXPECT_STREQ(e.GetMessage(), "Invalid residue type dA.");
  }

  // Different atom sets: shared types are copied, the index stays whole.
  CResidue partial(r_dG, without(atoms_of(kDG), {a_P, a_O1P, a_O2P}), CResId(5, 'B'));
  partial.Transform(motion(CPoint3D(0, 1, 0), -0.3f, CPoint3D(2, 0, 0)));
  CResidue full(r_G, atoms_of(kDG), CResId(5, 'B'));
  full.insert(CAtom(7, 7, 7, a_H8));
  full.AtomCopy(partial);
  EXPECT_EQ(full.size(), 25u);
  for (AbstractResidue::ResidueConstIterator i = full.begin(); i != full.end(); ++i) {
    EXPECT_EQ(full.find(i->getType()), i);
    if (partial.res(i->getType()) != nullptr) expect_near(*i, at(partial, i->getType()), 0);
  }
}

TEST_F(ResidueTest, SelectMakesAResidueOfTheListedAtoms)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  std::unique_ptr<CResidue> part(g.select({a_C8, a_N9, a_CA, a_C4, a_C1p}));
  EXPECT_EQ(part->size(), 6u);  // four present, and PSY, PSZ of its own frame
  EXPECT_EQ(part->getResId(), CResId(5, 'B'));
  EXPECT_EQ(part->getType(), r_dG);
  // Its coordinates are the local ones of the source.
  for (const t_Atom* t : {a_C8, a_N9, a_C4, a_C1p}) expect_near(at(*part, t), *g.ref(t), 1e-5f);
}

TEST_F(ResidueTest, TextDumpShowsBothFrames)
{
  std::vector<CAtom> two = {CAtom(1, 2, 3, a_O), CAtom(1.5f, 2, 3, a_C)};
  CResidue r(rt_Misc::findOrCreate("DMP"), two, CResId(7, 'C'));
  std::ostringstream s;
  s << r;
  std::ostringstream atoms;
  atoms << two[0] << "\n" << two[1] << "\n";
  std::ostringstream frame;
  frame << CTransfo();
  // Index order: C before O.
  std::ostringstream placed;
  placed << two[1] << "\n" << two[0] << "\n";
  EXPECT_EQ(s.str(), "DMP(C7) type=DMP:\nREFERENTIAL atoms\n" + atoms.str() + frame.str() +
                         "\nPLACED atoms\n" + placed.str());
}

TEST_F(ResidueTest, FactoriesMakeIndependentResidues)
{
  std::unique_ptr<ResidueFactoryMethod> factory(new CResidueFM);
  int live = AbstractResidue::count;
  std::unique_ptr<AbstractResidue> empty(factory->createResidue());
  std::unique_ptr<AbstractResidue> other(factory->createResidue());
  EXPECT_EQ(AbstractResidue::count, live + 2);
  EXPECT_NE(empty.get(), other.get());
  EXPECT_EQ(empty->getType(), nullptr);
  EXPECT_EQ(empty->getResId(), CResId());
  EXPECT_TRUE(empty->empty());
  EXPECT_TRUE(empty->getTransfo().isIdentity());
  EXPECT_EQ(empty->begin(), empty->end());

  std::unique_ptr<ResidueFactoryMethod> copy(factory->clone());
  factory.reset();
  std::unique_ptr<AbstractResidue> g(copy->createResidue(r_G, atoms_of(kDG), CResId(5, 'B')));
  EXPECT_NE(dynamic_cast<CResidue*>(g.get()), nullptr);
  EXPECT_EQ(g->getType(), r_dG);
  expect_near(at(*g, a_C1p), CPoint3D(24.110f, 23.690f, 36.370f), kPlacedTolerance);
  std::unique_ptr<AbstractResidue> twin(g->clone());
  EXPECT_EQ(types_of(*twin), types_of(*g));
  other.reset();
  empty.reset();
  EXPECT_EQ(AbstractResidue::count, live + 2);
}

}  // namespace
