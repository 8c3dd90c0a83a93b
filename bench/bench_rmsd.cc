// Cost of one superposition: cluster mode runs n(n-1)/2 of them.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "Rmsd.h"

namespace {

struct Pair
{
  std::vector<CPoint3D> moving, fixed;
};

Pair make_pair_of_models(unsigned atoms)
{
  std::mt19937 gen(atoms);
  std::uniform_real_distribution<float> u(-30, 30), noise(-1, 1);
  CTransfo motion;
  motion.SetRotation(CPoint3D(0.48f, 0.6f, 0.64f), 1.1f);
  motion.Translate(CPoint3D(12, -4, 7));
  Pair p;
  for (unsigned k = 0; k < atoms; ++k) {
    CPoint3D a(u(gen), u(gen), u(gen));
    p.moving.push_back(a);
    a.Transform(motion);
    p.fixed.push_back(a + CPoint3D(noise(gen), noise(gen), noise(gen)));
  }
  return p;
}

void BM_RmsdWithAlign(benchmark::State& state)
{
  Pair p = make_pair_of_models(static_cast<unsigned>(state.range(0)));
  CTransfo t;
  for (auto _ : state) {
    float r = rmsd_with_align(p.moving.begin(), p.moving.end(), p.fixed.begin(), p.fixed.end(), &t);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(t);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RmsdWithAlign)->Arg(100)->Arg(1000)->Arg(10000);

// The tool's atom lists reach each point through one more indirection.
void BM_RmsdWithAlignThroughPointers(benchmark::State& state)
{
  Pair p = make_pair_of_models(static_cast<unsigned>(state.range(0)));
  std::vector<const CPoint3D*> moving, fixed;
  for (size_t k = 0; k < p.moving.size(); ++k) {
    moving.push_back(&p.moving[k]);
    fixed.push_back(&p.fixed[k]);
  }
  CTransfo t;
  for (auto _ : state) {
    float r = rmsd_with_align(moving.begin(), moving.end(), fixed.begin(), fixed.end(), &t);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(t);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RmsdWithAlignThroughPointers)->Arg(100)->Arg(1000)->Arg(10000);

void BM_PlainRmsd(benchmark::State& state)
{
  Pair p = make_pair_of_models(static_cast<unsigned>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(rmsd(p.moving, p.fixed));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlainRmsd)->Arg(100)->Arg(1000)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();
