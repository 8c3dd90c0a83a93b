#include "FlatAtoms.h"

#include <cmath>
#include <cstring>

#include "Rmsd.h"
#include "Transfo.h"

// The vector helpers below are always inlined: no vector crosses a call,
// whatever the ABI of vector arguments would be.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace tolva {

namespace {

// Four atoms at a time: single-precision products widened and summed in
// double, as the superposition does, in four interleaved partial sums per
// element. The machine's widest vectors are chosen when the program starts.
typedef float f4 __attribute__((vector_size(16)));
typedef double d4 __attribute__((vector_size(32)));

const size_t kLanes = 4;

// Always inlined, also without optimisation: a vector helper called from
// the AVX2 clone would otherwise pass its vectors by another convention.
#define FLAT_INLINE inline __attribute__((always_inline))

// The clones' resolvers run before main, before ThreadSanitizer's runtime
// is up, and clang wants -mavx2 for the clone: one plain version there.
#if defined(__SANITIZE_THREAD__) || defined(__clang__)
#define FLAT_CLONES
#else
#define FLAT_CLONES __attribute__((target_clones("avx2", "default")))
#endif

FLAT_INLINE f4 load(const float* p)
{
  f4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

FLAT_INLINE d4 widen(f4 v) { return __builtin_convertvector(v, d4); }

FLAT_INLINE double total(d4 v) { return (v[0] + v[1]) + (v[2] + v[3]); }

size_t padded(size_t n) { return (n + kLanes - 1) / kLanes * kLanes; }

}  // namespace

CFlatAtoms::CFlatAtoms(const std::vector<CPoint3D>& points) : count(points.size())
{
  for (const CPoint3D& p : points) centre += p;
  if (!points.empty()) centre /= static_cast<float>(points.size());
  // Zeros past the last atom add nothing to the correlation.
  x.assign(padded(count), 0.0f);
  y.assign(padded(count), 0.0f);
  z.assign(padded(count), 0.0f);
  for (size_t k = 0; k < count; ++k) {
    const CPoint3D& p = points[k];
    float dx = p.x - centre.x, dy = p.y - centre.y, dz = p.z - centre.z;
    x[k] = dx;
    y[k] = dy;
    z[k] = dz;
    squares += static_cast<double>(dx * dx) + static_cast<double>(dy * dy) + static_cast<double>(dz * dz);
  }
}

namespace {

// The correlation of the fixed series (rows) with the moving one (columns).
FLAT_CLONES void correlation(const CFlatAtoms& fixed, const CFlatAtoms& moving, double* R)
{
  d4 acc[9] = {};
  const size_t n = fixed.x.size();
  for (size_t k = 0; k < n; k += kLanes) {
    const f4 a = load(&fixed.x[k]), b = load(&fixed.y[k]), c = load(&fixed.z[k]);
    const f4 u = load(&moving.x[k]), v = load(&moving.y[k]), w = load(&moving.z[k]);
    acc[0] += widen(a * u); acc[1] += widen(a * v); acc[2] += widen(a * w);
    acc[3] += widen(b * u); acc[4] += widen(b * v); acc[5] += widen(b * w);
    acc[6] += widen(c * u); acc[7] += widen(c * v); acc[8] += widen(c * w);
  }
  for (int e = 0; e < 9; ++e) R[e] = total(acc[e]);
}

// The summed squared distances between the fixed atoms and the moving ones
// rotated by r and shifted by s (both series centred).
FLAT_CLONES double squared_deviation(const CFlatAtoms& fixed, const CFlatAtoms& moving, const float* r,
                                     const float* s)
{
  const size_t n = fixed.size();
  const size_t blocks = n / kLanes * kLanes;
  d4 acc = {};
  for (size_t k = 0; k < blocks; k += kLanes) {
    const f4 u = load(&moving.x[k]), v = load(&moving.y[k]), w = load(&moving.z[k]);
    const f4 dx = ((r[0] * u + r[1] * v) + r[2] * w) + s[0] - load(&fixed.x[k]);
    const f4 dy = ((r[3] * u + r[4] * v) + r[5] * w) + s[1] - load(&fixed.y[k]);
    const f4 dz = ((r[6] * u + r[7] * v) + r[8] * w) + s[2] - load(&fixed.z[k]);
    acc += widen((dx * dx + dy * dy) + dz * dz);
  }
  double sum = total(acc);
  for (size_t k = blocks; k < n; ++k) {
    const float u = moving.x[k], v = moving.y[k], w = moving.z[k];
    const float dx = ((r[0] * u + r[1] * v) + r[2] * w) + s[0] - fixed.x[k];
    const float dy = ((r[3] * u + r[4] * v) + r[5] * w) + s[1] - fixed.y[k];
    const float dz = ((r[6] * u + r[7] * v) + r[8] * w) + s[2] - fixed.z[k];
    sum += static_cast<double>((dx * dx + dy * dy) + dz * dz);
  }
  return sum;
}

}  // namespace

float superposed_rmsd(const CFlatAtoms& fixed_align, const CFlatAtoms& moving_align,
                      const CFlatAtoms& fixed_rmsd, const CFlatAtoms& moving_rmsd)
{
  double R[9];
  correlation(fixed_align, moving_align, R);
  CTransfo t;
  __rmsd_with_align_aux(moving_align.centroid(), fixed_align.centroid(), R,
                        0.5 * (fixed_align.squares + moving_align.squares),
                        static_cast<int>(fixed_align.size()), &t);

  // Both rmsd series are stored centred: t is applied to (centred +
  // centroid), that is, rotate and add where the moving centroid goes,
  // relative to the fixed centroid.
  const float r[9] = {t(0, 0), t(0, 1), t(0, 2), t(1, 0), t(1, 1), t(1, 2), t(2, 0), t(2, 1), t(2, 2)};
  const CPoint3D shift = CPoint3D(moving_rmsd.centroid()).Transform(t) - fixed_rmsd.centroid();
  const float s[3] = {shift.x, shift.y, shift.z};
  double sum = squared_deviation(fixed_rmsd, moving_rmsd, r, s);
  return static_cast<float>(std::sqrt(sum / static_cast<double>(fixed_rmsd.size())));
}

}  // namespace tolva
