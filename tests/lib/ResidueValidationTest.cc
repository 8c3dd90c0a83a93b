#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "AtomType.h"
#include "CapturedMessages.h"
#include "Messagestream.h"
#include "Residue.h"
#include "ResidueAtomSets.h"
#include "ResidueTestSupport.h"

namespace {

using namespace residue_test;
using testing_support::CapturedMessages;

typedef Registry ValidationTest;

// What validate writes, progress marks included.
std::string validate(AbstractResidue& r)
{
  CapturedMessages messages;
  gOut->setVerboseLevel(3);
  r.validate();
  return messages.text();
}

TEST_F(ValidationTest, ACompleteNucleotideIsCompletedAndCleaned)
{
  std::vector<CAtom> atoms = with_O2p(atoms_of(kDG));
  t_Atom* xx = at_Misc::findOrCreate("XX", " XX ");
  atoms.emplace_back(1, 1, 1, xx);
  atoms.emplace_back(1, 2, 1, a_H5T);  // known, but in neither set of rG
  CResidue g(r_G, atoms, CResId(5, 'B'));
  EXPECT_EQ(validate(g), "n");
  EXPECT_EQ(g.getType(), r_rG);
  EXPECT_EQ(g.ref(xx), nullptr);
  EXPECT_EQ(g.ref(a_H5T), nullptr);
  // 23 heavy atoms, PSY, PSZ, 12 hydrogens and 4 lone pairs.
  EXPECT_EQ(g.size(), 41u);
  for (const t_Atom* t : grGOblAtomSet) EXPECT_NE(g.ref(t), nullptr) << t->getName();
  for (AbstractResidue::ResidueConstIterator i = g.begin(); i != g.end(); ++i)
    EXPECT_TRUE(grGOblAtomSet.count(i->getType()) + grGOptAtomSet.count(i->getType()) == 1);
  // The heavy atoms did not move.
  for (const CAtom& a : with_O2p(atoms_of(kDG))) EXPECT_NEAR(at(g, a.getType()).x, a.x, 2e-5f);
}

TEST_F(ValidationTest, OptionalAtomsFromTheFileAreReplaced)
{
  std::vector<CAtom> atoms = with_O2p(atoms_of(kDG));
  atoms.emplace_back(0, 0, 0, a_H8);
  CResidue g(r_G, atoms, CResId(5, 'B'));
  CResidue reference(r_G, with_O2p(atoms_of(kDG)), CResId(5, 'B'));
  g.validate();
  reference.validate();
  EXPECT_NEAR(distance(at(g, a_H8), at(reference, a_H8)), 0.0, 1e-5);
  EXPECT_NEAR(distance(at(g, a_H8), at(g, a_C8)), 1.08, 1e-5);
}

TEST_F(ValidationTest, AMissingObligatoryAtomDemotes)
{
  // O1P: obligatory, not needed to place any hydrogen.
  CResidue g(r_G, with_O2p(without(atoms_of(kDG), {a_O1P})), CResId(5, 'B'));
  EXPECT_EQ(validate(g), "i");
  ASSERT_TRUE(g.getType()->is_Misc());
  EXPECT_STREQ(g.getType()->getName(), "rG");
  EXPECT_NE(g.ref(a_H8), nullptr);
  EXPECT_NE(g.ref(a_LP7), nullptr);

  // O6: hydrogen placement demotes first, then no atom set fits.
  CResidue no_o6(r_G, with_O2p(without(atoms_of(kDG), {a_O6})), CResId(5, 'B'));
  EXPECT_EQ(validate(no_o6), "Residue rG-B5 is missing one or more critical atoms.\nm");
  EXPECT_EQ(no_o6.getType(), g.getType());
  EXPECT_EQ(no_o6.ref(a_H8), nullptr);
}

TEST_F(ValidationTest, ResiduesWithoutAtomSetsAreDemoted)
{
  std::vector<CAtom> po4 = {CAtom(0, 0, 0, a_P), CAtom(1.5f, 0, 0, a_O3p),
                            CAtom(0, 1.5f, 0, a_O5p), CAtom(0, 0, 1.5f, a_O1P)};
  CResidue first(r_Phosphate, po4, CResId(1));
  CResidue second(r_Phosphate, po4, CResId(2));
  EXPECT_EQ(validate(first), "m");
  EXPECT_EQ(validate(second), "m");
  ASSERT_TRUE(first.getType()->is_Misc());
  // Made once: the name is longer than the misc registry's key.
  EXPECT_EQ(first.getType(), second.getType());
  EXPECT_STREQ(first.getType()->getName(), "Pho");

  CResidue generic(r_AminoAcid, atoms_of(kALA), CResId(3));
  EXPECT_EQ(validate(generic), "m");
  EXPECT_TRUE(generic.getType()->is_Misc());

  CResidue untyped;
  EXPECT_EQ(validate(untyped), "i");
  EXPECT_EQ(untyped.getType(), nullptr);
}

TEST_F(ValidationTest, AminoAcidsKeepTheirSetsAndLoseTheRest)
{
  std::vector<CAtom> atoms = atoms_of(kALA);
  atoms.emplace_back(24, 33, 23, a_HA);   // optional
  atoms.emplace_back(25, 30, 26, a_OXT);  // in neither set
  CResidue ala(r_ALA, atoms, CResId(10, 'A'));
  EXPECT_EQ(validate(ala), "a");
  EXPECT_EQ(ala.getType(), r_ALA);
  EXPECT_NE(ala.ref(a_HA), nullptr);
  EXPECT_EQ(ala.ref(a_OXT), nullptr);
  for (const t_Atom* t : gALAOblAtomSet) EXPECT_NE(ala.ref(t), nullptr);
  // Amino acids get no hydrogens of their own; PSAZ is not in the sets.
  EXPECT_EQ(ala.size(), 6u);

  CResidue no_cb(r_ALA, without(atoms_of(kALA), {a_CB}), CResId(11, 'A'));
  EXPECT_EQ(validate(no_cb), "i");
  EXPECT_STREQ(no_cb.getType()->getName(), "ALA");
}

TEST_F(ValidationTest, RemoveOptionalsStripsTheOptionalSet)
{
  CResidue g(r_G, with_O2p(atoms_of(kDG)), CResId(5, 'B'));
  g.addHydrogens();
  g.addLP();
  unsigned with_all = g.size();
  g.removeOptionals();
  EXPECT_EQ(g.size(), with_all - 16);
  for (AbstractResidue::ResidueConstIterator i = g.begin(); i != g.end(); ++i)
    EXPECT_EQ(grGOptAtomSet.count(i->getType()), 0u);
  CResidue misc(rt_Misc::findOrCreate("LIG"), atoms_of(kDG), CResId(1));
  unsigned n = misc.size();
  misc.removeOptionals();
  EXPECT_EQ(misc.size(), n);
}


// What validate writes with or without placing hydrogens and lone pairs.
std::string validate_placing(AbstractResidue& r, bool place)
{
  CapturedMessages messages;
  gOut->setVerboseLevel(3);
  r.validate(place);
  return messages.text();
}

TEST_F(ValidationTest, WithoutPlacementTheSameResiduesAndHeavyAtomsRemain)
{
  t_Atom* xx = at_Misc::findOrCreate("XX", " XX ");
  std::vector<CAtom> odd = with_O2p(atoms_of(kDG));
  odd.emplace_back(1, 1, 1, xx);
  odd.emplace_back(0, 0, 0, a_H8);  // a hydrogen of the file
  const struct
  {
    const char* what;
    t_Residue* type;
    std::vector<CAtom> atoms;
  } cases[] = {
      {"complete", r_G, with_O2p(atoms_of(kDG))},
      {"unknown atom and a hydrogen", r_G, odd},
      {"no O1P", r_G, with_O2p(without(atoms_of(kDG), {a_O1P}))},
      {"no O6, needed for a lone pair", r_G, with_O2p(without(atoms_of(kDG), {a_O6}))},
      {"no N7, needed for a lone pair", r_G, with_O2p(without(atoms_of(kDG), {a_N7}))},
      {"alanine", r_ALA, atoms_of(kALA)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CResidue placed(c.type, c.atoms, CResId(5, 'B')), bare(c.type, c.atoms, CResId(5, 'B'));
    EXPECT_EQ(validate_placing(placed, true), validate_placing(bare, false));
    EXPECT_EQ(placed.getType(), bare.getType());
    std::vector<std::pair<const t_Atom*, std::array<float, 3>>> heavy[2];
    int k = 0;
    for (CResidue* r : {&placed, &bare}) {
      for (AbstractResidue::ResidueConstIterator i = r->begin(); i != r->end(); ++i) {
        if (!i->getType()->is_Hydrogen() && !i->getType()->is_LonePair()) {
          heavy[k].push_back({i->getType(), {i->x, i->y, i->z}});
        } else if (r == &bare) {
          EXPECT_EQ(i->getType(), a_H8) << "placed without placement: " << i->getType()->getName();
        }
      }
      ++k;
    }
    EXPECT_EQ(heavy[0], heavy[1]);
  }
}

}  // namespace
