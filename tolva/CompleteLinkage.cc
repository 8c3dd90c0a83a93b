#include "CompleteLinkage.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "Exception.h"

namespace tolva {

namespace {

const uint64_t kNone = UINT64_MAX;

// Working state: one slot per live group. A merged group takes the slot of
// its left child, so the working distances keep the matrix's shape.
class Linkage
{
public:
  explicit Linkage(CPackedMatrix& m)
    : n(m.size()), work(m), order(n), alive(n, true), live(n), row_min(n), row_arg(n, kNone)
  {
    for (uint64_t s = 0; s < n; ++s) order[s] = live[s] = s;
    for (uint64_t p = 0; p < work.pairs(); ++p)
      if (std::isnan(work[p])) fail("Distance matrix holds a value that is not a number.");
    for (uint64_t s = 0; s < n; ++s) rescan(s);
  }

  std::vector<CMerge> run()
  {
    std::vector<CMerge> merges;
    merges.reserve(n ? n - 1 : 0);
    for (uint64_t next = n; next + 1 < 2 * n; ++next) merges.push_back(merge_closest(next));
    return merges;
  }

private:
  [[noreturn]] static void fail(const char* text)
  {
    CFatalIntLibException e(text, __FILE__, __LINE__);
    throw e;
  }

  float& d(uint64_t s, uint64_t t) { return work[s < t ? CPackedMatrix::index(n, s, t) : CPackedMatrix::index(n, t, s)]; }

  // The nearest live partner of s among the groups created after it; on a
  // tie the earliest created.
  void rescan(uint64_t s)
  {
    row_min[s] = FLT_MAX;
    row_arg[s] = kNone;
    for (uint64_t t : live) {
      if (order[t] <= order[s]) continue;
      float v = d(s, t);
      if (v < row_min[s] || (row_arg[s] != kNone && v == row_min[s] && order[t] < order[row_arg[s]])) {
        row_min[s] = v;
        row_arg[s] = t;
      }
    }
  }

  CMerge merge_closest(uint64_t new_id)
  {
    uint64_t a = kNone;
    for (uint64_t s : live) {
      if (row_arg[s] == kNone) continue;
      if (a == kNone || row_min[s] < row_min[a] || (row_min[s] == row_min[a] && order[s] < order[a])) a = s;
    }
    if (a == kNone) fail("No pair of groups to merge.");
    uint64_t b = row_arg[a];
    CMerge merge{order[a], order[b], row_min[a]};

    alive[b] = false;
    live.erase(std::find(live.begin(), live.end(), b));
    order[a] = new_id;
    row_arg[a] = kNone;  // the newest group has no later partner
    row_min[a] = FLT_MAX;
    // One pass: the distances to the new group first, then the nearest
    // partners, which read only this row's distances. The columns of a and
    // b are read a few rows ahead of their use.
    const size_t ahead = 8;
    for (size_t k = 0; k < live.size(); ++k) {
      if (k + ahead < live.size() && live[k + ahead] != a) {
        __builtin_prefetch(&d(live[k + ahead], a));
        __builtin_prefetch(&d(live[k + ahead], b));
      }
      const uint64_t t = live[k];
      if (t == a) continue;
      float& to_new = d(t, a);
      float from_b = d(t, b);
      if (from_b > to_new) to_new = from_b;
      if (row_arg[t] == a || row_arg[t] == b) {
        rescan(t);
      } else if (d(t, a) < row_min[t]) {  // the new group comes last: a tie keeps the old
        row_min[t] = d(t, a);
        row_arg[t] = a;
      }
    }
    return merge;
  }

  uint64_t n;
  CPackedMatrix& work;
  std::vector<uint64_t> order;
  std::vector<char> alive;
  std::vector<uint64_t> live;  // the live slots, ascending
  std::vector<float> row_min;
  std::vector<uint64_t> row_arg;
};

}  // namespace

std::vector<CMerge> complete_linkage(const CPackedMatrix& distances)
{
  CPackedMatrix work(distances);
  return Linkage(work).run();
}

std::vector<CMerge> complete_linkage_in_place(CPackedMatrix& distances) { return Linkage(distances).run(); }

}  // namespace tolva
