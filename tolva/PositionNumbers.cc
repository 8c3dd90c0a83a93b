#include "PositionNumbers.h"

#include <algorithm>
#include <set>
#include <vector>

#include "ChainLink.h"
#include "Model.h"

namespace tolva {

namespace {

typedef std::vector<const AbstractResidue*> Residues;

// The first residue of each id, in file order.
Residues first_of_each_id(const Model& model)
{
  Residues firsts;
  std::set<CResId> seen;
  for (const AbstractResidue* r : model)
    if (seen.insert(r->getResId()).second) firsts.push_back(r);
  return firsts;
}

bool in_chain(const Residues& residues, size_t k)
{
  const AbstractResidue* r = residues[k];
  if (!r->isHetero() && is_named_polymer(r)) return true;
  return (k > 0 && chain_linked(*residues[k - 1], *r)) ||
         (k + 1 < residues.size() && chain_linked(*r, *residues[k + 1]));
}

}  // namespace

PositionNumbers number_positions(const Model& model, bool by_id, bool validated)
{
  const Residues firsts = first_of_each_id(model);
  Residues positions;
  for (size_t k = 0; k < firsts.size(); ++k)
    if (!validated || in_chain(firsts, k)) positions.push_back(firsts[k]);
  if (by_id)
    std::sort(positions.begin(), positions.end(),
              [](const AbstractResidue* a, const AbstractResidue* b) { return a->getResId() < b->getResId(); });
  PositionNumbers numbers;
  int k = 0;
  for (const AbstractResidue* r : positions) numbers.emplace(r->getResId(), ++k);
  return numbers;
}

}  // namespace tolva
