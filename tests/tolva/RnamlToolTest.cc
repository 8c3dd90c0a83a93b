// RNAML files in the tool, end to end: a structure written as RNAML by the
// binding's own classes and marshaller reads exactly as its PDB file, in
// every mode, mixed with PDB files, plain or gzip, with residue ids of
// chain, number and insertion code.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "RnamlDocuments.h"
#include "RunTool.h"
#include "StructureFiles.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

// The nucleotides of a shipped model, residue B6 given the insertion code
// A (B5, B6A, B7 follow each other).
std::vector<AtomLine> nucleotides(int model)
{
  std::vector<AtomLine> kept;
  for (AtomLine a : read_atoms(example(model))) {
    if (a.chain() != 'B' && a.chain() != 'C') continue;
    if (a.chain() == 'B' && a.number() == 6) a.text[26] = 'A';
    kept.push_back(a);
  }
  return kept;
}

class RnamlTool : public ::testing::Test
{
protected:
  // The structure as name.pdb, name.xml and name.xml.gz.
  void write_all(const std::string& name, const std::vector<AtomLine>& atoms)
  {
    write_atoms(dir.file(name + ".pdb"), atoms);
    std::vector<std::string> lines;
    for (const AtomLine& a : atoms) lines.push_back(a.text);
    rnaml::Rnaml document;
    document.addChild(rnaml_molecule(lines));
    write_rnaml(document, dir.file(name + ".xml"));
    write_rnaml(document, dir.file(name + ".xml.gz"), true);
  }

  void SetUp() override
  {
    write_all("a", nucleotides(1));
    write_all("rot", moved(nucleotides(1), 0.7, 3.0, -2.0, 5.0));
    write_all("b", nucleotides(2));
  }

  ToolRun run(std::vector<std::string> args) { return run_tolva(args, dir.path()); }

  TempDir dir;
};

// The report with every file name written as its PDB file's.
std::string as_pdb_names(const std::string& text)
{
  return std::regex_replace(text, std::regex("\\.xml(\\.gz)?"), ".pdb");
}

}  // namespace

TEST_F(RnamlTool, ADocumentReadsExactlyAsItsPdbFile)
{
  ToolRun same = run({"a.pdb", "a.xml"});
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "\n  RMSD = 0 Angstroms\n\n");
  EXPECT_EQ(same.err, "");

  ToolRun rotated = run({"a.xml", "rot.xml.gz"});
  std::smatch m;
  ASSERT_TRUE(std::regex_match(rotated.out, m, std::regex("\n  RMSD = ([-0-9.e+]+) Angstroms\n\n"))) << rotated.err;
  EXPECT_LT(std::stod(m[1]), 1e-3);
}

TEST_F(RnamlTool, EveryModeGivesThePdbRunsNumbers)
{
  const std::vector<std::vector<std::string>> runs = {
    {"-c", "-o", "out.xml", "a.pdb", "rot.xml", "b.xml.gz"},
    {"-c", "-b", "a.xml.gz", "b.pdb", "rot.xml"},
    {"-R", "a.xml", "rot.pdb", "b.xml"},
    // Without its insertion code, B6.A would be in neither document.
    {"-a", "B1-B5,B6.A,B7-B11", "-r", "B6.A,C1-C11", "b.xml", "a.xml.gz"},
    {"-e", "-a", "1-5", "a.xml", "b.xml"},
  };
  for (const std::vector<std::string>& args : runs) {
    std::vector<std::string> pdb_args;
    for (const std::string& a : args) pdb_args.push_back(as_pdb_names(a));
    ToolRun pdb = run(pdb_args), mixed = run(args);
    EXPECT_EQ(mixed.status, 0) << mixed.err;
    EXPECT_EQ(as_pdb_names(mixed.out), pdb.out) << args[1];
    EXPECT_GT(pdb.out.size(), 10u);
  }
  // The aligned structures, written from the documents, as from the files.
  std::string aligned = read_file(dir.file("out.xml"));
  EXPECT_GT(aligned.size(), 3 * 500 * 80u);
  EXPECT_EQ(as_pdb_names(aligned), read_file(dir.file("out.pdb")));
}

TEST_F(RnamlTool, ADocumentWithoutComparableMoleculeFailsAsAFileWithoutResidues)
{
  write_file(dir.file("none.xml"), "<rnaml version=\"1.1\"><interactions/></rnaml>\n");
  // Coordinates no superposition can take: the first atom moved far away.
  std::string text = read_file(dir.file("a.xml"));
  size_t at = text.find("<coordinates>") + 13;
  write_file(dir.file("far.xml"), text.replace(at, text.find('<', at) - at, "1 2 -3e8"));
  const std::pair<const char*, const char*> files[] = {
    {"none.xml", "the document has no molecule"},
    {"far.xml", "base B1, atom O5': a coordinate of 1e+08 Angstroms or more"}};
  for (const auto& f : files) {
    ToolRun quiet = run({"a.pdb", f.first});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.err, std::string("tolva:4.0: File ") + f.first + " has no residue to compare.\n");
    ToolRun verbose = run({"-v", "a.pdb", f.first});
    EXPECT_NE(verbose.err.find(std::string("File ") + f.first + ": no RNAML molecule read: " + f.second + "\n"),
              std::string::npos)
      << verbose.err;
  }
}

// Documents loading on several threads beside PDB files: each makes a misc
// atom type of its own (which waits for the files before it) and carries a
// validity finding, which must come out in command-line order; the run must
// end, with the numbers of one thread.
TEST_F(RnamlTool, DocumentsLoadOnThreadsInCommandLineOrder)
{
  std::vector<std::string> args = {"-c", "a.pdb"}, expected_err;
  for (int k = 1; k <= 6; ++k) {
    std::vector<std::string> lines;
    for (const AtomLine& a : nucleotides(1 + k % 2)) lines.push_back(a.text);
    lines[3].replace(12, 4, " Q" + std::to_string(k) + " ");
    rnaml::Rnaml document;
    document.addChild(rnaml_molecule(lines));
    std::string name = "d" + std::to_string(k) + ".xml", attribute = "x" + std::to_string(k);
    write_rnaml(document, dir.file(name));
    std::string text = read_file(dir.file(name));
    text.replace(text.find("<molecule "), 10, "<molecule " + attribute + "=\"1\" ");
    write_file(dir.file(name), text);
    args.push_back(name);
    args.push_back(k % 2 ? "b.pdb" : "rot.xml.gz");
    expected_err.push_back("The attribute '" + attribute + "' is not present in element 'molecule' dtd\n");
  }
  // A run that deadlocks fails, long after any run's end, under the
  // sanitizers on a shared core too.
  std::vector<std::string> threaded = {"300", TOLVA_BINARY, "-j", "8"};
  threaded.insert(threaded.end(), args.begin(), args.end());
  ToolRun one = run(args), eight = run_program("/usr/bin/timeout", threaded, dir.path());
  ASSERT_EQ(eight.status, 0) << eight.err;
  EXPECT_EQ(eight.out, one.out);
  EXPECT_EQ(eight.err, one.err);
  size_t at = 0;
  for (const std::string& line : expected_err) {
    at = eight.err.find(line, at);
    ASSERT_NE(at, std::string::npos) << line << eight.err;
  }
}

// Under -v, a damaged document's parser finding comes before the reader's
// conclusion from it, with one thread or eight, between PDB files.
TEST_F(RnamlTool, TheParsersFindingPrecedesTheReadersConclusion)
{
  write_file(dir.file("bad.xml"), "<rnaml version=\"1.1\"><molecule><foo></molecule>\n");
  const std::string expected =
    "The name in the element foo's end-tag does not match the element type in the start tag.\n"
    "File bad.xml: no RNAML molecule read: not a well-formed XML document\n"
    "tolva:4.0: File bad.xml has no residue to compare.\n";
  for (const char* jobs : {"1", "8"}) {
    ToolRun r = run({"-v", "-j", jobs, "-c", "a.pdb", "b.pdb", "bad.xml", "rot.pdb"});
    EXPECT_EQ(r.status, 1);
    std::string err = r.err.substr(r.err.find_first_not_of("imna"));
    EXPECT_EQ(err, expected) << jobs;
  }
}

// What a document prints beside its numbers, with one thread or eight:
// layout coordinates, which never reach an RMSD, are read as far as they
// go; a refused document still prints its validity findings, ahead of the
// reader's conclusion; a file that cannot be opened is named by the reader
// before the error line; a gzip document cut of its trailer is refused.
TEST_F(RnamlTool, FindingsAndReasonsComeAheadOfTheErrorLine)
{
  const std::string text = read_file(dir.file("a.xml"));
  auto variant = [&](const std::string& name, const std::string& from, const std::string& to) {
    std::string changed = text;
    changed.replace(changed.find(from), from.size(), to);
    write_file(dir.file(name), changed);
  };
  const char* layouts[] = {"", "1.5", "1.5 -2", "1.5 -2 3"};
  for (int k = 0; k < 4; ++k)
    variant("layout" + std::to_string(k) + ".xml", "</model>",
            "<secondary-structure-display><ss-base-coord><base-id><position>1</position></base-id>"
            "<coordinates>" + std::string(layouts[k]) + "</coordinates></ss-base-coord>"
            "</secondary-structure-display></model>");
  const size_t at = text.find("<coordinates>") + 13;
  const std::string line = std::to_string(std::count(text.begin(), text.begin() + at, '\n') + 1);
  std::string flagged = text;
  flagged.replace(flagged.find("<base>"), 6, "<base zork=\"1\">");
  flagged.replace(flagged.find("<coordinates>") + 13, text.find('<', at) - at, "nan 0 0");
  write_file(dir.file("nan.xml"), flagged);
  write_file(dir.file("wrong.xml"), "<rnaml version=\"1.1\"><model><atom/></model></rnaml>\n");
  const std::string packed = read_file(dir.file("a.xml.gz"));
  write_file(dir.file("cut.xml.gz"), packed.substr(0, packed.size() - 8));

  const std::string pair = run({"b.pdb", "a.xml"}).out, zork = "The attribute 'zork' is not present in element 'base' dtd\n";
  struct Case
  {
    std::vector<std::string> args;
    int status;
    std::string err;  // whole
    std::string out;  // whole; "-" when not checked
  };
  const Case cases[] = {
    {{"b.pdb", "layout0.xml"}, 0, content_mismatches({"coordinates"}), pair},
    {{"b.pdb", "layout1.xml"}, 0, "", pair},
    {{"b.pdb", "layout2.xml"}, 0, "", pair},
    {{"b.pdb", "layout3.xml"}, 0, "", pair},
    {{"b.pdb", "nan.xml"}, 1, zork + "tolva:4.0: File nan.xml has no residue to compare.\n", ""},
    {{"-v", "nan.xml", "b.pdb"}, 1,
     zork + "File nan.xml: no RNAML molecule read: line " + line +
       ": the coordinates \"nan 0 0\" are not a finite number for each axis\n"
       "tolva:4.0: File nan.xml has no residue to compare.\n",
     "-"},
    {{"-v", "wrong.xml", "b.pdb"}, 1,
     content_mismatches({"rnaml", "model", "atom"}) +
       "File wrong.xml: no RNAML molecule read: 'atom' may not stand in 'model'\n"
       "tolva:4.0: File wrong.xml has no residue to compare.\n",
     "-"},
    {{"-v", "cut.xml.gz", "b.pdb"}, 1,
     "input in flex scanner failed\n"
     "File cut.xml.gz: no RNAML molecule read: the input could not be read: unexpected end of file\n"
     "tolva:4.0: File cut.xml.gz could not be read: unexpected end of file.\n",
     ""},
    {{"-c", "b.pdb", "absent.xml", "a.xml"}, 1,
     "File absent.xml No such file or directory\ntolva:4.0: File absent.xml not found.\n", "-"},
  };
  for (const Case& c : cases) {
    for (const char* jobs : {"1", "8"}) {
      std::vector<std::string> args = {"-j", jobs};
      args.insert(args.end(), c.args.begin(), c.args.end());
      ToolRun r = run(args);
      const std::string what = c.args.back() + " -j " + jobs;
      EXPECT_EQ(r.status, c.status) << what;
      EXPECT_EQ(r.err, c.err) << what;
      if (c.out != "-") {
        EXPECT_EQ(r.out, c.out) << what;
      }
    }
  }
  EXPECT_NE(pair.find("RMSD = "), std::string::npos);
}
