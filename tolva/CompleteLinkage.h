// Agglomerative complete-linkage clustering over a packed distance matrix.
//
// Groups are numbered in creation order: the n leaves 0 .. n-1, then each
// merged group n, n+1, ... Every step merges the two groups at the smallest
// complete-linkage distance; among equal distances the first pair met when
// scanning every pair of groups in creation order wins. That is what a
// rescan of all pairs at every merge gives, but here the group distances
// are kept up to date by max() (exact for complete linkage) and each
// group's nearest later partner is cached, so the whole run costs close
// to O(n^2) instead of O(n^3).
#ifndef TOLVA_COMPLETELINKAGE_H
#define TOLVA_COMPLETELINKAGE_H

#include <cstdint>
#include <vector>

#include "PackedMatrix.h"

namespace tolva {

struct CMerge
{
  uint64_t left;   // the group met first in creation order
  uint64_t right;
  float distance;
};

// The n - 1 merges, in order. Merge k creates group n + k. Throws an
// internal error on a distance that is not a number, or when no pair is
// below the largest finite float.
std::vector<CMerge> complete_linkage(const CPackedMatrix& distances);
// The same without a working copy: the distances are overwritten by the
// groups' distances, for a caller that reads them no more.
std::vector<CMerge> complete_linkage_in_place(CPackedMatrix& distances);

}  // namespace tolva

#endif
