// The comparison engine: owns the loaded structures, the residue sets of
// -a and -r with their generalised residue types, the distance matrix and
// the cluster tree, and runs pair, compare or cluster mode.
#ifndef TOLVA_RMSENGINE_H
#define TOLVA_RMSENGINE_H

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FragHandler.h"
#include "PackedMatrix.h"
#include "ResIdSet.h"

class t_Residue;

namespace tolva {

class CFlatAtoms;
class CGroup;
class CReplacedFile;

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
  // Loads the files into new structures, in order, on the workers of -j.
  // Hydrogens and lone pairs are placed only when something will write or
  // show the structures. When files fail, the first in order is reported.
  void AddFrags(const std::vector<std::string>& names);
  void SetPdbAlignFile(const char* name);
  // Makes the -o file's temporary file, so that a place where no file can
  // be made is reported before any work; throws "Cannot write alignment
  // file " + name + ": " + the reason + ".". Nothing to do without -o.
  void PrepareAlignFile();

  // Reduces the residue sets to the residues every structure has, folds
  // the residue types position by position and builds the atom lists.
  void Initialize();
  static t_Residue* GeneralizeBase(t_Residue* a, t_Residue* b);

  // Whether anything will write or show the structures (-o, the viewer,
  // the -v -v listings) for a run over n files.
  bool ShowsStructures(size_t n) const;

  // Whether a run over n files ends in the viewer window.
  static bool ShowsWindow(size_t n);

  // The chosen mode, then the -o file.
  void Execute();
  void Cluster();

  // The distance of two structures: -1 without a matrix, 0 on the diagonal.
  float Distance(int i, int j) const;
  // Installs a distance matrix computed elsewhere, for as many structures
  // as the engine holds.
  void SetDistances(const CPackedMatrix& distances);

  // Worker bodies, started through __redirect: each takes structures (or
  // tiles of the matrix) one at a time until none is left.
  void ComputePartialComparison(unsigned k, Results* results);
  void ComputePartialMatrix(unsigned k);
  // Compare mode on one thread: every alignment, then every measure, the
  // atom pairs listed under -v -v; with the phase lines when `phases`.
  void CompareSerially(bool phases);

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
  void FillMatrix(uint64_t total, unsigned threads);
  void ComputeTile(uint64_t tile);
  // The atoms of every structure into flat arrays, and the atom lists
  // where the residues stay.
  void SelectAtoms(const CFragHandler::TypesPerResidue* alignCommon,
                   const CFragHandler::TypesPerResidue* rmsdCommon, bool same);
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
  std::unique_ptr<CReplacedFile> alignOutput;
  std::unique_ptr<CPackedMatrix> matrix;
  float maxRmsd;
  CFragHandler* farthestFirst;
  CFragHandler* farthestSecond;
  CGroup* root;

  // The selected atoms copied once (flatRmsd empty when the RMSD is taken
  // on the align atoms), and the work shared by the workers: the tiles of
  // the matrix (a block of rows by a block of columns), handed out one at a
  // time, and the pairs done.
  std::vector<CFlatAtoms> flatAlign;
  std::vector<CFlatAtoms> flatRmsd;
  bool residuesKept;
  std::vector<std::pair<uint32_t, uint32_t>> tiles;
  // The next structure (compare mode) or tile a worker takes.
  std::atomic<uint64_t> nextItem;
  std::atomic<uint64_t> donePairs;
  std::vector<float> compareResults;
};

}  // namespace tolva

#endif
