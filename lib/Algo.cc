#include "Algo.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>

namespace Algo {

bool BoundingBox::empty() const
{
  for (int k = 0; k < 3; ++k)
    if (!(lower[k] <= upper[k])) return true;
  return false;
}

BoundingBox boundingBox(const AbstractResidue& residue)
{
  // Kept in locals, which the calls for each atom cannot alias. A
  // coordinate that is not a number moves no bound.
  float lx = FLT_MAX, ly = FLT_MAX, lz = FLT_MAX, ux = -FLT_MAX, uy = -FLT_MAX, uz = -FLT_MAX;
  for (unsigned p = 0, n = residue.size(); p < n; ++p) {
    const CAtom& a = residue.getAtom(p);
    lx = std::min(lx, a.x);
    ly = std::min(ly, a.y);
    lz = std::min(lz, a.z);
    ux = std::max(ux, a.x);
    uy = std::max(uy, a.y);
    uz = std::max(uz, a.z);
  }
  return BoundingBox{{lx, ly, lz}, {ux, uy, uz}};
}

namespace {

// The boxes are dealt into columns over the y-z plane and swept along x
// column by column: a sweep along one axis alone meets every pair whose x
// extents are close, a slab of the whole model for each residue.
constexpr int kSweepAxis = 0;
constexpr int kColumnAxes[2] = {1, 2};

// A box in sweep order, with the first column it reaches. The boxes a
// column meets are near each other in this order, hence in memory.
struct Swept
{
  BoundingBox box;
  unsigned position;
  unsigned first[2];
};

// The columns a box reaches on the two column axes, first to last.
struct Span
{
  unsigned first[2];
  unsigned last[2];
};

// A square grid over the y-z plane, anchored at the lowest lower corner.
class Columns
{
public:
  Columns(const std::vector<Swept>& swept, float distance);

  unsigned side(int k) const { return sides[k]; }
  unsigned count() const { return sides[0] * sides[1]; }
  unsigned at(unsigned cy, unsigned cz) const { return cy * sides[1] + cz; }
  // From the column holding the box's lower corner to the one holding its
  // upper corner pushed out by the distance: two close boxes reach a
  // common column.
  Span span(const BoundingBox& box) const;

private:
  unsigned cell(int k, double v) const;

  double origin[2];
  double width;
  unsigned sides[2];
  double reach;
};

Columns::Columns(const std::vector<Swept>& swept, float distance)
  : origin{0, 0}, width(1), sides{1, 1}, reach(distance > 0 ? distance : 0)
{
  double top[2] = {0, 0}, extents = 0;
  std::size_t measured = 0;
  for (int k = 0; k < 2; ++k) {
    bool seen = false;
    for (const Swept& x : swept) {
      double lower = x.box.lower[kColumnAxes[k]], upper = x.box.upper[kColumnAxes[k]];
      if (!std::isfinite(lower)) continue;
      if (!seen || lower < origin[k]) origin[k] = lower;
      if (!seen || lower > top[k]) top[k] = lower;
      seen = true;
      if (std::isfinite(upper)) {
        extents += upper - lower;
        ++measured;
      }
    }
  }
  // About one residue wide, so that a box reaches a few columns and a
  // column holds the residues around it; but no more columns than boxes.
  double limit = std::ceil(std::sqrt(static_cast<double>(swept.size())));
  width = (measured > 0 ? extents / measured : 0) + reach;
  for (int k = 0; k < 2; ++k) width = std::max(width, (top[k] - origin[k]) / limit);
  if (!(width > 0) || !std::isfinite(width)) {
    width = 1;
    return;
  }
  for (int k = 0; k < 2; ++k)
    sides[k] = static_cast<unsigned>(std::min(limit, std::floor((top[k] - origin[k]) / width) + 1));
}

unsigned Columns::cell(int k, double v) const
{
  double t = (v - origin[k]) / width;
  if (!(t > 0)) return 0;
  if (t >= sides[k] - 1) return sides[k] - 1;
  return static_cast<unsigned>(t);
}

Span Columns::span(const BoundingBox& box) const
{
  Span s;
  for (int k = 0; k < 2; ++k) {
    double lower = box.lower[kColumnAxes[k]], upper = box.upper[kColumnAxes[k]];
    // Room for the float rounding of the closeness test itself.
    double margin = (std::fabs(lower) + std::fabs(upper) + reach) * 0x1p-20;
    s.first[k] = cell(k, lower);
    s.last[k] = cell(k, upper + reach + margin);
  }
  return s;
}

// The boxes that hold atoms, in sweep order.
std::vector<Swept> sweepOrder(const std::vector<BoundingBox>& boxes)
{
  std::vector<Swept> swept;
  for (unsigned b = 0; b < boxes.size(); ++b)
    if (!boxes[b].empty()) swept.push_back(Swept{boxes[b], b, {0, 0}});
  std::sort(swept.begin(), swept.end(), [](const Swept& a, const Swept& b) {
    return a.box.lower[kSweepAxis] < b.box.lower[kSweepAxis];
  });
  return swept;
}

// The members of every column, as places in sweep order, in one array:
// column c holds members[start[c]] up to members[start[c + 1]], in sweep
// order since they are dealt in that order.
struct Deal
{
  std::vector<unsigned> start;
  std::vector<unsigned> members;
};

Deal deal(const Columns& columns, std::vector<Swept>& swept)
{
  Deal d;
  d.start.assign(columns.count() + 1, 0);
  for (Swept& x : swept) {
    Span s = columns.span(x.box);
    x.first[0] = s.first[0];
    x.first[1] = s.first[1];
    for (unsigned cy = s.first[0]; cy <= s.last[0]; ++cy)
      for (unsigned cz = s.first[1]; cz <= s.last[1]; ++cz) ++d.start[columns.at(cy, cz) + 1];
  }
  for (unsigned c = 0; c < columns.count(); ++c) d.start[c + 1] += d.start[c];
  d.members.resize(d.start.back());
  std::vector<unsigned> next(d.start.begin(), d.start.end() - 1);
  for (unsigned k = 0; k < swept.size(); ++k) {
    Span s = columns.span(swept[k].box);
    for (unsigned cy = s.first[0]; cy <= s.last[0]; ++cy)
      for (unsigned cz = s.first[1]; cz <= s.last[1]; ++cz) d.members[next[columns.at(cy, cz)]++] = k;
  }
  return d;
}

// Pairs of ranks, the lower first, put in order and turned into pairs of
// positions in place: bucketed by the first, each bucket sorted.
void inOrder(std::vector<std::pair<unsigned, unsigned>>& pairs, const std::vector<unsigned>& order)
{
  std::size_t n = order.size();
  std::vector<std::size_t> start(n + 1, 0);
  for (const std::pair<unsigned, unsigned>& p : pairs) ++start[p.first + 1];
  for (std::size_t r = 0; r < n; ++r) start[r + 1] += start[r];
  std::vector<unsigned> second(pairs.size());
  std::vector<std::size_t> next(start.begin(), start.end() - 1);
  for (const std::pair<unsigned, unsigned>& p : pairs) second[next[p.first]++] = p.second;
  for (std::size_t r = 0; r < n; ++r) {
    std::sort(second.begin() + start[r], second.begin() + start[r + 1]);
    for (std::size_t k = start[r]; k < start[r + 1]; ++k)
      pairs[k] = std::make_pair(order[r], order[second[k]]);
  }
}

}  // namespace

std::vector<std::pair<unsigned, unsigned>> BoxContacts(const std::vector<BoundingBox>& boxes,
                                                       const std::vector<unsigned>& order,
                                                       float distance)
{
  std::vector<Swept> swept = sweepOrder(boxes);
  if (swept.size() < 2) return {};
  Columns columns(swept, distance);
  Deal dealt = deal(columns, swept);
  std::vector<unsigned> rank(boxes.size());
  for (unsigned r = 0; r < order.size(); ++r) rank[order[r]] = r;

  // Room for far more pairs than real structures hold: untouched, it costs
  // address space only, and the pairs are never copied as they grow.
  std::vector<std::pair<unsigned, unsigned>> pairs;
  pairs.reserve(8 * dealt.members.size());
  for (unsigned cy = 0; cy < columns.side(0); ++cy)
    for (unsigned cz = 0; cz < columns.side(1); ++cz) {
      const unsigned* first = dealt.members.data() + dealt.start[columns.at(cy, cz)];
      const unsigned* last = dealt.members.data() + dealt.start[columns.at(cy, cz) + 1];
      for (const unsigned* i = first; i != last; ++i) {
        const Swept& a = swept[*i];
        for (const unsigned* j = i + 1; j != last; ++j) {
          const Swept& b = swept[*j];
          if (!(b.box.lower[kSweepAxis] - distance <= a.box.upper[kSweepAxis])) break;
          if (!within(a.box, b.box, distance)) continue;
          // Met in every column both reach: kept in the first of them only.
          if (std::max(a.first[0], b.first[0]) != cy || std::max(a.first[1], b.first[1]) != cz) continue;
          unsigned ra = rank[a.position], rb = rank[b.position];
          pairs.emplace_back(std::min(ra, rb), std::max(ra, rb));
        }
      }
    }
  inOrder(pairs, order);
  return pairs;
}

}  // namespace Algo
