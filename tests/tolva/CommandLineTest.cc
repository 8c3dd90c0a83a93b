// The command line as a user meets it: usage, help, version, option
// errors and the one error line, with their exit statuses.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "RunTool.h"
#include "TestSupport.h"

using testing_support::run_tolva;
using testing_support::TempDir;
using testing_support::ToolRun;

namespace {

const std::string kUsage =
  "usage: tolva [-cbBefRhvV] [-a exp] [-r exp] [-o output] [-j [N]] [-i file] [file ...]\n";

const std::string kHelp =
  "  -c      compare   compare the first file with others\n"
  "  -b      base      uses only base atoms in the rmsd computation\n"
  "  -B      backbone  uses only backbone atoms in the rmsd computation\n"
  "  -n                turn off residue validation (in case residues are incomplete\n"
  "  -h      help      print this help\n"
  "  -e                suppose relative residue ordering equivalence regardless of resID\n"
  "  -f                use residue order in the files instead of residue ID (overrides -e)\n"
  "  -R      root-only only displays the clustering tree's root value\n"
  "\n"
  "  -o file           pdb file in which to write alignment\n"
  "  -i file           read pdb files from this file instead of command line\n"
  "  -a exp            residues to align (or all)\n"
  "  -r exp            residues to include in rmsd (or all)\n"
  "  -j [N]            Allow N jobs at once\n"
  "\n"
  "  -v      verbose   be verbose\n"
  "  -V      version   print the software version info\n"
  "\n"
  "* Please note that all hydrogens are removed before RMSD calculation\n";

const std::string kErrorPrefix = "tolva:4.0: ";

}  // namespace

TEST(CommandLine, NoArgumentPrintsUsageOnly)
{
  ToolRun run = run_tolva({});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kUsage);
  EXPECT_EQ(run.err, "");
}

TEST(CommandLine, HelpOptionsPrintUsageAndHelp)
{
  for (const char* option : {"-h", "-H", "-?"}) {
    ToolRun run = run_tolva({option});
    EXPECT_EQ(run.status, 0) << option;
    EXPECT_EQ(run.out, kUsage + kHelp) << option;
  }
}

TEST(CommandLine, OptionErrorsPrintHelpAndFail)
{
  // A script that misspells an option is told so by the status too.
  const std::vector<std::pair<std::vector<std::string>, std::string>> rows = {
    {{"-x", "a.pdb"}, "invalid option -- 'x'"},
    {{"-c", "-:", "a.pdb"}, "invalid option -- ':'"},
    {{"-o"}, "requires an argument -- 'o'"},
    {{"-c", "-j"}, "requires an argument -- 'j'"},
  };
  for (const auto& row : rows) {
    ToolRun run = run_tolva(row.first);
    EXPECT_EQ(run.status, 1) << row.second;
    EXPECT_EQ(run.out, kUsage + kHelp) << row.second;
    EXPECT_NE(run.err.find(row.second), std::string::npos) << run.err;
  }
}

TEST(CommandLine, VersionNamesToolAndLibrary)
{
  ToolRun run = run_tolva({"-V", "never-read.pdb"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("tolva 4.0 (", 0), 0u) << run.out;
  EXPECT_NE(run.out.find(")\ntessel 1.3\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.err, "");
}

TEST(CommandLine, TooFewFilesIsTheErrorLine)
{
  ToolRun none = run_tolva({"-c", "-v"});
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err, kErrorPrefix + "Not enough files for rmsd comparison\n");
}

TEST(CommandLine, MissingFileIsTheErrorLine)
{
  TempDir dir;
  ToolRun run = run_tolva({dir.file("absent.pdb"), dir.file("other.pdb")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "File " + dir.file("absent.pdb") + " No such file or directory\n" + kErrorPrefix + "File " +
                       dir.file("absent.pdb") + " not found.\n");
  EXPECT_EQ(run.out, "");
}

TEST(CommandLine, MissingListFileIsReportedWithTheSystemsReason)
{
  ToolRun run = run_tolva({"-i", "/no/such/list", "a.pdb"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "file named \"/no/such/list\" failed to open: No such file or directory\n");
}

TEST(CommandLine, BadJobCountsAreErrors)
{
  for (const char* count : {"-3", "many", "100000"}) {
    ToolRun run = run_tolva({"-j", count, "a.pdb", "b.pdb"});
    EXPECT_EQ(run.status, 1) << count;
    EXPECT_EQ(run.err, kErrorPrefix + "Invalid number of jobs: " + count + "\n");
  }
}
