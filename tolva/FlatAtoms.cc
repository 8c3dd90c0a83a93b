#include "FlatAtoms.h"

#include <algorithm>
#include <cmath>

#include "Rmsd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tolva {

namespace {

const size_t kLanes = CFlatAtoms::kLanes;

size_t round_up(size_t n) { return (n + kLanes - 1) / kLanes * kLanes; }

// The eight lane sums of one element, always added in this order.
double total(const double* lane)
{
  return ((lane[0] + lane[1]) + (lane[2] + lane[3])) + ((lane[4] + lane[5]) + (lane[6] + lane[7]));
}

// Lane l of element e sums the products of the atoms k with k mod 8 = l,
// in atom order. Products of two floats are exact in double, so a fused
// multiply-add and a multiply then an add give the same bits: the three
// versions below agree to the last bit.
void correlation_portable(const float* const a[3], const float* const b[3], size_t n, double* R)
{
  double lanes[9][kLanes] = {};
  for (size_t k = 0; k < n; k += kLanes)
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c)
        for (size_t l = 0; l < kLanes; ++l)
          lanes[3 * r + c][l] += static_cast<double>(a[r][k + l]) * static_cast<double>(b[c][k + l]);
  for (int e = 0; e < 9; ++e) R[e] = total(lanes[e]);
}

#if defined(__x86_64__)

// The plain conversion draws a false uninitialised-value warning from
// GCC 12's header; the masked one with every lane set is the same.
__attribute__((target("avx512f"))) inline __m512d widen8(__m256 v) { return _mm512_maskz_cvtps_pd(0xFF, v); }

__attribute__((target("avx512f"))) void correlation_avx512(const float* const a[3], const float* const b[3],
                                                            size_t n, double* R)
{
  __m512d acc[9];
  for (__m512d& v : acc) v = _mm512_setzero_pd();
  for (size_t k = 0; k < n; k += kLanes) {
    const __m512d ax = widen8(_mm256_loadu_ps(a[0] + k));
    const __m512d ay = widen8(_mm256_loadu_ps(a[1] + k));
    const __m512d az = widen8(_mm256_loadu_ps(a[2] + k));
    const __m512d bx = widen8(_mm256_loadu_ps(b[0] + k));
    const __m512d by = widen8(_mm256_loadu_ps(b[1] + k));
    const __m512d bz = widen8(_mm256_loadu_ps(b[2] + k));
    acc[0] = _mm512_fmadd_pd(ax, bx, acc[0]);
    acc[1] = _mm512_fmadd_pd(ax, by, acc[1]);
    acc[2] = _mm512_fmadd_pd(ax, bz, acc[2]);
    acc[3] = _mm512_fmadd_pd(ay, bx, acc[3]);
    acc[4] = _mm512_fmadd_pd(ay, by, acc[4]);
    acc[5] = _mm512_fmadd_pd(ay, bz, acc[5]);
    acc[6] = _mm512_fmadd_pd(az, bx, acc[6]);
    acc[7] = _mm512_fmadd_pd(az, by, acc[7]);
    acc[8] = _mm512_fmadd_pd(az, bz, acc[8]);
  }
  double lanes[kLanes];
  for (int e = 0; e < 9; ++e) {
    _mm512_storeu_pd(lanes, acc[e]);
    R[e] = total(lanes);
  }
}

// Four lanes at a time, the low half of every block of eight, then the
// high half: nine accumulators and six inputs fit the sixteen registers.
__attribute__((target("avx2,fma"))) void correlation_avx2(const float* const a[3], const float* const b[3],
                                                           size_t n, double* R)
{
  double lanes[9][kLanes];
  for (size_t half = 0; half < kLanes; half += 4) {
    __m256d acc[9];
    for (__m256d& v : acc) v = _mm256_setzero_pd();
    for (size_t k = half; k < n; k += kLanes) {
      const __m256d ax = _mm256_cvtps_pd(_mm_loadu_ps(a[0] + k));
      const __m256d ay = _mm256_cvtps_pd(_mm_loadu_ps(a[1] + k));
      const __m256d az = _mm256_cvtps_pd(_mm_loadu_ps(a[2] + k));
      const __m256d bx = _mm256_cvtps_pd(_mm_loadu_ps(b[0] + k));
      const __m256d by = _mm256_cvtps_pd(_mm_loadu_ps(b[1] + k));
      const __m256d bz = _mm256_cvtps_pd(_mm_loadu_ps(b[2] + k));
      acc[0] = _mm256_fmadd_pd(ax, bx, acc[0]);
      acc[1] = _mm256_fmadd_pd(ax, by, acc[1]);
      acc[2] = _mm256_fmadd_pd(ax, bz, acc[2]);
      acc[3] = _mm256_fmadd_pd(ay, bx, acc[3]);
      acc[4] = _mm256_fmadd_pd(ay, by, acc[4]);
      acc[5] = _mm256_fmadd_pd(ay, bz, acc[5]);
      acc[6] = _mm256_fmadd_pd(az, bx, acc[6]);
      acc[7] = _mm256_fmadd_pd(az, by, acc[7]);
      acc[8] = _mm256_fmadd_pd(az, bz, acc[8]);
    }
    for (int e = 0; e < 9; ++e) _mm256_storeu_pd(&lanes[e][half], acc[e]);
  }
  for (int e = 0; e < 9; ++e) R[e] = total(lanes[e]);
}

#endif

typedef void (*CorrelationKernel)(const float* const[3], const float* const[3], size_t, double*);

// Chosen on first use by asking the processor, not by an ifunc resolver:
// those run before ThreadSanitizer's runtime is up.
CorrelationKernel pick_kernel()
{
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx512f")) return correlation_avx512;
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return correlation_avx2;
#endif
  return correlation_portable;
}

CorrelationKernel kernel()
{
  static const CorrelationKernel chosen = pick_kernel();
  return chosen;
}

template <CorrelationKernel K>
void run_kernel(const CFlatAtoms& fixed, const CFlatAtoms& moving, double* R)
{
  const float* const a[3] = {fixed.x(), fixed.y(), fixed.z()};
  const float* const b[3] = {moving.x(), moving.y(), moving.z()};
  K(a, b, std::min(fixed.padded(), moving.padded()), R);
}

// The RMSD from half the sum of squared residuals.
float rmsd_of(double half_residual, size_t n)
{
  double r = half_residual * 2.0 / static_cast<double>(n);
  if (r < 0) r = 0.0;
  return static_cast<float>(std::sqrt(r));
}

// The half residual of the best superposition, by Newton where the root is
// simple, else by the rotation itself.
double half_residual(const double* R, double E0)
{
  double fit;
  if (largest_fit(R, E0, &fit)) return E0 - fit;
  double U[9], parts[3];
  __superposition_rotation(R, E0, U, parts);
  return ((E0 - parts[0]) - parts[1]) - parts[2];
}

}  // namespace

CFlatAtoms::CFlatAtoms(const std::vector<CPoint3D>& points)
{
  std::vector<float> xyz;
  xyz.reserve(3 * points.size());
  for (const CPoint3D& p : points) xyz.insert(xyz.end(), {p.x, p.y, p.z});
  *this = CFlatAtoms(xyz.data(), points.size());
}

CFlatAtoms::CFlatAtoms(const float* xyz, size_t n, std::vector<float>&& storage)
  : count(n), stride(round_up(n)), coords(std::move(storage))
{
  coords.assign(3 * stride, 0.0f);
  double sum[3] = {0, 0, 0};
  for (size_t k = 0; k < n; ++k)
    for (int a = 0; a < 3; ++a) sum[a] += xyz[3 * k + a];
  if (n > 0)
    for (int a = 0; a < 3; ++a) centre[a] = sum[a] / static_cast<double>(n);
  for (size_t k = 0; k < n; ++k)
    for (int a = 0; a < 3; ++a) coords[a * stride + k] = static_cast<float>(xyz[3 * k + a] - centre[a]);
  // Taken as the correlation takes its sums, so that a series against
  // itself leaves exactly nothing over.
  double R[9];
  correlation(*this, *this, R);
  sumSquares = (R[0] + R[4]) + R[8];
}

void correlation(const CFlatAtoms& fixed, const CFlatAtoms& moving, double* R)
{
  const float* const a[3] = {fixed.x(), fixed.y(), fixed.z()};
  const float* const b[3] = {moving.x(), moving.y(), moving.z()};
  kernel()(a, b, std::min(fixed.padded(), moving.padded()), R);
}

std::vector<CorrelationVersion> correlation_versions()
{
  std::vector<CorrelationVersion> versions{run_kernel<correlation_portable>};
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) versions.push_back(run_kernel<correlation_avx2>);
  if (__builtin_cpu_supports("avx512f")) versions.push_back(run_kernel<correlation_avx512>);
#endif
  return versions;
}

bool largest_fit(const double* R, double E0, double* fit)
{
  if (!(E0 > 0)) return false;
  const double xx = R[0], xy = R[1], xz = R[2], yx = R[3], yy = R[4], yz = R[5], zx = R[6], zy = R[7], zz = R[8];
  // The key matrix K, symmetric with zero trace.
  const double k[4][4] = {{xx + yy + zz, yz - zy, zx - xz, xy - yx},
                          {yz - zy, xx - yy - zz, xy + yx, zx + xz},
                          {zx - xz, xy + yx, -xx + yy - zz, yz + zy},
                          {xy - yx, zx + xz, yz + zy, -xx - yy + zz}};
  // det(l.I - K) = l^4 + c2.l^2 + c1.l + c0, with c2 = -2 |R|^2 and
  // c1 = -8 det R (Theobald, Acta Cryst. A61 (2005) 478).
  double squares = 0;
  for (int e = 0; e < 9; ++e) squares += R[e] * R[e];
  const double c2 = -2.0 * squares;
  const double det3 = xx * (yy * zz - yz * zy) - xy * (yx * zz - yz * zx) + xz * (yx * zy - yy * zx);
  const double c1 = -8.0 * det3;
  const double s0 = k[0][0] * k[1][1] - k[1][0] * k[0][1], s1 = k[0][0] * k[1][2] - k[1][0] * k[0][2];
  const double s2 = k[0][0] * k[1][3] - k[1][0] * k[0][3], s3 = k[0][1] * k[1][2] - k[1][1] * k[0][2];
  const double s4 = k[0][1] * k[1][3] - k[1][1] * k[0][3], s5 = k[0][2] * k[1][3] - k[1][2] * k[0][3];
  const double t5 = k[2][2] * k[3][3] - k[3][2] * k[2][3], t4 = k[2][1] * k[3][3] - k[3][1] * k[2][3];
  const double t3 = k[2][1] * k[3][2] - k[3][1] * k[2][2], t2 = k[2][0] * k[3][3] - k[3][0] * k[2][3];
  const double t1 = k[2][0] * k[3][2] - k[3][0] * k[2][2], t0 = k[2][0] * k[3][1] - k[3][0] * k[2][1];
  const double c0 = s0 * t5 - s1 * t4 + s2 * t3 + s3 * t2 - s4 * t1 + s5 * t0;

  // E0 lies at or right of the largest root, where the polynomial is
  // convex and increasing: Newton comes down to the root monotonically.
  double l = E0;
  for (int step = 0; step < 50; ++step) {
    const double l2 = l * l;
    const double b = (l2 + c2) * l;
    const double a = b + c1;
    const double p = a * l + c0;
    const double dp = 2.0 * l2 * l + b + a;
    // A slope this small means a double or nearly double root, known to
    // only half the digits.
    if (!(dp > 1e-2 * E0 * E0 * E0)) return false;
    const double next = l - p / dp;
    if (std::fabs(next - l) <= 1e-13 * E0) {
      *fit = next;
      return true;
    }
    l = next;
  }
  return false;
}

float superposed_rmsd(const CFlatAtoms& fixed, const CFlatAtoms& moving)
{
  double R[9];
  correlation(fixed, moving, R);
  return rmsd_of(half_residual(R, 0.5 * (fixed.squares() + moving.squares())), fixed.size());
}

float superposed_rmsd(const CFlatAtoms& fixed_align, const CFlatAtoms& moving_align,
                      const CFlatAtoms& fixed_rmsd, const CFlatAtoms& moving_rmsd)
{
  double R[9], U[9], parts[3];
  correlation(fixed_align, moving_align, R);
  __superposition_rotation(R, 0.5 * (fixed_align.squares() + moving_align.squares()), U, parts);
  // Both rmsd series are stored centred on their own centroids: the moving
  // one is turned by U about the align centroid, which lands on the fixed
  // align centroid.
  const double* ca = fixed_align.centroid();
  const double* cb = moving_align.centroid();
  const double* da = fixed_rmsd.centroid();
  const double* db = moving_rmsd.centroid();
  double s[3];
  for (int i = 0; i < 3; ++i)
    s[i] = (da[i] - ca[i]) - ((U[3 * i] * (db[0] - cb[0]) + U[3 * i + 1] * (db[1] - cb[1])) +
                              U[3 * i + 2] * (db[2] - cb[2]));
  const float* a[3] = {fixed_rmsd.x(), fixed_rmsd.y(), fixed_rmsd.z()};
  const float* b[3] = {moving_rmsd.x(), moving_rmsd.y(), moving_rmsd.z()};
  double sum = 0;
  for (size_t k = 0; k < fixed_rmsd.size(); ++k) {
    const double u = b[0][k], v = b[1][k], w = b[2][k];
    for (int i = 0; i < 3; ++i) {
      const double d = a[i][k] - ((U[3 * i] * u + U[3 * i + 1] * v) + U[3 * i + 2] * w) + s[i];
      sum += d * d;
    }
  }
  return rmsd_of(0.5 * sum, fixed_rmsd.size());
}

}  // namespace tolva
