// Pairs of point series lying nearly along a line or nearly in a plane: the
// superposition's hard cases, whose small singular values sink under the
// rounding of the large one.
#ifndef TOLVA_NEARLY_DEGENERATE_SERIES_H
#define TOLVA_NEARLY_DEGENERATE_SERIES_H

#include <cmath>
#include <random>
#include <vector>

namespace testing_support {

template <typename Point>
struct SeriesPair
{
  std::vector<Point> first, second;
};

// Row `seed` of a table: 3 to 8 points spread 240 angstroms along a line
// (flat: also 120 across, in a plane), off it by 1e-3 to 1 angstrom,
// against the same points moved by noise of 5e-4 to 0.5 angstrom, on odd
// rows turned and shifted, every fifth row mirrored.
template <typename Point>
SeriesPair<Point> nearly_degenerate_pair(unsigned seed, bool flat)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(-1, 1), exponent(-3, 0);
  std::normal_distribution<double> normal;
  double along[3], across[3], centre[3];
  for (int i = 0; i < 3; ++i) along[i] = unit(rng), across[i] = unit(rng), centre[i] = 50 * unit(rng);
  const double off = std::pow(10.0, exponent(rng)), noise = 0.5 * std::pow(10.0, exponent(rng));
  const double c = std::cos(seed % 2 * 2.0), s = std::sin(seed % 2 * 2.0), mirror = seed % 5 ? 1 : -1;
  SeriesPair<Point> pair;
  for (unsigned k = 0; k < 3 + seed % 6; ++k) {
    const double u = 120 * unit(rng), v = flat ? 60 * unit(rng) : 0;
    double p[3], q[3];
    for (int i = 0; i < 3; ++i) p[i] = centre[i] + u * along[i] + v * across[i] + off * normal(rng);
    for (int i = 0; i < 3; ++i) q[i] = p[i] + noise * normal(rng);
    pair.first.emplace_back(p[0], p[1], p[2]);
    pair.second.emplace_back(c * q[0] - s * q[1] + 7, s * q[0] + c * q[1] - 3, mirror * q[2]);
  }
  return pair;
}

}  // namespace testing_support

#endif
