#include "RmsEngine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <iterator>
#include <mutex>
#include <pthread.h>
#include <thread>

#include "ClusterDrawable.h"
#include "CompleteLinkage.h"
#include "Exception.h"
#include "FlatAtoms.h"
#include "Group.h"
#include "Options.h"
#include "Pdbstream.h"
#include "fPdbstream.h"
#include "ProgressBar.h"
#include "ReplacedFile.h"
#include "ResidueType.h"

namespace tolva {

namespace {

// One worker's record: the task it runs and where it reports a failure.
struct ThreadRecord
{
  unsigned index;
  const std::function<void(unsigned)>* task;
  std::atomic<unsigned>* running;
  std::exception_ptr* failure;
  std::mutex* mutex;
};

CResIdSet intersection(const CResIdSet& a, const CResIdSet& b)
{
  CResIdSet result;
  std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::inserter(result, result.end()));
  return result;
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

// The types of every atom of the residue.
AtomTypeSet types_of(AbstractResidue* residue)
{
  AtomTypeSet types;
  for (AbstractResidue::ResidueIterator it = residue->begin(); it != residue->end(); ++it) types.insert((*it).getType());
  return types;
}

void report_left_out(size_t count, const char* use)
{
  std::cout << count << " atoms not held by every structure left out of the " << use << std::endl;
}

std::vector<CPoint3D> points_of(const CFragHandler::AtomList& atoms)
{
  std::vector<CPoint3D> points;
  points.reserve(atoms.size());
  for (const AbstractResidue::ResidueIterator& it : atoms) {
    const CAtom& atom = *it;
    points.emplace_back(atom.x, atom.y, atom.z);
  }
  return points;
}

}  // namespace

}  // namespace tolva

// The start routine of every worker thread. A failure is kept for the main
// thread, which rethrows it once all workers are joined: it never ends the
// process from here, and no lock is left held.
extern "C" void* __redirect(void* argument)
{
  tolva::ThreadRecord* record = static_cast<tolva::ThreadRecord*>(argument);
  try {
    (*record->task)(record->index);
  } catch (...) {
    std::lock_guard<std::mutex> lock(*record->mutex);
    if (!*record->failure) *record->failure = std::current_exception();
  }
  record->running->fetch_sub(1);
  return nullptr;
}

namespace tolva {

CRmsEngine::CRmsEngine()
  : alignFile(nullptr), maxRmsd(0), farthestFirst(nullptr), farthestSecond(nullptr), root(nullptr), donePairs(0)
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

void CRmsEngine::SetPdbAlignFile(const char* name)
{
  delete[] alignFile;
  alignFile = nullptr;
  if (name == nullptr) return;
  alignFile = new char[std::strlen(name) + 1];
  std::strcpy(alignFile, name);
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
  CFatalIntLibException e("Unsupported type correspondence: ", "CRmsEngine", 622);
  e << a->getName() << " with " << b->getName();
  throw e;
}

std::vector<t_Residue*> CRmsEngine::Sequence(const CResIdSet& ids) const
{
  std::vector<t_Residue*> sequence;
  for (AbstractResidue* r : frags[0].select(ids.begin(), ids.end())) sequence.push_back(r->getType());
  for (size_t s = 1; s < frags.size(); ++s) {
    std::vector<AbstractResidue*> residues = frags[s].select(ids.begin(), ids.end());
    for (size_t k = 0; k < sequence.size() && k < residues.size(); ++k)
      sequence[k] = GeneralizeBase(sequence[k], residues[k]->getType());
  }
  return sequence;
}

CFragHandler::TypesPerResidue CRmsEngine::CommonAtomTypes(const CResIdSet& ids) const
{
  CFragHandler::TypesPerResidue common;
  for (AbstractResidue* r : frags[0].select(ids.begin(), ids.end())) common.push_back(types_of(r));
  for (size_t s = 1; s < frags.size(); ++s) {
    std::vector<AbstractResidue*> residues = frags[s].select(ids.begin(), ids.end());
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
  CResIdSet common_align = frags[0].GetIds();
  CResIdSet common_rmsd = frags[0].GetIds();
  if (alignIds.empty()) alignIds = common_align;
  if (rmsdIds.empty()) rmsdIds = common_rmsd;
  for (size_t s = 1; s < frags.size(); ++s) {
    common_align = intersection(common_align, frags[s].GetIds());
    common_rmsd = intersection(common_rmsd, frags[s].GetIds());
  }
  warn_unused(alignIds, common_align, "alignment");
  warn_unused(rmsdIds, common_rmsd, "comparison");
  alignIds = intersection(alignIds, common_align);
  rmsdIds = intersection(rmsdIds, common_rmsd);

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
  size_t alignLeftOut = 0, rmsdLeftOut = 0;
  for (CFragHandler& frag : frags) {
    alignLeftOut += frag.AlignFilter(alignIds, alignSequence, alignCommon);
    if (same)
      frag.UseAlignAtomsForRmsd();
    else
      rmsdLeftOut += frag.RmsdFilter(rmsdIds, rmsdSequence, rmsdCommon);
  }
  if (__verbose && !__residue_validation) {
    report_left_out(alignLeftOut, "alignment");
    if (!same) report_left_out(rmsdLeftOut, "comparison");
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
  } else if (__compare) {
    CompareMode();
  } else {
    if (__verbose) std::cout << "- Clustering phase." << std::endl;
    Cluster();
  }
  WriteAlignFile();
}

void CRmsEngine::PairMode()
{
  if (__verbose) std::cout << "- Alignment phase." << std::endl;
  frags[0].Align(frags[1]);
  if (__verbose) std::cout << "- Comparison phase." << std::endl;
  float r = frags[0].Rmsd(frags[1]);
  std::cout << std::endl << "  RMSD = " << r << " Angstroms" << std::endl << std::endl;
}

namespace {

// Starts `count` POSIX threads on the task, calls `wait` on this thread
// while they run, joins them all and rethrows the first failure.
void run_threads(unsigned count, const std::function<void(unsigned)>& task,
                 const std::function<void()>& wait)
{
  std::mutex mutex;
  std::exception_ptr failure;
  std::atomic<unsigned> running(count);
  std::vector<ThreadRecord> records(count);
  std::vector<pthread_t> threads;
  threads.reserve(count);
  for (unsigned k = 0; k < count; ++k) {
    records[k] = ThreadRecord{k, &task, &running, &failure, &mutex};
    pthread_t thread;
    if (pthread_create(&thread, nullptr, __redirect, &records[k]) != 0) {
      running.fetch_sub(count - k);
      std::lock_guard<std::mutex> lock(mutex);
      if (!failure) failure = std::make_exception_ptr(CException("Cannot start a worker thread."));
      break;
    }
    threads.push_back(thread);
  }
  while (running.load() > 0) wait();
  for (pthread_t thread : threads) pthread_join(thread, nullptr);
  if (failure) std::rethrow_exception(failure);
}

void pause_briefly() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

}  // namespace

void CRmsEngine::ComputePartialComparison(unsigned k, Results* /*results*/)
{
  for (int64_t i = ranges[k].first; i <= ranges[k].last; ++i) {
    frags[0].Align(frags[i]);
    compareResults[i] = frags[0].Rmsd(frags[i]);
  }
}

void CRmsEngine::CompareMode()
{
  const unsigned threads = static_cast<unsigned>(__nb_threads);
  const size_t n = frags.size();
  compareResults.assign(n, 0.0f);
  if (threads <= 1) {
    if (__verbose) std::cout << "- Alignment phase." << std::endl;
    for (size_t s = 1; s < n; ++s) frags[0].Align(frags[s]);
    if (__verbose) std::cout << "- Comparison phase." << std::endl;
    for (size_t s = 1; s < n; ++s) compareResults[s] = frags[0].Rmsd(frags[s]);
  } else {
    ranges = split_ranges(static_cast<int64_t>(n), threads);
    ranges[0].first = 1;  // the reference structure is not compared with itself
    if (__verbose) std::cout << "- Alignment and comparison phase (mutli-threaded)." << std::endl;
    run_threads(threads, [this](unsigned k) { ComputePartialComparison(k, nullptr); }, pause_briefly);
    ranges.clear();
  }
  // Equal RMSDs keep load order, with or without threads.
  Results results;
  for (size_t s = 1; s < n; ++s) results.emplace(compareResults[s], &frags[s]);
  std::cout << std::endl << "Results of comparison with " << frags[0].GetFileName() << ":" << std::endl;
  for (const auto& result : results)
    std::cout << "  " << result.second->GetFileName() << ": " << result.first << " Angstroms" << std::endl;
  std::cout << std::endl;
}

void CRmsEngine::ComputePartialMatrix(unsigned k)
{
  const uint64_t n = frags.size();
  if (ranges[k].first > ranges[k].last) return;
  std::pair<uint64_t, uint64_t> ij = CPackedMatrix::pair_at(n, static_cast<uint64_t>(ranges[k].first));
  uint64_t i = ij.first, j = ij.second;
  for (int64_t p = ranges[k].first; p <= ranges[k].last; ++p) {
    (*matrix)[static_cast<uint64_t>(p)] = PairDistance(i, j);
    donePairs.fetch_add(1, std::memory_order_relaxed);
    if (++j == n) {
      ++i;
      j = i + 1;
    }
  }
}

float CRmsEngine::PairDistance(uint64_t i, uint64_t j) const
{
  const std::vector<CFlatAtoms>& measured = flatRmsd.empty() ? flatAlign : flatRmsd;
  return superposed_rmsd(flatAlign[i], flatAlign[j], measured[i], measured[j]);
}

void CRmsEngine::FillMatrix()
{
  const size_t n = frags.size();
  // The first failure the pairwise loop would meet, before any work.
  for (size_t s = 1; s < n; ++s) {
    frags[0].CheckAlign(frags[s]);
    frags[0].CheckRmsd(frags[s]);
  }
  flatAlign.clear();
  flatRmsd.clear();
  const bool shared = &frags[0].GetRmsdAtoms() == &frags[0].GetAlignAtoms();
  for (const CFragHandler& frag : frags) {
    flatAlign.emplace_back(points_of(frag.GetAlignAtoms()));
    if (!shared) flatRmsd.emplace_back(points_of(frag.GetRmsdAtoms()));
  }
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
  std::vector<CMerge> merges = complete_linkage(*matrix);
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
  const unsigned threads = static_cast<unsigned>(__nb_threads);

  CProgressBar progress(std::cout, total);
  donePairs = 0;
  matrix.reset(new CPackedMatrix(n));
  if (__very_verbose) {
    // The atom-pair listings follow the pairwise loop itself, in order.
    for (uint64_t i = 0; i + 1 < n; ++i)
      for (uint64_t j = i + 1; j < n; ++j) {
        frags[i].Align(frags[j]);
        (*matrix)[CPackedMatrix::index(n, i, j)] = frags[i].Rmsd(frags[j]);
        progress.step(++donePairs);
      }
  } else {
    FillMatrix();
    if (threads <= 1) {
      for (uint64_t i = 0, p = 0; i + 1 < n; ++i)
        for (uint64_t j = i + 1; j < n; ++j, ++p) {
          (*matrix)[p] = PairDistance(i, j);
          progress.step(++donePairs);
        }
    } else {
      ranges = split_ranges(static_cast<int64_t>(total), threads);
      run_threads(threads, [this](unsigned k) { ComputePartialMatrix(k); },
                  [this, &progress] {
                    pause_briefly();
                    progress.catch_up(donePairs.load());
                  });
      progress.catch_up(donePairs.load());
    }
    ranges.clear();
    flatAlign.clear();
    flatRmsd.clear();
    // Only the -o file and the viewer see where the structures stand.
    if (alignFile != nullptr || !__root_only) ReplayAlignments();
  }
  progress.finish();
  ReportFarthest();
  BuildTree();

  if (__root_only) {
    std::cout << n << " - " << root->GetDistance() << " A" << std::endl;
  } else {
    ClusterDrawable drawable(root);
    drawable.exec();
  }
}

void CRmsEngine::WriteAlignFile()
{
  if (alignFile == nullptr) return;
  CReplacedFile file(alignFile);
  bool written = false;
  if (!file.GetPath().empty()) {
    ofPdbstream pdb(file.GetPath().c_str(), std::ios::out);
    if (pdb) {
      pdb.putheader();
      char remark[80];
      std::snprintf(remark, sizeof remark, "Alignment file generated by %s %s", kProgramName, kProgramVersion);
      pdb.putremark(220, remark);
      for (const CFragHandler& frag : frags) {
        pdb << frag;
        static_cast<std::ostream&>(pdb) << "TER\nREMARK\n";
      }
      pdb.close();
    }
    written = pdb && file.Commit();
  }
  if (!written) {
    CException e("Cannot write alignment file ");
    e << alignFile << ".";
    throw e;
  }
}

}  // namespace tolva
