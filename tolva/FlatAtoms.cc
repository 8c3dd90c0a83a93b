#include "FlatAtoms.h"

#include <cmath>

#include "Rmsd.h"
#include "Transfo.h"

namespace tolva {

CFlatAtoms::CFlatAtoms(const std::vector<CPoint3D>& points)
{
  for (const CPoint3D& p : points) centre += p;
  if (!points.empty()) centre /= static_cast<float>(points.size());
  x.reserve(points.size());
  y.reserve(points.size());
  z.reserve(points.size());
  for (const CPoint3D& p : points) {
    float dx = p.x - centre.x, dy = p.y - centre.y, dz = p.z - centre.z;
    x.push_back(dx);
    y.push_back(dy);
    z.push_back(dz);
    squares += static_cast<double>(dx * dx) + static_cast<double>(dy * dy) + static_cast<double>(dz * dz);
  }
}

namespace {

// The correlation of the fixed series (rows) with the moving one (columns),
// single-precision products summed in double, as the superposition does.
void correlation(const CFlatAtoms& fixed, const CFlatAtoms& moving, double* R)
{
  const float* fx[3] = {fixed.x.data(), fixed.y.data(), fixed.z.data()};
  const float* mx[3] = {moving.x.data(), moving.y.data(), moving.z.data()};
  double r00 = 0, r01 = 0, r02 = 0, r10 = 0, r11 = 0, r12 = 0, r20 = 0, r21 = 0, r22 = 0;
  const size_t n = fixed.size();
  for (size_t k = 0; k < n; ++k) {
    const float a = fx[0][k], b = fx[1][k], c = fx[2][k];
    const float u = mx[0][k], v = mx[1][k], w = mx[2][k];
    r00 += a * u; r01 += a * v; r02 += a * w;
    r10 += b * u; r11 += b * v; r12 += b * w;
    r20 += c * u; r21 += c * v; r22 += c * w;
  }
  const double values[9] = {r00, r01, r02, r10, r11, r12, r20, r21, r22};
  for (int i = 0; i < 9; ++i) R[i] = values[i];
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

  // The moving rmsd atoms, placed by t, against the fixed ones. Both series
  // are stored centred, so t is applied to (centred + centroid).
  const CPoint3D mc = moving_rmsd.centroid();
  const CPoint3D fc = fixed_rmsd.centroid();
  const float r00 = t(0, 0), r01 = t(0, 1), r02 = t(0, 2);
  const float r10 = t(1, 0), r11 = t(1, 1), r12 = t(1, 2);
  const float r20 = t(2, 0), r21 = t(2, 1), r22 = t(2, 2);
  // Where the moving centroid goes, relative to the fixed centroid.
  CPoint3D shift = CPoint3D(mc).Transform(t) - fc;
  double sum = 0.0;
  const size_t n = fixed_rmsd.size();
  for (size_t k = 0; k < n; ++k) {
    const float u = moving_rmsd.x[k], v = moving_rmsd.y[k], w = moving_rmsd.z[k];
    const float dx = ((r00 * u + r01 * v) + r02 * w) + shift.x - fixed_rmsd.x[k];
    const float dy = ((r10 * u + r11 * v) + r12 * w) + shift.y - fixed_rmsd.y[k];
    const float dz = ((r20 * u + r21 * v) + r22 * w) + shift.z - fixed_rmsd.z[k];
    sum += static_cast<double>((dx * dx + dy * dy) + dz * dz);
  }
  return static_cast<float>(std::sqrt(sum / static_cast<double>(n)));
}

}  // namespace tolva
