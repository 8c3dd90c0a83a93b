// Damaged files, unusual inputs and mistyped options, end to end: each run
// ends with the right result or with one error line naming the file and
// status 1; no number is ever made of bad input and no file is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

#include "RunTool.h"
#include "StructureFiles.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

std::string text_of(const std::vector<AtomLine>& atoms, const char* end = "\n")
{
  std::string text = std::string("REMARK   1 made by the test") + end;
  for (const AtomLine& a : atoms) text += a.text + end;
  return text + "END" + end;
}

// The first model without its waters and ions, so that -n runs need no
// other rule.
std::vector<AtomLine> polymer()
{
  std::vector<AtomLine> atoms;
  for (const AtomLine& a : read_atoms(example(1)))
    if (a.text.compare(0, 4, "ATOM") == 0) atoms.push_back(a);
  return atoms;
}

// The third atom line, line 4 of the file, with `width` columns from
// `column` on replaced by the text.
std::string with_field(size_t column, const std::string& text, const char* end = "\n", size_t width = 8)
{
  std::vector<AtomLine> atoms = polymer();
  atoms[2].text.replace(column, width, text);
  return text_of(atoms, end);
}

std::vector<AtomLine> without(const std::string& name, char chain, int number)
{
  std::vector<AtomLine> atoms;
  for (const AtomLine& a : polymer())
    if (!(a.name() == name && a.chain() == chain && a.number() == number)) atoms.push_back(a);
  return atoms;
}

// Residues of chain B written again after the rest.
std::string with_repeated(const std::vector<int>& numbers)
{
  std::vector<AtomLine> atoms = polymer();
  const std::vector<AtomLine> first = atoms;
  for (int n : numbers)
    for (const AtomLine& a : first)
      if (a.chain() == 'B' && a.number() == n) atoms.push_back(a);
  return text_of(atoms);
}

// A glycine whose coordinates fill the columns; once aligned on the other,
// twice its size, the copy reaches beyond what the columns can hold.
std::string glycine(long scale, long shift)
{
  const char* names[] = {" N  ", " CA ", " C  ", " O  "};
  const long xyz[][3] = {{-9000000, 0, 0}, {9000000, 0, 0}, {0, 1000, 0}, {0, 0, 1000}};
  std::string text;
  char line[96];
  for (int k = 0; k < 4; ++k) {
    std::snprintf(line, sizeof line, "ATOM  %5d %4s GLY A   1    %8ld%8ld%8ld  1.00  0.00\n", k + 1, names[k],
                  xyz[k][0] * scale + shift, xyz[k][1] * scale, xyz[k][2] * scale);
    text += line;
  }
  return text;
}

// Every name in the folder.
std::vector<std::string> listing(const std::string& path)
{
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  while (dirent* e = dir != nullptr ? readdir(dir) : nullptr)
    if (e->d_name[0] != '.') names.push_back(e->d_name);
  if (dir != nullptr) closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string resolved(std::string text, const TempDir& dir)
{
  for (size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, dir.path() + "/");
  return text;
}

const std::string kPrefix = "tolva:4.0: ";
const std::string kPairZero = "^\n  RMSD = 0 Angstroms\n\n$";

}  // namespace

TEST(BadInput, EndsWithTheRightResultOrOneErrorLine)
{
  TempDir dir;
  const std::vector<std::pair<std::string, std::string>> files = {
    {"nan.pdb", with_field(30, "     nan")},
    {"inf.pdb", with_field(38, "    -inf")},
    {"1e39.pdb", with_field(46, "    1e39")},
    {"1e30.pdb", with_field(30, "    1e30")},
    {"suffix.pdb", with_field(30, "  12.3xy", "\r\n")},
    {"hex.pdb", with_field(38, "0x1p+100")},
    {"nul.pdb", with_field(30, std::string("  12.3\0 ", 8))},
    {"blank.pdb", with_field(46, "        ")},
    {"shifted.pdb", with_field(22, "10001", "\n", 4)},  // a residue number one column too wide
    {"noC2p.pdb", text_of(without(" C2'", 'B', 3))},
    {"noC5p.pdb", text_of(without(" C5'", 'B', 3))},
    {"twice.pdb", with_repeated({2})},
    {"thrice.pdb", with_repeated({2, 3, 2})},
    {"noline.pdb", std::string(3u << 20, 'x')},
    {"empty.pdb", ""},
    {"remarks.pdb", "REMARK   1 nothing\nHETATM    1  O   HOH A   1       1.000   2.000   3.000\n"},
    {"small.pdb", glycine(1, 0)},
    {"large.pdb", glycine(2, 50000000)},
    {"aligned.pdb", "previous contents\n"},
    {"longword", std::string(5000, 'a')},
    {"folderlist", "@\n"},
  };
  for (const auto& f : files) write_file(dir.file(f.first), resolved(f.second, dir));
  ASSERT_EQ(symlink("loop", dir.file("loop").c_str()), 0);
  const std::string good = example(2);

  struct Case
  {
    std::vector<std::string> args;
    int status;
    std::string err;  // exactly; '@' stands for the folder
    std::string out;  // a pattern
  };
  auto unreadable = [](const std::string& file, const std::string& reason) {
    return kPrefix + "File @" + file + " could not be read: " + reason + ".\n";
  };
  const Case cases[] = {
    // Coordinates: plain decimals only, the line named as an editor counts.
    {{"@nan.pdb", good}, 1, unreadable("nan.pdb", "line 4: x coordinate \"     nan\" is not a number"), "^$"},
    {{"@inf.pdb", good}, 1, unreadable("inf.pdb", "line 4: y coordinate \"    -inf\" is not a number"), "^$"},
    {{"-c", good, "@1e39.pdb"}, 1, unreadable("1e39.pdb", "line 4: z coordinate \"    1e39\" is not a number"), "^$"},
    {{"@1e30.pdb", good}, 1, unreadable("1e30.pdb", "line 4: x coordinate \"    1e30\" is not a number"), "^$"},
    {{"@suffix.pdb", good}, 1, unreadable("suffix.pdb", "line 4: x coordinate \"  12.3xy\" is not a number"), "^$"},
    {{"@hex.pdb", good}, 1, unreadable("hex.pdb", "line 4: y coordinate \"0x1p+100\" is not a number"), "^$"},
    {{"@nul.pdb", good}, 1, unreadable("nul.pdb", "line 4: x coordinate \"  12.3\\x00 \" is not a number"), "^$"},
    {{"@blank.pdb", good}, 1, unreadable("blank.pdb", "line 4: z coordinate \"        \" is not a number"), "^$"},
    {{"@shifted.pdb", good}, 1, unreadable("shifted.pdb", "line 4: y coordinate \"0  30.50\" is not a number"), "^$"},
    // Residue-id expressions, read before any file: these do not exist.
    {{"-a", "-", "@x", "@y"}, 1, kPrefix + "Malformed residue id range \"-\"\n", "^$"},
    {{"-a", "A-", "@x", "@y"}, 1, kPrefix + "Malformed residue id range \"A-\"\n", "^$"},
    {{"-r", "-5", "@x", "@y"}, 1, kPrefix + "Malformed residue id range \"-5\"\n", "^$"},
    {{"-r", "B1,A1-", "@x", "@y"}, 1, kPrefix + "Malformed residue id range \"A1-\" in \"B1,A1-\"\n", "^$"},
    {{"-a", "A1.xyz", "@x", "@y"}, 1, kPrefix + "Malformed residue id \"A1.xyz\"\n", "^$"},
    {{"-a", "A1-A5-A9", "@x", "@y"}, 1, kPrefix + "Malformed residue id range \"A1-A5-A9\"\n", "^$"},
    {{"-a", "A5-A1", "@x", "@y"}, 1, kPrefix + "Malformed residue id range \"A5-A1\"\n", "^$"},
    {{"-r", "A1-B2", "@x", "@y"}, 1, kPrefix + "Malformed residue id range \"A1-B2\"\n", "^$"},
    // Without validation atoms pair by type: each copy lacks another atom
    // of B3, the same count, and the rest is the same structure.
    {{"-n", "@noC2p.pdb", "@noC5p.pdb"}, 0, "", kPairZero},
    {{"-n", "-v", "-r", "B1-B5", "@noC2p.pdb", "@noC5p.pdb"}, 0, "",
     "\n2 atoms not held by every structure left out of the alignment\n"
     "2 atoms not held by every structure left out of the comparison\n"},
    // A repeated residue id: the first residue kept, said once per file.
    {{"@twice.pdb", good}, 0,
     "Repeated residue id B2 in @twice.pdb: only the first residue of each id is kept (1 dropped)\n", "RMSD = "},
    {{"@thrice.pdb", good}, 0,
     "Repeated residue id B2 in @thrice.pdb: only the first residue of each id is kept (3 dropped)\n", "RMSD = "},
    // Inputs that are no structure files.
    {{"@noline.pdb", good}, 1, unreadable("noline.pdb", "no line end in its first megabyte, not a PDB file"), "^$"},
    {{"/dev/zero", good}, 1, kPrefix + "File /dev/zero could not be read: a character device is not a structure file.\n",
     "^$"},
    {{"@empty.pdb", good}, 1, kPrefix + "File @empty.pdb has no residue to compare.\n", "^$"},
    {{good, "@remarks.pdb"}, 1, kPrefix + "File @remarks.pdb has no residue to compare.\n", "^$"},
    // The RNAML reader names a file it cannot open before the error line.
    {{"@loop", good}, 1,
     "File @loop Too many levels of symbolic links\n" + unreadable("loop", "Too many levels of symbolic links"), "^$"},
    {{"@empty.pdb/x", good}, 1, "File @empty.pdb/x Not a directory\n" + unreadable("empty.pdb/x", "Not a directory"),
     "^$"},
    // List files: words bounded, a folder named in one or as one.
    {{"-i", "/dev/zero"}, 1, kPrefix + "List file /dev/zero holds a word that is no path: a NUL character.\n", "^$"},
    {{"-i", "@longword"}, 1, kPrefix + "List file @longword holds a word that is no path: longer than the longest path.\n",
     "^$"},
    {{"-i", "@folderlist"}, 1, unreadable("", "Is a directory"), "^$"},
    {{"-i", "@"}, 1, "file named \"@\" failed to open: Is a directory\n", "^$"},
    // A write that fails midway leaves the file it was to replace, and
    // says why.
    {{"-o", "@aligned.pdb", "@small.pdb", "@large.pdb"}, 1,
     kPrefix + "Cannot write alignment file @aligned.pdb: a coordinate of @large.pdb is too large for a PDB file.\n",
     "^\n  RMSD = [0-9.e+]+ Angstroms\n\n$"},
    {{"-o", "/dev/full", good, good}, 1, kPrefix + "Cannot write alignment file /dev/full: No space left on device.\n",
     kPairZero},
    // An empty name is refused before any work.
    {{"-o", "", good, good}, 1, kPrefix + "Cannot write alignment file : No such file or directory.\n", "^$"},
  };
  const std::vector<std::string> before = listing(dir.path());
  for (const Case& c : cases) {
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(resolved(a, dir));
    const std::string what = resolved(c.args[c.args.size() - 2] + " " + c.args.back(), dir);
    ToolRun run = run_tolva(args);
    EXPECT_EQ(run.status, c.status) << what << "\n" << run.err;
    EXPECT_EQ(run.err, resolved(c.err, dir)) << what;
    EXPECT_TRUE(std::regex_search(run.out, std::regex(c.out))) << what << "\n" << run.out;
    EXPECT_FALSE(std::regex_search(run.out, std::regex("[=:] -?(nan|inf)", std::regex::icase))) << what;
  }
  EXPECT_EQ(read_file(dir.file("aligned.pdb")), "previous contents\n");
  EXPECT_EQ(listing(dir.path()), before);  // no temporary file left behind
}
