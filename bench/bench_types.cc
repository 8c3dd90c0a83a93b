// The type tests and orderings that run for every atom of every file read.
#include <benchmark/benchmark.h>

#include <map>

#include "Tessel.h"

namespace {

void BM_CategoryPredicates(benchmark::State& state)
{
  TesselInit();
  for (auto _ : state) {
    unsigned n = 0;
    for (t_Atom* const* slot : kAtomTypeSlots) {
      const t_Atom* t = *slot;
      n += t->is_Hydrogen() + t->is_Backbone() + t->is_Pseudo() + t->is_LonePair();
    }
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(state.iterations() * kAtomTypeCount * 4);
}
BENCHMARK(BM_CategoryPredicates);

// A residue's atom index: about 30 types inserted in file order.
void BM_AtomIndexInRegistryOrder(benchmark::State& state)
{
  TesselInit();
  t_Atom* const atoms[] = {a_P, a_O1P, a_O2P, a_O5p, a_C5p, a_C4p, a_O4p, a_C3p, a_O3p, a_C2p,
                           a_O2p, a_C1p, a_N9, a_C8, a_N7, a_C5, a_C6, a_N6, a_N1, a_C2,
                           a_N3, a_C4, a_H1p, a_H2p, a_H3p, a_H4p, a_1H5p, a_2H5p, a_H8, a_H2};
  for (auto _ : state) {
    std::map<const t_Atom*, unsigned, less_atom_type> index;
    unsigned position = 0;
    for (t_Atom* t : atoms) index[t] = position++;
    benchmark::DoNotOptimize(index.find(a_C1p));
  }
  state.SetItemsProcessed(state.iterations() * 30);
}
BENCHMARK(BM_AtomIndexInRegistryOrder);

void BM_MiscLookup(benchmark::State& state)
{
  TesselInit();
  at_Misc::findOrCreate("FE", " FE ");
  for (auto _ : state) benchmark::DoNotOptimize(at_Misc::findOrCreate("FE", " FE "));
}
BENCHMARK(BM_MiscLookup);

}  // namespace

BENCHMARK_MAIN();
