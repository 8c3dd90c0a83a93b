// Contiguous shares of work for the worker threads.
#ifndef TOLVA_WORKSPLIT_H
#define TOLVA_WORKSPLIT_H

#include <cstdint>
#include <vector>

namespace tolva {

// Both ends inclusive; empty when first > last.
struct CRange
{
  int64_t first;
  int64_t last;
};

// Splits the items 0 .. n-1 into `parts` contiguous ranges, the first
// n mod parts of them one item longer; ranges past the items are empty.
std::vector<CRange> split_ranges(int64_t n, unsigned parts);

}  // namespace tolva

#endif
