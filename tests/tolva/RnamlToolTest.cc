// RNAML files in the tool, end to end: a structure written as RNAML by the
// binding's own classes and marshaller reads exactly as its PDB file, in
// every mode, mixed with PDB files, plain or gzip, with residue ids of
// chain, number and insertion code.
#include <gtest/gtest.h>

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
  write_file(dir.file("wrong.xml"), "<rnaml version=\"1.1\"><model><atom/></model></rnaml>\n");
  write_file(dir.file("none.xml"), "<rnaml version=\"1.1\"><interactions/></rnaml>\n");
  // Coordinates no superposition can take: the first atom moved far away.
  std::string text = read_file(dir.file("a.xml"));
  size_t at = text.find("<coordinates>") + 13;
  write_file(dir.file("far.xml"), text.replace(at, text.find('<', at) - at, "1 2 -3e8"));
  const std::pair<const char*, const char*> files[] = {
    {"wrong.xml", "'atom' may not stand in 'model'"},
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
  std::vector<std::string> threaded = {"20", TOLVA_BINARY, "-j", "8"};
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
