// Building a List of n Strings through the List builder, then deleting it:
// the cost per item must not grow with n.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "vortan.h"
#include "vortanListBuilder.h"

namespace {

void BM_BuildAndDeleteStringList(benchmark::State& state)
{
  const long n = state.range(0);
  char item[24];
  for (auto _ : state) {
    vortanListBuilder builder;
    vortanstartListBuilder(&builder, nullptr);
    for (long i = 0; i < n; ++i) {
      std::snprintf(item, sizeof item, "%ld", i);
      vortanappendListBuilder(&builder, vortannewString(strdup(item)));
    }
    vortanLIST* list = vortanfinishListBuilder(&builder);
    benchmark::DoNotOptimize(list);
    vortandelete(list);
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["ns_per_item"] = benchmark::Counter(
    static_cast<double>(state.iterations() * n),
    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BuildAndDeleteStringList)->Arg(250000)->Arg(1000000)->Arg(2000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
