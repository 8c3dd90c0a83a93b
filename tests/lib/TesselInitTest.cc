#include <algorithm>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "AtomTypes.h"
#include "AtomicBond.h"
#include "ResidueAtomSets.h"
#include "ResidueType.h"
#include "TypeTestSupport.h"

namespace {

using type_test::Registry;

struct NamedSets
{
  const char* residue;
  const AtomTypeSet* obligatory;
  const AtomTypeSet* optional;
  std::size_t obligatory_size;
  std::size_t optional_size;
};

const NamedSets kSets[] = {
  {"dA", &gdAOblAtomSet, &gdAOptAtomSet, 23, 18},    {"rA", &grAOblAtomSet, &grAOptAtomSet, 24, 17},
  {"dC", &gdCOblAtomSet, &gdCOptAtomSet, 21, 18},    {"rC", &grCOblAtomSet, &grCOptAtomSet, 22, 17},
  {"dG", &gdGOblAtomSet, &gdGOptAtomSet, 24, 19},    {"rG", &grGOblAtomSet, &grGOptAtomSet, 25, 18},
  {"dT", &gdTOblAtomSet, &gdTOptAtomSet, 22, 20},    {"rU", &grUOblAtomSet, &grUOptAtomSet, 22, 17},
  {"ALA", &gALAOblAtomSet, &gALAOptAtomSet, 5, 6},   {"ARG", &gARGOblAtomSet, &gARGOptAtomSet, 11, 14},
  {"ASN", &gASNOblAtomSet, &gASNOptAtomSet, 8, 7},   {"ASP", &gASPOblAtomSet, &gASPOptAtomSet, 8, 5},
  {"CYS", &gCYSOblAtomSet, &gCYSOptAtomSet, 6, 6},   {"GLN", &gGLNOblAtomSet, &gGLNOptAtomSet, 9, 9},
  {"GLU", &gGLUOblAtomSet, &gGLUOptAtomSet, 9, 7},   {"GLY", &gGLYOblAtomSet, &gGLYOptAtomSet, 4, 4},
  {"HIS", &gHISOblAtomSet, &gHISOptAtomSet, 10, 8},  {"ILE", &gILEOblAtomSet, &gILEOptAtomSet, 8, 12},
  {"LEU", &gLEUOblAtomSet, &gLEUOptAtomSet, 8, 12},  {"LYS", &gLYSOblAtomSet, &gLYSOptAtomSet, 9, 14},
  {"MET", &gMETOblAtomSet, &gMETOptAtomSet, 8, 10},  {"PHE", &gPHEOblAtomSet, &gPHEOptAtomSet, 11, 10},
  {"PRO", &gPROOblAtomSet, &gPROOptAtomSet, 7, 8},   {"SER", &gSEROblAtomSet, &gSEROptAtomSet, 6, 6},
  {"THR", &gTHROblAtomSet, &gTHROptAtomSet, 7, 8},   {"TRP", &gTRPOblAtomSet, &gTRPOptAtomSet, 14, 11},
  {"TYR", &gTYROblAtomSet, &gTYROptAtomSet, 12, 10}, {"VAL", &gVALOblAtomSet, &gVALOptAtomSet, 7, 10},
};

bool has(const AtomTypeSet& set, t_Atom* type) { return set.count(type) == 1; }

AtomTypeSet without(AtomTypeSet set, t_Atom* type)
{
  set.erase(type);
  return set;
}

// Counts the flushes of what is written through it.
class FlushCounter : public std::stringbuf
{
public:
  int flushes = 0;

protected:
  int sync() override
  {
    ++flushes;
    return std::stringbuf::sync();
  }
};

}  // namespace

// Runs before the fixture's TesselInit; in a process that has already
// initialised the registry there is nothing to see.
TEST(TesselInit, RegistryIsEmptyBeforeAndCompleteAfter)
{
  if (a_NucleicAcid != nullptr) GTEST_SKIP() << "registry already initialised in this process";
  for (t_Atom* const* slot : kAtomTypeSlots) EXPECT_EQ(*slot, nullptr);
  for (t_Residue* const* slot : kResidueTypeSlots) EXPECT_EQ(*slot, nullptr);
  for (const NamedSets& s : kSets) EXPECT_TRUE(s.obligatory->empty() && s.optional->empty());
  EXPECT_TRUE(gAtomicBond.empty());

  TesselInit();
  std::set<const void*> distinct;
  for (t_Atom* const* slot : kAtomTypeSlots) {
    ASSERT_NE(*slot, nullptr);
    distinct.insert(*slot);
  }
  for (t_Residue* const* slot : kResidueTypeSlots) {
    ASSERT_NE(*slot, nullptr);
    distinct.insert(*slot);
  }
  EXPECT_EQ(distinct.size(), 206u);
}

TEST_F(Registry, EverySingletonIsOfItsOwnClass)
{
#define TESSEL_ATOM_CATEGORY(S, ...) EXPECT_NE(dynamic_cast<const at_##S*>(a_##S), nullptr) << #S;
#include "AtomCategories.def"
#define TESSEL_ATOM_TYPE(S, ...) EXPECT_NE(dynamic_cast<const at_##S*>(a_##S), nullptr) << #S;
#include "AtomTypes.def"
#define TESSEL_RESIDUE_TYPE(S, ...) EXPECT_NE(dynamic_cast<const rt_##S*>(r_##S), nullptr) << #S;
#define TESSEL_NUCLEOTIDE(S, ...) EXPECT_NE(dynamic_cast<const rt_##S*>(r_##S), nullptr) << #S;
#define TESSEL_AMINO_ACID(S, ...) EXPECT_NE(dynamic_cast<const rt_##S*>(r_##S), nullptr) << #S;
#include "ResidueTypes.def"
  EXPECT_EQ(dynamic_cast<const at_C1p*>(a_C2p), nullptr);
  EXPECT_EQ(dynamic_cast<const rt_rA*>(r_dA), nullptr);
}

TEST_F(Registry, SecondInitialisationChangesNothing)
{
  std::vector<const void*> before;
  for (t_Atom* const* slot : kAtomTypeSlots) before.push_back(*slot);
  for (t_Residue* const* slot : kResidueTypeSlots) before.push_back(*slot);
  std::size_t members = 0;
  for (const NamedSets& s : kSets) members += s.obligatory->size() + s.optional->size();

  TesselInit();

  std::vector<const void*> after;
  for (t_Atom* const* slot : kAtomTypeSlots) after.push_back(*slot);
  for (t_Residue* const* slot : kResidueTypeSlots) after.push_back(*slot);
  EXPECT_EQ(after, before);
  std::size_t members_after = 0;
  for (const NamedSets& s : kSets) members_after += s.obligatory->size() + s.optional->size();
  EXPECT_EQ(members_after, members);
  EXPECT_TRUE(gdAOblAtomSet.count(a_C1p));
}

TEST_F(Registry, AtomSetsHoldTheirListsWithoutOverlap)
{
  std::size_t obligatory = 0, optional = 0;
  for (const NamedSets& s : kSets) {
    SCOPED_TRACE(s.residue);
    EXPECT_EQ(s.obligatory->size(), s.obligatory_size);
    EXPECT_EQ(s.optional->size(), s.optional_size);
    obligatory += s.obligatory->size();
    optional += s.optional->size();
    EXPECT_FALSE(has(*s.obligatory, nullptr) || has(*s.optional, nullptr));
    for (t_Atom* t : *s.obligatory) EXPECT_FALSE(has(*s.optional, t)) << t->getName();
    // Members come in registry order, as a residue's atoms do.
    unsigned last = 0;
    for (t_Atom* t : *s.obligatory) {
      EXPECT_GE(t->getOrdinal(), last);
      last = t->getOrdinal();
    }
  }
  EXPECT_EQ(obligatory, 350u);
  EXPECT_EQ(optional, 321u);
}

TEST_F(Registry, SomeSetsMemberByMember)
{
  EXPECT_EQ(gALAOblAtomSet, (AtomTypeSet{a_N, a_C, a_O, a_CA, a_CB}));
  EXPECT_EQ(gALAOptAtomSet, (AtomTypeSet{a_H1, a_H2, a_HA, a_HB1, a_HB2, a_HB3}));
  EXPECT_EQ(gGLYOblAtomSet, (AtomTypeSet{a_N, a_C, a_O, a_CA}));
  EXPECT_EQ(gGLYOptAtomSet, (AtomTypeSet{a_H1, a_H2, a_HA1, a_HA2}));
  EXPECT_EQ(gPROOptAtomSet, (AtomTypeSet{a_H, a_HA, a_HB1, a_HB2, a_HG1, a_HG2, a_HD1, a_HD2}));
  EXPECT_EQ(gTRPOblAtomSet, (AtomTypeSet{a_N, a_C, a_O, a_CA, a_CB, a_CG, a_CD1, a_CD2, a_NE1, a_CE2, a_CE3,
                                         a_CZ2, a_CZ3, a_CH2}));
  EXPECT_EQ(gdTOptAtomSet, (AtomTypeSet{a_1LP2, a_2LP2, a_1LP4, a_2LP4, a_H3, a_H6, a_1H5M, a_2H5M, a_3H5M,
                                        a_H1p, a_H2p, a_H3p, a_H4p, a_1H5p, a_2H5p, a_HO2p, a_HO3p, a_1H2p,
                                        a_2H2p, a_H5p}));
  EXPECT_EQ(grUOblAtomSet, (AtomTypeSet{a_C1p, a_C2, a_C2p, a_C3p, a_C4, a_C4p, a_C5, a_C5p, a_C6, a_N1, a_N3,
                                        a_O1P, a_O2, a_O2p, a_O2P, a_O3p, a_O4, a_O4p, a_O5p, a_P, a_PSY,
                                        a_PSZ}));
}

TEST_F(Registry, NucleotideSetsDifferWhereTheSugarAndBaseDo)
{
  const NamedSets* nucleotides = kSets;
  for (int i = 0; i < 8; ++i) {
    const NamedSets& s = nucleotides[i];
    SCOPED_TRACE(s.residue);
    bool ribo = s.residue[0] == 'r';
    for (t_Atom* t : {a_PSY, a_PSZ, a_O1P, a_O2P, a_P, a_C1p, a_O3p, a_O5p}) EXPECT_TRUE(has(*s.obligatory, t));
    for (t_Atom* t : {a_PSAZ, a_O3P, a_H3T, a_H5T}) {
      EXPECT_FALSE(has(*s.obligatory, t));
      EXPECT_FALSE(has(*s.optional, t));
    }
    EXPECT_EQ(has(*s.obligatory, a_O2p), ribo);
    for (t_Atom* t : {a_H2p, a_HO2p, a_1H2p, a_H5p, a_1H5p, a_2H5p}) EXPECT_TRUE(has(*s.optional, t));
    EXPECT_EQ(has(*s.optional, a_2H2p), !ribo);
  }
  EXPECT_EQ(without(grAOblAtomSet, a_O2p), gdAOblAtomSet);
  EXPECT_EQ(without(grCOblAtomSet, a_O2p), gdCOblAtomSet);
  EXPECT_EQ(without(grGOblAtomSet, a_O2p), gdGOblAtomSet);
  EXPECT_TRUE(has(gdTOblAtomSet, a_C5M));
  EXPECT_FALSE(has(grUOblAtomSet, a_C5M));
  EXPECT_TRUE(has(gdAOptAtomSet, a_2H2p) && has(gdAOptAtomSet, a_H5p));
  EXPECT_TRUE(has(grAOptAtomSet, a_H5p));
  EXPECT_FALSE(has(grAOptAtomSet, a_2H2p));
  // Lone pairs are optional, on the base atoms that carry them.
  EXPECT_TRUE(has(gdGOptAtomSet, a_1LP6) && has(gdGOptAtomSet, a_2LP6));
  EXPECT_TRUE(has(grUOptAtomSet, a_1LP4) && has(grUOptAtomSet, a_2LP4));
  EXPECT_TRUE(has(gdTOptAtomSet, a_3H5M));
}

TEST_F(Registry, AminoAcidSetsHoldH1AndH2ButNotH)
{
  for (int i = 8; i < 28; ++i) {
    const NamedSets& s = kSets[i];
    SCOPED_TRACE(s.residue);
    bool proline = std::string(s.residue) == "PRO";
    EXPECT_EQ(has(*s.optional, a_H1), !proline);
    EXPECT_EQ(has(*s.optional, a_H2), !proline);
    EXPECT_EQ(has(*s.optional, a_H), proline);
    for (t_Atom* t : {a_N, a_C, a_O, a_CA}) EXPECT_TRUE(has(*s.obligatory, t));
    for (t_Atom* t : {a_OXT, a_HXT, a_1H, a_2H, a_3H}) {
      EXPECT_FALSE(has(*s.obligatory, t));
      EXPECT_FALSE(has(*s.optional, t));
    }
    for (t_Atom* t : *s.obligatory) EXPECT_TRUE(t->is_AminoAcid()) << t->getName();
  }
  EXPECT_TRUE(has(gGLYOptAtomSet, a_HA1) && has(gGLYOptAtomSet, a_HA2));
  EXPECT_FALSE(has(gGLYOptAtomSet, a_HA));
  EXPECT_FALSE(has(gGLYOblAtomSet, a_CB));
  for (const AtomTypeSet* s : {&gILEOptAtomSet, &gTHROptAtomSet, &gVALOptAtomSet}) {
    EXPECT_TRUE(has(*s, a_HB));
    EXPECT_FALSE(has(*s, a_HB1) || has(*s, a_HB2));
  }
  EXPECT_TRUE(has(gCYSOblAtomSet, a_SG));
  EXPECT_TRUE(has(gMETOblAtomSet, a_SD));
}

TEST_F(Registry, BondLengthsAreStoredBothWays)
{
  EXPECT_EQ(gAtomicBond.size(), 14u);
  std::size_t entries = 0;
  for (const auto& [a, partners] : gAtomicBond) {
    entries += partners.size();
    for (const auto& [b, length] : partners) {
      auto back = gAtomicBond.find(b);
      ASSERT_NE(back, gAtomicBond.end());
      auto there = back->second.find(a);
      ASSERT_NE(there, back->second.end());
      EXPECT_EQ(there->second, length);
    }
  }
  EXPECT_EQ(entries, 30u);
  EXPECT_EQ(gAtomicBond.at(a_C1p).at(a_N1), 1.47f);
  EXPECT_EQ(gAtomicBond.at(a_N1).at(a_C1p), 1.47f);
  EXPECT_EQ(gAtomicBond.at(a_C1p).size(), 4u);
  const auto& p = gAtomicBond.at(a_P);
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p.at(a_O5p), 1.59f);
  EXPECT_EQ(p.at(a_O3p), 1.60f);
  EXPECT_EQ(p.at(a_O1P), 1.485f);
  EXPECT_EQ(p.at(a_O2P), 1.485f);
  EXPECT_EQ(gAtomicBond.find(a_C5M), gAtomicBond.end());

  AtomicBondTable table;
  atomicBondSymetricInsertion(a_C1p, a_C2p, table, 1.5f);
  atomicBondSymetricInsertion(a_C2p, a_C1p, table, 1.25f);
  EXPECT_EQ(table.at(a_C1p).at(a_C2p), 1.25f);
  EXPECT_EQ(table.at(a_C2p).at(a_C1p), 1.25f);
  EXPECT_EQ(table.size(), 2u);
}

TEST(TesselInit, VersionIsThreeFlushedLines)
{
  FlushCounter buf;
  std::streambuf* saved = std::cout.rdbuf(&buf);
  Tessel_version();
  std::cout.rdbuf(saved);

  std::string text = buf.str();
  EXPECT_EQ(text.substr(0, text.find('\n')), "tessel 1.3");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(buf.flushes, 3);
}
