#include "WorkSplit.h"

#include <cmath>

namespace tolva {

std::vector<CRange> split_ranges(int64_t n, unsigned parts)
{
  std::vector<CRange> ranges;
  if (parts == 0) return ranges;
  int64_t longer = static_cast<int64_t>(std::ceil(static_cast<double>(n) / parts));
  int64_t shorter = n / parts;
  int64_t extra = n % parts;
  ranges.push_back({0, longer - 1});
  for (unsigned k = 1; k < parts; ++k) {
    int64_t first = ranges.back().last + 1;
    ranges.push_back({first, first + (static_cast<int64_t>(k) < extra ? longer : shorter) - 1});
  }
  return ranges;
}

}  // namespace tolva
