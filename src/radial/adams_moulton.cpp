#include "radial/adams_moulton.h"

#include <cstddef>

namespace hf {

namespace {

constexpr double kDenominator = 3628800.0;
// Coefficient of the new point.
constexpr double kNewPoint = 1070017.0;
// Coefficients of the earlier points, eight steps back first, one step back last.
constexpr std::array<double, 8> kEarlier{-33953.0,   312874.0,  -1291214.0, 3146338.0,
                                         -5033120.0, 5595358.0, -4604594.0, 4467094.0};
constexpr std::size_t kSteps = kEarlier.size();

}  // namespace

AdamsWeights adams_weights(double step) {
  const double hfac = step / kDenominator;
  AdamsWeights weights{kNewPoint * hfac, {}};
  for (std::size_t w = 0; w < kSteps; ++w) weights.earlier[w] = kEarlier[w] * hfac;
  return weights;
}

void ADAMS(Radial& p, Radial& q, const Radial& charge, double energy, int l, int start, int stop) {
  const auto& grid = atom.grid;
  const AdamsWeights weights = adams_weights(grid.grid_step);
  // l(l+1)/2, formed in double so that no l overflows.
  const double centrifugal = (static_cast<double>(l) + 1.0) * (0.5 * static_cast<double>(l));
  const auto a_term = [&](int i) {
    return energy * grid.drdt(i) + (charge(i) - centrifugal / grid.radius(i)) * grid.drdt_over_r(i);
  };
  const int dir = stop > start ? 1 : -1;
  const double sdir = static_cast<double>(dir);

  // The derivatives of the last eight points, oldest first, signed by the direction.
  std::array<double, kSteps> dp{};
  std::array<double, kSteps> dq{};
  for (std::size_t w = 0; w < kSteps; ++w) {
    const int i = start + (static_cast<int>(w) - 8) * dir;
    dp[w] = sdir * grid.drdt(i) * q(i);
    dq[w] = -2.0 * sdir * a_term(i) * p(i);
  }

  for (int i = start;; i += dir) {
    const double dr = sdir * grid.drdt(i);
    const double g = -2.0 * sdir * a_term(i);
    const double b = weights.new_point * dr;
    const double c = weights.new_point * g;
    const double det = 1.0 - b * c;
    double sp = p(i - dir);
    double sq = q(i - dir);
    for (std::size_t j = 0; j < kSteps; ++j) {
      sp = sp + weights.earlier[j] * dp[j];
      sq = sq + weights.earlier[j] * dq[j];
    }
    // Exact solution of p = sp + b q, q = sq + c p.
    p(i) = (b * sq + sp) / det;
    q(i) = (c * sp + sq) / det;
    // The newest derivatives replace the oldest.
    for (std::size_t j = 0; j + 1 < kSteps; ++j) {
      dp[j] = dp[j + 1];
      dq[j] = dq[j + 1];
    }
    dp[kSteps - 1] = dr * q(i);
    dq[kSteps - 1] = g * p(i);
    if (i == stop) break;
  }
}

}  // namespace hf
