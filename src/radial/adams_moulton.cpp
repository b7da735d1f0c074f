#include "radial/adams_moulton.h"

#include <array>

namespace hf {

namespace {

constexpr int kSteps = 8;
constexpr double kDenominator = 3628800.0;
// Coefficient of the new point.
constexpr double kNewPoint = 1070017.0;
// Coefficients of the earlier points, eight steps back first, one step back last.
constexpr std::array<double, kSteps> kEarlier{-33953.0,   312874.0,  -1291214.0, 3146338.0,
                                              -5033120.0, 5595358.0, -4604594.0, 4467094.0};

}  // namespace

void ADAMS(Radial& p, Radial& q, const Radial& charge, double energy, int l, int start, int stop) {
  const auto& grid = atom.grid;
  const double hfac = grid.grid_step / kDenominator;
  // l(l+1)/2, formed in double so that no l overflows.
  const double centrifugal = (static_cast<double>(l) + 1.0) * (0.5 * static_cast<double>(l));
  const int dir = stop > start ? 1 : -1;
  const double sdir = static_cast<double>(dir);
  const auto a_term = [&](int i) {
    return energy * grid.drdt(i) + (charge(i) - centrifugal / grid.radius(i)) * grid.drdt_over_r(i);
  };

  // Windows of the eight latest derivatives, oldest first, signed by the direction.
  // The derivatives of the last eight points, oldest first, in a ring whose every slot is
  // stored twice (s and s + 8), so that the window [head, head + 8) is always contiguous.
  std::array<double, 2 * kSteps> dp{};
  std::array<double, 2 * kSteps> dq{};
  std::array<double, kSteps> weight{};
  for (int j = 1; j <= kSteps; ++j) {
    const int i = start + (j - 9) * dir;
    const auto w = static_cast<std::size_t>(j - 1);
    dp[w] = dp[w + kSteps] = sdir * grid.drdt(i) * q(i);
    dq[w] = dq[w + kSteps] = -2.0 * sdir * a_term(i) * p(i);
    weight[w] = kEarlier[w] * hfac;
  }
  std::size_t head = 0;
  const double weight0 = kNewPoint * hfac;

  const int count = (stop > start ? stop - start : start - stop) + 1;
  int i = start;
  for (int step = 0; step < count; ++step, i += dir) {
    const double dr = sdir * grid.drdt(i);
    const double g = -2.0 * sdir * a_term(i);
    const double b = weight0 * dr;
    const double c = weight0 * g;
    const double det = 1.0 - b * c;
    double sp = p(i - dir);
    double sq = q(i - dir);
    for (std::size_t j = 0; j < kSteps; ++j) {
      sp = sp + weight[j] * dp[head + j];
      sq = sq + weight[j] * dq[head + j];
    }
    // Exact solution of p = sp + b q, q = sq + c p.
    p(i) = (b * sq + sp) / det;
    q(i) = (c * sp + sq) / det;
    // The newest derivatives replace the oldest.
    dp[head] = dp[head + kSteps] = dr * q(i);
    dq[head] = dq[head + kSteps] = g * p(i);
    head = (head + 1) % kSteps;
  }
}

}  // namespace hf
