#include "potentials/running_integrals.h"

#include <array>
#include <cstddef>

namespace hf {

namespace {

constexpr double kDenominator = 7257600.0;

// Row j: the weights of points 1..10 for the interval from t(j) to t(j+1), over kDenominator.
constexpr std::array<std::array<int, 10>, 5> kStartWeights{{
    {2082753, 9449717, -11271304, 16002320, -17283646, 13510082, -7394032, 2687864, -583435, 57281},
    {-57281, 2655563, 6872072, -4397584, 3973310, -2848834, 1481072, -520312, 110219, -10625},
    {10625, -163531, 3133688, 5597072, -2166334, 1295810, -617584, 206072, -42187, 3969},
    {-3969, 50315, -342136, 3609968, 4763582, -1166146, 462320, -141304, 27467, -2497},
    {2497, -28939, 162680, -641776, 4134338, 4134338, -641776, 162680, -28939, 2497},
}};
// The centred rule seen from the middle of its interval: kInteriorWeights[k-1] weighs the
// k-th point on either side.
constexpr std::array<int, 5> kInteriorWeights{4134338, -641776, 162680, -28939, 2497};

// Weights scaled to the step of the previous call (0 before the first call): keyed on the
// step, the one thing they depend on.
double scaled_step = 0.0;
running_integrals_detail::Weights scaled{};

}  // namespace

namespace running_integrals_detail {

const Weights& weights(double h) {
  if (h != scaled_step) {
    const double factor = h / kDenominator;
    for (std::size_t row = 0; row < kStartWeights.size(); ++row)
      for (std::size_t k = 0; k < 10; ++k) scaled.start[row][k] = kStartWeights[row][k] * factor;
    for (std::size_t k = 0; k < kInteriorWeights.size(); ++k) scaled.interior[k] = kInteriorWeights[k] * factor;
    scaled_step = h;
  }
  return scaled;
}

void outward(const Radial& f, Radial& y, int n, const Weights& weights) {
  const auto& c = weights.start;
  const auto& a = weights.interior;

  // First four intervals: rows 1..4 on points 1..10.
  double y_sum = 0.0;
  y(1) = y_sum;
  for (int i = 2; i <= 5; ++i) {
    const auto& row = c[static_cast<std::size_t>(i - 2)];
    for (std::size_t k = 1; k <= 10; ++k) y_sum = y_sum + row[k - 1] * f(static_cast<int>(k));
    y(i) = y_sum;
  }

  // Interior: the centred rule on points i-5..i+4 (interval t(i-1)..t(i)), two intervals at a
  // time from a window of point pairs held in registers that moves two points per step:
  // W[t] holds the points i-5+t and i-4+t.
  PointPair w[5];  // held in registers: y might share storage with the kept weights
  for (std::size_t k = 0; k < 5; ++k) w[k] = PointPair{a[k], a[k]};
  PointPair W[10];
  for (int t = 0; t < 8; ++t) W[t] = at_point<PointPair>(f, 1 + t);
  int i = 6;
  for (; i + 1 <= n - 4; i += 2) {
    W[8] = at_point<PointPair>(f, i + 3);
    W[9] = at_point<PointPair>(f, i + 4);
    const PointPair u = centred_window(W, w);  // intervals i and i+1
    y_sum = y_sum + u[0];
    y(i) = y_sum;
    y_sum = y_sum + u[1];
    y(i + 1) = y_sum;
#pragma GCC unroll 8
    for (int t = 0; t < 8; ++t) W[t] = W[t + 2];
  }
  if (i <= n - 4) {
    y_sum = y_sum + centred_one(f, i, a);
    y(i) = y_sum;
  }

  // Last four intervals: row n-i+1 mirrored on points n..n-9.
  for (i = n - 3; i <= n; ++i) {
    const auto& row = c[static_cast<std::size_t>(n - i)];
    for (std::size_t k = 1; k <= 10; ++k) y_sum = y_sum + row[k - 1] * f(n - static_cast<int>(k) + 1);
    y(i) = y_sum;
  }
}

}  // namespace running_integrals_detail

void YINT(const Radial& f, const Radial& g, Radial& y, Radial& z, int n, double h) {
  running_integrals(f, g, y, n, h, [&]<typename T>(int j, T value) { set_point<T>(z, j, value); });
}

}  // namespace hf
