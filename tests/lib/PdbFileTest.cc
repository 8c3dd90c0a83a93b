#include <gtest/gtest.h>

#include <dirent.h>
#include <string>
#include <vector>
#include <zlib.h>

#include "AtomType.h"
#include "ResidueType.h"
#include "TesselInit.h"
#include "TestSupport.h"
#include "fPdbstream.h"

using testing_support::TempDir;
using testing_support::read_file;
using testing_support::shared_data;
using testing_support::write_file;

namespace {

struct ReadAtom
{
  t_Atom* type;
  t_Residue* residue;
  CResId id;
  float x, y, z;
  char alt;

  bool operator==(const ReadAtom& o) const
  {
    return type == o.type && residue == o.residue && id == o.id && x == o.x && y == o.y &&
           z == o.z && alt == o.alt;
  }
};

// Every atom of every model, up to END or the end of input.
std::vector<ReadAtom> read_all(iPdbstream& in)
{
  std::vector<ReadAtom> atoms;
  while (in && !in.IsEND()) {
    CAtom a;
    in >> a;
    if (a.getType() != nullptr)
      atoms.push_back({a.getType(), in.GetResType(), in.GetResId(), a.x, a.y, a.z, a.getAltLoc()});
  }
  return atoms;
}

std::vector<ReadAtom> read_file_atoms(const std::string& path, bool* bad = nullptr)
{
  izfPdbstream in(path.c_str(), std::ios::in);
  std::vector<ReadAtom> atoms = read_all(in);
  if (bad) *bad = in.bad();
  return atoms;
}

// The text of a plain or gzip file, through zlib alone.
std::string inflate(const std::string& path)
{
  gzFile f = gzopen(path.c_str(), "rb");
  std::string text;
  char chunk[4096];
  int n;
  while ((n = gzread(f, chunk, sizeof chunk)) > 0) text.append(chunk, n);
  gzclose(f);
  return text;
}

void gzip(const std::string& text, const std::string& path)
{
  gzFile f = gzopen(path.c_str(), "wb9");
  gzwrite(f, text.data(), static_cast<unsigned>(text.size()));
  gzclose(f);
}

// ATOM and HETATM lines, counted by hand.
std::size_t atom_lines(const std::string& text)
{
  std::size_t n = 0, start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.compare(0, 6, "ATOM  ") == 0 || line.compare(0, 6, "HETATM") == 0) ++n;
    start = end + 1;
  }
  return n;
}

std::vector<std::string> files_in(const std::string& dir, const std::string& suffix)
{
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        names.push_back(dir + "/" + name);
    }
    closedir(d);
  }
  return names;
}

const char kSmallModel[] =
  "HEADER    SMALL TEST MODEL\n"
  "ATOM      1  P     G A   1      -1.000   2.500  10.125  1.00  0.00           P\n"
  "ATOM      2  OP1   G A   1      -1.500   3.000  11.000  1.00  0.00           O\n"
  "ATOM      3  C1'   G A   1       0.000   0.000   0.000  1.00  0.00           C\n"
  "TER       4        G A   1\n"
  "HETATM    5  O   HOH W 101      50.000 -50.000   5.500  1.00  0.00           O\n";

class PdbFile : public ::testing::Test
{
protected:
  void SetUp() override { TesselInit(); }
};

}  // namespace

TEST_F(PdbFile, GzipAndPlainReadAlike)
{
  TempDir dir;
  write_file(dir.file("m.pdb"), kSmallModel);
  gzip(kSmallModel, dir.file("m.pdb.gz"));
  std::vector<ReadAtom> plain = read_file_atoms(dir.file("m.pdb"));
  ASSERT_EQ(plain.size(), 4u);
  EXPECT_TRUE(plain == read_file_atoms(dir.file("m.pdb.gz")));
  EXPECT_EQ(plain[1].type, a_O1P);
  EXPECT_EQ(plain[3].residue, rt_Misc::findOrCreate("HOH"));
  EXPECT_EQ(plain[3].id, CResId(101, 'W'));
  EXPECT_EQ(plain[3].y, -50.0f);
}

TEST_F(PdbFile, TruncatedOrCorruptGzipFails)
{
  TempDir dir;
  std::string text;
  for (int i = 0; i < 200; ++i) text += kSmallModel;
  gzip(text, dir.file("full.gz"));
  std::string packed = read_file(dir.file("full.gz"));
  write_file(dir.file("cut.gz"), packed.substr(0, packed.size() / 2));
  packed[packed.size() - 6] ^= 0x5a;  // the checksum
  write_file(dir.file("corrupt.gz"), packed);

  bool bad = false;
  EXPECT_EQ(read_file_atoms(dir.file("full.gz"), &bad).size(), 800u);
  EXPECT_FALSE(bad);
  for (const char* name : {"cut.gz", "corrupt.gz"}) {
    bad = false;
    read_file_atoms(dir.file(name), &bad);
    EXPECT_TRUE(bad) << name;
  }
}

TEST_F(PdbFile, UnreadableFileReadsAsEndOfInput)
{
  TempDir dir;
  izfPdbstream in(dir.file("absent.pdb").c_str(), std::ios::in);
  EXPECT_TRUE(in.bad());
  CAtom a;
  in >> a;
  EXPECT_EQ(a.getType(), nullptr);

  // A folder opens, then fails at the first read.
  izfPdbstream folder(dir.path().c_str(), std::ios::in);
  folder >> a;
  EXPECT_TRUE(folder.bad());
  EXPECT_EQ(a.getType(), nullptr);

  // Reopening on a real file starts afresh.
  write_file(dir.file("m.pdb"), kSmallModel);
  in.open(dir.file("m.pdb").c_str(), std::ios::in);
  EXPECT_EQ(read_all(in).size(), 4u);
  in.close();
  EXPECT_FALSE(in.bad());
}

TEST_F(PdbFile, WrittenFileReadsBack)
{
  TempDir dir;
  std::vector<ReadAtom> atoms = read_file_atoms(shared_data("pdb/1A8O.pdb.gz"));
  if (atoms.empty()) GTEST_SKIP() << "shared data absent";
  {
    ofPdbstream out(dir.file("copy.pdb").c_str(), std::ios::out);
    out.putheader();
    for (const ReadAtom& a : atoms) {
      out.SetResType(a.residue);
      out.SetResId(a.id);
      CAtom atom(a.x, a.y, a.z, a.type);
      atom.setAltLoc(a.alt);
      out << atom;
    }
    out.close();
    ASSERT_TRUE(out.good());
  }
  EXPECT_TRUE(atoms == read_file_atoms(dir.file("copy.pdb")));
}

// Entries of the archive and predicted models from many programs: every
// atom line becomes a typed atom.
TEST_F(PdbFile, RealFilesLoseNoAtom)
{
  std::string pdb = shared_data("pdb");
  std::string puzzles = shared_data("rna-puzzles/rp01");
  if (pdb.empty() && puzzles.empty()) GTEST_SKIP() << "shared data absent";
  std::vector<std::string> files = files_in(pdb, ".pdb.gz");
  std::vector<std::string> models = files_in(puzzles, ".pdb");
  files.insert(files.end(), models.begin(), models.end());
  ASSERT_FALSE(files.empty());
  for (const std::string& path : files) {
    bool bad = true;
    std::vector<ReadAtom> atoms = read_file_atoms(path, &bad);
    EXPECT_FALSE(bad) << path;
    EXPECT_EQ(atoms.size(), atom_lines(inflate(path))) << path;
  }
  // Current names (OP1, OP2, primes) are all known atoms of known residues.
  for (const std::string& path : models) {
    for (const ReadAtom& a : read_file_atoms(path)) {
      EXPECT_FALSE(a.type->is_Misc()) << path << ": " << a.type->getName();
      EXPECT_FALSE(a.residue->is_Misc()) << path << ": " << a.residue->getName();
    }
  }
}
