#include "PositionNumbers.h"

#include <algorithm>
#include <set>
#include <vector>

#include "ChainLink.h"
#include "Model.h"

namespace tolva {

namespace {

typedef std::vector<const AbstractResidue*> Residues;

// Read as a residue of a chain: ATOM records under a nucleotide's or an
// amino acid's name. An RNAML document has no HETATM records.
bool standard(const AbstractResidue& r) { return !r.isHetero() && is_named_polymer(&r); }

bool chain_residue(const AbstractResidue& r) { return standard(r) || holds_chain_backbone(r); }

// The ids of the model that hold a residue of a chain, in id order (chain
// by chain), each with its residues in file order. Waters, ions and free
// ligands stand in no chain, so they never come between two neighbours.
class ChainIds
{
public:
  explicit ChainIds(const Model& model)
  {
    std::map<CResId, Residues> all;
    for (const AbstractResidue* r : model) all[r->getResId()].push_back(r);
    for (auto& entry : all)
      if (std::any_of(entry.second.begin(), entry.second.end(), [](const AbstractResidue* r) { return chain_residue(*r); }))
        ids.emplace_back(entry.first, std::move(entry.second));
  }

  // The ids that are positions: the standard ones and those linked to a
  // neighbour, then every id of a chain between its first and last.
  std::set<CResId> Positions() const
  {
    std::vector<bool> position(ids.size());
    for (size_t k = 0; k < ids.size(); ++k) position[k] = any_standard(k) || linked(k);
    std::set<CResId> found;
    for (size_t k = 0; k < ids.size();) {
      size_t end = k;
      while (end < ids.size() && same_chain(k, end)) ++end;
      size_t first = k, last = end;
      while (first < end && !position[first]) ++first;
      while (last > first && !position[last - 1]) --last;
      for (size_t i = first; i < last; ++i) found.insert(ids[i].first);
      k = end;
    }
    return found;
  }

private:
  bool same_chain(size_t a, size_t b) const { return ids[a].first.GetChainId() == ids[b].first.GetChainId(); }

  bool any_standard(size_t k) const
  {
    return std::any_of(ids[k].second.begin(), ids[k].second.end(), [](const AbstractResidue* r) { return standard(*r); });
  }

  // Whether a residue of id k is bonded to one of the chain's id next to
  // it, on either side.
  bool linked(size_t k) const
  {
    for (const AbstractResidue* r : ids[k].second) {
      if (k > 0 && same_chain(k - 1, k) && linked_to(k - 1, *r, true)) return true;
      if (k + 1 < ids.size() && same_chain(k, k + 1) && linked_to(k + 1, *r, false)) return true;
    }
    return false;
  }

  bool linked_to(size_t k, const AbstractResidue& r, bool before) const
  {
    for (const AbstractResidue* s : ids[k].second)
      if (before ? chain_linked(*s, r) : chain_linked(r, *s)) return true;
    return false;
  }

  std::vector<std::pair<CResId, Residues>> ids;
};

}  // namespace

PositionNumbers number_positions(const Model& model, bool by_id, bool validated)
{
  const std::set<CResId> chained = validated ? ChainIds(model).Positions() : std::set<CResId>();
  // An id is placed where a residue of its chain stands: an alternate
  // residue, or a water or ligand that took the id first, neither adds a
  // position nor moves one.
  std::vector<CResId> positions;
  std::set<CResId> placed;
  for (const AbstractResidue* r : model) {
    const CResId& id = r->getResId();
    if (placed.count(id) != 0) continue;
    if (validated && !(chained.count(id) != 0 && chain_residue(*r))) continue;
    placed.insert(id);
    positions.push_back(id);
  }
  if (by_id) std::sort(positions.begin(), positions.end());
  PositionNumbers numbers;
  int k = 0;
  for (const CResId& id : positions) numbers.emplace(id, ++k);
  return numbers;
}

}  // namespace tolva
