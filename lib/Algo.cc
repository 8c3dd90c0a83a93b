#include "Algo.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <typeinfo>
#include <utility>

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

// A box that holds atoms, with its residue's rank in id order.
struct Swept
{
  BoundingBox box;
  unsigned rank;
};

// A box as one column holds it, next to the others the sweep compares it
// with. Two close boxes meet in every column both reach, and are kept in
// the first of them only: the one where, on each column axis, one box or
// the other reaches no lower column. `home` tells, bit 0 for y and bit 1
// for z, whether this column is the box's first on that axis. The lower
// bounds are kept less the distance, as every test uses them.
struct Member
{
  float start[3];
  float end[3];
  unsigned rank;
  unsigned home;
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
  // Any cell reckoning that grows with the coordinate will do, as long as
  // it is the same for every box: a product is cheaper than a quotient.
  double perWidth;
  unsigned sides[2];
  double reach;
};

Columns::Columns(const std::vector<Swept>& swept, float distance)
  : origin{0, 0}, width(1), perWidth(1), sides{1, 1}, reach(distance > 0 ? distance : 0)
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
  // About one and a half residues wide, so that a box reaches a few
  // columns and a column holds the residues around it (narrower columns
  // meet more pairs twice, wider ones more pairs that are far apart: this
  // width meets the fewest in models as dense as real ones); but no more
  // columns than boxes.
  double limit = std::ceil(std::sqrt(static_cast<double>(swept.size())));
  width = ((measured > 0 ? extents / measured : 0) + reach) * 1.5;
  for (int k = 0; k < 2; ++k) width = std::max(width, (top[k] - origin[k]) / limit);
  if (!(width > 0) || !std::isfinite(width)) {
    width = 1;
    return;
  }
  perWidth = 1 / width;
  for (int k = 0; k < 2; ++k)
    sides[k] = static_cast<unsigned>(std::min(limit, std::floor((top[k] - origin[k]) / width) + 1));
}

unsigned Columns::cell(int k, double v) const
{
  double t = (v - origin[k]) * perWidth;
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
  // The boxes that hold atoms, and their sweep order.
  std::vector<Swept> swept;
  std::vector<std::uint64_t> byX, spare;
  // The residues' ids, with their positions. The positions of the
  // residues by rank, and their ranks by position: empty while the
  // residues come in id order, as they mostly do.
  std::vector<std::pair<std::uint64_t, unsigned>> keys;
  std::vector<unsigned> order, rank;
  // The members of every column in one array: column c holds
  // members[start[c]] up to members[start[c + 1]], in sweep order since
  // they are dealt in that order.
  std::vector<std::size_t> start, next;
  std::vector<Member> members;
  // The columns each box reaches, by its place in swept.
  std::vector<Span> spans;
  // The pairs found, and the same sorted by their second residue.
  std::vector<std::pair<unsigned, unsigned>> pairs, sorted;
  std::vector<std::size_t> bucket;
};

thread_local Scratch scratch;

// The residues and their atoms lie scattered over the heap, and reading
// them one after the other would wait for memory at each: each residue is
// asked for some places ahead, and its atoms once it has come.
constexpr unsigned kResiduesAhead = 8, kAtomsAhead = 4;
constexpr std::uintptr_t kLine = 64;

void prefetch(const void* first, std::size_t bytes)
{
  std::uintptr_t p = reinterpret_cast<std::uintptr_t>(first) & ~(kLine - 1);
  std::uintptr_t end = reinterpret_cast<std::uintptr_t>(first) + bytes;
  for (; p < end; p += kLine) __builtin_prefetch(reinterpret_cast<const void*>(p));
}

// Only atoms that lie in one array, as the library's own residues keep them.
void prefetchAtoms(const AbstractResidue& residue)
{
  unsigned n = residue.size();
  if (n == 0) return;
  std::uintptr_t first = reinterpret_cast<std::uintptr_t>(&residue.getAtom(0));
  std::uintptr_t last = reinterpret_cast<std::uintptr_t>(&residue.getAtom(n - 1));
  if (last - first == (n - 1) * sizeof(CAtom)) prefetch(&residue.getAtom(0), n * sizeof(CAtom));
}

// Each residue read once: its box, which holds the residue's position until
// the ranks are known, and its id. Tells whether the ids come in order.
bool gather(const std::vector<const AbstractResidue*>& residues, Scratch& s)
{
  s.swept.clear();
  s.keys.resize(residues.size());
  bool inIdOrder = true;
  for (unsigned p = 0; p < residues.size(); ++p) {
    if (p + kResiduesAhead < residues.size()) prefetch(residues[p + kResiduesAhead], sizeof(CResidue));
    if (p + kAtomsAhead < residues.size()) prefetchAtoms(*residues[p + kAtomsAhead]);
    s.keys[p] = std::make_pair(packed(residues[p]->getResId()), p);
    inIdOrder = inIdOrder && (p == 0 || s.keys[p - 1] <= s.keys[p]);
    BoundingBox box = boundingBox(*residues[p]);
    if (!box.empty()) s.swept.push_back(Swept{box, p});
  }
  return inIdOrder;
}

// Ranks the residues from the lowest id to the highest, residues sharing an
// id in their order, and gives the boxes their residue's rank.
void rankById(Scratch& s)
{
  unsigned n = static_cast<unsigned>(s.keys.size());
  std::sort(s.keys.begin(), s.keys.end());
  s.order.resize(n);
  s.rank.resize(n);
  for (unsigned r = 0; r < n; ++r) {
    s.order[r] = s.keys[r].second;
    s.rank[s.keys[r].second] = r;
  }
  for (Swept& x : s.swept) x.rank = s.rank[x.rank];
}

// The bits of a float that is a number, as an integer that orders as the
// floats do.
std::uint32_t ordered(float f)
{
  std::uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u & 0x80000000u ? ~u : u | 0x80000000u;
}

// The boxes in order of their lower x, as integers: that lower x in the
// high half, the box's place in the low half. They are sorted by the high
// half with a radix sort, three passes of a counting sort on 11 bits each
// from the lowest: comparisons of boxes spread at random are a coin toss
// for the processor, and the sort would spend its time guessing wrong.
void sweepOrder(Scratch& s)
{
  constexpr int kBits = 11, kPasses = 3;
  constexpr std::size_t kDigits = std::size_t(1) << kBits;
  std::size_t n = s.swept.size();
  s.byX.resize(n);
  s.spare.resize(n);
  for (std::size_t k = 0; k < n; ++k)
    s.byX[k] = std::uint64_t(ordered(s.swept[k].box.lower[kSweepAxis])) << 32 | k;
  auto digit = [](std::uint64_t key, int pass) { return (key >> (32 + pass * kBits)) & (kDigits - 1); };
  s.bucket.assign(kPasses * kDigits, 0);
  for (std::uint64_t key : s.byX)
    for (int pass = 0; pass < kPasses; ++pass) ++s.bucket[pass * kDigits + digit(key, pass)];
  for (int pass = 0; pass < kPasses; ++pass) {
    std::size_t* next = s.bucket.data() + pass * kDigits;
    std::size_t total = 0;
    for (std::size_t d = 0; d < kDigits; ++d) total += std::exchange(next[d], total);
    for (std::uint64_t key : s.byX) s.spare[next[digit(key, pass)]++] = key;
    s.byX.swap(s.spare);
  }
}

// Deals the boxes, in sweep order, into every column they reach.
void deal(const Columns& columns, float distance, Scratch& s)
{
  s.start.assign(columns.count() + 1, 0);
  s.spans.resize(s.swept.size());
  for (std::size_t k = 0; k < s.swept.size(); ++k) {
    const Span& span = s.spans[k] = columns.span(s.swept[k].box);
    for (unsigned cy = span.first[0]; cy <= span.last[0]; ++cy)
      for (unsigned cz = span.first[1]; cz <= span.last[1]; ++cz) ++s.start[columns.at(cy, cz) + 1];
  }
  for (unsigned c = 0; c < columns.count(); ++c) s.start[c + 1] += s.start[c];
  s.members.resize(s.start.back());
  s.next.assign(s.start.begin(), s.start.end() - 1);
  for (std::uint64_t key : s.byX) {
    const Swept& x = s.swept[static_cast<std::uint32_t>(key)];
    const Span& span = s.spans[static_cast<std::uint32_t>(key)];
    for (unsigned cy = span.first[0]; cy <= span.last[0]; ++cy)
      for (unsigned cz = span.first[1]; cz <= span.last[1]; ++cz)
        s.members[s.next[columns.at(cy, cz)]++] = Member{
          {x.box.lower[0] - distance, x.box.lower[1] - distance, x.box.lower[2] - distance},
          {x.box.upper[0], x.box.upper[1], x.box.upper[2]},
          x.rank,
          unsigned(cy == span.first[0]) | unsigned(cz == span.first[1]) << 1};
  }
}

// Whether two boxes met in a column, the second starting along x neither
// before the first nor further than the distance past its end, are close
// and are kept in this column. Tested without a branch: which pairs are
// close cannot be foreseen.
inline bool kept(const Member& a, const Member& b)
{
  return (a.start[0] <= b.end[0]) & (b.start[1] <= a.end[1]) & (a.start[1] <= b.end[1]) &
         (b.start[2] <= a.end[2]) & (a.start[2] <= b.end[2]) & ((a.home | b.home) == 3);
}

// The pairs of close boxes, as ranks, the lower first, in no order.
void sweep(const Columns& columns, Scratch& s)
{
  // Every pair met is written, and counted when kept: room is made first
  // for all the pairs a box can make in its column, and no more, since
  // every page a search first touches costs more than the search. The room
  // reserved is far more than real structures need.
  s.pairs.clear();
  s.pairs.reserve(8 * s.members.size());
  std::size_t count = 0;
  for (unsigned c = 0; c < columns.count(); ++c) {
    const Member* first = s.members.data() + s.start[c];
    const Member* last = s.members.data() + s.start[c + 1];
    for (const Member* a = first; a != last; ++a) {
      std::size_t room = count + (last - a);
      if (s.pairs.size() < room) s.pairs.resize(room);
      std::pair<unsigned, unsigned>* out = s.pairs.data() + count;
      for (const Member* b = a + 1; b != last; ++b) {
        if (!(b->start[kSweepAxis] <= a->end[kSweepAxis])) break;
        // The higher rank by xor: the compiler makes no branch of it.
        unsigned lower = std::min(a->rank, b->rank);
        *out = std::make_pair(lower, a->rank ^ b->rank ^ lower);
        out += kept(*a, *b);
      }
      count = out - s.pairs.data();
    }
  }
  s.pairs.resize(count);
}

typedef std::pair<unsigned, unsigned> RankPair;

// Copies the pairs into `to` in order of the rank `key` picks, pairs of one
// rank in the order they come: a counting sort over the n ranks.
template <typename Key>
void dealBy(const std::vector<RankPair>& from, std::vector<RankPair>& to, std::size_t n,
            std::vector<std::size_t>& next, Key key)
{
  next.assign(n + 1, 0);
  for (const RankPair& p : from) ++next[key(p) + 1];
  for (std::size_t r = 0; r < n; ++r) next[r + 1] += next[r];
  to.resize(from.size());
  for (const RankPair& p : from) to[next[key(p)]++] = p;
}

// The pairs of ranks, the lower first, put in order, by their second and
// then by their first, and turned into pairs of positions.
void inOrder(std::size_t n, Scratch& s)
{
  dealBy(s.pairs, s.sorted, n, s.bucket, [](const RankPair& p) { return p.second; });
  dealBy(s.sorted, s.pairs, n, s.bucket, [](const RankPair& p) { return p.first; });
  if (!s.order.empty())
    for (RankPair& p : s.pairs) p = RankPair(s.order[p.first], s.order[p.second]);
}

}  // namespace

const std::vector<std::pair<unsigned, unsigned>>& ResidueContacts(
  const std::vector<const AbstractResidue*>& residues, float distance)
{
  Scratch& s = scratch;
  s.order.clear();
  s.pairs.clear();
  bool inIdOrder = gather(residues, s);
  if (s.swept.size() < 2) return s.pairs;
  if (!inIdOrder) rankById(s);
  sweepOrder(s);
  Columns columns(s.swept, distance);
  deal(columns, distance, s);
  sweep(columns, s);
  inOrder(residues.size(), s);
  return s.pairs;
}

}  // namespace Algo
