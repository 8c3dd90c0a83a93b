// What the RNAML reader costs a PDB file: every file the tool loads is
// offered to it first, and a PDB file must be turned away for next to
// nothing. Beside it, the PDB load the file then goes through.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <zlib.h>

#include "Tessel.h"
#include "RnamlReader.h"

namespace {

// A chain of n guanosines of 23 atoms, as PDB text.
std::string pdb_text(unsigned residues)
{
  static const char* const names[] = {" P  ", " OP1", " OP2", " O5'", " C5'", " C4'", " O4'", " C3'",
                                      " O3'", " C2'", " O2'", " C1'", " N9 ", " C8 ", " N7 ", " C5 ",
                                      " C6 ", " O6 ", " N1 ", " C2 ", " N2 ", " N3 ", " C4 "};
  std::string text;
  char line[96];
  unsigned serial = 0;
  for (unsigned r = 1; r <= residues; ++r)
    for (const char* name : names) {
      ++serial;
      std::snprintf(line, sizeof line, "ATOM  %5u %4s   G A%4u    %8.3f%8.3f%8.3f  1.00  0.00\n", serial, name,
                    r, (serial % 997) * 0.137, (serial % 211) * 0.731, (serial % 13) * 3.1);
      text += line;
    }
  return text;
}

struct PdbFile
{
  explicit PdbFile(bool gzip)
  {
    char name[] = "/tmp/bench_rnaml_XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) std::abort();
    path = name;
    std::string text = pdb_text(69);
    gzFile f = gzdopen(fd, gzip ? "wb6" : "wb0T");
    gzwrite(f, text.data(), static_cast<unsigned>(text.size()));
    gzclose(f);
  }
  ~PdbFile() { unlink(path.c_str()); }
  std::string path;
};

void BM_RnamlReaderTurnsAwayPdb(benchmark::State& state)
{
  TesselInit();
  PdbFile file(state.range(0) != 0);
  for (auto _ : state) {
    RnamlReader reader(file.path.c_str());
    std::unique_ptr<Molecule> molecule(reader.read());
    reader.close();
    benchmark::DoNotOptimize(molecule.get());
  }
}
BENCHMARK(BM_RnamlReaderTurnsAwayPdb)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_PdbModelLoad(benchmark::State& state)
{
  TesselInit();
  PdbFile file(state.range(0) != 0);
  for (auto _ : state) {
    izfPdbstream in(file.path.c_str(), std::ios::in);
    Model model;
    in >> model;
    benchmark::DoNotOptimize(model.size());
  }
}
BENCHMARK(BM_PdbModelLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
BENCHMARK_MAIN();
