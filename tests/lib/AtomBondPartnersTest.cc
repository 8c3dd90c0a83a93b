#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "AtomTypes.h"
#include "AtomicBond.h"
#include "ResidueAtomSets.h"
#include "ResidueType.h"
#include "TypeTestSupport.h"

namespace {

using type_test::Registry;

std::vector<t_Atom*> concrete_types()
{
  std::vector<t_Atom*> types;
  for (unsigned i = kAtomCategoryCount; i < kAtomTypeCount; ++i) types.push_back(*kAtomTypeSlots[i]);
  return types;
}

std::vector<t_Atom*> category_types()
{
  std::vector<t_Atom*> types;
  for (unsigned i = 0; i < kAtomCategoryCount; ++i) types.push_back(*kAtomTypeSlots[i]);
  return types;
}

// Every residue type with a singleton, a misc type, and no type at all.
std::vector<const t_Residue*> residue_types()
{
  std::vector<const t_Residue*> types;
  for (t_Residue* const* slot : kResidueTypeSlots) types.push_back(*slot);
  types.push_back(rt_Misc::findOrCreate("UNK"));
  types.push_back(nullptr);
  return types;
}

std::string residue_name(const t_Residue* r) { return r != nullptr ? r->getName() : "(none)"; }

bool bonded(const t_Atom* a, const t_Atom* b, const t_Residue* r) { return a->is_connected(b, r); }

struct Complete
{
  const char* name;
  t_Residue* const* type;
  const AtomTypeSet* obligatory;
  const AtomTypeSet* optional;
  int rings;
};

const Complete kResidues[] = {
  {"dA", &r_dA, &gdAOblAtomSet, &gdAOptAtomSet, 3},     {"rA", &r_rA, &grAOblAtomSet, &grAOptAtomSet, 3},
  {"dC", &r_dC, &gdCOblAtomSet, &gdCOptAtomSet, 2},     {"rC", &r_rC, &grCOblAtomSet, &grCOptAtomSet, 2},
  {"dG", &r_dG, &gdGOblAtomSet, &gdGOptAtomSet, 3},     {"rG", &r_rG, &grGOblAtomSet, &grGOptAtomSet, 3},
  {"dT", &r_dT, &gdTOblAtomSet, &gdTOptAtomSet, 2},     {"rU", &r_rU, &grUOblAtomSet, &grUOptAtomSet, 2},
  {"ALA", &r_ALA, &gALAOblAtomSet, &gALAOptAtomSet, 0}, {"ARG", &r_ARG, &gARGOblAtomSet, &gARGOptAtomSet, 0},
  {"ASN", &r_ASN, &gASNOblAtomSet, &gASNOptAtomSet, 0}, {"ASP", &r_ASP, &gASPOblAtomSet, &gASPOptAtomSet, 0},
  {"CYS", &r_CYS, &gCYSOblAtomSet, &gCYSOptAtomSet, 0}, {"GLN", &r_GLN, &gGLNOblAtomSet, &gGLNOptAtomSet, 0},
  {"GLU", &r_GLU, &gGLUOblAtomSet, &gGLUOptAtomSet, 0}, {"GLY", &r_GLY, &gGLYOblAtomSet, &gGLYOptAtomSet, 0},
  {"HIS", &r_HIS, &gHISOblAtomSet, &gHISOptAtomSet, 1}, {"ILE", &r_ILE, &gILEOblAtomSet, &gILEOptAtomSet, 0},
  {"LEU", &r_LEU, &gLEUOblAtomSet, &gLEUOptAtomSet, 0}, {"LYS", &r_LYS, &gLYSOblAtomSet, &gLYSOptAtomSet, 0},
  {"MET", &r_MET, &gMETOblAtomSet, &gMETOptAtomSet, 0}, {"PHE", &r_PHE, &gPHEOblAtomSet, &gPHEOptAtomSet, 1},
  {"PRO", &r_PRO, &gPROOblAtomSet, &gPROOptAtomSet, 1}, {"SER", &r_SER, &gSEROblAtomSet, &gSEROptAtomSet, 0},
  {"THR", &r_THR, &gTHROblAtomSet, &gTHROptAtomSet, 0}, {"TRP", &r_TRP, &gTRPOblAtomSet, &gTRPOptAtomSet, 2},
  {"TYR", &r_TYR, &gTYROblAtomSet, &gTYROptAtomSet, 1}, {"VAL", &r_VAL, &gVALOblAtomSet, &gVALOptAtomSet, 0},
};

// The real heavy atoms of a complete residue: its obligatory atoms but the
// pseudo-atoms, which are computed points.
std::vector<const t_Atom*> heavy_atoms(const Complete& c)
{
  std::vector<const t_Atom*> atoms;
  for (const t_Atom* t : *c.obligatory)
    if (!t->is_Pseudo()) atoms.push_back(t);
  return atoms;
}

// The number of groups of atoms joined by bonds.
int components(const std::vector<const t_Atom*>& atoms, const t_Residue* r)
{
  std::vector<int> group(atoms.size());
  for (std::size_t i = 0; i < atoms.size(); ++i) group[i] = static_cast<int>(i);
  for (std::size_t i = 0; i < atoms.size(); ++i)
    for (std::size_t j = 0; j < atoms.size(); ++j)
      if (bonded(atoms[i], atoms[j], r) && group[i] != group[j]) {
        int from = group[j], to = group[i];
        for (int& g : group)
          if (g == from) g = to;
      }
  std::map<int, int> distinct;
  for (int g : group) distinct[g] = 1;
  return static_cast<int>(distinct.size());
}

}  // namespace

// Three bonds are seen from one end only; every other answer is the same
// from both ends, in every residue type and without one.
TEST_F(Registry, BondsAreSymmetricSaveTheThreeOneWayPairs)
{
  std::vector<t_Atom*> types = concrete_types();
  for (const t_Residue* r : residue_types()) {
    SCOPED_TRACE(residue_name(r));
    bool purine = r != nullptr && r->is_Purine();
    for (std::size_t i = 0; i < types.size(); ++i)
      for (std::size_t j = i + 1; j < types.size(); ++j) {
        const t_Atom* a = types[i];
        const t_Atom* b = types[j];
        if ((a == a_C1p && b == a_N9 && !purine) || (a == a_H5p && b == a_O5p) || (a == a_O3P && b == a_P))
          continue;
        EXPECT_EQ(bonded(a, b, r), bonded(b, a, r)) << a->getName() << " " << b->getName();
      }
    EXPECT_EQ(bonded(a_C1p, a_N9, r), purine);
    EXPECT_TRUE(bonded(a_N9, a_C1p, r));
    EXPECT_TRUE(bonded(a_H5p, a_O5p, r));
    EXPECT_FALSE(bonded(a_O5p, a_H5p, r));
    EXPECT_FALSE(bonded(a_C5p, a_H5p, r));
    EXPECT_TRUE(bonded(a_O3P, a_P, r));
    EXPECT_FALSE(bonded(a_P, a_O3P, r));
    for (const t_Atom* t : types) EXPECT_FALSE(bonded(t, t, r)) << t->getName();
  }
}

// C1'-N1, O3'-P and CD-N are seen from both ends, each only within its
// residue types; the other partners of these six types need no residue.
TEST_F(Registry, ResidueDependentBonds)
{
  for (const t_Residue* r : residue_types()) {
    SCOPED_TRACE(residue_name(r));
    bool pyrimidine = r != nullptr && r->is_Pyrimidine();
    bool phosphate = r != nullptr && r->is_Phosphate();
    bool proline = r != nullptr && r->is_PRO();
    EXPECT_EQ(bonded(a_C1p, a_N1, r), pyrimidine);
    EXPECT_EQ(bonded(a_N1, a_C1p, r), pyrimidine);
    EXPECT_EQ(bonded(a_P, a_O3p, r), phosphate);
    EXPECT_EQ(bonded(a_O3p, a_P, r), phosphate);
    EXPECT_EQ(bonded(a_N, a_CD, r), proline);
    EXPECT_EQ(bonded(a_CD, a_N, r), proline);
    EXPECT_TRUE(bonded(a_C1p, a_C2p, r) && bonded(a_P, a_O5p, r) && bonded(a_O3p, a_C3p, r));
    EXPECT_TRUE(bonded(a_N1, a_C6, r) && bonded(a_N, a_CA, r) && bonded(a_CD, a_CG, r));
  }
  for (t_Residue* r : {r_A, r_G, r_rA, r_rG, r_dA, r_dG, r_Purine}) EXPECT_TRUE(bonded(a_C1p, a_N9, r));
  for (t_Residue* r : {r_C, r_U, r_T, r_rC, r_rU, r_dC, r_dT, r_Pyrimidine})
    EXPECT_TRUE(bonded(a_C1p, a_N1, r));
}

TEST_F(Registry, CategoriesMiscAndLoneTypesHaveNoPartners)
{
  t_Atom* misc = at_Misc::findOrCreate("C1X", " C1X");
  std::vector<t_Atom*> types = concrete_types();
  std::vector<t_Atom*> others = category_types();
  others.push_back(misc);
  for (const t_Residue* r : {static_cast<const t_Residue*>(r_rA), static_cast<const t_Residue*>(r_PRO)}) {
    for (const t_Atom* t : types) {
      for (const t_Atom* o : others) {
        EXPECT_FALSE(bonded(t, o, r)) << t->getName() << " " << o->getName();
        EXPECT_FALSE(bonded(o, t, r)) << o->getName() << " " << t->getName();
      }
      EXPECT_FALSE(t->is_connected(nullptr, r)) << t->getName();
      for (const t_Atom* lone : {a_PSY, a_PSZ, a_PSAZ, a_MG}) {
        EXPECT_FALSE(bonded(lone, t, r)) << lone->getName() << " " << t->getName();
        EXPECT_FALSE(bonded(t, lone, r)) << t->getName() << " " << lone->getName();
      }
    }
  }
}

// The bonds of a complete residue's heavy atoms join them into one molecule
// with as many rings as its chemistry has: a bond more than a tree for each.
// O3'-P and the other links between residues are not among them. Each
// hydrogen and lone pair sits on one heavy atom, save two types of the
// validation sets that no atom of the residue carries: HO2' in a
// deoxynucleotide, and the nucleotide types H1 and H2 that stand for the
// amide hydrogen of an amino acid.
TEST_F(Registry, CompleteResiduesFormOneMoleculeWithItsRings)
{
  for (const Complete& c : kResidues) {
    SCOPED_TRACE(c.name);
    const t_Residue* r = *c.type;
    std::vector<const t_Atom*> heavy = heavy_atoms(c);
    int bonds = 0;
    for (std::size_t i = 0; i < heavy.size(); ++i)
      for (std::size_t j = i + 1; j < heavy.size(); ++j) bonds += bonded(heavy[i], heavy[j], r);
    EXPECT_EQ(components(heavy, r), 1);
    EXPECT_EQ(bonds, static_cast<int>(heavy.size()) - 1 + c.rings);

    for (const t_Atom* h : *c.optional) {
      int partners = 0;
      for (const t_Atom* a : heavy) partners += bonded(h, a, r);
      bool strays = (r->is_DNA() && h == a_HO2p) || (r->is_AminoAcid() && (h == a_H1 || h == a_H2));
      EXPECT_EQ(partners, strays ? 0 : 1) << h->getName();
    }
  }
}

// The bond lengths used to place atoms belong to bonds the partners know.
TEST_F(Registry, EveryBondWithALengthIsABond)
{
  ASSERT_FALSE(gAtomicBond.empty());
  for (const auto& [a, partners] : gAtomicBond)
    for (const auto& [b, length] : partners) {
      bool somewhere = false;
      for (const t_Residue* r : {r_rA, r_rC, r_Phosphate})
        somewhere = somewhere || (bonded(a, b, r) && bonded(b, a, r));
      EXPECT_TRUE(somewhere) << a->getName() << " " << b->getName() << " " << length;
    }
  EXPECT_TRUE(bonded(a_O5p, a_C5p, nullptr));
}
