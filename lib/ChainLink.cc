#include "ChainLink.h"

#include "AbstractResidue.h"
#include "AtomTypes.h"

namespace {

// Predicted models stretch a link to 2.5 A; atoms that are not bonded
// keep about 3 A apart.
const float kLongestLink = 2.75f;

bool bonded(const AbstractResidue& before, const t_Atom* from, const AbstractResidue& after, const t_Atom* to)
{
  AbstractResidue::ResidueConstIterator a = before.find(from);
  if (a == before.end()) return false;
  AbstractResidue::ResidueConstIterator b = after.find(to);
  if (b == after.end()) return false;
  return ((*a) || (*b)) <= kLongestLink * kLongestLink;
}

}  // namespace

bool chain_linked(const AbstractResidue& before, const AbstractResidue& after)
{
  return bonded(before, a_O3p, after, a_P) || bonded(before, a_C, after, a_N);
}

bool holds_chain_backbone(const AbstractResidue& r)
{
  auto holds = [&r](const t_Atom* type) { return r.find(type) != r.end(); };
  return (holds(a_C3p) && holds(a_C4p) && (holds(a_O3p) || holds(a_P))) || (holds(a_N) && holds(a_CA) && holds(a_C));
}
