#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "AtomSet.h"
#include "Exception.h"
#include "Residue.h"
#include "ResidueTestSupport.h"

namespace {

using namespace residue_test;

typedef Registry ResidueIteratorTest;
typedef AbstractResidue::ResidueIterator Iterator;
typedef AbstractResidue::ResidueConstIterator ConstIterator;

// Accepts the atoms of one type.
class only_set : public AtomSet
{
public:
  explicit only_set(const t_Atom* t) : type(t) {}
  bool operator()(const CAtom& a) const override { return a.getType() == type; }
  operator const char*() const override { return "only"; }
  AtomSet* clone() const override { return new only_set(*this); }
  void BinOutput(oBinstream&) const override {}

private:
  const t_Atom* type;
};

std::vector<CAtom> three_atoms()
{
  return {CAtom(1, 0, 0, a_O6), CAtom(2, 0, 0, a_C1p), CAtom(3, 0, 0, a_N9)};
}

TEST_F(ResidueIteratorTest, EmptyResiduesAndFiltersThatAcceptNothing)
{
  CResidue empty;
  EXPECT_EQ(empty.begin(), empty.end());
  EXPECT_EQ(empty.begin(new no_hydrogen_set), empty.end());
  CResidue r(rt_Misc::findOrCreate("XYZ"), three_atoms(), CResId(1));
  EXPECT_EQ(r.begin(new only_set(a_CA)), r.end());
  const CResidue& view = r;
  EXPECT_EQ(view.begin(new only_set(a_CA)), view.end());
}

TEST_F(ResidueIteratorTest, AtomsComeInRegistryOrderWhateverTheInsertionOrder)
{
  std::vector<CAtom> atoms = three_atoms();
  t_Atom* early = at_Misc::findOrCreate("QQ1", " QQ1");
  t_Atom* late = at_Misc::findOrCreate("QQ2", " QQ2");
  atoms.emplace_back(0, 1, 0, late);
  atoms.emplace_back(0, 2, 0, early);
  CResidue forward(rt_Misc::findOrCreate("XYZ"), atoms, CResId(1));
  std::reverse(atoms.begin(), atoms.end());
  CResidue backward(rt_Misc::findOrCreate("XYZ"), atoms, CResId(2));
  std::vector<const t_Atom*> expected = {a_C1p, a_N9, a_O6, early, late};
  EXPECT_EQ(types_of(forward), expected);
  EXPECT_EQ(types_of(backward), expected);
}

TEST_F(ResidueIteratorTest, FiltersAreAppliedOnIncrementAndAddition)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  // Only the last atom in registry order.
  Iterator last = g.begin(new only_set(a_PSZ));
  ASSERT_NE(last, g.end());
  EXPECT_EQ(last->getType(), a_PSZ);
  EXPECT_EQ(++last, g.end());
  EXPECT_EQ(++last, g.end());

  Iterator base = g.begin(new base_atom_set);
  Iterator start = base;
  base += 0;
  EXPECT_EQ(base, start);
  base += -3;
  EXPECT_EQ(base, start);
  Iterator stepped = start;
  ++stepped;
  ++stepped;
  base += 2;
  EXPECT_EQ(base, stepped);
  EXPECT_TRUE(base->getType()->is_SideChain());
  Iterator old = base++;
  EXPECT_EQ(old, stepped);
  base += 100;
  EXPECT_EQ(base, g.end());

  unsigned side_chain = 0;
  for (Iterator i = g.begin(new base_atom_set); i != g.end(); ++i) {
    EXPECT_TRUE(i->getType()->is_SideChain());
    ++side_chain;
  }
  EXPECT_EQ(side_chain, 13u);  // the eleven base atoms, PSY and PSZ
}

TEST_F(ResidueIteratorTest, CopiesShareTheFilterSafely)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  std::unique_ptr<Iterator> source(new Iterator(g.begin(new only_set(a_N9))));
  Iterator copy(*source);
  Iterator assigned;
  assigned = *source;
  source.reset();
  EXPECT_EQ(copy->getType(), a_N9);
  // The filter outlived the iterator it was given to.
  EXPECT_EQ(++copy, g.end());
  EXPECT_EQ(++assigned, g.end());
  Iterator moved(std::move(assigned));
  EXPECT_EQ(moved, g.end());
}

TEST_F(ResidueIteratorTest, FindIgnoresFilters)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  Iterator f = g.find(a_P);
  ASSERT_NE(f, g.end());
  EXPECT_EQ(f->getType(), a_P);
  EXPECT_EQ(g.find(a_CA), g.end());
  EXPECT_EQ(g.find(nullptr), g.end());
  const CResidue& view = g;
  EXPECT_EQ(view.find(a_P)->getType(), a_P);
  EXPECT_EQ(view.find(a_CA), view.end());
}

TEST_F(ResidueIteratorTest, DefaultIteratorsEqualOnlyEachOther)
{
  Iterator a, b;
  ConstIterator c;
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, c);
  CResidue empty;
  EXPECT_NE(a, empty.end());
  EXPECT_NE(empty.begin(), c);
  EXPECT_EQ(++a, b);  // incrementing one designating nothing leaves it there
  EXPECT_THROW(*a, CFatalIntLibException);
  EXPECT_THROW(*empty.end(), CFatalIntLibException);
}

TEST_F(ResidueIteratorTest, MutableIteratorsGivePlacedAtomsAndConvertToConstOnes)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  Iterator i = g.find(a_C8);
  ConstIterator c = i;
  EXPECT_EQ(c, i);
  EXPECT_EQ(i, c);
  EXPECT_EQ(&*i, &g.getPlacedAtom(12));  // C8 was the thirteenth atom given
  EXPECT_EQ(&*c, &*i);
  c = g.end();
  EXPECT_EQ(c, g.end());
}

TEST_F(ResidueIteratorTest, IteratorsStayOnTheirAtomWhileTheResidueMoves)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  std::vector<Iterator> atoms;
  for (Iterator i = g.begin(new no_pse_lp_atom_set); i != g.end(); ++i) atoms.push_back(i);
  ASSERT_EQ(atoms.size(), 22u);
  CTransfo shift;
  shift.SetTranslation(CPoint3D(10, 0, 0));
  std::vector<CPoint3D> before;
  for (const Iterator& i : atoms) before.push_back(*i);
  g.Transform(shift);
  for (unsigned k = 0; k < atoms.size(); ++k) {
    EXPECT_NEAR(atoms[k]->x, before[k].x + 10, 1e-4f);
    EXPECT_NEAR(atoms[k]->y, before[k].y, 1e-4f);
  }
  g.Align();
  for (unsigned k = 0; k < atoms.size(); ++k) EXPECT_EQ(&*atoms[k], g.ref(atoms[k]->getType()));
}

}  // namespace
