#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ResidueType.h"
#include "TypeTestSupport.h"

namespace {

using type_test::bytes_of;
using type_test::int_bytes;
using type_test::Registry;

typedef bool (t_Residue::*Predicate)() const;

struct Row
{
  t_Residue* const* slot;
  const char* name;
  const char* pdb;
  char letter;
  int code;
  const char* true_predicates;  // its own and every family it belongs to
};

const Row kRows[] = {
  {&r_NucleicAcid, "Nucleic", "Nucleic", 'N', 2, "NucleicAcid"},
  {&r_AminoAcid, "Amino", "Amino", '?', 3, "AminoAcid"},
  {&r_Phosphate, "Phosphate", "PO4", '?', 4, "NucleicAcid Phosphate"},
  {&r_Purine, "Purine", "Purine", 'N', 5, "NucleicAcid Purine"},
  {&r_Pyrimidine, "Pyrimidine", "Pyrimidine", 'N', 6, "NucleicAcid Pyrimidine"},
  {&r_DNA, "DNA", "DNA", 'N', 7, "NucleicAcid DNA"},
  {&r_RNA, "RNA", "RNA", 'N', 8, "NucleicAcid RNA"},
  {&r_A, "A", "  A", 'A', 9, "NucleicAcid Purine A"},
  {&r_C, "C", "  C", 'C', 10, "NucleicAcid Pyrimidine C"},
  {&r_G, "G", "  G", 'G', 11, "NucleicAcid Purine G"},
  {&r_U, "U", "  U", 'U', 12, "NucleicAcid Pyrimidine U"},
  {&r_T, "T", "  T", 'T', 13, "NucleicAcid Pyrimidine T"},
  {&r_rA, "rA", "  A", 'A', 14, "NucleicAcid Purine RNA A rA"},
  {&r_rC, "rC", "  C", 'C', 15, "NucleicAcid Pyrimidine RNA C rC"},
  {&r_rG, "rG", "  G", 'G', 16, "NucleicAcid Purine RNA G rG"},
  {&r_rU, "rU", "  U", 'U', 17, "NucleicAcid Pyrimidine RNA U rU"},
  {&r_dA, "dA", "  A", 'A', 18, "NucleicAcid Purine DNA A dA"},
  {&r_dC, "dC", "  C", 'C', 19, "NucleicAcid Pyrimidine DNA C dC"},
  {&r_dG, "dG", "  G", 'G', 20, "NucleicAcid Purine DNA G dG"},
  {&r_dT, "dT", "  T", 'T', 21, "NucleicAcid Pyrimidine DNA T dT"},
  {&r_ALA, "ALA", "ALA", 'A', 23, "AminoAcid ALA"},
  {&r_ARG, "ARG", "ARG", 'R', 24, "AminoAcid ARG"},
  {&r_ASN, "ASN", "ASN", 'N', 25, "AminoAcid ASN"},
  {&r_ASP, "ASP", "ASP", 'D', 26, "AminoAcid ASP"},
  {&r_CYS, "CYS", "CYS", 'C', 27, "AminoAcid CYS"},
  {&r_GLN, "GLN", "GLN", 'Q', 28, "AminoAcid GLN"},
  {&r_GLU, "GLU", "GLU", 'E', 29, "AminoAcid GLU"},
  {&r_GLY, "GLY", "GLY", 'G', 30, "AminoAcid GLY"},
  {&r_HIS, "HIS", "HIS", 'H', 31, "AminoAcid HIS"},
  {&r_ILE, "ILE", "ILE", 'I', 32, "AminoAcid ILE"},
  {&r_LEU, "LEU", "LEU", 'L', 33, "AminoAcid LEU"},
  {&r_LYS, "LYS", "LYS", 'K', 34, "AminoAcid LYS"},
  {&r_MET, "MET", "MET", 'M', 35, "AminoAcid MET"},
  {&r_PHE, "PHE", "PHE", 'F', 36, "AminoAcid PHE"},
  {&r_PRO, "PRO", "PRO", 'P', 37, "AminoAcid PRO"},
  {&r_SER, "SER", "SER", 'S', 38, "AminoAcid SER"},
  {&r_THR, "THR", "THR", 'T', 39, "AminoAcid THR"},
  {&r_TRP, "TRP", "TRP", 'W', 40, "AminoAcid TRP"},
  {&r_TYR, "TYR", "TYR", 'Y', 41, "AminoAcid TYR"},
  {&r_VAL, "VAL", "VAL", 'V', 42, "AminoAcid VAL"},
};

struct NamedPredicate
{
  std::string name;
  Predicate test;
};

// All 41, in the order the root declares them.
const std::vector<NamedPredicate> kPredicates = {
  {"Misc", &t_Residue::is_Misc},   {"NucleicAcid", &t_Residue::is_NucleicAcid},
  {"AminoAcid", &t_Residue::is_AminoAcid}, {"Phosphate", &t_Residue::is_Phosphate},
  {"Purine", &t_Residue::is_Purine}, {"Pyrimidine", &t_Residue::is_Pyrimidine},
  {"DNA", &t_Residue::is_DNA},     {"RNA", &t_Residue::is_RNA},
  {"A", &t_Residue::is_A},         {"C", &t_Residue::is_C},
  {"G", &t_Residue::is_G},         {"U", &t_Residue::is_U},
  {"T", &t_Residue::is_T},         {"rA", &t_Residue::is_rA},
  {"rC", &t_Residue::is_rC},       {"rG", &t_Residue::is_rG},
  {"rU", &t_Residue::is_rU},       {"dA", &t_Residue::is_dA},
  {"dC", &t_Residue::is_dC},       {"dG", &t_Residue::is_dG},
  {"dT", &t_Residue::is_dT},       {"ALA", &t_Residue::is_ALA},
  {"ARG", &t_Residue::is_ARG},     {"ASN", &t_Residue::is_ASN},
  {"ASP", &t_Residue::is_ASP},     {"CYS", &t_Residue::is_CYS},
  {"GLN", &t_Residue::is_GLN},     {"GLU", &t_Residue::is_GLU},
  {"GLY", &t_Residue::is_GLY},     {"HIS", &t_Residue::is_HIS},
  {"ILE", &t_Residue::is_ILE},     {"LEU", &t_Residue::is_LEU},
  {"LYS", &t_Residue::is_LYS},     {"MET", &t_Residue::is_MET},
  {"PHE", &t_Residue::is_PHE},     {"PRO", &t_Residue::is_PRO},
  {"SER", &t_Residue::is_SER},     {"THR", &t_Residue::is_THR},
  {"TRP", &t_Residue::is_TRP},     {"TYR", &t_Residue::is_TYR},
  {"VAL", &t_Residue::is_VAL},
};

std::set<std::string> words(const char* text)
{
  std::istringstream in(text);
  std::set<std::string> w;
  for (std::string s; in >> s;) w.insert(s);
  return w;
}

t_Residue* read_type(const std::string& bytes, bool* ok = nullptr)
{
  std::stringbuf buf(bytes);
  iBinstream in(&buf);
  t_Residue* t = nullptr;
  in >> t;
  if (ok) *ok = static_cast<bool>(in);
  return t;
}

// The predicate a row's own class introduces: the last of its list.
std::string own_predicate(const Row& r)
{
  std::istringstream in(r.true_predicates);
  std::string last;
  for (std::string s; in >> s;) last = s;
  return last;
}

}  // namespace

TEST_F(Registry, ResidueTypesAnswerNamesLettersCodesAndPredicates)
{
  ASSERT_EQ(std::size(kRows), kResidueTypeCount);
  ASSERT_EQ(kPredicates.size(), 41u);
  for (const Row& r : kRows) {
    const t_Residue* t = *r.slot;
    SCOPED_TRACE(r.name);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->getName(), r.name);
    EXPECT_STREQ(t->getPdbName(), r.pdb);
    EXPECT_EQ(t->getOneLetterCode(), r.letter);
    EXPECT_EQ(bytes_of(t), int_bytes(r.code));
    EXPECT_EQ(read_type(int_bytes(r.code)), t);
    std::set<std::string> expected = words(r.true_predicates);
    for (const NamedPredicate& p : kPredicates) EXPECT_EQ((t->*p.test)(), expected.count(p.name) == 1) << p.name;
  }
}

TEST_F(Registry, SubtypeTestAgreesWithThePredicates)
{
  for (const Row& a : kRows) {
    for (const Row& b : kRows) {
      SCOPED_TRACE(std::string(a.name) + " is " + b.name);
      // a is b exactly when a answers the predicate b's class introduces.
      EXPECT_EQ((*a.slot)->is(*b.slot), words(a.true_predicates).count(own_predicate(b)) == 1);
      EXPECT_EQ((*b.slot)->is_supertype_of(*a.slot), (*a.slot)->is(*b.slot));
    }
    EXPECT_FALSE((*a.slot)->is_supertype_of(nullptr));
  }
  EXPECT_TRUE(r_rA->is(r_A) && r_rA->is(r_RNA) && r_rA->is(r_Purine) && r_rA->is(r_NucleicAcid));
  EXPECT_FALSE(r_A->is(r_rA));
  EXPECT_FALSE(r_rA->is(r_dA));
  EXPECT_TRUE(r_ALA->is(r_AminoAcid));
  EXPECT_FALSE(r_Phosphate->is(r_Purine));
}

TEST_F(Registry, MiscResidueTypesKeepThreeCharactersAndRegister)
{
  t_Residue* hoh = rt_Misc::findOrCreate("HOH");
  EXPECT_STREQ(hoh->getName(), "HOH");
  EXPECT_STREQ(hoh->getPdbName(), "HOH");
  EXPECT_EQ(hoh->getOneLetterCode(), 'X');
  EXPECT_TRUE(hoh->is_Misc());
  EXPECT_FALSE(hoh->is_NucleicAcid() || hoh->is_AminoAcid());
  EXPECT_EQ(gMiscResidueString.at("HOH"), hoh);
  EXPECT_EQ(rt_Misc::findOrCreate("HOH"), hoh);

  t_Residue* one = rt_Misc::findOrCreate("K");
  EXPECT_STREQ(one->getPdbName(), "K");

  t_Residue* cut = new rt_Misc("ABCDE");
  EXPECT_STREQ(cut->getName(), "ABC");
  EXPECT_EQ(gMiscResidueString.at("ABC"), cut);
  // A second type of the same three characters takes over the entry; the
  // first stays valid for whoever holds it.
  t_Residue* second = new rt_Misc("ABCXY");
  EXPECT_EQ(gMiscResidueString.at("ABC"), second);
  EXPECT_STREQ(cut->getName(), "ABC");

  // Misc types are each other's supertypes and no singleton's.
  EXPECT_TRUE(hoh->is(one) && one->is(hoh));
  EXPECT_FALSE(hoh->is(r_NucleicAcid));
  EXPECT_FALSE(r_rA->is(hoh));
  EXPECT_TRUE(hoh->is_supertype_of(hoh));

  rt_Misc copy(*dynamic_cast<rt_Misc*>(hoh));
  EXPECT_STREQ(copy.getName(), "HOH");
  EXPECT_EQ(gMiscResidueString.at("HOH"), hoh);
  copy = *dynamic_cast<rt_Misc*>(one);
  EXPECT_STREQ(copy.getName(), "K");
}

TEST_F(Registry, BinaryFormOfResidueTypes)
{
  t_Residue* sul = rt_Misc::findOrCreate("SO4");
  std::string bytes = bytes_of(sul);
  EXPECT_EQ(bytes, int_bytes(22) + std::string("\0\x03" "SO4", 5));
  EXPECT_EQ(read_type(bytes), sul);

  std::size_t size = gMiscResidueString.size();
  t_Residue* fresh = read_type(int_bytes(22) + std::string("\0\x03" "ZZZ", 5));
  ASSERT_NE(fresh, nullptr);
  EXPECT_STREQ(fresh->getName(), "ZZZ");
  EXPECT_EQ(gMiscResidueString.size(), size + 1);
  // A longer stored name finds the type its first three characters name.
  EXPECT_EQ(read_type(int_bytes(22) + std::string("\0\x05" "ZZZQQ", 7)), fresh);
  EXPECT_EQ(gMiscResidueString.size(), size + 1);

  // A name too long for the reader fails the stream.
  bool ok = true;
  EXPECT_EQ(read_type(int_bytes(22) + std::string("\x01\x00", 2) + std::string(256, 'Q'), &ok), nullptr);
  EXPECT_FALSE(ok);

  // Unknown codes read as null and read nothing more.
  for (int code : {1, 0, 43, -1}) {
    SCOPED_TRACE(code);
    std::stringbuf buf(int_bytes(code) + int_bytes(14));
    iBinstream in(&buf);
    t_Residue* t = r_VAL;
    in >> t;
    EXPECT_EQ(t, nullptr);
    in >> t;
    EXPECT_EQ(t, r_rA);
  }
  EXPECT_EQ(bytes_of(static_cast<const t_Residue*>(r_dT)), int_bytes(21));

  std::stringbuf out_buf;
  oBinstream out(&out_buf);
  out << static_cast<const t_Residue*>(nullptr);
  EXPECT_FALSE(out);
  EXPECT_EQ(out_buf.str(), "");
}

TEST_F(Registry, ResidueTypesPrintTheirNames)
{
  std::ostringstream text;
  text << r_rA << ' ' << *r_Pyrimidine << ' ' << static_cast<const t_Residue*>(nullptr);
  EXPECT_EQ(text.str(), "rA Pyrimidine (null)");
}
