#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "AtomTypes.h"
#include "ResidueType.h"
#include "TesselInit.h"
#include "TestSupport.h"
#include "TextUtil.h"
#include "fPdbstream.h"

using testing_support::TempDir;
using testing_support::read_file;

namespace {

class PdbWrite : public ::testing::Test
{
protected:
  void SetUp() override { TesselInit(); }

  std::stringbuf buffer;
  oPdbstream out{&buffer};

  std::vector<std::string> lines() const
  {
    std::vector<std::string> result;
    std::istringstream in(buffer.str());
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  }
};

std::string blanks(unsigned n) { return std::string(n, ' '); }

}  // namespace

TEST_F(PdbWrite, AtomAndTerRecordsColumnByColumn)
{
  out.SetResType(r_G);
  out.SetResId(CResId(12, 'A'));
  CAtom c1(1, 2, 3, a_C1p);
  out << c1;
  out.TER();
  std::vector<std::string> l = lines();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0], "ATOM      1  C1*   G A  12       1.000   2.000   3.000" + blanks(26));
  EXPECT_EQ(l[0].size(), 80u);
  EXPECT_EQ(l[1], "TER       2        G A  12 ");
  EXPECT_EQ(c1.getNumber(), 1);
}

TEST_F(PdbWrite, AtomFieldsAndRounding)
{
  out.SetResType(r_ALA);
  out.SetResId(CResId(-5, 'B', 'C'));
  CAtom a(-123.4566f, 0.0004f, 9999.999f, a_CA);
  a.setAltLoc('B');
  out.putatom(a);
  EXPECT_EQ(lines().at(0).substr(0, 54), "ATOM      1  CA BALA B  -5C   -123.457   0.0009999.999");
}

TEST_F(PdbWrite, FilteredAndUntypedAtomsTakeNoSerial)
{
  out.SetResType(r_A);
  out.SetResId(CResId(1));
  for (t_Atom* t : {a_PSY, a_LP1, static_cast<t_Atom*>(nullptr), a_H8}) out << CAtom(0, 0, 0, t);
  out.putatom(CAtom());  // untyped, even through putatom
  std::vector<std::string> l = lines();
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0].substr(0, 27), "ATOM      1  H8    A     1 ");
}

TEST_F(PdbWrite, ColumnsHoldWhateverIsWritten)
{
  // A short misc residue name, a short misc atom name, a serial past five
  // digits and a coordinate past eight columns all keep the layout.
  out.SetResType(rt_Misc::findOrCreate("K"));
  out.SetResId(CResId(10001, 'A'));
  for (int i = 1; i < 100000; ++i) out.putatom(CAtom(0, 0, 0, a_MG));
  buffer.str("");
  out.putatom(CAtom(12345.678f, -1234.5678f, 1.0f, at_Misc::findOrCreate("K", "K")));
  out.TER();
  std::vector<std::string> l = lines();
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0], "ATOM      0  K     K A   1    12345.68-1234.57   1.000" + blanks(26));
  EXPECT_EQ(l[1], "TER       1        K A   1 ");
  EXPECT_TRUE(out.good());

  // No field can hold these: the stream fails rather than shift, or write
  // a "nan" no reader takes for a number.
  for (float bad : {1e9f, std::nanf(""), -INFINITY}) {
    out.clear();
    out.putatom(CAtom(0, bad, 0, a_MG));
    EXPECT_TRUE(out.fail()) << bad;
  }
}

TEST_F(PdbWrite, ModelRemarkAndEndRecords)
{
  out.MODEL();
  out.MODEL();
  out.ENDMDL();
  out.putremark(5, "free text");
  out.putremark(220, "");
  out.END();
  std::vector<std::string> expected = {"MODEL        1", "MODEL        2", "ENDMDL",
                                       "REMARK   5 free text", "REMARK 220 ", "END   "};
  EXPECT_EQ(lines(), expected);

  out.open();
  buffer.str("");
  out.MODEL();
  out.SetResType(r_U);
  out.putatom(CAtom(0, 0, 0, a_P));
  EXPECT_EQ(lines().at(0), "MODEL        1");
  EXPECT_EQ(lines().at(1).substr(0, 11), "ATOM      1");
}

TEST_F(PdbWrite, Header)
{
  char host[81] = "";
  gethostname(host, sizeof host - 1);
  char date[16];
  get_current_time(date);
  const char* saved = std::getenv("LOGNAME");
  std::string restore = saved ? saved : "";

  setenv("LOGNAME", "curie", 1);
  out.putheader();
  std::vector<std::string> expected = {
    "EXPDTA    THEORETICAL MODEL",
    std::string("AUTHOR    curie@") + host,
    "REMARK 220 ",
    "REMARK 220 EXPERIMENTAL DETAILS",
    "REMARK 220 EXPERIMENT TYPE                : THEORETICAL MODELLING",
    "REMARK 220 ",
    std::string("REMARK 220 CREATION DATE ") + date};
  EXPECT_EQ(lines(), expected);

  buffer.str("");
  unsetenv("LOGNAME");
  out.putheader();
  EXPECT_EQ(lines().at(1), std::string("AUTHOR    @") + host);

  buffer.str("");
  setenv("LOGNAME", std::string(5000, 'x').c_str(), 1);
  out.putheader();
  EXPECT_EQ(lines().at(1), "AUTHOR    " + std::string(80, 'x') + "@" + host);

  if (saved) setenv("LOGNAME", restore.c_str(), 1); else unsetenv("LOGNAME");
}

TEST_F(PdbWrite, NumbersIgnoreTheLocale)
{
  struct Comma : std::numpunct<char>
  {
    char do_decimal_point() const override { return ','; }
  };
  std::locale saved = std::locale::global(std::locale(std::locale::classic(), new Comma));
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  std::stringbuf text;
  oPdbstream comma(&text);
  comma.imbue(std::locale());
  comma.SetResType(r_C);
  comma.putatom(CAtom(1.5f, 2, 3, a_N4));
  std::setlocale(LC_NUMERIC, "C");
  std::locale::global(saved);
  EXPECT_EQ(text.str().substr(30, 24), "   1.500   2.000   3.000");
}

TEST_F(PdbWrite, WriteThenReadGivesTheSameAtoms)
{
  struct Written { t_Residue* residue; CResId id; CAtom atom; };
  std::vector<Written> written = {
    {r_G, CResId(1, 'A'), CAtom(1.25f, -2.5f, 3.125f, a_C1p)},
    {r_G, CResId(1, 'A'), CAtom(-10.001f, 20.002f, -30.003f, a_O1P)},
    {r_ALA, CResId(7, 'B', 'X'), CAtom(0.5f, 0.25f, 0.125f, a_O)},
    {r_U, CResId(-3, ' '), CAtom(999.999f, -999.999f, 0, a_H5T)},
    {rt_Misc::findOrCreate("HOH"), CResId(900, 'W'), CAtom(4, 5, 6, at_Misc::findOrCreate("O", " O  "))}};
  written[1].atom.setAltLoc('A');
  for (const Written& w : written) {
    out.SetResType(w.residue);
    out.SetResId(w.id);
    out << w.atom;
  }
  out.close();

  std::stringbuf copy(buffer.str());
  iPdbstream in(&copy);
  for (const Written& w : written) {
    CAtom a;
    in >> a;
    EXPECT_EQ(a.getType(), w.atom.getType()) << w.atom.getType()->getName();
    EXPECT_EQ(a.getAltLoc(), w.atom.getAltLoc());
    EXPECT_EQ(a.x, w.atom.x);
    EXPECT_EQ(a.y, w.atom.y);
    EXPECT_EQ(a.z, w.atom.z);
    EXPECT_EQ(in.GetResType(), w.residue);
    EXPECT_EQ(in.GetResId(), w.id);
  }
  CAtom end;
  in >> end;
  EXPECT_TRUE(in.IsEND());
  EXPECT_EQ(end.getType(), nullptr);
}

TEST(PdbFileWrite, CloseEndsTheFileWithEnd)
{
  TesselInit();
  TempDir dir;
  mode_t mask = umask(022);
  umask(mask);
  {
    ofPdbstream out(dir.file("out.pdb").c_str(), std::ios::out);
    ASSERT_TRUE(out.good());
    out.SetResType(r_A);
    out.putatom(CAtom(1, 1, 1, a_N9));
    out.close();
    EXPECT_TRUE(out.good());
  }
  std::string text = read_file(dir.file("out.pdb"));
  ASSERT_GE(text.size(), 7u);
  EXPECT_EQ(text.substr(text.size() - 7), "END   \n");
  struct stat st;
  ASSERT_EQ(stat(dir.file("out.pdb").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);

  // Destroyed without close: no END.
  {
    ofPdbstream out(dir.file("open.pdb").c_str(), std::ios::out);
    out.ENDMDL();
  }
  EXPECT_EQ(read_file(dir.file("open.pdb")), "ENDMDL\n");
}

TEST(PdbFileWrite, FailuresShowInTheState)
{
  TesselInit();
  TempDir dir;
  ofPdbstream nowhere(dir.file("missing/out.pdb").c_str(), std::ios::out);
  EXPECT_TRUE(nowhere.bad());
  nowhere.SetResType(r_A);
  EXPECT_NO_THROW(nowhere.putatom(CAtom(1, 1, 1, a_N9)));
  nowhere.close();
  EXPECT_TRUE(nowhere.bad());

  // A full device fails the record that does not get through.
  ofPdbstream full("/dev/full", std::ios::out);
  if (!full.good()) GTEST_SKIP() << "no /dev/full";
  full.putheader();
  EXPECT_TRUE(full.bad());
}
