#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "AtomSet.h"
#include "Exception.h"
#include "Residue.h"
#include "ResidueTestSupport.h"
#include "Rmsd.h"

namespace {

using namespace residue_test;

typedef Registry ResidueRmsdTest;

CResidue shifted(const CResidue& r, const CPoint3D& by)
{
  CResidue copy(r);
  CTransfo t;
  t.SetTranslation(by);
  copy.Transform(t);
  return copy;
}

std::string mismatch(const AbstractResidue& a, const AbstractResidue& b)
{
  try {
    rmsd(a.begin(), a.end(), b.begin(), b.end());
  } catch (const CFatalIntLibException& e) {
    return e.GetMessage();
  }
  return "no error";
}

TEST_F(ResidueRmsdTest, TwoResiduesWithTheSameAtoms)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  // Every atom 3 away: a shift by (1, 2, 2).
  CResidue moved = shifted(g, CPoint3D(1, 2, 2));
  EXPECT_NEAR(rmsd(g.begin(), g.end(), moved.begin(), moved.end()), 3.0f, 1e-5f);
  const CResidue& a = g;
  const CResidue& b = moved;
  EXPECT_NEAR(rmsd(a.begin(), a.end(), b.begin(), b.end()), 3.0f, 1e-5f);
  EXPECT_EQ(rmsd(a.begin(), a.end(), a.begin(), a.end()), 0.0f);
  // Through a filter: the base atoms only.
  EXPECT_NEAR(rmsd(g.begin(new base_atom_set), g.end(), moved.begin(new base_atom_set),
                   moved.end()),
              3.0f, 1e-5f);
}

TEST_F(ResidueRmsdTest, MismatchesAndMissingAtomsAreInternalErrors)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  CResidue a(r_A, atoms_of(kDA), CResId(2, 'B'));
  // Side by side in registry order the two share the sugar-phosphate atoms,
  // C2 to C8 and N1; then dA's N3 meets dG's N2.
  EXPECT_EQ(mismatch(a, g), "Mismatch atom in rmsd computation N3 != N2.");
  CResidue fewer(g);
  fewer.erase(a_PSZ);
  EXPECT_EQ(mismatch(g, fewer), "One residue is missing some atoms");
  EXPECT_EQ(mismatch(fewer, g), "One residue is missing some atoms");
  CResidue empty, other;
  EXPECT_TRUE(std::isnan(rmsd(empty.begin(), empty.end(), other.begin(), other.end())));
}

TEST_F(ResidueRmsdTest, SuperposingVectorsOfAtomIteratorsAndMovingTheResidues)
{
  std::vector<CResidue> fixed = {CResidue(r_G, atoms_of(kDG), CResId(5, 'B')),
                                 CResidue(r_A, atoms_of(kDA), CResId(2, 'B'))};
  std::vector<CResidue> moving = fixed;
  CTransfo motion;
  motion.SetTranslation(CPoint3D(4, -2, 7));
  motion.Rotate(CPoint3D(0.48f, 0.6f, 0.64f), 1.1f);
  for (CResidue& r : moving) r.Transform(motion);

  std::vector<AbstractResidue::ResidueIterator> from, to;
  for (unsigned k = 0; k < fixed.size(); ++k) {
    for (auto i = moving[k].begin(new no_pse_lp_atom_set); i != moving[k].end(); ++i)
      from.push_back(i);
    for (auto i = fixed[k].begin(new no_pse_lp_atom_set); i != fixed[k].end(); ++i)
      to.push_back(i);
  }
  ASSERT_EQ(from.size(), 43u);
  EXPECT_GT(rmsd(from, to), 1.0f);
  CTransfo t;
  // The value read off the eigenvalues is only good to a few 1e-4 here.
  EXPECT_LT(rmsd_with_align(from.begin(), from.end(), to.begin(), to.end(), &t), 5e-3f);
  for (CResidue& r : moving) r.Transform(t);
  // The iterators designate the moved atoms.
  EXPECT_LT(rmsd(from, to), 1e-4f);
}

}  // namespace
