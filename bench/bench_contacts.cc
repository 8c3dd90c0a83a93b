// Finding the residue pairs in contact (bounding boxes within 2 A on all
// three axes), as clash removal does before its atom-by-atom test, on
// models packed as densely as real nucleic acids: one nucleotide of 1LCD
// per 330 cubic angstroms (a 6.9 A lattice), each turned at random. The
// items are residues.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "../tests/support/ResidueCoordinates.h"
#include "Algo.h"
#include "Model.h"
#include "Residue.h"
#include "ResidueType.h"
#include "TesselInit.h"

namespace {

using namespace residue_test;

std::vector<CAtom> centred(std::vector<CAtom> atoms)
{
  CPoint3D sum(0, 0, 0);
  for (const CAtom& a : atoms) sum = sum + a;
  CPoint3D centre = sum * (1.0f / atoms.size());
  for (CAtom& a : atoms) a.SetXYZ(a.x - centre.x, a.y - centre.y, a.z - centre.z);
  return atoms;
}

Model packed(unsigned n)
{
  const std::vector<CAtom> kinds[] = {centred(atoms_of(kDA)), centred(atoms_of(kDC)),
                                      centred(atoms_of(kDG)), centred(atoms_of(kDT))};
  t_Residue* const types[] = {r_A, r_C, r_G, r_T};
  const float spacing = 6.9f;
  unsigned side = static_cast<unsigned>(std::ceil(std::cbrt(double(n))));
  std::mt19937 random(7);
  std::uniform_real_distribution<float> angle(0, 2 * M_PI), jitter(-0.5f, 0.5f);
  Model model;
  for (unsigned k = 0; k < n; ++k) {
    CTransfo t;
    t.Translate(CPoint3D(spacing * (k % side) + jitter(random), spacing * (k / side % side) + jitter(random),
                         spacing * (k / side / side) + jitter(random)));
    t.Rotate(angle(random), angle(random), angle(random));
    std::vector<CAtom> atoms = kinds[k % 4];
    for (CAtom& a : atoms) a.Transform(t);
    model.push_back(new CResidue(types[k % 4], atoms, CResId(static_cast<int>(k % 9999) + 1, 'A' + k / 9999)));
  }
  return model;
}

// The sweep over the whole model, timed.
void time_sweep(benchmark::State& state, Model& model)
{
  std::size_t contacts = 0;
  for (auto _ : state) {
    auto pairs = Algo::ExtractContact_AABB(model.begin(), model.end(), 2.0f);
    contacts = pairs.size();
    benchmark::DoNotOptimize(pairs.data());
  }
  state.counters["contacts"] = contacts;
  state.SetItemsProcessed(state.iterations() * model.size());
}

void BM_ExtractContacts(benchmark::State& state)
{
  TesselInit();
  Model model = packed(static_cast<unsigned>(state.range(0)));
  time_sweep(state, model);
}
BENCHMARK(BM_ExtractContacts)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same model with its residues out of id order: the ids are sorted.
void BM_ExtractContactsShuffled(benchmark::State& state)
{
  TesselInit();
  std::vector<AbstractResidue*> residues = packed(static_cast<unsigned>(state.range(0))).release();
  std::shuffle(residues.begin(), residues.end(), std::mt19937(11));
  Model model;
  for (AbstractResidue* r : residues) model.push_back(r);
  time_sweep(state, model);
}
BENCHMARK(BM_ExtractContactsShuffled)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same pairs by three one-axis sweeps counted in one map: every pair
// close on x alone is counted, a slab of the model per residue.
void BM_ExtractContactsPerAxis(benchmark::State& state)
{
  TesselInit();
  Model model = packed(static_cast<unsigned>(state.range(0)));
  typedef Algo::ResidueRange<Model::model_iterator> Range;
  std::size_t contacts = 0;
  for (auto _ : state) {
    Algo::ContactCounts<Model::model_iterator> counts;
    for (int axis = 0; axis < 3; ++axis) {
      std::vector<Range> ranges;
      for (Model::model_iterator r = model.begin(); r != model.end(); ++r) {
        Algo::BoundingBox box = Algo::boundingBox(**r);
        ranges.push_back(Range{{r, r - model.begin()}, box.lower[axis], box.upper[axis]});
      }
      std::sort(ranges.begin(), ranges.end());
      Algo::ExtractContact_OneDim(ranges, counts, 2.0f);
    }
    contacts = std::count_if(counts.begin(), counts.end(), [](const auto& c) { return c.second == 3; });
  }
  state.counters["contacts"] = contacts;
  state.SetItemsProcessed(state.iterations() * model.size());
}
BENCHMARK(BM_ExtractContactsPerAxis)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Clash removal on a copy of the model: contacts, then heavy atoms.
void BM_RemoveClashes(benchmark::State& state)
{
  TesselInit();
  Model model = packed(static_cast<unsigned>(state.range(0)));
  std::size_t removed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Model copy(model);
    state.ResumeTiming();
    copy.removeClashes();
    removed = model.size() - copy.size();
  }
  state.counters["removed"] = removed;
  state.SetItemsProcessed(state.iterations() * model.size());
}
BENCHMARK(BM_RemoveClashes)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
