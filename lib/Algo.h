// Pairs of residues whose atoms come near each other, found from their
// axis-aligned bounding boxes without testing every pair of residues: the
// pairs that clash removal then tests atom by atom.
//
// Residues are told apart by their id, then by their position in the range
// searched, so that two residues sharing one id (waters without numbers,
// several segments) stay two residues. A pair names the lower one first.
#ifndef TESSEL_ALGO_H
#define TESSEL_ALGO_H

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

#include "AbstractResidue.h"
#include "ResId.h"

namespace Algo {

// One residue of the range searched, ordered by id, then by position.
template <typename Iterator>
struct ResidueKey
{
  Iterator residue;
  unsigned position;

  bool operator<(const ResidueKey& other) const
  {
    const CResId& a = (*residue)->getResId();
    const CResId& b = (*other.residue)->getResId();
    if (a < b) return true;
    if (b < a) return false;
    return position < other.position;
  }
};

// The extent of one residue on one axis. Ranges sort by lower bound.
template <typename Iterator>
struct ResidueRange
{
  ResidueKey<Iterator> key;
  float lower;
  float upper;

  bool operator<(const ResidueRange& other) const { return lower < other.lower; }
};

// For each pair of residues, the lower first, the number of axes on which
// the two were found close.
template <typename Iterator>
using ContactCounts = std::map<std::pair<ResidueKey<Iterator>, ResidueKey<Iterator>>, int>;

// A residue's bounds on the x, y and z axes over all its atoms, in current
// coordinates. Without atoms every lower bound is the largest float and
// every upper bound its negative: the box is close to nothing.
struct BoundingBox
{
  float lower[3];
  float upper[3];

  bool empty() const;
};

BoundingBox boundingBox(const AbstractResidue& residue);

// Two extents are within `distance` of each other when each starts no
// further than `distance` past the other's end; two boxes, when they are
// on every axis.
inline bool within(float lower1, float upper1, float lower2, float upper2, float distance)
{
  return lower2 - distance <= upper1 && lower1 - distance <= upper2;
}
inline bool within(const BoundingBox& a, const BoundingBox& b, float distance)
{
  for (int k = 0; k < 3; ++k)
    if (!within(a.lower[k], a.upper[k], b.lower[k], b.upper[k], distance)) return false;
  return true;
}

// Adds 1 to the count of every pair of ranges of one axis that are within
// `distance` of each other. The ranges must be sorted by lower bound: the
// look ahead from a range stops at the first that starts too far (or
// cannot be compared), since every later one starts further still.
template <typename Iterator>
void ExtractContact_OneDim(const std::vector<ResidueRange<Iterator>>& ranges,
                           ContactCounts<Iterator>& counts, float distance)
{
  for (auto a = ranges.begin(); a != ranges.end(); ++a)
    for (auto b = a + 1; b != ranges.end(); ++b) {
      if (!(b->lower - distance <= a->upper)) break;
      if (!within(a->lower, a->upper, b->lower, b->upper, distance)) continue;
      if (b->key < a->key)
        ++counts[std::make_pair(b->key, a->key)];
      else
        ++counts[std::make_pair(a->key, b->key)];
    }
}

// The pairs of residues whose bounding boxes are within `distance` of each
// other on all three axes, as positions in `residues`: each pair names the
// lower residue first, and the pairs come sorted by their first residue,
// then by their second. Takes O(n log n + pairs) on a model of atoms spread
// as in real structures. The list is kept by the calling thread, with the
// search's other buffers, until its next search.
const std::vector<std::pair<unsigned, unsigned>>& ResidueContacts(
  const std::vector<const AbstractResidue*>& residues, float distance);

// The same pairs for the residues of [first, last), as iterators. *first is
// a pointer to a residue.
template <typename Iterator>
std::vector<std::pair<Iterator, Iterator>> ExtractContact_AABB(Iterator first, Iterator last,
                                                               float distance)
{
  std::vector<Iterator> at;
  std::vector<const AbstractResidue*> residues;
  at.reserve(std::distance(first, last));
  residues.reserve(at.capacity());
  for (Iterator i = first; i != last; ++i) {
    at.push_back(i);
    residues.push_back(*i);
  }
  const std::vector<std::pair<unsigned, unsigned>>& found = ResidueContacts(residues, distance);
  std::vector<std::pair<Iterator, Iterator>> contacts;
  contacts.reserve(found.size());
  for (const std::pair<unsigned, unsigned>& c : found) contacts.emplace_back(at[c.first], at[c.second]);
  return contacts;
}

}  // namespace Algo

#endif
