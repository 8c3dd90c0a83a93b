// Cost of the two halves of cluster mode: one pair of the distance matrix
// (superposition on flat arrays, then the RMSD), and the complete-linkage
// merge loop on clustered random matrices of the sizes users cluster.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "CompleteLinkage.h"
#include "FlatAtoms.h"
#include "PackedMatrix.h"

namespace {

// Points around a few centres, so that the tree has real clusters.
tolva::CPackedMatrix clustered_matrix(uint64_t n)
{
  std::mt19937 rng(42);
  std::normal_distribution<float> noise(0.0f, 1.0f);
  std::vector<float> x(n), y(n);
  for (uint64_t i = 0; i < n; ++i) {
    float centre = static_cast<float>(i % 5) * 10.0f;
    x[i] = centre + noise(rng);
    y[i] = noise(rng);
  }
  tolva::CPackedMatrix m(n);
  for (uint64_t i = 0; i + 1 < n; ++i)
    for (uint64_t j = i + 1; j < n; ++j)
      m[tolva::CPackedMatrix::index(n, i, j)] = std::hypot(x[i] - x[j], y[i] - y[j]);
  return m;
}

void BM_CompleteLinkage(benchmark::State& state)
{
  tolva::CPackedMatrix m = clustered_matrix(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(tolva::complete_linkage(m));
}

// A 69-nucleotide RNA has about 1,500 heavy atoms.
void BM_PairRmsd(benchmark::State& state)
{
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> d(-20.0f, 20.0f);
  std::vector<CPoint3D> a, b;
  for (int k = 0; k < state.range(0); ++k) {
    a.emplace_back(d(rng), d(rng), d(rng));
    b.emplace_back(a.back().x + 0.1f * d(rng), a.back().y - 3.0f, a.back().z + 0.05f * d(rng));
  }
  tolva::CFlatAtoms fa(a), fb(b);
  for (auto _ : state) benchmark::DoNotOptimize(tolva::superposed_rmsd(fa, fb));
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_PairRmsd)->Arg(100)->Arg(1464)->Arg(10000);
BENCHMARK(BM_CompleteLinkage)->Arg(500)->Arg(1000)->Arg(2000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
