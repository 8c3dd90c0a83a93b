#include "RmsEngine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <iterator>
#include <thread>

#include "ClusterDrawable.h"
#include "CompleteLinkage.h"
#include "DescriptorBuffer.h"
#include "Exception.h"
#include "FlatAtoms.h"
#include "Group.h"
#include "Options.h"
#include "OrderedLoad.h"
#include "Pdbstream.h"
#include "PhaseTimes.h"
#include "PipeInput.h"
#include "ProgressBar.h"
#include "ReplacedFile.h"
#include "ResidueType.h"
#include "StandardOutput.h"
#include "WorkerPool.h"

namespace tolva {

namespace {

CResIdSet intersection(const CResIdSet& a, const CResIdSet& b)
{
  CResIdSet result;
  std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::inserter(result, result.end()));
  return result;
}

// common := common ∩ ids. Structures of one ensemble hold the same
// residues: then nothing is rebuilt.
void narrow(CResIdSet& common, const CResIdSet& ids)
{
  if (!std::includes(ids.begin(), ids.end(), common.begin(), common.end())) common = intersection(common, ids);
}

CResIdSet difference(const CResIdSet& a, const CResIdSet& b)
{
  CResIdSet result;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(result, result.end()));
  return result;
}

void warn_unused(const CResIdSet& requested, const CResIdSet& present, const char* use)
{
  CResIdSet missing = difference(requested, present);
  if (!missing.empty()) std::cerr << "Residues " << missing << " not used in " << use << std::endl;
}

// The types of every atom of the residue (of its light copy: every atom
// but the hydrogens, which no selection takes).
AtomTypeSet types_of(const CFragHandler::ResidueAtoms& r)
{
  AtomTypeSet types;
  if (r.residue == nullptr) return AtomTypeSet(r.types, r.types + r.count);
  for (AbstractResidue::ResidueIterator it = r.residue->begin(); it != r.residue->end(); ++it)
    types.insert((*it).getType());
  return types;
}

void report_left_out(size_t count, const char* use)
{
  std::cout << count << " atoms not held by every structure left out of the " << use << std::endl;
}

// Rows and columns of the matrix in blocks of this many structures: one
// row's structure stays in the first-level cache while a block of columns
// (about half a megabyte for 1,500 atoms) stays in the second.
const uint64_t kTile = 32;

// How long the main thread sleeps between two looks at the progress.
void pause_briefly() { std::this_thread::sleep_for(std::chrono::milliseconds(5)); }

CException align_file_error(const char* name, const char* reason)
{
  CException e("Cannot write alignment file ");
  e << name << ": " << reason << ".";
  return e;
}

}  // namespace

CRmsEngine::CRmsEngine()
  : alignFile(nullptr), maxRmsd(0), farthestFirst(nullptr), farthestSecond(nullptr), root(nullptr),
    residuesKept(true), nextItem(0), donePairs(0)
{
}

CRmsEngine::~CRmsEngine()
{
  delete[] alignFile;
  delete root;
}

void CRmsEngine::AddFrag(const char* name)
{
  if (name == nullptr) return;
  CFragHandler frag(name);
  frag.Load();
  frags.push_back(frag);
}

bool CRmsEngine::ShowsStructures(size_t n) const
{
  return alignFile != nullptr || __very_verbose || ShowsWindow(n);
}

void CRmsEngine::AddFrags(const std::vector<std::string>& names)
{
  const size_t first = frags.size();
  const bool shown = ShowsStructures(first + names.size());
  frags.reserve(first + names.size());
  // Each pipe's copy is kept until its last naming here is loaded.
  for (const std::string& name : names) {
    CPipeInput::Expect(name.c_str());
    frags.emplace_back(name.c_str());
  }
  const unsigned threads = worker_count(names.size());
  try {
    if (threads <= 1)
      for (size_t k = first; k < frags.size(); ++k) frags[k].Load(shown);
    else
      load_in_order(frags, first, threads, shown);
  } catch (...) {
    frags.erase(frags.begin() + static_cast<std::ptrdiff_t>(first), frags.end());
    throw;
  }
}

void CRmsEngine::SetPdbAlignFile(const char* name)
{
  alignOutput.reset();
  delete[] alignFile;
  alignFile = nullptr;
  if (name == nullptr) return;
  alignFile = new char[std::strlen(name) + 1];
  std::strcpy(alignFile, name);
}

void CRmsEngine::PrepareAlignFile()
{
  if (alignFile == nullptr) return;
  alignOutput.reset(new CReplacedFile(alignFile));
  if (alignOutput->GetError() != 0) throw align_file_error(alignFile, std::strerror(alignOutput->GetError()));
}

t_Residue* CRmsEngine::GeneralizeBase(t_Residue* a, t_Residue* b)
{
  if (a == b) return a;
  if (a->is_Purine() && b->is_Pyrimidine()) return r_RNA;
  if (a->is_Pyrimidine() && b->is_Purine()) return r_RNA;
  if (a->is_Purine() && b->is_Purine()) return r_Purine;
  if (a->is_Pyrimidine() && b->is_Pyrimidine()) return r_Pyrimidine;
  if (a->is_RNA() || b->is_RNA()) return r_RNA;
  if (a->is_AminoAcid() && b->is_AminoAcid()) return r_AminoAcid;
  // Two different molecules paired by order: the user's mistake, not ours.
  CException e("Unsupported type correspondence: ");
  e << a->getName() << " with " << b->getName();
  throw e;
}

std::vector<t_Residue*> CRmsEngine::Sequence(const CResIdSet& ids) const
{
  std::vector<t_Residue*> sequence = frags[0].ResidueTypes(ids), types;
  for (size_t s = 1; s < frags.size(); ++s) {
    types = frags[s].ResidueTypes(ids);
    for (size_t k = 0; k < sequence.size() && k < types.size(); ++k)
      sequence[k] = GeneralizeBase(sequence[k], types[k]);
  }
  return sequence;
}

CFragHandler::TypesPerResidue CRmsEngine::CommonAtomTypes(const CResIdSet& ids) const
{
  CFragHandler::TypesPerResidue common;
  for (const CFragHandler::ResidueAtoms& r : frags[0].atoms_of(ids)) common.push_back(types_of(r));
  for (size_t s = 1; s < frags.size(); ++s) {
    std::vector<CFragHandler::ResidueAtoms> residues = frags[s].atoms_of(ids);
    for (size_t k = 0; k < common.size() && k < residues.size(); ++k) {
      AtomTypeSet theirs = types_of(residues[k]);
      for (AtomTypeSet::iterator t = common[k].begin(); t != common[k].end();)
        t = theirs.count(*t) != 0 ? std::next(t) : common[k].erase(t);
    }
  }
  return common;
}

void CRmsEngine::Initialize()
{
  // The residues every structure has, for the alignment and the RMSD alike.
  CResIdSet common = frags[0].GetIds();
  if (alignIds.empty()) alignIds = common;
  if (rmsdIds.empty()) rmsdIds = common;
  for (size_t s = 1; s < frags.size(); ++s) narrow(common, frags[s].GetIds());
  warn_unused(alignIds, common, "alignment");
  warn_unused(rmsdIds, common, "comparison");
  alignIds = intersection(alignIds, common);
  rmsdIds = intersection(rmsdIds, common);

  alignSequence = Sequence(alignIds);
  const bool same = rmsdIds == alignIds;
  rmsdSequence = same ? alignSequence : Sequence(rmsdIds);
  // Validated residues hold every atom of their type; without validation
  // atoms pair by type, over the types every structure has.
  CFragHandler::TypesPerResidue alignTypes, rmsdTypes;
  if (!__residue_validation) {
    alignTypes = CommonAtomTypes(alignIds);
    if (!same) rmsdTypes = CommonAtomTypes(rmsdIds);
  }
  const CFragHandler::TypesPerResidue* alignCommon = __residue_validation ? nullptr : &alignTypes;
  const CFragHandler::TypesPerResidue* rmsdCommon = __residue_validation ? nullptr : &rmsdTypes;
  SelectAtoms(alignCommon, rmsdCommon, same);
}

void CRmsEngine::SelectAtoms(const CFragHandler::TypesPerResidue* alignCommon,
                             const CFragHandler::TypesPerResidue* rmsdCommon, bool same)
{
  const size_t n = frags.size();
  residuesKept = ShowsStructures(n);
  flatAlign.assign(n, CFlatAtoms());
  flatRmsd.assign(same ? 0 : n, CFlatAtoms());
  std::vector<size_t> alignLeftOut(n, 0), rmsdLeftOut(n, 0);
  std::vector<std::exception_ptr> failures(n);
  CWorkQueue queue(n);
  auto select = [&](unsigned) {
    std::vector<float> xyz, rmsd;
    for (size_t s; queue.take(s);) {
      CFragHandler& frag = frags[s];
      try {
        xyz.clear();
        alignLeftOut[s] = frag.FilterCoordinates(xyz, alignIds, alignSequence, alignCommon);
        if (!same) {
          rmsd.clear();
          rmsdLeftOut[s] = frag.FilterCoordinates(rmsd, rmsdIds, rmsdSequence, rmsdCommon);
          flatRmsd[s] = CFlatAtoms(rmsd.data(), rmsd.size() / 3);
        }
        // The flat copy takes the place of the light one.
        std::vector<float> storage;
        if (!residuesKept) storage = frag.Release();
        flatAlign[s] = CFlatAtoms(xyz.data(), xyz.size() / 3, std::move(storage));
        frag.SetAtomCounts(flatAlign[s].size(), same ? flatAlign[s].size() : flatRmsd[s].size());
        if (residuesKept) {
          // Aligning moves the residues for the -o file and the viewer.
          frag.AlignFilter(alignIds, alignSequence, alignCommon);
          if (same)
            frag.UseAlignAtomsForRmsd();
          else
            frag.RmsdFilter(rmsdIds, rmsdSequence, rmsdCommon);
        }
      } catch (...) {
        failures[s] = std::current_exception();
      }
    }
  };
  run_threads(worker_count(n), select);
  // The failure of the first structure in order, as one thread would meet it.
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  if (__verbose && !__residue_validation) {
    size_t align = 0, rmsd = 0;
    for (size_t s = 0; s < n; ++s) {
      align += alignLeftOut[s];
      rmsd += rmsdLeftOut[s];
    }
    report_left_out(align, "alignment");
    if (!same) report_left_out(rmsd, "comparison");
  }
}

float CRmsEngine::Distance(int i, int j) const
{
  if (!matrix) return -1.0f;
  if (i == j) return 0.0f;
  return matrix->at(static_cast<uint64_t>(i), static_cast<uint64_t>(j));
}

void CRmsEngine::SetDistances(const CPackedMatrix& distances)
{
  if (distances.size() != frags.size()) {
    CIntLibException e("A distance matrix for ", __FILE__, __LINE__);
    e << static_cast<unsigned long>(distances.size()) << " structures given to an engine of "
      << static_cast<unsigned long>(frags.size());
    throw e;
  }
  matrix.reset(new CPackedMatrix(distances));
}

void CRmsEngine::Execute()
{
  if (frags.size() == 2) {
    PairMode();
    phase_done("pair");
  } else if (__compare) {
    CompareMode();
    phase_done("compare");
  } else {
    if (__verbose) std::cout << "- Clustering phase." << std::endl;
    Cluster();
  }
  // A report cut short fails the run before the -o file takes any place.
  check_standard_output();
  if (alignFile != nullptr) {
    WriteAlignFile();
    phase_done("output");
  }
}

float CRmsEngine::PairDistance(uint64_t i, uint64_t j) const
{
  if (flatRmsd.empty()) return superposed_rmsd(flatAlign[i], flatAlign[j]);
  return superposed_rmsd(flatAlign[i], flatAlign[j], flatRmsd[i], flatRmsd[j]);
}

void CRmsEngine::PairMode()
{
  if (__verbose) std::cout << "- Alignment phase." << std::endl;
  if (residuesKept)
    frags[0].Align(frags[1]);
  else
    frags[0].CheckAlign(frags[1]);
  if (__verbose) std::cout << "- Comparison phase." << std::endl;
  // The listing and the checks of the measure; the number is the one
  // compare and cluster modes give for the same two files.
  if (residuesKept)
    frags[0].Rmsd(frags[1]);
  else
    frags[0].CheckRmsd(frags[1]);
  float r = PairDistance(0, 1);
  std::cout << std::endl << "  RMSD = " << r << " Angstroms" << std::endl << std::endl;
}

void CRmsEngine::ComputePartialComparison(unsigned /*k*/, Results* /*results*/)
{
  for (uint64_t i = nextItem.fetch_add(1); i < frags.size(); i = nextItem.fetch_add(1)) {
    if (residuesKept) frags[0].Align(frags[i]);
    compareResults[i] = PairDistance(0, i);
  }
}

void CRmsEngine::CompareSerially(bool phases)
{
  const size_t n = frags.size();
  if (phases && __verbose) std::cout << "- Alignment phase." << std::endl;
  for (size_t s = 1; s < n; ++s) {
    if (residuesKept)
      frags[0].Align(frags[s]);
    else
      frags[0].CheckAlign(frags[s]);
  }
  if (phases && __verbose) std::cout << "- Comparison phase." << std::endl;
  for (size_t s = 1; s < n; ++s) {
    if (__very_verbose) {
      frags[0].Rmsd(frags[s]);
      check_standard_output();  // the listing is most of the work
    } else {
      frags[0].CheckRmsd(frags[s]);
    }
    compareResults[s] = PairDistance(0, s);
  }
}

void CRmsEngine::CompareMode()
{
  const size_t n = frags.size();
  const unsigned threads = worker_count(n - 1);
  compareResults.assign(n, 0.0f);
  if (static_cast<unsigned>(__nb_threads) <= 1) {
    CompareSerially(true);
  } else {
    if (__verbose) std::cout << "- Alignment and comparison phase (mutli-threaded)." << std::endl;
    if (__very_verbose) {
      // The atom pairs are listed in structure order, as without threads.
      CompareSerially(false);
    } else {
      // The failure one thread meets first, whatever the threads: every
      // alignment is checked before any measure.
      for (size_t s = 1; s < n; ++s) frags[0].CheckAlign(frags[s]);
      for (size_t s = 1; s < n; ++s) frags[0].CheckRmsd(frags[s]);
      nextItem = 1;  // the reference structure is not compared with itself
      run_threads(threads, [this](unsigned k) { ComputePartialComparison(k, nullptr); });
    }
  }
  // Equal RMSDs keep load order, with or without threads.
  Results results;
  for (size_t s = 1; s < n; ++s) results.emplace(compareResults[s], &frags[s]);
  std::cout << std::endl << "Results of comparison with " << frags[0].GetFileName() << ":" << std::endl;
  for (const auto& result : results)
    std::cout << "  " << result.second->GetFileName() << ": " << result.first << " Angstroms" << std::endl;
  std::cout << std::endl;
}

void CRmsEngine::ComputeTile(uint64_t tile)
{
  const uint64_t n = frags.size();
  const uint64_t i_end = std::min(n, (tiles[tile].first + 1) * kTile);
  const uint64_t j_begin = tiles[tile].second * kTile, j_end = std::min(n, j_begin + kTile);
  uint64_t count = 0;
  for (uint64_t i = tiles[tile].first * kTile; i < i_end; ++i) {
    const uint64_t row = CPackedMatrix::index(n, i, i + 1) - (i + 1);
    for (uint64_t j = std::max(i + 1, j_begin); j < j_end; ++j, ++count) (*matrix)[row + j] = PairDistance(i, j);
  }
  donePairs.fetch_add(count, std::memory_order_relaxed);
}

void CRmsEngine::ComputePartialMatrix(unsigned /*k*/)
{
  for (uint64_t t = nextItem.fetch_add(1); t < tiles.size(); t = nextItem.fetch_add(1)) ComputeTile(t);
}

void CRmsEngine::FillMatrix(uint64_t total, unsigned threads)
{
  const uint64_t n = frags.size();
  CProgressBar progress(std::cout, total);
  // The first failure the pairwise loop would meet, before any work.
  for (size_t s = 1; s < n; ++s) {
    frags[0].CheckAlign(frags[s]);
    frags[0].CheckRmsd(frags[s]);
  }
  const uint64_t blocks = (n + kTile - 1) / kTile;
  tiles.clear();
  for (uint64_t I = 0; I < blocks; ++I)
    for (uint64_t J = I; J < blocks; ++J) tiles.emplace_back(static_cast<uint32_t>(I), static_cast<uint32_t>(J));
  nextItem = 0;
  if (threads <= 1) {
    for (uint64_t t = 0; t < tiles.size(); ++t) {
      ComputeTile(t);
      progress.catch_up(donePairs.load());
    }
  } else {
    run_threads(threads, [this](unsigned k) { ComputePartialMatrix(k); },
                [this, &progress] {
                  pause_briefly();
                  progress.catch_up(donePairs.load());
                });
  }
  progress.catch_up(donePairs.load());
  progress.finish();
  tiles.clear();
  tiles.shrink_to_fit();
}

void CRmsEngine::ReplayAlignments()
{
  // Where the pairwise loop leaves them: structure 0 in place, each later
  // one last moved onto the one before it.
  for (size_t s = 1; s < frags.size(); ++s) frags[s - 1].Align(frags[s]);
}

void CRmsEngine::ReportFarthest()
{
  const uint64_t n = frags.size();
  maxRmsd = 0.0f;
  farthestFirst = farthestSecond = &frags[0];
  for (uint64_t p = 0; p < matrix->pairs(); ++p) {
    if ((*matrix)[p] > maxRmsd) {
      maxRmsd = (*matrix)[p];
      std::pair<uint64_t, uint64_t> ij = CPackedMatrix::pair_at(n, p);
      farthestFirst = &frags[ij.first];
      farthestSecond = &frags[ij.second];
    }
  }
  std::cout << "Most distant structures (" << maxRmsd << "A):" << std::endl;
  std::cout << "\t" << farthestFirst->GetFileName() << std::endl;
  std::cout << "\t" << farthestSecond->GetFileName() << std::endl;
}

namespace {

void print_members(std::ostream& os, const CGroup& group)
{
  os << "[ ";
  for (int member : group.GetMembers()) os << member << " ";
  os << "]";
}

}  // namespace

void CRmsEngine::BuildTree()
{
  const uint64_t n = frags.size();
  // With -R nothing reads a distance once the tree stands: the linkage
  // works on the matrix itself, and no representative is sought.
  std::vector<CMerge> merges = __root_only ? complete_linkage_in_place(*matrix) : complete_linkage(*matrix);
  std::vector<CGroup*> nodes;
  nodes.reserve(2 * n - 1);
  for (uint64_t i = 0; i < n; ++i) nodes.push_back(new CGroup(0.0f, static_cast<int>(i), this));
  for (const CMerge& merge : merges) {
    CGroup* left = nodes[merge.left];
    CGroup* right = nodes[merge.right];
    if (__verbose) {
      std::cout << "Grouping at " << merge.distance << "  ";
      print_members(std::cout, *left);
      std::cout << " and ";
      print_members(std::cout, *right);
      std::cout << std::endl;
    }
    nodes.push_back(new CGroup(merge.distance, this, left, right));
  }
  delete root;
  root = nodes.back();
  if (__root_only) {
    matrix.reset();
    return;
  }

  // Each merged group's representative reads only the matrix: spread over
  // the workers, the biggest groups first. Leaves keep theirs unknown.
  std::atomic<size_t> next(0);
  auto find_all = [&nodes, &next, n](unsigned) {
    for (size_t k = next.fetch_add(1); k + n < nodes.size(); k = next.fetch_add(1))
      nodes[nodes.size() - 1 - k]->FindLMS();
  };
  unsigned threads = static_cast<unsigned>(__nb_threads);
  if (threads <= 1)
    find_all(0);
  else
    run_threads(threads, find_all, pause_briefly);
}

void CRmsEngine::Cluster()
{
  const uint64_t n = frags.size();
  const uint64_t total = CPackedMatrix::pair_count(n);
  if (static_cast<unsigned>(__nb_threads) > total) __nb_threads = static_cast<int>(total);
  const unsigned threads = worker_count(total);

  donePairs = 0;
  matrix.reset(new CPackedMatrix(CPackedMatrix::Unset(n)));
  if (__very_verbose) {
    // The atom-pair listings follow the pairwise loop itself, in order.
    CProgressBar progress(std::cout, total);
    for (uint64_t i = 0; i + 1 < n; ++i) {
      for (uint64_t j = i + 1; j < n; ++j) {
        frags[i].Align(frags[j]);
        frags[i].Rmsd(frags[j]);
        (*matrix)[CPackedMatrix::index(n, i, j)] = PairDistance(i, j);
        progress.step(++donePairs);
      }
      check_standard_output();
    }
    progress.finish();
  } else {
    FillMatrix(total, threads);
    phase_done("matrix");
    // Only the -o file and the viewer see where the structures stand.
    if (residuesKept && (alignFile != nullptr || !__root_only)) ReplayAlignments();
  }
  check_standard_output();
  flatAlign = std::vector<CFlatAtoms>();
  flatRmsd = std::vector<CFlatAtoms>();
  ReportFarthest();
  BuildTree();
  phase_done("linkage");

  if (__root_only) {
    std::cout << n << " - " << root->GetDistance() << " A" << std::endl;
  } else {
    check_standard_output();
    ClusterDrawable drawable(root);
    drawable.exec();
  }
}

bool CRmsEngine::ShowsWindow(size_t n) { return n >= 3 && !__compare && !__root_only; }

void CRmsEngine::WriteAlignFile()
{
  if (alignFile == nullptr) return;
  if (!alignOutput) PrepareAlignFile();
  const int fd = alignOutput->Open();
  if (fd < 0) throw align_file_error(alignFile, std::strerror(alignOutput->GetError()));
  CDescriptorBuffer buffer(fd);
  oPdbstream pdb(&buffer);
  pdb.putheader();
  char remark[80];
  std::snprintf(remark, sizeof remark, "Alignment file generated by %s %s", kProgramName, kProgramVersion);
  pdb.putremark(220, remark);
  for (const CFragHandler& frag : frags) {
    pdb << frag;
    if (pdb.fail() && buffer.GetError() == 0) {
      std::string reason = std::string("a coordinate of ") + frag.GetFileName() + " is too large for a PDB file";
      throw align_file_error(alignFile, reason.c_str());
    }
    static_cast<std::ostream&>(pdb) << "TER\nREMARK\n";
  }
  pdb.close();
  pdb.flush();
  if (buffer.GetError() != 0) throw align_file_error(alignFile, std::strerror(buffer.GetError()));
  if (!alignOutput->Commit()) throw align_file_error(alignFile, std::strerror(alignOutput->GetError()));
  alignOutput.reset();
}

}  // namespace tolva
