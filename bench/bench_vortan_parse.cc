// The XML parser on the inputs the tool gives it: an RNAML-shaped document
// parsed into its Document (5 MB, then twice that: the time must at most
// double), the same file through xmllint --noout as a yardstick (both as
// whole processes, in one run), and a 5 MB PDB text, which every PDB input
// file of the tool is, rejected at its first bytes.
//
//   bench_vortan_parse                 the benchmarks
//   bench_vortan_parse --parse FILE    parses FILE once (exit status: the result)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "vortan.h"
#include "vortanParser.h"
#include "vortanScanner.h"

extern char** environ;

namespace {

// Atoms of bases of models, as the RNAML writer lays them out.
std::string rnaml_document(size_t bytes)
{
  std::string doc =
    "<?xml version=\"1.0\"?>\n<!DOCTYPE rnaml SYSTEM \"rnaml.dtd\">\n<rnaml version=\"1.1\">\n"
    "  <molecule id=\"m1\" type=\"rna\">\n    <structure>\n      <model id=\"1\">\n";
  static const char* const atoms[] = {"P", "OP1", "OP2", "O5'", "C5'", "C4'", "O4'", "C3'", "O3'", "C2'", "O2'", "C1'"};
  char line[256];
  for (int base = 1; doc.size() < bytes; ++base) {
    std::snprintf(line, sizeof line,
                  "        <base>\n          <position>%d</position>\n          <base-type>%c</base-type>\n",
                  base, "ACGU"[base % 4]);
    doc += line;
    for (int a = 0; a < 12; ++a) {
      std::snprintf(line, sizeof line,
                    "          <atom serial=\"%d\">\n            <atom-type>%s</atom-type>\n"
                    "            <coordinates>%.6f %.6f %.6f</coordinates>\n          </atom>\n",
                    base * 12 + a, atoms[a], base * 0.731 + a, -base * 0.117 - a * 1.5, a * 2.25 + 0.001 * base);
      doc += line;
    }
    doc += "        </base>\n";
  }
  return doc + "      </model>\n    </structure>\n  </molecule>\n</rnaml>\n";
}

std::string pdb_text(size_t bytes)
{
  std::string text = "HEADER    RNA                                     01-JAN-00   1ABC              \n";
  char line[128];
  for (int serial = 1; text.size() < bytes; ++serial) {
    std::snprintf(line, sizeof line, "ATOM  %5d  C1'   G A%4d    %8.3f%8.3f%8.3f  1.00  0.00           C  \n",
                  serial % 100000, serial / 20 % 10000, serial * 0.01, -serial * 0.02, 1.5);
    text += line;
  }
  return text;
}

// The path of a file holding contents, made once per name.
std::string scratch(const std::string& name, const std::string& contents)
{
  const std::string path = "/tmp/bench_vortan_parse." + std::to_string(getpid()) + "." + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(contents.data(), 1, contents.size(), file);
  std::fclose(file);
  return path;
}

const std::string& rnaml_file(int megabytes)
{
  static std::string paths[16];
  std::string& path = paths[megabytes];
  if (path.empty()) path = scratch("rnaml" + std::to_string(megabytes) + ".xml", rnaml_document(megabytes << 20));
  return path;
}

// One parse of the file through a gzip stream, as the RNAML reader reads.
int parse_file(const char* path)
{
  int fd = open(path, O_RDONLY);
  if (fd < 0) return -1;
  vortanin = vortannewGZIPInputStreamFD(fd);
  int result = vortanparse();
  vortancloseInputStream(vortanin);
  vortandeleteInputStream(vortanin);
  vortanin = nullptr;
  vortandelete(vortanast);
  vortanast = nullptr;
  return result;
}

void BM_ParseRnamlDocument(benchmark::State& state)
{
  const std::string& path = rnaml_file(state.range(0));
  for (auto _ : state)
    if (parse_file(path.c_str()) != 0) state.SkipWithError("the document was rejected");
  state.SetBytesProcessed(state.iterations() * (state.range(0) << 20));
}
// Equal iterations: the first, which grows the heap, weighs the same in both.
BENCHMARK(BM_ParseRnamlDocument)->Arg(5)->Arg(10)->Iterations(6)->Unit(benchmark::kMillisecond);

// Whole processes, ours and xmllint's, on the same 5 MB file.
void run_process(benchmark::State& state, std::vector<std::string> argv)
{
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    pid_t pid;
    int status = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0 ||
        waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the command failed");
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}

std::string self;

void BM_ProcessParse5MB(benchmark::State& state)
{
  run_process(state, {self, "--parse", rnaml_file(5)});
}
BENCHMARK(BM_ProcessParse5MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessXmllintNoout5MB(benchmark::State& state)
{
  run_process(state, {"xmllint", "--noout", rnaml_file(5)});
}
BENCHMARK(BM_ProcessXmllintNoout5MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every PDB input file passes through the parser first: it must stop at
// the first byte without reading the rest.
std::string pdb_path;

void BM_RejectPdbText5MB(benchmark::State& state)
{
  if (pdb_path.empty()) pdb_path = scratch("pdb", pdb_text(5 << 20));
  const std::string& path = pdb_path;
  for (auto _ : state)
    if (parse_file(path.c_str()) != 1) state.SkipWithError("the PDB text was not rejected");
}
BENCHMARK(BM_RejectPdbText5MB)->Unit(benchmark::kMicrosecond);

}  // namespace

// The tool registers the RNAML DTD before it reads a file: the DOCTYPE's
// file is then not looked for.
void register_rnaml()
{
  vortanputStaticDTDTable(vortannewString(strdup("rnaml")), vortannewString(strdup("1.1")), vortannewMap(),
                          vortannewGEReferenceTable(), vortannewMap());
}

int main(int argc, char** argv)
{
  register_rnaml();
  if (argc == 3 && std::strcmp(argv[1], "--parse") == 0) return parse_file(argv[2]);
  self = argv[0];
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (int megabytes : {5, 10}) std::remove(rnaml_file(megabytes).c_str());
  if (!pdb_path.empty()) std::remove(pdb_path.c_str());
  vortandestroy();
  return 0;
}
