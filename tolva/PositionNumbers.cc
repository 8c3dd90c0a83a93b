#include "PositionNumbers.h"

#include <algorithm>
#include <set>
#include <vector>

#include "ChainLink.h"
#include "Model.h"

namespace tolva {

namespace {

typedef std::vector<const AbstractResidue*> Residues;

// The residues of each id, the ids in the order they first appear.
struct IdGroups
{
  std::vector<CResId> order;
  std::map<CResId, Residues> residues;
  std::map<CResId, size_t> rank;

  explicit IdGroups(const Model& model)
  {
    for (const AbstractResidue* r : model) {
      const CResId& id = r->getResId();
      if (rank.emplace(id, order.size()).second) order.push_back(id);
      residues[id].push_back(r);
    }
  }

  // Whether a residue of the id ranked `k` is linked to r on that side.
  bool linked(size_t k, const AbstractResidue& r, bool before) const
  {
    for (const AbstractResidue* s : residues.at(order[k]))
      if (before ? chain_linked(*s, r) : chain_linked(r, *s)) return true;
    return false;
  }
};

// A residue of a chain: linked to the residues of the id before or after
// its own, whatever its name, or read from ATOM records under the name of
// a nucleotide or an amino acid.
bool in_chain(const IdGroups& ids, const AbstractResidue& r)
{
  if (!r.isHetero() && is_named_polymer(&r)) return true;
  const size_t k = ids.rank.at(r.getResId());
  return (k > 0 && ids.linked(k - 1, r, true)) || (k + 1 < ids.order.size() && ids.linked(k + 1, r, false));
}

}  // namespace

PositionNumbers number_positions(const Model& model, bool by_id, bool validated)
{
  const IdGroups ids(model);
  // An id is a position where a residue of it is first found in a chain:
  // an alternate residue, or a water or ligand that took the id first,
  // neither adds a position nor moves one.
  std::vector<CResId> positions;
  std::set<CResId> placed;
  for (const AbstractResidue* r : model)
    if (placed.count(r->getResId()) == 0 && (!validated || in_chain(ids, *r))) {
      placed.insert(r->getResId());
      positions.push_back(r->getResId());
    }
  if (by_id) std::sort(positions.begin(), positions.end());
  PositionNumbers numbers;
  int k = 0;
  for (const CResId& id : positions) numbers.emplace(id, ++k);
  return numbers;
}

}  // namespace tolva
