#include "Algo.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <typeinfo>

#include "Residue.h"

namespace Algo {

bool BoundingBox::empty() const
{
  for (int k = 0; k < 3; ++k)
    if (!(lower[k] <= upper[k])) return true;
  return false;
}

namespace {

// The bounds of atoms 0 .. n-1, each read by atom(p). Kept in locals, which
// the reads cannot alias. A coordinate that is not a number moves no bound.
template <typename Atom>
BoundingBox bounds(unsigned n, Atom atom)
{
  float lx = FLT_MAX, ly = FLT_MAX, lz = FLT_MAX, ux = -FLT_MAX, uy = -FLT_MAX, uz = -FLT_MAX;
  for (unsigned p = 0; p < n; ++p) {
    const CAtom& a = atom(p);
    lx = std::min(lx, a.x);
    ly = std::min(ly, a.y);
    lz = std::min(lz, a.z);
    ux = std::max(ux, a.x);
    uy = std::max(uy, a.y);
    uz = std::max(uz, a.z);
  }
  return BoundingBox{{lx, ly, lz}, {ux, uy, uz}};
}

}  // namespace

BoundingBox boundingBox(const AbstractResidue& residue)
{
  // The library's own residue is read without a virtual call per atom.
  if (typeid(residue) == typeid(CResidue)) {
    const CResidue& r = static_cast<const CResidue&>(residue);
    return bounds(r.CResidue::size(), [&r](unsigned p) -> const CAtom& { return r.CResidue::getAtom(p); });
  }
  return bounds(residue.size(), [&residue](unsigned p) -> const CAtom& { return residue.getAtom(p); });
}

namespace {

// The boxes are dealt into columns over the y-z plane and swept along x
// column by column: a sweep along one axis alone meets every pair whose x
// extents are close, a slab of the whole model for each residue.
constexpr int kSweepAxis = 0;
constexpr int kColumnAxes[2] = {1, 2};
// Columns per axis, at most: the first column a box reaches fits 16 bits.
constexpr unsigned kMaxSide = 0xFFFF;

// A box that holds atoms, with its residue's rank in id order and the first
// column it reaches. Boxes are swept in order of their lower x: the boxes
// a column meets are near each other in that order, hence in memory.
struct Swept
{
  BoundingBox box;
  unsigned rank;
  std::uint16_t first[2];
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
  double limit = std::min<double>(kMaxSide, std::ceil(std::sqrt(static_cast<double>(swept.size()))));
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

// An id as one integer that orders as the ids do: chain, then number, then
// insertion code, the characters compared as signed.
std::uint64_t packed(const CResId& id)
{
  return std::uint64_t(static_cast<unsigned char>(id.GetChainId()) ^ 0x80u) << 40 |
         std::uint64_t(static_cast<std::uint32_t>(id.GetResNo()) ^ 0x80000000u) << 8 |
         (static_cast<unsigned char>(id.GetInsCode()) ^ 0x80u);
}

// What a search needs besides its result, and the result itself, kept by
// each thread from one search to the next: a model's boxes, columns and
// pairs take megabytes, and fresh pages cost more than the search itself.
struct Scratch
{
  // The boxes that hold atoms, in sweep order.
  std::vector<Swept> swept;
  // The positions of the residues by rank, and their ids; empty while the
  // residues come in id order, as they mostly do.
  std::vector<unsigned> order, rank;
  std::vector<std::pair<std::uint64_t, unsigned>> keys;
  // The members of every column, as places in sweep order, in one array:
  // column c holds members[start[c]] up to members[start[c + 1]], in sweep
  // order since they are dealt in that order.
  std::vector<unsigned> start, next, members;
  // The pairs found, then their second residues bucketed by the first.
  std::vector<std::pair<unsigned, unsigned>> pairs;
  std::vector<std::size_t> bucket;
  std::vector<unsigned> second;
};

thread_local Scratch scratch;

// Each residue read once: its box, which holds the residue's position until
// the ranks are known, and whether the ids come in order.
bool gather(const std::vector<const AbstractResidue*>& residues, std::vector<Swept>& swept)
{
  swept.clear();
  bool inIdOrder = true;
  std::uint64_t previous = 0;
  for (unsigned p = 0; p < residues.size(); ++p) {
    std::uint64_t key = packed(residues[p]->getResId());
    inIdOrder = inIdOrder && previous <= key;
    previous = key;
    BoundingBox box = boundingBox(*residues[p]);
    if (!box.empty()) swept.push_back(Swept{box, p, {0, 0}});
  }
  return inIdOrder;
}

// Ranks the residues from the lowest id to the highest, residues sharing an
// id in their order, and gives the boxes their residue's rank.
void rankById(const std::vector<const AbstractResidue*>& residues, Scratch& s)
{
  unsigned n = static_cast<unsigned>(residues.size());
  s.keys.resize(n);
  for (unsigned p = 0; p < n; ++p) s.keys[p] = std::make_pair(packed(residues[p]->getResId()), p);
  std::sort(s.keys.begin(), s.keys.end());
  s.order.resize(n);
  s.rank.resize(n);
  for (unsigned r = 0; r < n; ++r) {
    s.order[r] = s.keys[r].second;
    s.rank[s.keys[r].second] = r;
  }
  for (Swept& x : s.swept) x.rank = s.rank[x.rank];
}

void deal(const Columns& columns, Scratch& s)
{
  s.start.assign(columns.count() + 1, 0);
  for (Swept& x : s.swept) {
    Span span = columns.span(x.box);
    x.first[0] = static_cast<std::uint16_t>(span.first[0]);
    x.first[1] = static_cast<std::uint16_t>(span.first[1]);
    for (unsigned cy = span.first[0]; cy <= span.last[0]; ++cy)
      for (unsigned cz = span.first[1]; cz <= span.last[1]; ++cz) ++s.start[columns.at(cy, cz) + 1];
  }
  for (unsigned c = 0; c < columns.count(); ++c) s.start[c + 1] += s.start[c];
  s.members.resize(s.start.back());
  s.next.assign(s.start.begin(), s.start.end() - 1);
  for (unsigned k = 0; k < s.swept.size(); ++k) {
    Span span = columns.span(s.swept[k].box);
    for (unsigned cy = span.first[0]; cy <= span.last[0]; ++cy)
      for (unsigned cz = span.first[1]; cz <= span.last[1]; ++cz) s.members[s.next[columns.at(cy, cz)]++] = k;
  }
}

// The pairs of close boxes, as ranks, the lower first, in no order.
void sweep(float distance, Scratch& s)
{
  Columns columns(s.swept, distance);
  deal(columns, s);
  s.pairs.clear();
  for (unsigned cy = 0; cy < columns.side(0); ++cy)
    for (unsigned cz = 0; cz < columns.side(1); ++cz) {
      const unsigned* first = s.members.data() + s.start[columns.at(cy, cz)];
      const unsigned* last = s.members.data() + s.start[columns.at(cy, cz) + 1];
      for (const unsigned* i = first; i != last; ++i) {
        const Swept& a = s.swept[*i];
        for (const unsigned* j = i + 1; j != last; ++j) {
          const Swept& b = s.swept[*j];
          if (!(b.box.lower[kSweepAxis] - distance <= a.box.upper[kSweepAxis])) break;
          if (!within(a.box, b.box, distance)) continue;
          // Met in every column both reach: kept in the first of them only.
          if (std::max(a.first[0], b.first[0]) != cy || std::max(a.first[1], b.first[1]) != cz) continue;
          s.pairs.emplace_back(std::min(a.rank, b.rank), std::max(a.rank, b.rank));
        }
      }
    }
}

// The pairs of ranks, the lower first, put in order and turned into pairs
// of positions: bucketed by the first, each bucket sorted.
void inOrder(std::size_t n, Scratch& s)
{
  s.bucket.assign(n + 1, 0);
  for (const std::pair<unsigned, unsigned>& p : s.pairs) ++s.bucket[p.first + 1];
  for (std::size_t r = 0; r < n; ++r) s.bucket[r + 1] += s.bucket[r];
  s.second.resize(s.pairs.size());
  for (const std::pair<unsigned, unsigned>& p : s.pairs) s.second[s.bucket[p.first]++] = p.second;
  // Each bucket's end is now where the next begins.
  std::size_t k = 0;
  for (std::size_t r = 0; r < n; ++r) {
    std::size_t end = s.bucket[r];
    std::sort(s.second.begin() + k, s.second.begin() + end);
    for (; k < end; ++k)
      s.pairs[k] = s.order.empty() ? std::make_pair(unsigned(r), s.second[k]) : std::make_pair(s.order[r], s.order[s.second[k]]);
  }
}

}  // namespace

const std::vector<std::pair<unsigned, unsigned>>& ResidueContacts(const std::vector<const AbstractResidue*>& residues,
                                                                  float distance)
{
  Scratch& s = scratch;
  s.order.clear();
  s.pairs.clear();
  bool inIdOrder = gather(residues, s.swept);
  if (s.swept.size() < 2) return s.pairs;
  if (!inIdOrder) rankById(residues, s);
  std::sort(s.swept.begin(), s.swept.end(), [](const Swept& a, const Swept& b) {
    return a.box.lower[kSweepAxis] < b.box.lower[kSweepAxis];
  });
  sweep(distance, s);
  inOrder(residues.size(), s);
  return s.pairs;
}

}  // namespace Algo
