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

const size_t kNone = ~size_t(0);

// For each residue, the nearest standard residue of its chain (same chain
// id) listed before it in the file, when `forward`, or after it: waters,
// ions, ligands and other chains in between are passed over.
std::vector<size_t> nearest_standard(const Residues& residues, const std::vector<bool>& standards, bool forward)
{
  const size_t n = residues.size();
  std::vector<size_t> nearest(n, kNone);
  size_t last[256];
  std::fill(last, last + 256, kNone);
  for (size_t step = 0; step < n; ++step) {
    const size_t k = forward ? step : n - 1 - step;
    const unsigned char chain = static_cast<unsigned char>(residues[k]->getResId().GetChainId());
    nearest[k] = last[chain];
    if (standards[k]) last[chain] = k;
  }
  return nearest;
}

// The residues that hold a backbone, by id: in id order, the neighbours a
// residue out of its chain's listing may be linked to.
class BackboneIds
{
public:
  explicit BackboneIds(const Residues& residues)
  {
    for (const AbstractResidue* r : residues)
      if (holds_chain_backbone(*r)) ids[r->getResId()].push_back(r);
  }

  // Whether r is bonded to a residue of the chain's nearest id on either
  // side that holds a backbone, by a link either way: a run numbered down
  // (insertion codes counted down to a number) is linked against id order.
  bool Linked(const AbstractResidue& r) const
  {
    const auto at = ids.find(r.getResId());
    if (at == ids.end()) return false;
    const char chain = r.getResId().GetChainId();
    if (at != ids.begin()) {
      const auto before = std::prev(at);
      if (before->first.GetChainId() == chain && any_linked(before->second, r)) return true;
    }
    const auto after = std::next(at);
    return after != ids.end() && after->first.GetChainId() == chain && any_linked(after->second, r);
  }

private:
  static bool any_linked(const Residues& neighbours, const AbstractResidue& r)
  {
    return std::any_of(neighbours.begin(), neighbours.end(),
                       [&](const AbstractResidue* s) { return chain_linked(*s, r) || chain_linked(r, *s); });
  }

  std::map<CResId, Residues> ids;
};

// Whether `id` lies strictly between those of `a` and `b`, in either
// order: a run numbered down is listed with its ids falling.
bool between(const CResId& id, const CResId& a, const CResId& b) { return (a < id && id < b) || (b < id && id < a); }

// Which residues are positions: the standard ones; any other that holds a
// backbone when it is listed among its chain's residues, between two
// standard ones of one segment (no TER record between them) whose ids lie
// on either side of its own, whatever its links; and any other that holds
// a backbone and is linked to its chain's neighbour in id order. A ligand
// listed after its chain, or numbered out of its place, thus takes no
// position, whatever its number.
std::vector<bool> chain_positions(const Residues& residues)
{
  const size_t n = residues.size();
  std::vector<bool> position(n);
  for (size_t k = 0; k < n; ++k) position[k] = standard(*residues[k]);
  const std::vector<size_t> before = nearest_standard(residues, position, true);
  const std::vector<size_t> after = nearest_standard(residues, position, false);
  std::vector<size_t> unplaced;
  for (size_t k = 0; k < n; ++k) {
    if (position[k] || !holds_chain_backbone(*residues[k])) continue;
    const size_t p = before[k], q = after[k];
    const CResId& id = residues[k]->getResId();
    if (p != kNone && q != kNone && residues[p]->getSegment() == residues[q]->getSegment() &&
        between(id, residues[p]->getResId(), residues[q]->getResId()))
      position[k] = true;
    else
      unplaced.push_back(k);
  }
  if (unplaced.empty()) return position;
  const BackboneIds backbones(residues);
  for (size_t k : unplaced) position[k] = backbones.Linked(*residues[k]);
  return position;
}

}  // namespace

PositionNumbers number_positions(const Model& model, bool by_id, bool validated)
{
  const Residues residues(model.begin(), model.end());
  const std::vector<bool> position = validated ? chain_positions(residues) : std::vector<bool>(residues.size(), true);
  // An id is placed where its first residue that is a position stands: an
  // alternate residue, or a ligand listed first under the id, neither adds
  // a position nor moves one.
  std::vector<CResId> positions;
  std::set<CResId> placed;
  for (size_t k = 0; k < residues.size(); ++k)
    if (position[k] && placed.insert(residues[k]->getResId()).second) positions.push_back(residues[k]->getResId());
  if (by_id) std::sort(positions.begin(), positions.end());
  PositionNumbers numbers;
  int k = 0;
  for (const CResId& id : positions) numbers.emplace(id, ++k);
  return numbers;
}

}  // namespace tolva
