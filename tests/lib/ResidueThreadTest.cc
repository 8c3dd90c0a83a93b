#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "AtomSet.h"
#include "Residue.h"
#include "ResidueTestSupport.h"
#include "Rmsd.h"

namespace {

using namespace residue_test;

typedef Registry ResidueThreadTest;
typedef AbstractResidue::ResidueIterator Iterator;

CTransfo turn(float angle, const CPoint3D& shift)
{
  CTransfo t;
  t.SetTranslation(shift);
  t.Rotate(CPoint3D(0, 0.6f, 0.8f), angle);
  return t;
}

std::vector<Iterator> heavy_atoms(AbstractResidue& r)
{
  std::vector<Iterator> atoms;
  for (Iterator i = r.begin(new atomset_and(new no_pse_lp_atom_set, new no_hydrogen_set));
       i != r.end(); ++i)
    atoms.push_back(i);
  return atoms;
}

// Compare mode in small: every worker reads the one reference residue
// while it moves its own copy onto it. The reference is never written.
TEST_F(ResidueThreadTest, EightThreadsReadOneResidueWhileEachMovesItsOwn)
{
  CResidue reference(r_G, with_O2p(atoms_of(kDG)), CResId(5, 'B'));
  reference.validate();
  reference.Transform(turn(0.3f, CPoint3D(1, 2, 3)));
  std::vector<Iterator> target = heavy_atoms(reference);
  ASSERT_EQ(target.size(), 23u);

  const unsigned kThreads = 8;
  std::vector<std::unique_ptr<CResidue>> moving;
  std::vector<std::vector<Iterator>> sources;
  for (unsigned k = 0; k < kThreads; ++k) {
    moving.emplace_back(new CResidue(reference));
    moving.back()->Transform(turn(0.2f * k, CPoint3D(k, -1, 0)));
    sources.push_back(heavy_atoms(*moving.back()));
  }
  std::vector<float> before(kThreads), after(kThreads);
  std::vector<double> sums(kThreads);
  std::vector<std::thread> workers;
  for (unsigned k = 0; k < kThreads; ++k) {
    workers.emplace_back([&, k] {
      double sum = 0;
      for (int round = 0; round < 200; ++round) {
        const CResidue& view = reference;
        for (AbstractResidue::ResidueConstIterator i = view.begin(); i != view.end(); ++i)
          sum += i->x + view.getAtom(0).y + view.res(a_C1p)->z;
        for (const Iterator& i : target) sum += i->x;
      }
      sums[k] = sum;
      before[k] = rmsd(sources[k], target);
      CTransfo t;
      rmsd_with_align(sources[k].begin(), sources[k].end(), target.begin(), target.end(), &t);
      moving[k]->Transform(t);
      after[k] = rmsd(sources[k], target);
    });
  }
  for (std::thread& w : workers) w.join();
  for (unsigned k = 0; k < kThreads; ++k) {
    EXPECT_EQ(sums[k], sums[0]);
    EXPECT_LT(after[k], 1e-3f) << "worker " << k;
    if (k > 0) {
      EXPECT_GT(before[k], 0.1f) << "worker " << k;
    }
  }
}

}  // namespace
