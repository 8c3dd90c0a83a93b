// The comparison engine: owns the loaded structures, the residue sets of
// -a and -r with their generalised residue types, the distance matrix and
// the cluster tree, and runs pair, compare or cluster mode.
#ifndef TOLVA_RMSENGINE_H
#define TOLVA_RMSENGINE_H

#include <atomic>
#include <map>
#include <memory>
#include <vector>

#include "FragHandler.h"
#include "PackedMatrix.h"
#include "ResIdSet.h"
#include "WorkSplit.h"

class t_Residue;

namespace tolva {

class CFlatAtoms;
class CGroup;

class CRmsEngine
{
public:
  typedef std::multimap<float, CFragHandler*> Results;

  CRmsEngine();
  ~CRmsEngine();
  CRmsEngine(const CRmsEngine&) = delete;
  CRmsEngine& operator=(const CRmsEngine&) = delete;

  // Loads the file into a new structure; a null name adds nothing.
  void AddFrag(const char* name);
  void SetPdbAlignFile(const char* name);

  // Reduces the residue sets to the residues every structure has, folds
  // the residue types position by position and builds the atom lists.
  void Initialize();
  static t_Residue* GeneralizeBase(t_Residue* a, t_Residue* b);

  // The chosen mode, then the -o file.
  void Execute();
  void Cluster();

  // The distance of two structures: -1 without a matrix, 0 on the diagonal.
  float Distance(int i, int j) const;
  // Installs a distance matrix computed elsewhere, for as many structures
  // as the engine holds.
  void SetDistances(const CPackedMatrix& distances);

  // Worker bodies, started through __redirect.
  void ComputePartialComparison(unsigned k, Results* results);
  void ComputePartialMatrix(unsigned k);

  CResIdSet& GetAlignIds() { return alignIds; }
  CResIdSet& GetRmsdIds() { return rmsdIds; }
  const std::vector<t_Residue*>& GetAlignSequence() const { return alignSequence; }
  const std::vector<t_Residue*>& GetRmsdSequence() const { return rmsdSequence; }
  const char* GetPdbAlignFile() const { return alignFile; }
  size_t GetFragCount() const { return frags.size(); }
  CFragHandler& GetFrag(size_t i) { return frags[i]; }
  const CFragHandler& GetFrag(size_t i) const { return frags[i]; }
  const CGroup* GetRoot() const { return root; }

private:
  void PairMode();
  void CompareMode();
  void FillMatrix();
  // The distance of a pair from the flat copies, structure i fixed.
  float PairDistance(uint64_t i, uint64_t j) const;
  void ReplayAlignments();
  void ReportFarthest();
  void BuildTree();
  void WriteAlignFile();
  std::vector<t_Residue*> Sequence(const CResIdSet& ids) const;
  // Per id, the atom types the residues of every structure hold.
  CFragHandler::TypesPerResidue CommonAtomTypes(const CResIdSet& ids) const;

  std::vector<CFragHandler> frags;
  CResIdSet alignIds;
  CResIdSet rmsdIds;
  std::vector<t_Residue*> alignSequence;
  std::vector<t_Residue*> rmsdSequence;
  char* alignFile;
  std::unique_ptr<CPackedMatrix> matrix;
  std::vector<CRange> ranges;
  float maxRmsd;
  CFragHandler* farthestFirst;
  CFragHandler* farthestSecond;
  CGroup* root;

  // Cluster mode: the selected atoms copied once, and the shared progress.
  std::vector<CFlatAtoms> flatAlign;
  std::vector<CFlatAtoms> flatRmsd;
  std::atomic<uint64_t> donePairs;
  std::vector<float> compareResults;
};

}  // namespace tolva

#endif
