#include <cctype>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "AtomTypes.h"
#include "Messagestream.h"
#include "ResidueType.h"
#include "TypeTestSupport.h"

namespace {

using type_test::bytes_of;
using type_test::int_bytes;
using type_test::Registry;
using type_test::Residue;

typedef bool (t_Atom::*Predicate)() const;

struct NamedSlot
{
  std::string suffix;
  t_Atom* const* slot;
};

// Every category and concrete type by its class suffix, in creation order.
const std::vector<NamedSlot>& all_types()
{
  static const std::vector<NamedSlot> types = {
#define TESSEL_ATOM_CATEGORY(S, ...) {#S, &a_##S},
#include "AtomCategories.def"
#define TESSEL_ATOM_TYPE(S, ...) {#S, &a_##S},
#include "AtomTypes.def"
  };
  return types;
}

t_Atom* type_of(const std::string& suffix)
{
  for (const NamedSlot& t : all_types())
    if (t.suffix == suffix) return *t.slot;
  ADD_FAILURE() << "no atom type " << suffix;
  return nullptr;
}

std::vector<std::string> words(const std::string& text)
{
  std::istringstream in(text);
  std::vector<std::string> w;
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

int written_id(const t_Atom* type)
{
  std::string b = bytes_of(type);
  if (b.size() != 4) return -1000;
  unsigned u = 0;
  for (unsigned char c : b) u = (u << 8) | c;
  return static_cast<int>(u);
}

t_Atom* read_type(const std::string& bytes, bool* ok = nullptr)
{
  std::stringbuf buf(bytes);
  iBinstream in(&buf);
  t_Atom* t = reinterpret_cast<t_Atom*>(&buf);  // must be overwritten
  in >> t;
  if (ok) *ok = static_cast<bool>(in);
  return t;
}

// The concrete types, grouped by polymer, part and element.
struct Group
{
  const char* polymer;
  const char* part;
  const char* element;
  const char* types;
};

const Group kGroups[] = {
  {"NucleicAcid", "Backbone", "Carbon", "C1p C2p C3p C4p C5p"},
  {"NucleicAcid", "Backbone", "Hydrogen", "H1p H2p H3p H4p H5p 1H2p 1H5p 2H2p 2H5p HO2p HO3p H3T H5T"},
  {"NucleicAcid", "Backbone", "Oxygen", "O1P O2p O2P O3p O3P O4p O5p"},
  {"NucleicAcid", "Backbone", "Phosphate", "P"},
  {"NucleicAcid", "SideChain", "Carbon", "C2 C4 C5 C5M C6 C8"},
  {"NucleicAcid", "SideChain", "Hydrogen", "H1 H2 H3 H5 H6 H7 H8 1H2 1H4 1H5M 1H6 2H2 2H4 2H5M 2H6 3H5M"},
  {"NucleicAcid", "SideChain", "Nitrogen", "N1 N2 N3 N4 N6 N7 N9"},
  {"NucleicAcid", "SideChain", "Oxygen", "O2 O4 O6"},
  {"NucleicAcid", "SideChain", "Pseudo", "PSY PSZ"},
  {"NucleicAcid", "SideChain", "LonePair", "2LP6 1LP6 LP7 LP3 LP1 2LP2 1LP2 2LP4 1LP4"},
  {"AminoAcid", "Backbone", "Carbon", "C CA"},
  {"AminoAcid", "Backbone", "Hydrogen", "H HXT 1H 2H 3H"},
  {"AminoAcid", "Backbone", "Nitrogen", "N"},
  {"AminoAcid", "Backbone", "Oxygen", "O OXT"},
  {"AminoAcid", "Backbone", "Pseudo", "PSAZ"},
  {"AminoAcid", "SideChain", "Carbon", "CB CD CD1 CD2 CE CE1 CE2 CE3 CG CG1 CG2 CH2 CZ CZ2 CZ3"},
  {"AminoAcid", "SideChain", "Hydrogen",
   "HA HA1 HA2 HB HB1 HB2 HB3 HD1 HD2 HE HE1 HE2 HE3 HG HG1 HG2 HH HH2 HZ HZ1 HZ2 HZ3 1HD1 1HD2 "
   "1HE2 1HG1 1HG2 1HH1 1HH2 2HD1 2HD2 2HE2 2HG1 2HG2 2HH1 2HH2 3HD1 3HD2 3HG1 3HG2"},
  {"AminoAcid", "SideChain", "Nitrogen", "ND1 ND2 NE NE1 NE2 NH1 NH2 NZ"},
  {"AminoAcid", "SideChain", "Oxygen", "OD1 OD2 OE1 OE2 OG OG1 OH"},
  {"AminoAcid", "SideChain", "Sulfur", "SD SG"},
  {"", "", "Magnesium", "MG"},
};

struct NamedPredicate
{
  std::string name;
  Predicate test;
};

const std::vector<NamedPredicate> kCategoryPredicates = {
  {"Misc", &t_Atom::is_Misc},           {"NucleicAcid", &t_Atom::is_NucleicAcid},
  {"AminoAcid", &t_Atom::is_AminoAcid}, {"Backbone", &t_Atom::is_Backbone},
  {"SideChain", &t_Atom::is_SideChain}, {"Carbon", &t_Atom::is_Carbon},
  {"Hydrogen", &t_Atom::is_Hydrogen},   {"Nitrogen", &t_Atom::is_Nitrogen},
  {"Phosphate", &t_Atom::is_Phosphate}, {"Oxygen", &t_Atom::is_Oxygen},
  {"Sulfur", &t_Atom::is_Sulfur},       {"Magnesium", &t_Atom::is_Magnesium},
  {"LonePair", &t_Atom::is_LonePair},   {"Pseudo", &t_Atom::is_Pseudo},
};

const std::vector<NamedPredicate>& type_predicates()
{
  static const std::vector<NamedPredicate> p = {
#define TESSEL_ATOM_TYPE(S, ...) {#S, &t_Atom::is_##S},
#include "AtomTypes.def"
  };
  return p;
}

std::string pad4(const std::string& s) { return s + std::string(4 - s.size(), ' '); }

// Type name: the suffix with its prime written '*'.
std::string expected_name(std::string suffix)
{
  for (char& c : suffix)
    if (c == 'p') c = '*';
  return suffix;
}

// A name that begins with a digit or fills the field starts in column 1,
// any other in column 2. Amino-acid hydrogens numbered on their heavy atom
// keep the older spelling with the digit first ("1HA ").
std::string expected_pdb_name(const std::string& name)
{
  static const std::set<std::string> digit_first = {"HA1", "HA2", "HB1", "HB2", "HB3",
                                                    "HD1", "HD2", "HE1", "HE2", "HE3",
                                                    "HG1", "HG2", "HZ1", "HZ2", "HZ3"};
  if (digit_first.count(name)) return std::string(1, name[2]) + name.substr(0, 2) + " ";
  if (std::isdigit(static_cast<unsigned char>(name[0])) || name.size() == 4) return pad4(name);
  return pad4(" " + name);
}

// Amber names write the prime as "'" and put a hydrogen's number last.
std::string expected_amber_name(const std::string& name)
{
  static const std::map<std::string, std::string> odd = {
    {"C5M", "C7"},    {"1H5M", "H71"},  {"2H5M", "H72"}, {"3H5M", "H73"},
    {"HO2*", "HO'2"}, {"HO3*", "HO'3"}, {"HA1", "HA2"},  {"HA2", "HA3"},
  };
  auto o = odd.find(name);
  std::string a = o != odd.end() ? o->second : name;
  if (o == odd.end() && std::isdigit(static_cast<unsigned char>(a[0])) && a.size() > 2 && a[1] == 'H')
    a = a.substr(1) + a[0];
  for (char& c : a)
    if (c == '*') c = '\'';
  return a;
}

}  // namespace

TEST_F(Registry, EveryTypeWritesTheIdOfTheIdListAndReadsBack)
{
  struct IdRun
  {
    int first;
    int last;
    const char* suffixes;
  };
  const IdRun runs[] = {
    {2, 13, "NucleicAcid AminoAcid Backbone SideChain Carbon Hydrogen Nitrogen Phosphate Oxygen Sulfur "
            "LonePair Pseudo"},
    {14, 81, "C1p C2p C3p C4p C5p H1p H2p H3p H4p H5p O1P O2p O2P O3p O3P O4p O5p P 1H2p 1H5p 2H2p 2H5p "
             "HO2p HO3p C2 C4 C5 C5M C6 C8 H1 H2 H3 H5 H6 H7 H8 N1 N2 N3 N4 N6 N7 N9 O2 O4 O6 1H2 1H4 "
             "1H5M 1H6 2H2 2H4 2H5M 2H6 3H5M PSY PSZ LP1 LP3 LP7 1LP2 1LP4 1LP6 2LP2 2LP4 2LP6 H3T"},
    {83, 118, "C CA CB CD CD1 CD2 CE CE1 CE2 CE3 CG CG1 CG2 CH2 CZ CZ2 CZ3 H HA HA1 HA2 HB HB1 HB2 HB3 "
              "HD1 HD2 HE HE1 HE2 HE3 HG HG1 HG2 HH HH2"},
    {122, 164, "HXT HZ HZ1 HZ2 HZ3 N ND1 ND2 NE NE1 NE2 NH1 NH2 NZ O OD1 OD2 OE1 OE2 OG OG1 OH OXT SD SG "
               "1HD1 1HD2 1HE2 1HG1 1HG2 1HH1 1HH2 2HD1 2HD2 2HE2 2HG1 2HG2 2HH1 2HH2 3HD1 3HD2 3HG1 3HG2"},
    {165, 171, "Magnesium MG 1H 2H 3H H5T PSAZ"},
  };
  std::set<std::string> seen;
  for (const IdRun& run : runs) {
    std::vector<std::string> w = words(run.suffixes);
    ASSERT_EQ(static_cast<int>(w.size()), run.last - run.first + 1) << run.first;
    int id = run.first;
    for (const std::string& s : w) {
      SCOPED_TRACE(s);
      EXPECT_TRUE(seen.insert(s).second);
      t_Atom* t = type_of(s);
      ASSERT_NE(t, nullptr);
      EXPECT_EQ(written_id(t), id);
      EXPECT_EQ(read_type(int_bytes(id)), t);
      EXPECT_EQ(atomTypeOfBinaryId(id), t);
      ++id;
    }
  }
  EXPECT_EQ(seen.size(), all_types().size());
}

TEST_F(Registry, ConcreteNamesFollowTheNamingRules)
{
  for (const NamedSlot& n : all_types()) {
    const t_Atom* t = *n.slot;
    if (t->getOrdinal() < kAtomCategoryCount) continue;
    SCOPED_TRACE(n.suffix);
    std::string name = expected_name(n.suffix);
    EXPECT_EQ(t->getName(), name);
    EXPECT_EQ(t->getPdbName(), expected_pdb_name(name));
    EXPECT_EQ(t->getAmberName(), expected_amber_name(name));
  }
  // The spellings users meet most, and the odd ones, spelled out.
  EXPECT_STREQ(a_P->getPdbName(), " P  ");
  EXPECT_STREQ(a_C5M->getPdbName(), " C5M");
  EXPECT_STREQ(a_1H5M->getAmberName(), "H71");
  EXPECT_STREQ(a_1H2p->getAmberName(), "H2'1");
  EXPECT_STREQ(a_HO2p->getName(), "HO2*");
  EXPECT_STREQ(a_HA1->getPdbName(), "1HA ");
  EXPECT_STREQ(a_HA2->getAmberName(), "HA3");
  EXPECT_STREQ(a_HH2->getPdbName(), " HH2");
  EXPECT_STREQ(a_1H->getPdbName(), "1H  ");
  EXPECT_STREQ(a_2LP6->getAmberName(), "2LP6");
}

TEST_F(Registry, CategoriesAnswerTheirNamesAndOnlyTheirOwnPredicate)
{
  struct Row
  {
    t_Atom* type;
    const char* name;
    const char* pdb;
    const char* amber;
  };
  const Row rows[] = {
    {a_NucleicAcid, "NucleicAcid", "NucleicAcid", "NucleicAcid"},
    {a_Backbone, "Backbone", "Backbone", "Backbone"},
    {a_Carbon, "Carbon", " C  ", "C"},
    {a_Phosphate, "Phosphate", " P  ", "P"},
    {a_Magnesium, "Magnesium", " MG ", "MG"},
    {a_LonePair, "LonePair", "LonePair", "LonePair"},
  };
  for (const Row& r : rows) {
    EXPECT_STREQ(r.type->getName(), r.name);
    EXPECT_STREQ(r.type->getPdbName(), r.pdb);
    EXPECT_STREQ(r.type->getAmberName(), r.amber);
  }
  for (const NamedSlot& n : all_types()) {
    const t_Atom* t = *n.slot;
    if (t->getOrdinal() >= kAtomCategoryCount) continue;
    SCOPED_TRACE(n.suffix);
    for (const NamedPredicate& p : kCategoryPredicates) EXPECT_EQ((t->*p.test)(), p.name == n.suffix) << p.name;
    for (const NamedPredicate& p : type_predicates()) EXPECT_FALSE((t->*p.test)()) << p.name;
    EXPECT_EQ(t->getVDWR(nullptr), 0.0f);
    EXPECT_EQ(t->getAmberEpsilon(nullptr), 0.0f);
    bool carries_charge = t == a_LonePair || t == a_Pseudo;
    EXPECT_EQ(t->getAmberCharge(nullptr), carries_charge ? 0.2f : 0.0f);
    EXPECT_FALSE(t->is_connected(a_C1p, r_RNA));
  }
}

TEST_F(Registry, PredicateMatrixFollowsTheGroups)
{
  std::map<std::string, const Group*> group_of;
  for (const Group& g : kGroups)
    for (const std::string& s : words(g.types)) EXPECT_TRUE(group_of.emplace(s, &g).second) << s;
  ASSERT_EQ(group_of.size(), kConcreteAtomTypeCount);

  for (const auto& [suffix, group] : group_of) {
    SCOPED_TRACE(suffix);
    const t_Atom* t = type_of(suffix);
    ASSERT_NE(t, nullptr);
    for (const NamedPredicate& p : kCategoryPredicates) {
      bool expected = p.name == group->polymer || p.name == group->part || p.name == group->element;
      EXPECT_EQ((t->*p.test)(), expected) << p.name;
    }
    for (const NamedPredicate& p : type_predicates()) EXPECT_EQ((t->*p.test)(), p.name == suffix) << p.name;
  }
  EXPECT_TRUE(a_O2p->is_O2p());
  EXPECT_FALSE(a_O2p->is_O2P());
  EXPECT_TRUE(a_O2P->is_O2P());
  EXPECT_FALSE(a_O2P->is_O2p());
}

TEST_F(Registry, RadiusAndWellDepthOfNucleicAcidTypes)
{
  Residue with_h3t(r_rA, {a_C1p, a_O3p, a_H3T});
  Residue with_h5t(r_rA, {a_C1p, a_O5p, a_H5T});
  Residue internal(r_dA, {a_C1p, a_O3p, a_O5p});

  EXPECT_EQ(a_O3p->getVDWR(&with_h3t), 1.721f);
  EXPECT_EQ(a_O3p->getVDWR(&internal), 1.6837f);
  EXPECT_EQ(a_O3p->getVDWR(&with_h5t), 1.6837f);
  EXPECT_EQ(a_O3p->getAmberEpsilon(&with_h3t), 0.2104f);
  EXPECT_EQ(a_O3p->getAmberEpsilon(&internal), 0.17f);
  EXPECT_EQ(a_O5p->getVDWR(&with_h5t), 1.721f);
  EXPECT_EQ(a_O5p->getVDWR(&with_h3t), 1.6837f);
  EXPECT_EQ(a_O5p->getAmberEpsilon(&with_h5t), 0.2104f);
  // The terminal values are the hydroxyl and ring oxygens' own.
  EXPECT_EQ(a_O3p->getVDWR(&with_h3t), a_O2p->getVDWR(nullptr));
  EXPECT_EQ(a_O3p->getVDWR(&internal), a_O4p->getVDWR(nullptr));
  // No residue holds no terminal hydrogen.
  EXPECT_EQ(a_O3p->getVDWR(nullptr), 1.6837f);
  EXPECT_EQ(a_O5p->getAmberEpsilon(nullptr), 0.17f);

  EXPECT_EQ(a_C1p->getVDWR(nullptr), 1.908f);
  EXPECT_EQ(a_C1p->getAmberEpsilon(nullptr), 0.1094f);
  EXPECT_EQ(a_C2->getAmberEpsilon(nullptr), 0.086f);
  EXPECT_EQ(a_H1p->getVDWR(nullptr), 1.287f);
  for (t_Atom* t : {a_H2p, a_H3p, a_H4p, a_H5p, a_1H5p, a_2H5p}) EXPECT_EQ(t->getVDWR(nullptr), 1.387f);
  for (t_Atom* t : {a_1H2p, a_2H2p}) EXPECT_EQ(t->getVDWR(nullptr), 1.487f);
  for (t_Atom* t : {a_HO2p, a_HO3p, a_H3T, a_H5T}) {
    EXPECT_EQ(t->getVDWR(nullptr), 0.0f);
    EXPECT_EQ(t->getAmberEpsilon(nullptr), 0.0f);
  }
  EXPECT_EQ(a_P->getVDWR(nullptr), 2.1f);
  EXPECT_EQ(a_O1P->getVDWR(nullptr), 1.6612f);
  EXPECT_EQ(a_N9->getAmberEpsilon(nullptr), 0.17f);
  EXPECT_EQ(a_H2->getVDWR(nullptr), 1.359f);
  EXPECT_EQ(a_H2->getAmberEpsilon(nullptr), 0.015f);
}

TEST_F(Registry, LonePairsAndPseudoAtomsAnswerAsTheirCategory)
{
  for (t_Atom* t : {a_LP1, a_LP3, a_LP7, a_1LP2, a_2LP2, a_1LP4, a_2LP4, a_1LP6, a_2LP6, a_PSY, a_PSZ, a_PSAZ}) {
    SCOPED_TRACE(t->getName());
    EXPECT_EQ(t->getVDWR(nullptr), 0.0f);
    EXPECT_EQ(t->getAmberEpsilon(nullptr), 0.0f);
    EXPECT_EQ(t->getAmberCharge(nullptr), 0.2f);
  }
  EXPECT_TRUE(a_LP1->is_LonePair() && a_LP1->is_SideChain() && a_LP1->is_NucleicAcid());
  EXPECT_FALSE(a_LP1->is_Backbone());
  EXPECT_TRUE(a_PSAZ->is_AminoAcid() && a_PSAZ->is_Pseudo() && a_PSAZ->is_Backbone());
  EXPECT_FALSE(a_PSAZ->is_Carbon() || a_PSAZ->is_Hydrogen());
}

TEST_F(Registry, AminoAcidRadiusAndWellDepthByResidue)
{
  Residue ser(r_SER, {});
  Residue his(r_HIS, {});
  Residue trp(r_TRP, {});
  Residue lys(r_LYS, {});
  Residue met(r_MET, {});
  Residue ala(r_ALA, {});
  Residue leu(r_LEU, {});
  Residue glu(r_GLU, {});
  Residue pro(r_PRO, {});
  Residue rna(r_rG, {});
  Residue generic(r_AminoAcid, {});
  Residue untyped(nullptr, {});

  EXPECT_EQ(a_HB2->getVDWR(&ser), 1.387f);
  EXPECT_EQ(a_HB3->getVDWR(&ala), 1.487f);
  EXPECT_EQ(a_HD1->getVDWR(&his), 0.6f);
  EXPECT_EQ(a_HD1->getVDWR(&trp), 1.409f);
  EXPECT_EQ(a_HD1->getVDWR(&ala), 1.459f);
  EXPECT_EQ(a_HD1->getAmberEpsilon(&his), 0.0157f);
  EXPECT_EQ(a_HD1->getAmberEpsilon(&trp), 0.015f);
  EXPECT_EQ(a_HD2->getVDWR(&pro), 1.387f);
  EXPECT_EQ(a_HD2->getVDWR(&lys), 1.487f);
  EXPECT_EQ(a_HD2->getVDWR(&ala), 0.0f);
  EXPECT_EQ(a_HD2->getVDWR(&rna), 0.0f);
  EXPECT_EQ(a_HE1->getVDWR(&trp), 0.6f);
  EXPECT_EQ(a_HE1->getAmberEpsilon(&trp), 0.0157f);
  EXPECT_EQ(a_HE1->getAmberEpsilon(&his), 0.015f);
  EXPECT_EQ(a_HE2->getVDWR(&lys), 1.1f);
  EXPECT_EQ(a_HE2->getVDWR(&glu), 0.0f);
  EXPECT_EQ(a_HE2->getAmberEpsilon(&glu), 0.0f);
  EXPECT_EQ(a_HE3->getVDWR(&met), 1.387f);
  EXPECT_EQ(a_HE3->getAmberEpsilon(&trp), 0.015f);
  EXPECT_EQ(a_HG2->getVDWR(&glu), 1.487f);
  EXPECT_EQ(a_HG2->getVDWR(&met), 1.387f);
  EXPECT_EQ(a_HZ2->getVDWR(&lys), 0.6f);
  EXPECT_EQ(a_HZ3->getVDWR(&trp), 1.459f);
  EXPECT_EQ(a_HZ3->getAmberEpsilon(&lys), 0.0157f);
  EXPECT_EQ(a_CG->getAmberEpsilon(&his), 0.086f);
  EXPECT_EQ(a_CG->getAmberEpsilon(&leu), 0.1094f);
  EXPECT_EQ(a_CD->getAmberEpsilon(&glu), 0.086f);
  EXPECT_EQ(a_CD->getAmberEpsilon(&pro), 0.1094f);
  EXPECT_EQ(a_CD1->getAmberEpsilon(&trp), 0.086f);
  // The generalised amino acid, a nucleotide, a residue without a type and
  // no residue at all get the value for any other residue.
  EXPECT_EQ(a_CG->getAmberEpsilon(&generic), 0.1094f);
  EXPECT_EQ(a_HB2->getVDWR(&untyped), 1.487f);
  EXPECT_EQ(a_HD1->getVDWR(nullptr), 1.459f);
  EXPECT_EQ(a_HD2->getAmberEpsilon(nullptr), 0.0f);
  // Constant types ignore the residue, even where one name occurs in
  // several amino acids.
  EXPECT_EQ(a_CD2->getAmberEpsilon(&his), 0.086f);
  EXPECT_EQ(a_CD2->getAmberEpsilon(&leu), 0.086f);
  EXPECT_EQ(a_C->getAmberEpsilon(nullptr), 0.086f);
  EXPECT_EQ(a_CA->getAmberEpsilon(nullptr), 0.1094f);
  EXPECT_EQ(a_SG->getVDWR(nullptr), 2.0f);
  EXPECT_EQ(a_SG->getAmberEpsilon(nullptr), 0.25f);
  EXPECT_EQ(a_HG1->getVDWR(&ser), 0.0f);
  EXPECT_EQ(a_1HD1->getVDWR(nullptr), 1.487f);
  EXPECT_EQ(a_1HD2->getVDWR(nullptr), 0.6f);
  EXPECT_EQ(a_MG->getVDWR(nullptr), 0.0f);
}

TEST_F(Registry, MagnesiumIsAnElementAlone)
{
  for (const NamedPredicate& p : kCategoryPredicates)
    EXPECT_EQ((a_MG->*p.test)(), p.name == "Magnesium") << p.name;
  EXPECT_TRUE(a_MG->is_MG());
  EXPECT_EQ(written_id(a_MG), 166);
  EXPECT_EQ(written_id(a_Magnesium), 165);
}

TEST_F(Registry, MiscTypesJudgeTheirElementByTheFirstLetter)
{
  // Misc types live as long as the registry that points at them.
  const at_Misc& iron = *dynamic_cast<at_Misc*>(at_Misc::findOrCreate("FE", " FE "));
  const at_Misc& hydrogen = *dynamic_cast<at_Misc*>(at_Misc::findOrCreate("1HB", "1HB "));
  const at_Misc& digits = *dynamic_cast<at_Misc*>(at_Misc::findOrCreate("1234", "1234"));
  const at_Misc& chlorine = *dynamic_cast<at_Misc*>(at_Misc::findOrCreate("CL", "CL  "));
  const at_Misc& manganese = *dynamic_cast<at_Misc*>(at_Misc::findOrCreate("MN", " MN "));
  const at_Misc& lower = *dynamic_cast<at_Misc*>(at_Misc::findOrCreate("cx", " cx "));

  EXPECT_STREQ(iron.getName(), " FE ");
  EXPECT_STREQ(iron.getPdbName(), " FE ");
  EXPECT_STREQ(iron.getAmberName(), " FE ");
  EXPECT_STREQ(iron.getKey(), "FE");
  EXPECT_EQ(iron.GetFirstAlpha(), 'F');
  EXPECT_EQ(digits.GetFirstAlpha(), '\0');
  EXPECT_EQ(hydrogen.GetFirstAlpha(), 'H');

  const std::vector<NamedPredicate> elements = {
    {"C", &t_Atom::is_Carbon},     {"H", &t_Atom::is_Hydrogen}, {"N", &t_Atom::is_Nitrogen},
    {"P", &t_Atom::is_Phosphate},  {"O", &t_Atom::is_Oxygen},   {"S", &t_Atom::is_Sulfur},
    {"M", &t_Atom::is_Magnesium},  {"L", &t_Atom::is_LonePair},
  };
  struct Case
  {
    const at_Misc* type;
    const char* element;
  };
  for (const Case& c : {Case{&iron, ""}, Case{&hydrogen, "H"}, Case{&digits, ""}, Case{&chlorine, "C"},
                        Case{&manganese, "M"}, Case{&lower, ""}}) {
    SCOPED_TRACE(c.type->getName());
    for (const NamedPredicate& p : elements) EXPECT_EQ((c.type->*p.test)(), p.name == c.element) << p.name;
    EXPECT_TRUE(c.type->is_Misc());
    EXPECT_FALSE(c.type->is_Pseudo());
    EXPECT_FALSE(c.type->is_NucleicAcid() || c.type->is_Backbone() || c.type->is_SideChain());
    for (const NamedPredicate& p : type_predicates()) EXPECT_FALSE((c.type->*p.test)()) << p.name;
    EXPECT_FALSE(c.type->is_connected(a_C1p, r_RNA));
    EXPECT_EQ(c.type->getVDWR(nullptr), 0.0f);
    EXPECT_EQ(c.type->getAmberEpsilon(nullptr), 0.0f);
    EXPECT_EQ(c.type->getAmberCharge(nullptr), 0.0f);
  }
}

TEST_F(Registry, MiscTypesRegisterOncePerKey)
{
  t_Atom* first = at_Misc::findOrCreate("ZN", " ZN ");
  std::size_t size = gMiscAtomString.size();
  EXPECT_EQ(gMiscAtomString.at("ZN"), first);
  EXPECT_EQ(at_Misc::findOrCreate("ZN", "ZN  "), first);
  EXPECT_STREQ(first->getName(), " ZN ");
  EXPECT_EQ(gMiscAtomString.size(), size);

  // A name longer than the field is cut to its four characters.
  t_Atom* cut = at_Misc::findOrCreate("ABCDEFGH", "ABCDEFGH");
  EXPECT_STREQ(cut->getName(), "ABCD");
  EXPECT_STREQ(dynamic_cast<at_Misc*>(cut)->getKey(), "ABCD");
  EXPECT_EQ(at_Misc::findOrCreate("ABCDXYZ", "ABCD"), cut);

  // Copies are neither registered nor the same type.
  at_Misc copy(*dynamic_cast<at_Misc*>(first));
  EXPECT_STREQ(copy.getName(), " ZN ");
  EXPECT_EQ(gMiscAtomString.at("ZN"), first);
  EXPECT_TRUE(less_atom_type()(first, &copy) || less_atom_type()(&copy, first));

  at_Misc& other = *new at_Misc("QQ", " QQ ");
  other = copy;
  EXPECT_STREQ(other.getKey(), "ZN");
  const at_Misc& same = other;
  other = same;
  EXPECT_STREQ(other.getName(), " ZN ");
}

TEST_F(Registry, BinaryFormOfMiscTypes)
{
  t_Atom* fe = at_Misc::findOrCreate("FE", " FE ");
  std::string bytes = bytes_of(fe);
  EXPECT_EQ(bytes, int_bytes(82) + std::string("\0\x02" "FE" "\0\x04" " FE ", 10));
  EXPECT_EQ(read_type(bytes), fe);

  // A key met again keeps the first field name, and the registry one entry.
  std::size_t size = gMiscAtomString.size();
  std::string again = int_bytes(82) + std::string("\0\x02" "FE" "\0\x04" "FE  ", 10);
  EXPECT_EQ(read_type(again), fe);
  EXPECT_STREQ(fe->getName(), " FE ");
  EXPECT_EQ(gMiscAtomString.size(), size);

  std::string fresh = int_bytes(82) + std::string("\0\x02" "XY" "\0\x04" " XY ", 10);
  t_Atom* xy = read_type(fresh);
  ASSERT_NE(xy, nullptr);
  EXPECT_TRUE(xy->is_Misc());
  EXPECT_STREQ(xy->getName(), " XY ");
  EXPECT_EQ(gMiscAtomString.size(), size + 1);

  // A long stored key is cut as the field would cut it.
  std::string longer = int_bytes(82) + std::string("\0\x06" "XYZUVW" "\0\x02" "XY", 12);
  t_Atom* cut = read_type(longer);
  ASSERT_NE(cut, nullptr);
  EXPECT_STREQ(dynamic_cast<at_Misc*>(cut)->getKey(), "XYZU");
  EXPECT_EQ(read_type(int_bytes(82) + std::string("\0\x04" "XYZU" "\0\x00", 8)), cut);

  // A stored name too long for any atom name fails the stream.
  std::string huge = int_bytes(82) + std::string("\x01\x00", 2) + std::string(256, 'A') + std::string("\0\0", 2);
  bool ok = true;
  EXPECT_EQ(read_type(huge, &ok), nullptr);
  EXPECT_FALSE(ok);
}

TEST_F(Registry, UnknownBinaryIdsFailTheStream)
{
  for (int id : {1, 0, -5, 119, 120, 121, 172, 100000}) {
    SCOPED_TRACE(id);
    bool ok = true;
    EXPECT_EQ(read_type(int_bytes(id), &ok), nullptr);
    EXPECT_FALSE(ok);
    EXPECT_EQ(atomTypeOfBinaryId(id), nullptr);
  }
  bool ok = true;
  EXPECT_EQ(read_type(std::string("\0\0", 2), &ok), nullptr);
  EXPECT_FALSE(ok);
  EXPECT_EQ(atomTypeOfBinaryId(82), nullptr);

  std::stringbuf out_buf;
  oBinstream out(&out_buf);
  out << static_cast<const t_Atom*>(nullptr);
  EXPECT_FALSE(out);
  EXPECT_EQ(out_buf.str(), "");
}

TEST_F(Registry, RegistryOrderIsCreationOrderThenMiscTypes)
{
  less_atom_type less;
  for (unsigned i = 0; i < kAtomTypeCount; ++i) {
    EXPECT_EQ((*kAtomTypeSlots[i])->getOrdinal(), i);
    if (i > 0) {
      EXPECT_TRUE(less(*kAtomTypeSlots[i - 1], *kAtomTypeSlots[i])) << i;
    }
  }
  // The order is the creation order, not the order of the predicates or ids.
  EXPECT_TRUE(less(a_H, a_1H));
  EXPECT_TRUE(less(a_3H, a_HA));
  EXPECT_TRUE(less(a_H5T, a_C));
  EXPECT_TRUE(less(a_2LP6, a_LP1));

  t_Atom* early = at_Misc::findOrCreate("EA1", "EA1 ");
  t_Atom* late = at_Misc::findOrCreate("EA2", "EA2 ");
  EXPECT_GE(early->getOrdinal(), kAtomTypeCount);
  EXPECT_TRUE(less(a_PSAZ, early));
  EXPECT_TRUE(less(early, late));
  EXPECT_FALSE(less(late, early));
  EXPECT_FALSE(less(a_C1p, a_C1p));
  EXPECT_TRUE(less(nullptr, a_NucleicAcid));
  EXPECT_FALSE(less(a_NucleicAcid, nullptr));

  // A set of types iterates in registry order whatever the insertion order.
  AtomTypeSet set = {late, a_PSAZ, a_P, a_C1p, early, a_NucleicAcid};
  std::vector<t_Atom*> order(set.begin(), set.end());
  EXPECT_EQ(order, (std::vector<t_Atom*>{a_NucleicAcid, a_C1p, a_P, a_PSAZ, early, late}));
}

TEST_F(Registry, TypesPrintTheirNames)
{
  std::ostringstream text;
  text << a_C1p << '|' << *a_HA1 << '|' << static_cast<const t_Atom*>(nullptr);
  EXPECT_EQ(text.str(), "C1*|HA1|(null)");

  std::stringbuf buf;
  Messagestream messages(&buf, 2, 2);
  messages << a_O2P << ' ' << *a_Carbon << ' ' << r_rA << ' ' << *r_VAL;
  EXPECT_EQ(buf.str(), "O2P Carbon rA VAL");
}
