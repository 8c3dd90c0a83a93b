// The tool end to end on structure files: pair, compare and cluster modes,
// their exact texts, RMSDs against values worked out independently, the
// aligned -o file, and the same answers whatever the number of threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "RunTool.h"
#include "StructureFiles.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

// The number after "RMSD = " in pair mode.
double pair_rmsd(const ToolRun& run)
{
  std::smatch m;
  std::regex pattern("^\n  RMSD = ([-0-9.e+]+) Angstroms\n\n$");
  if (!std::regex_match(run.out, m, pattern)) {
    ADD_FAILURE() << "not a pair report: [" << run.out << "] " << run.err;
    return NAN;
  }
  return std::stod(m[1]);
}

std::vector<AtomLine> base() { return read_atoms(example(1)); }

bool in_residue(const AtomLine& a, char chain, int number) { return a.chain() == chain && a.number() == number; }

// The first model with residue A10 moved by dx along x.
std::vector<AtomLine> a10_moved(double dx)
{
  return displaced(base(), [](const AtomLine& a) { return in_residue(a, 'A', 10); }, dx, 0, 0);
}

// Residue B2, a deoxyadenosine, given an O2': read as a riboadenosine, it
// meets the others' deoxyadenosine as a purine and holds one atom more.
std::vector<AtomLine> with_ribose_b2(std::vector<AtomLine> atoms)
{
  for (size_t k = 0; k < atoms.size(); ++k)
    if (in_residue(atoms[k], 'B', 2) && atoms[k].name() == " C2'") {
      AtomLine o2 = atoms[k];
      o2.text.replace(12, 4, " O2'");
      o2.set_xyz(o2.x() + 1.4, o2.y(), o2.z());
      atoms.insert(atoms.begin() + k + 1, o2);
      break;
    }
  return atoms;
}

// Horn's closed form of the optimal superposition: the largest eigenvalue
// of a 4x4 symmetric matrix, by Jacobi rotations, in double precision.
double largest_eigenvalue(double N[4][4])
{
  for (int sweep = 0; sweep < 100; ++sweep) {
    double off = 0;
    for (int p = 0; p < 4; ++p)
      for (int q = p + 1; q < 4; ++q) off += std::fabs(N[p][q]);
    if (off < 1e-12) break;
    for (int p = 0; p < 4; ++p)
      for (int q = p + 1; q < 4; ++q) {
        if (std::fabs(N[p][q]) < 1e-300) continue;
        double theta = (N[q][q] - N[p][p]) / (2 * N[p][q]);
        double t = (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
        double c = 1 / std::sqrt(t * t + 1), s = t * c;
        for (int k = 0; k < 4; ++k) {
          double kp = N[k][p], kq = N[k][q];
          N[k][p] = c * kp - s * kq;
          N[k][q] = s * kp + c * kq;
        }
        for (int k = 0; k < 4; ++k) {
          double pk = N[p][k], qk = N[q][k];
          N[p][k] = c * pk - s * qk;
          N[q][k] = s * pk + c * qk;
        }
      }
  }
  return std::max(std::max(N[0][0], N[1][1]), std::max(N[2][2], N[3][3]));
}

double superposed_rmsd(const std::vector<std::array<double, 3>>& a, const std::vector<std::array<double, 3>>& b)
{
  const size_t n = a.size();
  double ca[3] = {0, 0, 0}, cb[3] = {0, 0, 0};
  for (size_t k = 0; k < n; ++k)
    for (int i = 0; i < 3; ++i) { ca[i] += a[k][i] / n; cb[i] += b[k][i] / n; }
  double S[3][3] = {{0}}, squares = 0;
  for (size_t k = 0; k < n; ++k) {
    double p[3], q[3];
    for (int i = 0; i < 3; ++i) { p[i] = a[k][i] - ca[i]; q[i] = b[k][i] - cb[i]; squares += p[i] * p[i] + q[i] * q[i]; }
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) S[i][j] += p[i] * q[j];
  }
  double N[4][4] = {
    {S[0][0] + S[1][1] + S[2][2], S[1][2] - S[2][1], S[2][0] - S[0][2], S[0][1] - S[1][0]},
    {S[1][2] - S[2][1], S[0][0] - S[1][1] - S[2][2], S[0][1] + S[1][0], S[2][0] + S[0][2]},
    {S[2][0] - S[0][2], S[0][1] + S[1][0], -S[0][0] + S[1][1] - S[2][2], S[1][2] + S[2][1]},
    {S[0][1] - S[1][0], S[2][0] + S[0][2], S[1][2] + S[2][1], -S[0][0] - S[1][1] + S[2][2]}};
  double e = (squares - 2 * largest_eigenvalue(N)) / n;
  return std::sqrt(std::max(e, 0.0));
}

typedef std::tuple<char, int, std::string> AtomKey;

// An atom name as the writer spells it: no blanks, primes as '*', the
// phosphate oxygens as O1P and O2P, the thymine methyl as C5M.
std::string written_name(const std::string& field)
{
  std::string n;
  for (char c : field)
    if (c != ' ') n += c == '\'' ? '*' : c;
  if (n == "OP1") return "O1P";
  if (n == "OP2") return "O2P";
  if (n == "OP3") return "O3P";
  if (n == "C7") return "C5M";  // the thymine methyl
  return n;
}

std::map<AtomKey, std::array<double, 3>> heavy_atoms(const std::vector<AtomLine>& atoms)
{
  std::map<AtomKey, std::array<double, 3>> found;
  for (const AtomLine& a : atoms)
    if (!a.is_hydrogen()) found[AtomKey(a.chain(), a.number(), written_name(a.name()))] = {a.x(), a.y(), a.z()};
  return found;
}

}  // namespace

TEST(ToolRun, RigidCopyHasZeroRmsd)
{
  TempDir dir;
  write_atoms(dir.file("copy.pdb"), moved(base(), 2.1, 15.5, -40.25, 7.0));
  ToolRun run = run_tolva({example(1), dir.file("copy.pdb")});
  EXPECT_EQ(run.status, 0) << run.err;
  // Only the three decimals of the copy's coordinates stand between them.
  EXPECT_LT(pair_rmsd(run), 2e-3);
  EXPECT_EQ(run.err, "");
}

TEST(ToolRun, DisplacedResidueMeasuredAlone)
{
  // Aligned on everything but A10, measured on A10 alone, which moved by
  // (3, 4, 0) inside a rigidly moved copy: the RMSD is the length 5.
  TempDir dir;
  auto copy = displaced(base(), [](const AtomLine& a) { return in_residue(a, 'A', 10); }, 3, 4, 0);
  write_atoms(dir.file("copy.pdb"), moved(copy, -0.8, 1, 2, 3));
  ToolRun run = run_tolva({"-a", "A1-A9, A11-A51, B2-B11, C2-C11", "-r", "A10", example(1), dir.file("copy.pdb")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NEAR(pair_rmsd(run), 5.0, 2e-3);
}

namespace {
void expect_independent_superposition(const std::string& solution, const std::string& model);
}  // namespace

TEST(ToolRun, PairMatchesAnIndependentSuperposition)
{
  // Two NMR models of a protein-DNA complex, and two predicted RNA models
  // when the shared structures are at hand.
  std::vector<std::pair<std::string, std::string>> pairs = {{example(1), example(3)}};
  std::string solution = shared_data("rna-puzzles/rp01/1_solution_0_rpr.pdb");
  std::string model = shared_data("rna-puzzles/rp01/1_das_1_rpr.pdb");
  if (!solution.empty() && !model.empty()) pairs.emplace_back(solution, model);
  for (const auto& files : pairs) {
    SCOPED_TRACE(files.second);
    expect_independent_superposition(files.first, files.second);
  }
}

namespace {

void expect_independent_superposition(const std::string& solution, const std::string& model)
{
  TempDir dir;
  ToolRun run = run_tolva({"-o", dir.file("aligned.pdb"), solution, model});
  ASSERT_EQ(run.status, 0) << run.err;
  double reported = pair_rmsd(run);

  // The -o file holds both structures as aligned: its heavy atoms, paired
  // by chain, number and name, give the RMSD without any superposition.
  auto aligned = read_aligned(dir.file("aligned.pdb"));
  ASSERT_EQ(aligned.size(), 2u);
  auto fixed = heavy_atoms(aligned[0]), moving = heavy_atoms(aligned[1]);
  auto original_fixed = heavy_atoms(read_atoms(solution)), original_moving = heavy_atoms(read_atoms(model));
  std::vector<std::array<double, 3>> a, b;
  double sum = 0;
  for (const auto& atom : fixed) {
    auto other = moving.find(atom.first);
    if (other == moving.end()) continue;
    for (int i = 0; i < 3; ++i) sum += std::pow(atom.second[i] - other->second[i], 2);
    a.push_back(original_moving.at(atom.first));
    b.push_back(original_fixed.at(atom.first));
  }
  ASSERT_GT(a.size(), 500u);
  EXPECT_NEAR(std::sqrt(sum / a.size()), reported, 1e-3);
  // And the same atoms of the original files, superimposed independently.
  EXPECT_NEAR(superposed_rmsd(a, b), reported, 1e-3);
  // The fixed structure did not move.
  for (const auto& atom : fixed)
    for (int i = 0; i < 3; ++i) ASSERT_NEAR(atom.second[i], original_fixed.at(atom.first)[i], 1e-3);
}

}  // namespace

TEST(ToolRun, CompareModeRanksByRmsd)
{
  TempDir dir;
  write_atoms(dir.file("far.pdb"), a10_moved(1.5));
  write_atoms(dir.file("near.pdb"), a10_moved(0.25));
  write_atoms(dir.file("far2.pdb"), a10_moved(-1.5));
  ToolRun run = run_tolva({"-c", "-a", "A1-A9,A11-A20", "-r", "A10", example(1), dir.file("far.pdb"),
                           dir.file("near.pdb"), dir.file("far2.pdb")});
  ASSERT_EQ(run.status, 0) << run.err;
  std::regex pattern("^\nResults of comparison with " + example(1) +
                     ":\n  (.*): ([0-9.]+) Angstroms\n  (.*): ([0-9.]+) Angstroms\n  (.*): ([0-9.]+) Angstroms\n\n$");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(run.out, m, pattern)) << run.out;
  // Equal RMSDs keep the order the files were given in.
  EXPECT_EQ(m[1], dir.file("near.pdb"));
  EXPECT_EQ(m[3], dir.file("far.pdb"));
  EXPECT_EQ(m[5], dir.file("far2.pdb"));
  EXPECT_NEAR(std::stod(m[2]), 0.25, 2e-3);
  EXPECT_NEAR(std::stod(m[4]), 1.5, 2e-3);
  EXPECT_NEAR(std::stod(m[6]), 1.5, 2e-3);
}

TEST(ToolRun, PairCompareAndClusterPrintTheSameDistance)
{
  // a and c differ most: the pair line, a's compare line for c and the
  // most distant pair of the cluster run carry one number, also with -a/-r.
  TempDir dir;
  auto third = [](const AtomLine& a) { return a.number() % 3 == 0; };
  write_atoms(dir.file("a.pdb"), moved(displaced(read_atoms(example(1)), third, -0.5, 0, 0), 0.4, 3, 0, 0));
  write_atoms(dir.file("c.pdb"), displaced(read_atoms(example(1)), third, 1.5, 0.2, 0));
  const std::string a = dir.file("a.pdb"), b = example(1), c = dir.file("c.pdb");
  for (std::vector<std::string> selection : {std::vector<std::string>{}, {"-a", "A1-A20", "-r", "A5-A30"}}) {
    auto run = [&](std::vector<std::string> args) {
      args.insert(args.begin(), selection.begin(), selection.end());
      ToolRun r = run_tolva(args);
      EXPECT_EQ(r.status, 0) << r.err;
      return r.out;
    };
    std::smatch pair, compare, cluster;
    std::string pair_out = run({a, c}), compare_out = run({"-c", "-j", "2", a, b, c});
    std::string cluster_out = run({"-R", "-j", "3", a, b, c});
    ASSERT_TRUE(std::regex_search(pair_out, pair, std::regex("RMSD = ([0-9.e-]+) Angstroms")));
    ASSERT_TRUE(std::regex_search(compare_out, compare, std::regex(c + ": ([0-9.e-]+) Angstroms")));
    ASSERT_TRUE(std::regex_search(cluster_out, cluster, std::regex("Most distant structures \\(([0-9.e-]+)A\\):\n\t" + a)));
    EXPECT_EQ(pair[1], compare[1]);
    EXPECT_EQ(pair[1], cluster[1]);
  }
}

TEST(ToolRun, ClusterRootOfTheThreeStructureExample)
{
  // d(0,1) = 1, d(0,2) = 3, d(1,2) = 2: 0 and 1 merge at 1, the root is 3.
  TempDir dir;
  write_atoms(dir.file("s0.pdb"), base());
  write_atoms(dir.file("s1.pdb"), a10_moved(1));
  write_atoms(dir.file("s2.pdb"), a10_moved(3));
  ToolRun run = run_tolva({"-R", "-v", "-a", "A1-A9,A11-A51", "-r", "A10", dir.file("s0.pdb"), dir.file("s1.pdb"),
                           dir.file("s2.pdb")});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string bar = "[3] \n%:  0    25   50   75   100\n   <|||||||||||||||||||||>\n";
  EXPECT_NE(run.out.find("- Clustering phase.\n" + bar + "Most distant structures ("), std::string::npos) << run.out;
  std::regex pattern("Most distant structures \\(([0-9.]+)A\\):\n\t(.*)\n\t(.*)\n"
                     "Grouping at ([0-9.]+)  \\[ 0 \\] and \\[ 1 \\]\n"
                     "Grouping at ([0-9.]+)  \\[ 2 \\] and \\[ 0 1 \\]\n"
                     "3 - ([0-9.]+) A\n$");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(run.out, m, pattern)) << run.out;
  EXPECT_NEAR(std::stod(m[1]), 3, 2e-3);
  EXPECT_EQ(m[2], dir.file("s0.pdb"));
  EXPECT_EQ(m[3], dir.file("s2.pdb"));
  EXPECT_NEAR(std::stod(m[4]), 1, 2e-3);
  EXPECT_NEAR(std::stod(m[5]), 3, 2e-3);
  EXPECT_NEAR(std::stod(m[6]), 3, 2e-3);
}

TEST(ToolRun, SameOutputWithAndWithoutThreads)
{
  // Twelve structures: the three models, each also with residues moved.
  TempDir dir;
  for (int k = 0; k < 12; ++k) {
    auto atoms = displaced(read_atoms(example(1 + k % 3)), [k](const AtomLine& a) { return a.number() % 4 == k % 4; },
                           0.1 * k, -0.05 * k, 0.2);
    write_atoms(dir.file("s" + std::to_string(10 + k) + ".pdb"), moved(atoms, 0.3 * k, k, 2, -k));
  }
  const std::string pattern = dir.file("s*.pdb");
  // Twice verbose, compare mode lists every atom pair in structure order;
  // a run that fails prints what it printed before the failure.
  const std::vector<std::vector<std::string>> modes = {
    {"-c", "-v"}, {"-R", "-v"}, {"-c", "-v", "-v"}, {"-c", "-v", "-v", "-r", "Z1"}};
  for (const std::vector<std::string>& mode : modes) {
    std::vector<std::string> args = mode;
    args.insert(args.end(), {"-j", "1", pattern});
    ToolRun one = run_tolva(args);
    args[args.size() - 2] = "8";
    ToolRun eight = run_tolva(args);
    EXPECT_EQ(one.status, mode.size() > 3 ? 1 : 0) << one.err;
    EXPECT_EQ(eight.status, one.status) << eight.err;
    EXPECT_EQ(eight.err, one.err);
    // The verbose phase line names the threaded phase; the rest is equal.
    std::string a = std::regex_replace(one.out, std::regex("- (Alignment|Comparison) phase.\n"), "");
    std::string b = std::regex_replace(eight.out, std::regex("- Alignment and comparison phase \\(mutli-threaded\\).\n"), "");
    a = std::regex_replace(a, std::regex("loaded in [0-9]+ sec"), "loaded");
    b = std::regex_replace(b, std::regex("loaded in [0-9]+ sec"), "loaded");
    EXPECT_EQ(a, b) << mode.size();
  }
}

TEST(ToolRun, ParallelLoadingKeepsFileOrder)
{
  // Each file repeats its first residue (a warning) and gives that residue
  // two atoms of unknown names in an order of its own: the warnings, the
  // misc types made for the names, and so the -o file, must not depend on
  // which thread read which file.
  TempDir dir;
  std::vector<std::string> files;
  for (int k = 0; k < 12; ++k) {
    std::vector<AtomLine> atoms = read_atoms(example(1 + k % 3));
    atoms.erase(std::remove_if(atoms.begin(), atoms.end(), [](const AtomLine& a) { return a.residue_name() == "HOH"; }),
                atoms.end());
    size_t first_end = 0;
    while (first_end < atoms.size() && atoms[first_end].number() == atoms[0].number()) ++first_end;
    std::vector<AtomLine> extra(atoms.begin(), atoms.begin() + 2);
    extra[0].text.replace(12, 4, k % 2 ? " QA " : " QB ");
    extra[1].text.replace(12, 4, k % 2 ? " QB " : " QA" + std::to_string(k % 3));
    for (AtomLine& a : extra) a.set_xyz(a.x() + 0.5, a.y(), a.z());
    atoms.insert(atoms.begin() + first_end, extra.begin(), extra.end());
    atoms.insert(atoms.end(), atoms.begin(), atoms.begin() + first_end);
    files.push_back(dir.file("s" + std::to_string(10 + k) + ".pdb"));
    write_atoms(files.back(), atoms);
  }
  auto run = [&](const char* jobs, std::vector<std::string> args) {
    args.insert(args.begin(), {"-n", "-j", jobs, "-o", dir.file(std::string("out") + jobs + ".pdb")});
    args.insert(args.end(), files.begin(), files.end());
    ToolRun r = run_tolva(args);
    r.out += read_file(dir.file(std::string("out") + jobs + ".pdb"));
    return r;
  };
  for (const char* mode : {"-c", "-R"}) {
    ToolRun one = run("1", {mode}), eight = run("8", {mode});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_NE(one.err.find("Repeated residue id"), std::string::npos);
    EXPECT_EQ(one.err, eight.err);
    EXPECT_EQ(std::regex_replace(one.out, std::regex("mutli-threaded"), ""), eight.out) << mode;
  }
  // Of several files that fail, the first on the command line is reported.
  files[9] = dir.file("absent-later.pdb");
  files[4] = dir.file("absent-first.pdb");
  for (const char* jobs : {"1", "8"}) {
    ToolRun failed = run(jobs, {"-R"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("File " + files[4] + " not found."), std::string::npos) << jobs << failed.err;
    EXPECT_EQ(failed.err.find("absent-later"), std::string::npos) << jobs;
  }
}

TEST(ToolRun, AlignedFileHoldsEveryStructure)
{
  TempDir dir;
  write_atoms(dir.file("copy.pdb"), moved(base(), 1.0, 5, 5, 5));
  ToolRun run = run_tolva({"-c", "-o", dir.file("out.pdb"), example(1), dir.file("copy.pdb"), example(2)});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string text = read_file(dir.file("out.pdb"));
  EXPECT_EQ(text.rfind("EXPDTA    THEORETICAL MODEL\n", 0), 0u);
  EXPECT_NE(text.find("REMARK 220 Alignment file generated by tolva 4.0\n"), std::string::npos);
  EXPECT_NE(text.find("REMARK 220 Original file: " + dir.file("copy.pdb") + "\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 19), "\nTER\nREMARK\nEND   \n");
  auto structures = read_aligned(dir.file("out.pdb"));
  ASSERT_EQ(structures.size(), 3u);
  // The copy is back on the first structure.
  auto first = heavy_atoms(structures[0]), copy = heavy_atoms(structures[1]);
  for (const auto& atom : first)
    for (int i = 0; i < 3; ++i) ASSERT_NEAR(atom.second[i], copy.at(atom.first)[i], 2e-3);
}

TEST(ToolRun, UnwritableAlignedFileIsAnError)
{
  ToolRun run = run_tolva({"-o", "/no/such/folder/out.pdb", example(1), example(2)});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");  // known before the mode's work
  EXPECT_EQ(run.err, "tolva:4.0: Cannot write alignment file /no/such/folder/out.pdb: No such file or directory.\n");
}

namespace {

// The names in the folder but `kept`.
std::vector<std::string> others(const std::string& folder, const std::string& kept)
{
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  while (dirent* e = dir != nullptr ? readdir(dir) : nullptr) {
    std::string name = e->d_name;
    if (name != "." && name != ".." && name != kept) names.push_back(name);
  }
  if (dir != nullptr) closedir(dir);
  return names;
}

// Whether every one of the signals is in the signal set `field` (SigBlk,
// ShdPnd) of a thread's status file.
bool in_set(const std::string& status, const char* field, std::initializer_list<int> signals)
{
  const std::string text = read_file(status);
  const size_t at = text.find(std::string(field) + ":\t");
  if (at == std::string::npos) return false;
  const unsigned long long set = std::stoull(text.substr(at + 8, 16), nullptr, 16);
  for (int s : signals)
    if (!(set >> (s - 1) & 1)) return false;
  return true;
}

// A row's processes and files, gone however the row ends: a row that
// fails leaves nothing that could fail the next ones.
struct RowLeftovers
{
  pid_t child = -1, x = -1;
  const TempDir& out;
  const TempDir& shim;
  ~RowLeftovers()
  {
    for (const char* name : {"go", "raise-go"}) write_file(shim.file(name), "");
    for (pid_t pid : {child, x})
      if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
    for (const std::string& name : others(out.path(), "out.pdb")) unlink(out.file(name).c_str());
    for (const std::string& name : others(shim.path(), "fifo")) unlink(shim.file(name).c_str());
  }
};

}  // namespace

TEST(ToolRun, SignalWhileTheAlignedFileIsWrittenLeavesNothingBehind)
{
  // A run held by the shim at a moment of its -o file or its pipe's copy
  // (kWritten: its first write into the -o file's temporary), then a
  // signal. Any signal that ends a process, a write past the file-size
  // limit, and the window's X server gone (0). A fault in the -o file's
  // fsync, traced, must kill the run itself, with its code, also one that
  // would not recur (a page made readable meanwhile, a SIGFPE the process
  // sent itself, also at a pipe's copy); a USR1 while the TERM's handler
  // unlinks (kSecond: a worker waits on the pipe, still open); a TERM
  // while a pipe's copy, with no unnamed file to be had, still has a name
  // (kHeld); while its create is under way on a thread that holds every
  // signal, landing as the end waits for it (kWaiting: the clock stands
  // still meanwhile), or once the end has forsaken it (kRaise, at -j 1,
  // where the thread that takes the signal asked for the copy): the
  // creator then unlinks it, and a name that was another's file is left to
  // it, also by a second end (kSecondEnd: a HUP while the TERM's end, on
  // the main thread, is past it); with no thread to be had, on the
  // thread that asked for it, which the TERM waits for (kPending); a
  // FIFO's copy asked for while the TERM's handler unlinks, on the main
  // thread or on a worker (kAsked), must not be made, nor, refused, end
  // the run itself. As the first process of a PID namespace (pid1), where
  // only a fault the kernel forces takes its default action, the run dies
  // of its own fault (kNone there), and exits with 128 + the signal sent,
  // whether a file is armed or not, a SEGV from another process too.
  enum Moment { kWritten, kNone, kWindow, kSecond, kHeld, kWaiting, kRaise, kSecondEnd, kPending, kAsked };
  struct Row
  {
    int signal;
    Moment moment;
    std::vector<std::string> shim;
    int code = 0;  // traced, the fault's
    bool worker = false;  // kAsked: the TERM to a worker
    bool taken = false;   // the name was another's file
    bool pid1 = false;
    bool plain = false;  // no -o file
  };
  const std::string named = "SHIM_NO_TMPFILE=1", create = "SHIM_HOLD_CREATE=tolva-pipe-", late = "SHIM_LATE=1",
                    raise = "SHIM_HOLD_RAISE=1", out_held = "SHIM_HOLD_UNLINK=out.pdb.",
                    written = "SHIM_HOLD_WRITE=out.pdb.", copy_held = "SHIM_HOLD_UNLINK=tolva-pipe-";
  const Row rows[] = {{SIGINT, kWritten, {written}}, {SIGTERM, kWritten, {written}},
                      {SIGHUP, kWritten, {written, "SHIM_NAME_TAKEN=1"}}, {SIGQUIT, kWritten, {written}},
                      {SIGUSR1, kWritten, {written}}, {SIGALRM, kWritten, {written}}, {SIGXFSZ, kNone, {}},
                      {0, kWindow, {}}, {SIGRTMIN + 4, kWritten, {written, "SHIM_NO_QUEUE=1"}},
                      {SIGSEGV, kNone, {"SHIM_FAULT_FSYNC=1"}, SEGV_MAPERR},
                      {SIGSEGV, kNone, {"SHIM_FAULT_FSYNC=accerr"}, SEGV_ACCERR},
                      {SIGBUS, kNone, {"SHIM_FAULT_FSYNC=bus"}, BUS_ADRERR},
                      {SIGFPE, kNone, {"SHIM_FAULT_FSYNC=fpe"}, FPE_INTDIV},
                      {SIGFPE, kNone, {named, "SHIM_FAULT_TMPFILE=fpe"}}, {SIGUSR1, kSecond, {out_held}},
                      {SIGTERM, kHeld, {named, copy_held}},
                      {SIGTERM, kWaiting, {named, create, late, "SHIM_FREEZE=1"}},
                      {SIGTERM, kRaise, {named, create, late, raise}},
                      {SIGTERM, kRaise, {named, create, "SHIM_TAKEN=1", raise}, 0, false, true},
                      {SIGHUP, kSecondEnd, {named, create, "SHIM_TAKEN=1", raise}, 0, false, true},
                      {SIGTERM, kPending, {named, create, "SHIM_NO_THREAD=1"}},
                      {SIGTERM, kAsked, {named, out_held}}, {SIGTERM, kAsked, {named, out_held}, 0, true},
                      {SIGTERM, kWritten, {written}, 0, false, false, true},
                      {SIGHUP, kHeld, {named, copy_held}, 0, false, false, true},
                      {SIGSEGV, kNone, {"SHIM_FAULT_FSYNC=1"}, 0, false, false, true},
                      {SIGBUS, kNone, {"SHIM_FAULT_FSYNC=bus"}, 0, false, false, true},
                      {SIGSEGV, kWritten, {written}, 0, false, false, true},
                      {SIGTERM, kWritten, {"SHIM_HOLD_WRITE=/dev/null"}, 0, false, false, true, true}};
  TempDir out, shim;
  std::vector<std::string> all = {TOLVA_BINARY, "-c", "-j", "4", "-o", out.file("out.pdb"), "/dev/stdin"};
  for (int k = 0; k < 6; ++k) all.push_back(example(1 + k % 3));
  const std::string piped = read_file(example(1)), fifo = shim.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const bool namespaces = run_program("/usr/bin/unshare", {"-pf", "--kill-child", "--mount-proc", "true"}).status == 0;
  bool traced = false;
  std::string unseen;
  // Each row on its own: a failing check ends its row alone.
  auto run_row = [&](const Row& row) {
    const int signal = row.signal;
    if (row.pid1 && !namespaces) {
      unseen = "unshare -p is refused here: no run was the first process of a PID namespace";
      return;
    }
    RowLeftovers leftovers{-1, -1, out, shim};
    pid_t& child = leftovers.child;
    // A state the test can see, waited for, until the run ends: the bound
    // is for a run gone wrong.
    auto until = [&child](const std::function<bool()>& done) {
      for (auto end = std::chrono::steady_clock::now() + std::chrono::minutes(5); !done();
           std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
        siginfo_t ended = {};
        if (std::chrono::steady_clock::now() > end ||
            (waitid(P_PID, child, &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == child))
          return done();
      }
      return true;
    };
    auto noted = [&shim](const char* name) { return [&shim, name] { return access(shim.file(name).c_str(), F_OK) == 0; }; };
    int display[2], in[2];
    const bool window = row.moment == kWindow;
    pid_t& x = leftovers.x;
    x = window && access("/usr/bin/Xvfb", X_OK) == 0 && access("/usr/bin/xdotool", X_OK) == 0 && pipe(display) == 0
          ? fork() : -1;
    if (x == 0) execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", std::to_string(display[1]).c_str(), nullptr);
    char number[16] = {};
    if (x < 0 ? window : read(display[0], number, sizeof number - 1) <= 0) return;  // no X server here
    if (x > 0) close(display[0]), close(display[1]);
    const std::string screen = ":" + std::to_string(std::atoi(number));
    write_file(out.file("out.pdb"), "previous contents\n");
    for (const char* name : {"held", "go", "made", "waiting", "paused", "raise", "raise-go"})
      unlink(shim.file(name).c_str());
    ASSERT_TRUE(pipe(in) == 0 && write(in[1], piped.data(), piped.size()) == ssize_t(piped.size()));
    if (row.moment != kSecond) close(in[1]);
    std::vector<std::string> args = all;
    if (window) args = {TOLVA_BINARY, "-o", out.file("out.pdb"), example(1), example(2), example(3)};
    if (row.moment == kRaise || row.moment == kPending) args[3] = "1";
    if (row.moment == kAsked) args[6] = args[7] = fifo;
    if (row.plain) args.erase(args.begin() + 4, args.begin() + 6);
    if (row.pid1) args.insert(args.begin(), {"/usr/bin/unshare", "-pf", "--kill-child", "--mount-proc"});
    child = fork();
    if (child == 0) {
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      dup2(in[0], 0);
      close_range(3, ~0U, 0);
      std::signal(signal, SIG_DFL);  // as a terminal leaves it
      rlimit size = {1 << 16, 1 << 16}, core = {0, 0};
      if (signal == SIGXFSZ) setrlimit(RLIMIT_FSIZE, &size);
      setrlimit(RLIMIT_CORE, &core);
      setenv("TMPDIR", out.path().c_str(), 1);
      setenv("DISPLAY", screen.c_str(), 1);
      for (const std::string& setting : row.shim) putenv(strdup(setting.c_str()));
      if (!row.shim.empty())
        for (const auto& e : shim_environment(shim.path())) setenv(e.first.c_str(), e.second.c_str(), 1);
      if (row.code != 0) ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(&a[0]);
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(in[0]);
    // The tool's own process: the namespace's first is unshare's child.
    pid_t tool = child;
    if (row.pid1) {
      const std::string children = "/proc/" + std::to_string(child) + "/task/" + std::to_string(child) + "/children";
      ASSERT_TRUE(until([&] { return !read_file(children).empty(); }));
      tool = std::stoi(read_file(children));
    }
    const std::string tasks = "/proc/" + std::to_string(tool) + "/task", main = std::to_string(tool);
    auto in_call = [&](const std::string& tid, long call) {
      return read_file(tasks + "/" + tid + "/syscall").rfind(std::to_string(call) + " ", 0) == 0;
    };
    // One worker opens the FIFO; every other thread waits (for work, for
    // the FIFO's copy, or for the load), holding nothing.
    pid_t target = tool;
    auto settled = [&] {
      std::string opener, idle;
      for (const std::string& t : others(tasks, "")) {
        if (in_call(t, SYS_openat) && opener.empty())
          opener = t;
        else if (!in_call(t, SYS_futex))
          return false;
        else if (t != main)
          idle = t;
      }
      if (opener.empty() || opener == main || idle.empty()) return false;
      if (row.worker) target = std::stoi(idle);
      return true;
    };
    // The thread the create is held on holds every signal that ends a
    // process: it may be kept in the kernel as long as a server likes.
    auto creator_holds_off = [&] {
      const std::string status = tasks + "/" + read_file(shim.file("held")) + "/status";
      return in_set(status, "SigBlk", {SIGTERM, SIGHUP, SIGINT, SIGUSR1});
    };
    int status = 0, code = 0, writer = -1;
    auto made = [&] { return !others(out.path(), "out.pdb").empty(); };
    if (read_file(tasks + "/" + main + "/syscall").empty() && (row.moment == kSecond || row.moment == kAsked)) {
      unseen = "no /proc/<tid>/syscall here: no signal reached a worker on the pipe";
      return;
    }
    switch (row.moment) {
      case kWritten:
        ASSERT_TRUE(until(noted("held")));
        kill(tool, signal);
        break;
      case kWindow:
        ASSERT_FALSE(run_program("/usr/bin/timeout", {"300", "xdotool", "search", "--sync", "--onlyvisible", "--pid",
                                                      main}, "", {{"DISPLAY", screen}}).out.empty());
        kill(x, SIGTERM);
        waitpid(x, nullptr, 0);
        x = -1;
        break;
      case kSecond:
        // A worker that waits on the pipe takes the USR1.
        ASSERT_TRUE(until([&] {
          auto threads = others(tasks, main);
          return made() && std::any_of(threads.begin(), threads.end(), [&](const std::string& t) { return in_call(t, SYS_read); });
        }));
        syscall(SYS_tgkill, tool, tool, SIGTERM);
        ASSERT_TRUE(until(noted("held")));
        kill(tool, signal);
        break;
      case kHeld:
      case kWaiting:
      case kRaise:
        ASSERT_TRUE(until(noted("held")));
        EXPECT_TRUE(row.moment == kHeld || creator_holds_off());
        kill(tool, signal);
        if (row.moment == kHeld) break;
        // The end waits for the create, or is past it, while the create is held.
        ASSERT_TRUE(until(noted(row.moment == kWaiting ? "waiting" : "raise"))) << row.moment;
        write_file(shim.file("go"), "");
        if (row.moment == kWaiting) break;
        ASSERT_TRUE(until(noted("paused")));  // the creator is done
        write_file(shim.file("raise-go"), "");
        break;
      case kSecondEnd:
        ASSERT_TRUE(until(noted("held")));
        EXPECT_TRUE(creator_holds_off());
        syscall(SYS_tgkill, tool, tool, SIGTERM);
        ASSERT_TRUE(until(noted("raise")));  // the TERM's end has forsaken the create
        kill(tool, signal);
        break;
      case kPending:
        ASSERT_TRUE(until(noted("held")));
        EXPECT_EQ(read_file(shim.file("held")), main) << "the create was not made on the thread that asked for it";
        kill(tool, signal);
        EXPECT_TRUE(until([&] { return in_set("/proc/" + main + "/status", "ShdPnd", {signal}); }))
          << "the signal did not wait for the create";
        write_file(shim.file("go"), "");
        break;
      case kAsked:
        ASSERT_TRUE(until([&] { return made() && settled(); }));
        syscall(SYS_tgkill, tool, target, SIGTERM);
        ASSERT_TRUE(until(noted("held")));
        writer = open(fifo.c_str(), O_RDWR);  // the opener goes on, and asks for a copy
        ASSERT_TRUE(until([&] { return noted("paused")() || noted("made")(); }));
        EXPECT_FALSE(noted("made")()) << "a copy was made after the end began";
        write_file(shim.file("go"), "");
        break;
      case kNone: break;
    }
    // A traced run stops at each signal: the fault's must be the last.
    for (auto end = std::chrono::steady_clock::now() + std::chrono::minutes(5);
         waitpid(child, &status, WNOHANG) != child || WIFSTOPPED(status); status = 0) {
      siginfo_t info;
      if (WIFSTOPPED(status) && WSTOPSIG(status) == signal && ptrace(PTRACE_GETSIGINFO, child, nullptr, &info) == 0)
        code = info.si_code;
      if (WIFSTOPPED(status))
        traced = ptrace(PTRACE_CONT, child, nullptr, WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status)) == 0;
      if (std::chrono::steady_clock::now() > end) kill(child, SIGKILL);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    child = -1;
    write_file(shim.file("go"), "");
    EXPECT_EQ(code, traced ? row.code : 0) << signal << ": the run did not die of the fault itself";
    EXPECT_TRUE(row.moment != kWaiting || noted("made")()) << "the create did not land before the end";
    if (row.moment == kSecond) close(in[1]);
    close(writer);
    if (window)
      EXPECT_EQ(status, 1 << 8);  // "Fatal IO error", as GTK has it
    else if (row.pid1 && row.moment != kNone)
      EXPECT_EQ(status, (128 + signal) << 8) << signal;  // unshare's status is its child's
    else
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal << " " << status;
    // What the shim made as another process's file is left to it.
    std::vector<std::string> left = others(out.path(), "out.pdb");
    const bool theirs = row.taken && left.size() == 1 && left[0].rfind("tolva-pipe-", 0) == 0;
    EXPECT_EQ(theirs, row.taken) << signal;
    if (theirs) unlink(out.file(left[0]).c_str()), left.clear();
    EXPECT_EQ(left, std::vector<std::string>()) << signal;
    std::string text = read_file(out.file("out.pdb"));
    if (text != "previous contents\n") {
      EXPECT_EQ(text.substr(text.size() - 8), "\nEND   \n") << signal;
    }
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("row " + std::to_string(&row - rows) + ", signal " + std::to_string(row.signal));
    run_row(row);
  }
  if (!unseen.empty()) GTEST_SKIP() << unseen;
  if (!traced) GTEST_SKIP() << "no ptrace here: the faults' own codes were not checked";
}

TEST(ToolRun, MissingResiduesAreReportedAndLeftOut)
{
  TempDir dir;
  std::vector<AtomLine> atoms;
  for (const AtomLine& a : base())
    if (!in_residue(a, 'A', 5)) atoms.push_back(a);
  write_atoms(dir.file("gap.pdb"), atoms);
  ToolRun run = run_tolva({example(1), dir.file("gap.pdb")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "Residues A5 not used in alignment\nResidues A5 not used in comparison\n");
  EXPECT_LT(pair_rmsd(run), 2e-3);
}

TEST(ToolRun, NothingInCommonIsAnErrorNotANumber)
{
  ToolRun run = run_tolva({"-r", "Z99", example(1), example(2)});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Residues Z99 not used in comparison\n"
                     "tolva:4.0: No atom to compare between " + example(1) + " and " + example(2) + ".\n");
  EXPECT_EQ(run.out.find("nan"), std::string::npos);
}

TEST(ToolRun, FileOrderNumberingMatchesRenumberedCopies)
{
  TempDir dir;
  auto renumbered = base();
  for (AtomLine& a : renumbered) a.set_number(a.number() + 100);
  write_atoms(dir.file("renumbered.pdb"), renumbered);
  ToolRun by_id = run_tolva({example(1), dir.file("renumbered.pdb")});
  EXPECT_EQ(by_id.status, 1);  // no residue id in common
  ToolRun by_order = run_tolva({"-f", example(1), dir.file("renumbered.pdb")});
  EXPECT_EQ(by_order.status, 0) << by_order.err;
  EXPECT_LT(pair_rmsd(by_order), 2e-3);
}

TEST(ToolRun, DifferentAminoAcidsNeedAnotherSelection)
{
  // ALA renamed GLY at A10: the generalised amino acid has no all-atom rule.
  TempDir dir;
  auto atoms = base();
  for (AtomLine& a : atoms)
    if (in_residue(a, 'A', 10)) a.text.replace(17, 3, "GLY");
  write_atoms(dir.file("gly.pdb"), atoms);
  ToolRun all = run_tolva({example(1), dir.file("gly.pdb")});
  EXPECT_EQ(all.status, 1);
  EXPECT_EQ(all.err, "tolva:4.0: All atom rmsd cannot be computed for type: Amino\n");
  ToolRun backbone = run_tolva({"-B", example(1), dir.file("gly.pdb")});
  EXPECT_EQ(backbone.status, 0) << backbone.err;
  EXPECT_LT(pair_rmsd(backbone), 2e-3);
}

TEST(ToolRun, WorkerFailureBecomesTheErrorLine)
{
  // One copy holds an atom the others lack where their types meet.
  TempDir dir;
  std::vector<std::string> files;
  for (int k = 0; k < 4; ++k) {
    std::vector<AtomLine> atoms = read_atoms(example(1 + k % 3));
    if (k == 2) atoms = with_ribose_b2(atoms);
    files.push_back(dir.file("s" + std::to_string(k) + ".pdb"));
    write_atoms(files.back(), atoms);
  }
  for (const char* jobs : {"1", "4"}) {
    ToolRun run = run_tolva({"-c", "-j", jobs, files[0], files[1], files[2], files[3]});
    EXPECT_EQ(run.status, 1) << jobs;
    EXPECT_NE(run.err.find("tolva:4.0: Missing atoms (" + files[0] + " = "), std::string::npos) << run.err;
  }
}

TEST(ToolRun, ListFileWordsAreExpanded)
{
  TempDir dir;
  write_file(dir.file("list"), example(1) + "\n\t" + std::string(TOLVA_SOURCE_DIR) + "/examples/1lcd-model[23].pdb.gz");
  ToolRun run = run_tolva({"-c", "-i", dir.file("list"), "ignored.pdb"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("1lcd-model2.pdb.gz: "), std::string::npos);
  EXPECT_NE(run.out.find("1lcd-model3.pdb.gz: "), std::string::npos);
}

TEST(ToolRun, VeryVerboseListingStopsAtTheShorterList)
{
  TempDir dir;
  std::vector<AtomLine> shorter;
  for (const AtomLine& a : base())
    if (a.chain() == 'B' && a.number() >= 2 && a.number() <= 3) shorter.push_back(a);
  write_atoms(dir.file("full.pdb"), with_ribose_b2(shorter));
  write_atoms(dir.file("short.pdb"), shorter);
  ToolRun run = run_tolva({"-v", "-v", dir.file("full.pdb"), dir.file("short.pdb")});
  EXPECT_EQ(run.status, 1);
  std::smatch m;
  const std::regex head("align: " + dir.file("full.pdb") + "\\(([0-9]+) atoms\\)  = " + dir.file("short.pdb") +
                        "\\(([0-9]+) atoms\\)\n" + "align: " + dir.file("full.pdb") + " = " + dir.file("short.pdb") +
                        "\n");
  ASSERT_TRUE(std::regex_search(run.out, m, head)) << run.out;
  const std::string full = m[1], heavy = m[2];
  EXPECT_EQ(std::stoul(full), std::stoul(heavy) + 1);
  std::string listing = m.suffix();
  EXPECT_EQ(static_cast<size_t>(std::count(listing.begin(), listing.end(), '\n')), std::stoul(heavy));
  EXPECT_NE(run.err.find("Missing atoms (" + dir.file("full.pdb") + " = " + full + ")  vs (" + dir.file("short.pdb") +
                         " = " + heavy + ")"),
            std::string::npos) << run.err;
}

TEST(ToolRun, StrandOrderSortsByIdWhileFileOrderKeepsTheFile)
{
  // The chains written in another order: -e pairs residues by their sorted
  // ids, -f by their place in the file.
  TempDir dir;
  std::vector<AtomLine> reordered;
  for (char chain : {'A', 'B', 'C'})  // the file has B, C, then A
    for (const AtomLine& a : base())
      if (a.chain() == chain) reordered.push_back(a);
  write_atoms(dir.file("reordered.pdb"), reordered);
  ToolRun sorted = run_tolva({"-e", example(1), dir.file("reordered.pdb")});
  EXPECT_EQ(sorted.status, 0) << sorted.err;
  EXPECT_LT(pair_rmsd(sorted), 2e-3);
  ToolRun file_order = run_tolva({"-f", example(1), dir.file("reordered.pdb")});
  EXPECT_EQ(file_order.status, 1);
  EXPECT_NE(file_order.err.find("Unsupported type correspondence: "), std::string::npos) << file_order.err;
}

TEST(ToolRun, NoDisplayNeededOutsideTheViewer)
{
  std::vector<std::pair<std::string, std::string>> no_x = {{"DISPLAY", ":65000"}};
  EXPECT_EQ(run_tolva({example(1), example(2)}, "", no_x).status, 0);
  EXPECT_EQ(run_tolva({"-c", example(1), example(2), example(3)}, "", no_x).status, 0);
  EXPECT_EQ(run_tolva({"-R", example(1), example(2), example(3)}, "", no_x).status, 0);
  EXPECT_EQ(run_tolva({"-V"}, "", no_x).status, 0);
}

TEST(ToolRun, DecimalCommaLocaleChangesNoNumber)
{
  // Where the machine has no such locale the run is in C anyway.
  ToolRun c = run_tolva({"-c", example(1), example(2), example(3)}, "", {{"LC_ALL", "C"}});
  ToolRun comma = run_tolva({"-c", example(1), example(2), example(3)}, "", {{"LC_ALL", "de_DE.UTF-8"}});
  EXPECT_EQ(comma.out, c.out);
  EXPECT_EQ(comma.status, 0);
}

TEST(ToolRun, MissingBaseAtomIsNamed)
{
  // Under -n a guanine without N9 against an adenine: the purine rule asks
  // for the glycosidic nitrogen the guanine lacks.
  std::string solution = shared_data("rna-puzzles/rp01/1_solution_0_rpr.pdb");
  if (solution.empty()) GTEST_SKIP() << "shared structures absent";
  TempDir dir;
  std::vector<AtomLine> atoms = read_atoms(solution);
  std::vector<AtomLine> without_n9;
  int target = -1;
  for (const AtomLine& a : atoms)
    if (target < 0 && a.chain() == 'A' && (a.residue_name() == "  G" || a.residue_name() == "  A")) target = a.number();
  for (const AtomLine& a : atoms)
    if (!(a.chain() == 'A' && a.number() == target && a.name() == " N9 ")) without_n9.push_back(a);
  write_atoms(dir.file("no-n9.pdb"), without_n9);
  ToolRun run = run_tolva({"-n", solution, dir.file("no-n9.pdb")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("A" + std::to_string(target) + " of " + dir.file("no-n9.pdb") + " has no atom "),
            std::string::npos) << run.err;
}

TEST(ToolRun, TruncatedOrUnreadableFileIsTheErrorLine)
{
  TempDir dir;
  std::string packed = read_file(example(1));
  write_file(dir.file("cut.pdb.gz"), packed.substr(0, packed.size() / 3));
  ToolRun cut = run_tolva({dir.file("cut.pdb.gz"), example(2)});
  EXPECT_EQ(cut.status, 1);
  // The residue cut in two may be reported on its way; the error line ends the run.
  const std::string line = "tolva:4.0: File " + dir.file("cut.pdb.gz") + " could not be read: unexpected end of file.\n";
  ASSERT_GE(cut.err.size(), line.size());
  EXPECT_EQ(cut.err.substr(cut.err.size() - line.size()), line);
  ToolRun folder = run_tolva({dir.path(), example(2)});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.err, "tolva:4.0: File " + dir.path() + " could not be read: Is a directory.\n");
}
