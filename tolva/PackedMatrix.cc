#include "PackedMatrix.h"

#include <cmath>

namespace tolva {

std::pair<uint64_t, uint64_t> CPackedMatrix::pair_at(uint64_t n, uint64_t p)
{
  // The closed form in double precision, then corrected by whole rows:
  // for large n the square root may land one row off.
  double dn = static_cast<double>(n);
  double root = std::sqrt((1.0 - 2.0 * dn) * (1.0 - 2.0 * dn) - 8.0 * static_cast<double>(p));
  double estimate = std::floor(((2.0 * dn - 1.0) - root) / 2.0);
  uint64_t i = estimate < 0 ? 0 : static_cast<uint64_t>(estimate);
  if (i > n - 2) i = n - 2;
  while (i > 0 && index(n, i, i + 1) > p) --i;
  while (i + 2 < n && index(n, i + 1, i + 2) <= p) ++i;
  return {i, p - index(n, i, i + 1) + i + 1};
}

}  // namespace tolva
