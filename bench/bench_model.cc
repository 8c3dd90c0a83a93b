// What loading one structure costs: reading a PDB file into a Model,
// validating it, and handing its residues to the loaded structure, for the
// RNA-Puzzles models (46 nucleotides, 978 atoms), as the tool loads
// thousands of them a run. The time of one iteration is that of one file:
// in microseconds, it reads as milliseconds per 1,000 files.
#include <benchmark/benchmark.h>

#include <dirent.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Tessel.h"

namespace {

std::vector<std::string> puzzle_files()
{
  std::vector<std::string> files;
  std::string folder = std::string(TOLVA_SHARED_DATA) + "/rna-puzzles/rp01";
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".pdb") == 0) files.push_back(folder + "/" + name);
    }
    closedir(d);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string contents(const std::string& path)
{
  izfPdbstream in(path.c_str(), std::ios::in);
  std::string text;
  char line[iPdbstream::kLineSize];
  while (in.getline(line, sizeof line)) (text += line) += '\n';
  return text;
}

// One iteration is one file: its time is the time per file, and the items
// are its residues.
void report(benchmark::State& state, std::size_t residues)
{
  state.SetItemsProcessed(static_cast<int64_t>(residues));
}

// As the tool does: open the file, read the first model, validate it.
void load(benchmark::State& state, bool validate)
{
  TesselInit();
  std::vector<std::string> files = puzzle_files();
  if (files.empty()) {
    state.SkipWithError("shared data absent");
    return;
  }
  std::size_t residues = 0, k = 0;
  for (auto _ : state) {
    izfPdbstream in(files[k++ % files.size()].c_str(), std::ios::in);
    Model model;
    in >> model;
    if (validate) model.validate();
    residues += model.size();
    benchmark::DoNotOptimize(model);
  }
  report(state, residues);
}

void BM_ReadFile(benchmark::State& state) { load(state, false); }
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMicrosecond);

void BM_ReadAndValidateFile(benchmark::State& state) { load(state, true); }
BENCHMARK(BM_ReadAndValidateFile)->Unit(benchmark::kMicrosecond);

// The same from memory: what parsing and validation cost without the file.
void BM_ReadAndValidateText(benchmark::State& state)
{
  TesselInit();
  std::vector<std::string> files = puzzle_files();
  if (files.empty()) {
    state.SkipWithError("shared data absent");
    return;
  }
  std::string text = contents(files.front());
  std::size_t residues = 0;
  for (auto _ : state) {
    std::stringbuf buffer(text);
    iPdbstream in(&buffer);
    Model model;
    in >> model;
    model.validate();
    residues += model.size();
  }
  report(state, residues);
}
BENCHMARK(BM_ReadAndValidateText)->Unit(benchmark::kMicrosecond);

// Handing the validated residues over to a structure: taking them, as the
// loaded structure does, against cloning each one, as a copy would.
void hand_over(benchmark::State& state, bool take)
{
  TesselInit();
  std::vector<std::string> files = puzzle_files();
  if (files.empty()) {
    state.SkipWithError("shared data absent");
    return;
  }
  std::string text = contents(files.front());
  std::stringbuf buffer(text);
  iPdbstream in(&buffer);
  Model validated;
  in >> validated;
  validated.validate();
  std::size_t residues = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Model model(validated);
    state.ResumeTiming();
    std::vector<std::unique_ptr<AbstractResidue>> kept;
    kept.reserve(model.size());
    if (take) {
      for (AbstractResidue* r : model.release()) kept.emplace_back(r);
    } else {
      for (const AbstractResidue* r : model) kept.emplace_back(r->clone());
    }
    residues += kept.size();
    state.PauseTiming();
    kept.clear();
    state.ResumeTiming();
  }
  report(state, residues);
}

void BM_TakeResiduesOver(benchmark::State& state) { hand_over(state, true); }
BENCHMARK(BM_TakeResiduesOver)->Unit(benchmark::kMicrosecond);

void BM_CloneResidues(benchmark::State& state) { hand_over(state, false); }
BENCHMARK(BM_CloneResidues)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
