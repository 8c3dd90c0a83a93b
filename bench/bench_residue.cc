// What a loaded structure costs: heap bytes per validated residue, and the
// time of the operations superposition repeats on every pair (reading atoms
// through iterators, moving residues) and of validation at load time.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <vector>

#include "../tests/support/ResidueCoordinates.h"
#include "AtomSet.h"
#include "Residue.h"
#include "ResidueType.h"
#include "Rmsd.h"
#include "TesselInit.h"

namespace {

using namespace residue_test;

typedef std::vector<std::unique_ptr<AbstractResidue>> Strand;

// The four ribonucleotides in turn, each shifted along the helix axis.
std::unique_ptr<AbstractResidue> nucleotide(unsigned k)
{
  std::vector<CAtom> atoms;
  t_Residue* type = nullptr;
  switch (k % 4) {
    case 0: atoms = with_O2p(atoms_of(kDA)); type = r_A; break;
    case 1: atoms = with_O2p(atoms_of(kDC)); type = r_C; break;
    case 2: atoms = with_O2p(atoms_of(kDG)); type = r_G; break;
    default: atoms = with_O2p(without(atoms_of(kDT), {a_C5M})); type = r_U; break;
  }
  for (CAtom& a : atoms) a.z += 3.4f * k;
  std::unique_ptr<AbstractResidue> r(new CResidue(type, atoms, CResId(static_cast<int>(k) + 1)));
  r->validate();
  return r;
}

Strand strand(unsigned n)
{
  Strand s;
  for (unsigned k = 0; k < n; ++k) s.push_back(nucleotide(k));
  return s;
}

// Heap bytes held by `count` clones of the residue, per clone.
double bytes_per_clone(const AbstractResidue& r, unsigned count)
{
  std::vector<std::unique_ptr<AbstractResidue>> clones;
  clones.reserve(count);
  std::size_t before = mallinfo2().uordblks;
  for (unsigned k = 0; k < count; ++k) clones.emplace_back(r.clone());
  std::size_t after = mallinfo2().uordblks;
  return double(after - before) / count;
}

std::vector<AbstractResidue::ResidueIterator> heavy_atoms(Strand& s)
{
  std::vector<AbstractResidue::ResidueIterator> atoms;
  for (auto& r : s)
    for (auto i = r->begin(new atomset_and(new no_pse_lp_atom_set, new no_hydrogen_set));
         i != r->end(); ++i)
      atoms.push_back(i);
  return atoms;
}

// The tool keeps clones of every residue: what one costs, with its
// hydrogens and lone pairs (the mean of the four ribonucleotides), and for
// an alanine.
void BM_ResidueMemory(benchmark::State& state)
{
  TesselInit();
  Strand four = strand(4);
  std::vector<CAtom> ala = atoms_of(kALA);
  CResidue alanine(r_ALA, ala, CResId(1));
  alanine.validate();
  double nucleotide_bytes = 0, atoms = 0;
  for (auto _ : state) {
    nucleotide_bytes = 0;
    atoms = 0;
    for (auto& r : four) {
      nucleotide_bytes += bytes_per_clone(*r, 1000) / four.size();
      atoms += double(r->size()) / four.size();
    }
  }
  state.counters["nucleotide_bytes"] = nucleotide_bytes;
  state.counters["nucleotide_atoms"] = atoms;
  state.counters["alanine_bytes"] = bytes_per_clone(alanine, 1000);
  state.counters["alanine_atoms"] = alanine.size();
  state.counters["iterator_bytes"] = sizeof(AbstractResidue::ResidueIterator);
}
BENCHMARK(BM_ResidueMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Building and validating one nucleotide, as loading does.
void BM_BuildAndValidate(benchmark::State& state)
{
  TesselInit();
  std::vector<CAtom> atoms = with_O2p(atoms_of(kDG));
  for (auto _ : state) {
    CResidue r(r_G, atoms, CResId(1));
    r.validate();
    benchmark::DoNotOptimize(r.size());
  }
}
BENCHMARK(BM_BuildAndValidate);

// RMSD of two 69-nucleotide structures through their atom iterators.
void BM_RmsdThroughIterators(benchmark::State& state)
{
  TesselInit();
  Strand a = strand(69), b = strand(69);
  CTransfo shift;
  shift.SetTranslation(CPoint3D(1, 0, 0));
  for (auto& r : b) r->Transform(shift);
  std::vector<AbstractResidue::ResidueIterator> x = heavy_atoms(a), y = heavy_atoms(b);
  for (auto _ : state) benchmark::DoNotOptimize(rmsd(x, y));
  state.counters["atoms"] = x.size();
}
BENCHMARK(BM_RmsdThroughIterators);

// One superposition of a 69-nucleotide structure: align, then move every
// residue.
void BM_AlignAndMove(benchmark::State& state)
{
  TesselInit();
  Strand a = strand(69), b = strand(69);
  std::vector<AbstractResidue::ResidueIterator> x = heavy_atoms(a), y = heavy_atoms(b);
  CTransfo turn;
  turn.SetRotation(CPoint3D(0.48f, 0.6f, 0.64f), 1e-3f);
  for (auto _ : state) {
    for (auto& r : b) r->Transform(turn);
    CTransfo t;
    rmsd_with_align(y.begin(), y.end(), x.begin(), x.end(), &t);
    for (auto& r : b) r->Transform(t);
  }
}
BENCHMARK(BM_AlignAndMove);

}  // namespace

BENCHMARK_MAIN();
