// Cost of the complete-linkage merge loop alone, on clustered random
// distance matrices of the sizes users cluster.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "CompleteLinkage.h"
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

}  // namespace

BENCHMARK(BM_CompleteLinkage)->Arg(500)->Arg(1000)->Arg(2000)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
