#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "AtomTypes.h"
#include "Pdbstream.h"
#include "ResidueType.h"
#include "TesselInit.h"

namespace {

class PdbRead : public ::testing::Test
{
protected:
  void SetUp() override { TesselInit(); }
};

// An atom record laid out column by column.
std::string atom_line(const char* record, const char* name, const char* residue, char chain,
                      const char* number, const char* x, const char* y, const char* z,
                      char alt = ' ', char insertion = ' ')
{
  char line[96];
  std::snprintf(line, sizeof line, "%-6.6s%5d %-4.4s%c%3.3s %c%4.4s%c   %8.8s%8.8s%8.8s  1.00 20.00",
                record, 7, name, alt, residue, chain, number, insertion, x, y, z);
  return line;
}

std::vector<CAtom> read_atoms(const std::string& text)
{
  std::stringbuf buffer(text);
  iPdbstream in(&buffer);
  std::vector<CAtom> atoms;
  for (;;) {
    CAtom a;
    in >> a;
    if (a.getType() == nullptr) return atoms;
    atoms.push_back(a);
  }
}

// The lookups rewrite the name in place: they get a copy.
t_Atom* atom_type(const char* field, t_Residue* residue)
{
  std::string name(field);
  return iPdbstream::GetAtomType(&name[0], residue);
}

t_Residue* residue_type(const char* field)
{
  std::string name(field);
  return iPdbstream::GetResidueType(&name[0]);
}

}  // namespace

TEST_F(PdbRead, LinesEndAtLineFeedCarriageReturnOrEndOfInput)
{
  std::string longLine(300, 'x');
  longLine[255] = 'Y';  // the first character past what the buffer keeps
  std::stringbuf buffer("one\r\ntwo\rthree\n" + longLine + "\nlast");
  iPdbstream in(&buffer);
  std::vector<std::string> lines;
  for (;;) {
    unsigned n = in.getline();
    if (!in) break;
    lines.push_back(std::string(in.GetRecordType()) + "|" + std::to_string(n));
  }
  // A carriage return and line feed end a line and an empty one; the long
  // line is kept to 255 characters and its rest is not a new line; the last
  // line reads without a line end.
  std::vector<std::string> expected = {"one|3", "|0", "two|3", "three|5", "xxxxxx|255", "last|4"};
  EXPECT_EQ(lines, expected);
  EXPECT_TRUE(in.eof());
  EXPECT_TRUE(in.fail());
  EXPECT_FALSE(in.bad());
}

TEST_F(PdbRead, GetlineIntoABufferKeepsNMinusOneCharacters)
{
  std::stringbuf buffer("abcdefgh\nij\n");
  iPdbstream in(&buffer);
  char text[5];
  in.getline(text, sizeof text);
  EXPECT_STREQ(text, "abcd");
  in.getline(text, sizeof text);
  EXPECT_STREQ(text, "ij");
  EXPECT_TRUE(in.good());
  in.getline(text, sizeof text);
  EXPECT_STREQ(text, "");
  EXPECT_TRUE(in.eof() && in.fail());
}

TEST_F(PdbRead, RecordFlags)
{
  std::stringbuf buffer("TER\nTER   \nATOM\nENDMDL\nEND\nEND   \nREMARK\n");
  iPdbstream in(&buffer);
  struct { bool ter, endmdl, end; } expected[] = {
    {false, false, false}, {true, false, false}, {false, false, false},
    {false, true, false},  {false, false, false}, {false, false, true}, {false, false, true}};
  for (const auto& e : expected) {
    in.getline();
    EXPECT_EQ(in.IsTER(), e.ter) << in.GetRecordType();
    EXPECT_EQ(in.IsENDMDL(), e.endmdl) << in.GetRecordType();
    EXPECT_EQ(in.IsEND(), e.end) << in.GetRecordType();
  }
  in.open();
  EXPECT_FALSE(in.IsEND());
}

TEST_F(PdbRead, AtomFieldsFromTheirColumns)
{
  std::string text = "REMARK   1 nothing\n" +
                     atom_line("ATOM", " C1'", "  G", 'A', "  12", "1.5", "-2.25", "3").substr(0, 53) +
                     "\n" + atom_line("HETATM", "C1*", "  G", 'B', " -7", "  11.104", " -6.5", "10.", 'A', 'C') +
                     "\n";
  std::string shortest = atom_line("ATOM", " P  ", "  U", 'A', "   1", "1", "2", "3").substr(0, 54);
  std::vector<CAtom> atoms = read_atoms(text + shortest);
  ASSERT_EQ(atoms.size(), 2u);  // 53 characters are no atom, 54 are
  EXPECT_EQ(atoms[1].z, 3.0f);
  const CAtom& a = atoms[0];
  EXPECT_EQ(a.getType(), a_C1p);
  EXPECT_EQ(a.getAltLoc(), 'A');
  EXPECT_EQ(a.x, 11.104f);
  EXPECT_EQ(a.y, -6.5f);
  EXPECT_EQ(a.z, 10.0f);

  std::stringbuf buffer(text);
  iPdbstream in(&buffer);
  CAtom b;
  in >> b;
  EXPECT_EQ(in.GetResType(), r_G);
  EXPECT_EQ(in.GetResId(), CResId(-7, 'B', 'C'));
  EXPECT_STREQ(in.GetRecordType(), "HETATM");
}

TEST_F(PdbRead, LastLineWithoutLineEndIsRead)
{
  std::string first = atom_line("ATOM", " N1 ", "  C", 'A', "   1", "1", "2", "3");
  std::string last = atom_line("ATOM", " N3 ", "  C", 'A', "   1", "4", "5", "6");
  std::vector<CAtom> atoms = read_atoms(first + "\n" + last);
  ASSERT_EQ(atoms.size(), 2u);
  EXPECT_EQ(atoms[1].getType(), a_N3);
  EXPECT_EQ(atoms[1].x, 4.0f);
}

TEST_F(PdbRead, StopRecordsLeaveTheAtomUntouched)
{
  for (const char* stop : {"TER   ", "ENDMDL", "END   ", ""}) {
    // No stop record: the end of input.
    std::stringbuf buffer(*stop == '\0' ? std::string()
                                         : std::string(stop) + "\n" +
                                             atom_line("ATOM", " P  ", "  A", 'A', "1", "1", "1", "1"));
    iPdbstream in(&buffer);
    CAtom a(9, 9, 9, a_N1);
    in >> a;
    EXPECT_EQ(a.getType(), a_N1) << stop;
    EXPECT_EQ(a.x, 9.0f) << stop;
  }
}

TEST_F(PdbRead, CoordinatesAreExactAndIgnoreTheLocale)
{
  // A decimal-comma C locale must not cut 12.345 to 12.
  const char* saved = std::setlocale(LC_ALL, nullptr);
  std::string restore = saved ? saved : "C";
  bool comma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  std::vector<CAtom> atoms = read_atoms(
    atom_line("ATOM", " CA ", "ALA", 'A', "1", "  12.345", "-999.999", "  +0.001") + "\n" +
    atom_line("ATOM", " CB ", "ALA", 'A', "1", "1.5     ", "99999999", "-9999999") + "\n");
  std::setlocale(LC_ALL, restore.c_str());
  ASSERT_EQ(atoms.size(), 2u);
  EXPECT_EQ(atoms[0].x, static_cast<float>(12.345));
  EXPECT_EQ(atoms[0].y, static_cast<float>(-999.999));
  EXPECT_EQ(atoms[0].z, static_cast<float>(0.001));
  EXPECT_EQ(atoms[1].x, 1.5f);
  EXPECT_EQ(atoms[1].y, 99999999.0f);
  EXPECT_EQ(atoms[1].z, -9999999.0f);
  if (!comma) GTEST_SKIP() << "no decimal-comma locale installed; read in the C locale only";
}

TEST_F(PdbRead, ResidueNames)
{
  for (const char* name : {"  A", "A  ", " RA", "ADE", "RA5", "DA3"}) EXPECT_EQ(residue_type(name), r_A) << name;
  EXPECT_EQ(residue_type(" DT"), r_T);
  EXPECT_EQ(residue_type("URA"), r_U);
  EXPECT_EQ(residue_type("PO4"), r_Phosphate);
  EXPECT_EQ(residue_type("TRP"), r_TRP);
  EXPECT_EQ(residue_type("VAL"), r_VAL);

  t_Residue* water = residue_type("HOH");
  ASSERT_TRUE(water->is_Misc());
  EXPECT_STREQ(water->getName(), "HOH");
  EXPECT_EQ(residue_type("HOH"), water);
  // Upper case as written: a lower-case name is some other residue.
  EXPECT_TRUE(residue_type("ala")->is_Misc());
  // The misc type keeps the blanks of the field.
  EXPECT_STREQ(residue_type(" MG")->getName(), " MG");

  char name[] = " R A ";
  iPdbstream::GetResidueType(name);
  EXPECT_STREQ(name, "RA");
}

TEST_F(PdbRead, AtomNamesAreUpperCasedWithPrimesAsStars)
{
  char field[] = "c1' ";
  EXPECT_EQ(iPdbstream::GetAtomType(field, r_G), a_C1p);
  EXPECT_STREQ(field, "C1* ");
  EXPECT_EQ(atom_type(" C1*", nullptr), a_C1p);
  EXPECT_EQ(atom_type("C1' ", nullptr), a_C1p);
  EXPECT_EQ(atom_type(" MG ", nullptr), a_MG);
  // The wwPDB's current phosphate oxygens are the old ones.
  EXPECT_EQ(atom_type(" OP1", r_G), a_O1P);
  EXPECT_EQ(atom_type(" OP2", r_G), a_O2P);
  EXPECT_EQ(atom_type(" OP3", r_G), a_O3P);
}

TEST_F(PdbRead, CarbonylOxygenOnlyInAminoAcids)
{
  EXPECT_EQ(atom_type(" O  ", r_ALA), a_O);
  t_Atom* other = atom_type(" O  ", r_G);
  ASSERT_TRUE(other->is_Misc());
  EXPECT_STREQ(other->getName(), " O  ");
  EXPECT_EQ(atom_type(" O  ", nullptr), other);
  EXPECT_EQ(atom_type(" O  ", residue_type("HOH")), other);

  // A first line naming O resolves with its own residue.
  std::vector<CAtom> atoms = read_atoms(atom_line("ATOM", " O  ", "GLY", 'A', "1", "1", "1", "1"));
  ASSERT_EQ(atoms.size(), 1u);
  EXPECT_EQ(atoms[0].getType(), a_O);
}

TEST_F(PdbRead, EveryConcreteTypeReadsBackFromItsPdbName)
{
  for (unsigned i = kAtomCategoryCount; i < kAtomTypeCount; ++i) {
    t_Atom* type = *kAtomTypeSlots[i];
    t_Residue* residue = type->is_AminoAcid() ? r_ALA : r_G;
    EXPECT_EQ(atom_type(type->getPdbName(), residue), type) << type->getName();
    EXPECT_FALSE(type->is_Misc());
  }
}

TEST_F(PdbRead, Aliases)
{
  struct { const char* key; t_Atom* type; } aliases[] = {
    {"H2*1", a_1H2p}, {"H5*1", a_1H5p}, {"H5**", a_2H5p}, {"H5*2", a_2H5p}, {"H2**", a_HO2p},
    {"HO*2", a_HO2p}, {"2HO*", a_HO2p}, {"HO*3", a_HO3p}, {"O3T", a_O3p},   {"O5T", a_O5p},
    {"OP1", a_O1P},   {"OP2", a_O2P},   {"OP3", a_O3P},   {"C7", a_C5M},    {"C5A", a_C5M},
    {"H21", a_1H2},   {"H41", a_1H4},   {"H71", a_1H5M},  {"1H5A", a_1H5M}, {"H61", a_1H6},
    {"H22", a_2H2},   {"H42", a_2H4},   {"H72", a_2H5M},  {"2H5A", a_2H5M}, {"H62", a_2H6},
    {"H73", a_3H5M},  {"3H5A", a_3H5M}, {"HN1", a_1H},    {"HN2", a_2H},    {"HN3", a_3H},
    {"1HA", a_HA1},   {"2HA", a_HA2},   {"1HB", a_HB1},   {"2HB", a_HB2},   {"3HB", a_HB3},
    {"1HD", a_HD1},   {"2HD", a_HD2},   {"1HE", a_HE1},   {"2HE", a_HE2},   {"3HE", a_HE3},
    {"1HG", a_HG1},   {"2HG", a_HG2},   {"1HZ", a_HZ1},   {"2HZ", a_HZ2},   {"3HZ", a_HZ3},
    // Primes written as apostrophes are the same keys.
    {"H5''", a_2H5p}, {"HO'2", a_HO2p}};
  for (const auto& a : aliases) EXPECT_EQ(atom_type(a.key, r_ALA), a.type) << a.key;
  // These spellings are no keys of the table.
  for (const char* name : {"HA1", "HA2", "HB1", "HB2", "HB3", "HG2", "HZ1"})
    EXPECT_TRUE(atom_type(name, r_ALA)->is_Misc()) << name;
}

TEST_F(PdbRead, UnknownAtomNameMakesOneMiscType)
{
  t_Atom* first = atom_type("ZN  ", nullptr);
  ASSERT_TRUE(first->is_Misc());
  EXPECT_STREQ(first->getPdbName(), "ZN  ");
  EXPECT_EQ(atom_type(" zn ", r_G), first);  // the key is what counts
}

TEST_F(PdbRead, ResidueStateAndKeptAtom)
{
  std::stringbuf buffer(atom_line("ATOM", " P  ", "  G", 'A', "   5", "1", "1", "1") + "\nENDMDL\n");
  iPdbstream in(&buffer);
  EXPECT_EQ(in.GetNewResType(), nullptr);
  EXPECT_EQ(in.GetNewResId(), CResId());
  CAtom a;
  in >> a;
  in.NewRes();
  EXPECT_EQ(in.GetNewResType(), r_G);
  EXPECT_EQ(in.GetNewResId(), CResId(5, 'A'));

  in.KeepAtom(a);
  a.x = 42;
  ASSERT_NE(in.GetKeptAtom(), nullptr);
  EXPECT_EQ(in.GetKeptAtom()->x, 1.0f);  // a copy
  in.DeleteAtom();
  EXPECT_EQ(in.GetKeptAtom(), nullptr);

  in >> a;  // ENDMDL
  ASSERT_TRUE(in.IsENDMDL());
  in.NewRes();
  EXPECT_EQ(in.GetNewResType(), nullptr);
  EXPECT_EQ(in.GetNewResId(), CResId(5, 'A'));

  in.KeepAtom(a);
  in.open();
  EXPECT_EQ(in.GetKeptAtom(), nullptr);
  EXPECT_EQ(in.GetResType(), nullptr);
  EXPECT_EQ(in.GetResId(), CResId(5, 'A'));  // ids stay
}

TEST_F(PdbRead, FailingBufferFailsTheStream)
{
  struct Failing : std::streambuf
  {
    int calls = 0;
    int_type underflow() override
    {
      if (calls++ == 0) {
        static char text[] = "ATOM";
        setg(text, text, text + 4);
        return 'A';
      }
      throw std::ios_base::failure("device error");
    }
  } failing;
  iPdbstream in(&failing);
  CAtom a;
  in >> a;
  EXPECT_TRUE(in.bad());
  EXPECT_EQ(a.getType(), nullptr);
  in >> a;  // no loop on a failed stream
  EXPECT_TRUE(in.bad());

  iPdbstream none(nullptr);
  none >> a;
  EXPECT_TRUE(none.fail());
}
