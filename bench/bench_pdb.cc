// Reading PDB text into typed atoms: the first cost of every file the tool
// loads, plain or gzip, thousands of files a run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <unistd.h>
#include <zlib.h>

#include "Tessel.h"

namespace {

// Guanosines as current files name them (OP1, primes), then alanines.
const char* const kRnaAtoms[] = {" P  ", " OP1", " OP2", " O5'", " C5'", " C4'", " O4'", " C3'",
                                 " O3'", " C2'", " O2'", " C1'", " N9 ", " C8 ", " N7 ", " C5 ",
                                 " C6 ", " O6 ", " N1 ", " C2 ", " N2 ", " N3 ", " C4 "};
const char* const kProteinAtoms[] = {" N  ", " CA ", " C  ", " O  ", " CB "};

std::string atom_lines(unsigned count)
{
  std::string text;
  text.reserve(count * 81u);
  char line[96];
  for (unsigned i = 0; i < count; ++i) {
    bool rna = i < count / 2;
    unsigned size = rna ? 23 : 5;
    const char* name = rna ? kRnaAtoms[i % size] : kProteinAtoms[i % size];
    std::snprintf(line, sizeof line,
                  "ATOM  %5u %4s %3s %c%4u    %8.3f%8.3f%8.3f  1.00  0.00           %c  \n",
                  i % 100000, name, rna ? "  G" : "ALA", rna ? 'A' : 'B', (i / size) % 10000,
                  (i % 997) * 0.137 - 50.0, (i % 211) * 0.731 - 70.0, (i % 13) * 3.1, name[1]);
    text += line;
  }
  return text;
}

constexpr unsigned kAtoms = 100000;

std::size_t read_all(iPdbstream& in)
{
  std::size_t n = 0;
  for (;;) {
    CAtom atom;
    in >> atom;
    if (atom.getType() == nullptr) return n;
    ++n;
  }
}

std::string temp_file(const std::string& text, bool gzip)
{
  char name[] = "/tmp/bench_pdb_XXXXXX";
  int fd = mkstemp(name);
  if (fd < 0) std::abort();
  if (gzip) {
    gzFile f = gzdopen(fd, "wb6");
    gzwrite(f, text.data(), static_cast<unsigned>(text.size()));
    gzclose(f);
  } else {
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
    close(fd);
  }
  return name;
}

void BM_ReadAtomsFromMemory(benchmark::State& state)
{
  TesselInit();
  std::string text = atom_lines(kAtoms);
  for (auto _ : state) {
    std::stringbuf buffer(text);
    iPdbstream in(&buffer);
    if (read_all(in) != kAtoms) state.SkipWithError("atoms lost");
  }
  state.SetItemsProcessed(state.iterations() * kAtoms);
  state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_ReadAtomsFromMemory)->Unit(benchmark::kMillisecond);

void read_file(benchmark::State& state, bool gzip, unsigned atoms)
{
  TesselInit();
  std::string name = temp_file(atom_lines(atoms), gzip);
  for (auto _ : state) {
    izfPdbstream in(name.c_str(), std::ios::in);
    if (read_all(in) != atoms || in.bad()) state.SkipWithError("atoms lost");
  }
  unlink(name.c_str());
  state.SetItemsProcessed(state.iterations() * atoms);
}

void BM_ReadPlainFile(benchmark::State& state) { read_file(state, false, kAtoms); }
BENCHMARK(BM_ReadPlainFile)->Unit(benchmark::kMillisecond);

void BM_ReadGzipFile(benchmark::State& state) { read_file(state, true, kAtoms); }
BENCHMARK(BM_ReadGzipFile)->Unit(benchmark::kMillisecond);

// A small model, as loaded thousands of times a run: opening dominates.
void BM_ReadSmallGzipFile(benchmark::State& state) { read_file(state, true, 500); }
BENCHMARK(BM_ReadSmallGzipFile)->Unit(benchmark::kMicrosecond);

// A damaged file: one atom line repeated over 5 MB, a residue of some
// 64,000 duplicates of one atom, read into a model and validated as the
// tool loads it. Each duplicate must cost the same, and the warning is one
// line for the residue.
void BM_ReadRepeatedAtomLine(benchmark::State& state)
{
  TesselInit();
  const std::string line = "ATOM      1  C1'   G A   1      12.345  23.456  34.567  1.00  0.00           C  \n";
  std::string text;
  while (text.size() < (5u << 20)) text += line;
  std::string name = temp_file(text, false);
  oMessagestream* saved = gOut;
  std::ostringstream warnings;
  oMessagestream quiet(warnings, 2);
  gOut = &quiet;
  for (auto _ : state) {
    izfPdbstream in(name.c_str(), std::ios::in);
    Model model;
    in >> model;
    model.validate();
    if (in.bad()) state.SkipWithError("read failed");
  }
  gOut = saved;
  unlink(name.c_str());
  state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_ReadRepeatedAtomLine)->Unit(benchmark::kMillisecond);

// The models of a real NMR entry, concatenated.
void BM_ReadRealEntry(benchmark::State& state)
{
  TesselInit();
  std::string path = std::string(TOLVA_SHARED_DATA) + "/pdb/1LCD.pdb.gz";
  if (access(path.c_str(), R_OK) != 0) {
    state.SkipWithError("shared data absent");
    return;
  }
  std::size_t atoms = 0;
  for (auto _ : state) {
    izfPdbstream in(path.c_str(), std::ios::in);
    atoms = 0;
    while (in && !in.IsEND()) atoms += read_all(in);
  }
  state.SetItemsProcessed(state.iterations() * atoms);
}
BENCHMARK(BM_ReadRealEntry)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
