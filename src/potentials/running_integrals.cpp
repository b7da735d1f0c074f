#include "potentials/running_integrals.h"

#include <array>

#include "radial/point_pairs.h"

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
struct ScaledWeights {
  double step = 0.0;
  std::array<std::array<double, 10>, 5> start{};
  std::array<double, 5> interior{};
};
ScaledWeights scaled;
// The centred rule of the interval ending at point i: the sum over k = 1..5 of
// a(k) * (values(i+k-1) + values(i-k)), term by term in the order k = 1..5. The documented sum
// starts from 0; starting from the first term instead changes only a -0 into +0, which the
// running sums it goes into cannot tell apart (they start at +0 and so are never -0).
inline double centred_one(const Radial& values, int i, const std::array<double, 5>& a) {
  double u = a[0] * (values(i) + values(i - 1));
  for (int k = 2; k <= 5; ++k) u = u + a[static_cast<std::size_t>(k - 1)] * (values(i + k - 1) + values(i - k));
  return u;
}

void scale_weights(double h) {
  const double factor = h / kDenominator;
  for (std::size_t row = 0; row < kStartWeights.size(); ++row)
    for (std::size_t k = 0; k < 10; ++k) scaled.start[row][k] = kStartWeights[row][k] * factor;
  for (std::size_t k = 0; k < kInteriorWeights.size(); ++k)
    scaled.interior[k] = kInteriorWeights[k] * factor;
  scaled.step = h;
}

}  // namespace

void YINT(const Radial& f, const Radial& g, Radial& y, Radial& z, int n, double h) {
  if (h != scaled.step) scale_weights(h);
  const auto& c = scaled.start;
  const auto& a = scaled.interior;

  y(1) = 0.0;
  z(n) = 0.0;

  // First four intervals: rows 1..4 on points 1..10 for y, mirrored on points n..n-9 for z.
  for (int i = 2; i <= 5; ++i) {
    const int j = n - i + 1;
    const auto& row = c[static_cast<std::size_t>(i - 2)];
    double yi = y(i - 1);
    double zj = z(j + 1);
    for (int k = 1; k <= 10; ++k) {
      yi = yi + row[static_cast<std::size_t>(k - 1)] * f(k);
      zj = zj + row[static_cast<std::size_t>(k - 1)] * g(n - k + 1);
    }
    y(i) = yi;
    z(j) = zj;
  }

  // Interior: the centred rule on points i-5..i+4 (interval t(i-1)..t(i)) for y and on
  // points j-4..j+5 (interval t(j)..t(j+1)) for z. The z increment of that interval is the
  // centred rule of point j+1 read the other way round: the same pairs, so the same sums as
  // for y on g. Each running sum depends on the one before; its increments are formed
  // alongside, two intervals at a time, from a window of point pairs held in registers that
  // moves two points per step, so that each value is loaded once.
  PointPair w[5];  // held in registers: y and z might share storage with the kept weights
  for (std::size_t k = 0; k < 5; ++k) w[k] = PointPair{a[k], a[k]};
  // The intervals ending at the points p and p+1 from the window of the pairs starting at
  // p-5..p+4: their k-th terms from the pairs starting at p+k-1 and at p-k.
  const auto centred_window = [&w](const PointPair(&window)[10]) {
    PointPair u = w[0] * (window[5] + window[4]);
#pragma GCC unroll 4
    for (int k = 2; k <= 5; ++k) u = u + w[k - 1] * (window[4 + k] + window[5 - k]);
    return u;
  };
  // y upwards: W[t] holds the points i-5+t and i-4+t, t = 0..9.
  double y_sum = y(5);
  PointPair W[10];
  for (int t = 0; t < 8; ++t) W[t] = at_point<PointPair>(f, 1 + t);
  int i = 6;
  for (; i + 1 <= n - 4; i += 2) {
    W[8] = at_point<PointPair>(f, i + 3);
    W[9] = at_point<PointPair>(f, i + 4);
    const PointPair u = centred_window(W);  // intervals i and i+1
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
  // z downwards: V[t] holds the points j-5+t and j-4+t, t = 0..9, for the intervals ending at
  // j+1 and j (the z values at j and j-1).
  double z_sum = z(n - 4);
  PointPair V[10];
  for (int t = 2; t < 10; ++t) V[t] = at_point<PointPair>(g, n - 10 + t);
  int j = n - 5;
  for (i = 6; i + 1 <= n - 4; i += 2, j -= 2) {
    V[0] = at_point<PointPair>(g, j - 5);
    V[1] = at_point<PointPair>(g, j - 4);
    const PointPair v = centred_window(V);  // intervals j-1 and j (z at j-1 and j)
    z_sum = z_sum + v[1];
    z(j) = z_sum;
    z_sum = z_sum + v[0];
    z(j - 1) = z_sum;
#pragma GCC unroll 8
    for (int t = 9; t >= 2; --t) V[t] = V[t - 2];
  }
  if (i <= n - 4) {
    z_sum = z_sum + centred_one(g, j + 1, a);
    z(j) = z_sum;
  }

  // Last four intervals: row j mirrored on points n..n-9 for y, row j on points 1..10 for z.
  for (int i = n - 3; i <= n; ++i) {
    const int j = n - i + 1;
    const auto& row = c[static_cast<std::size_t>(j - 1)];
    double yi = y(i - 1);
    double zj = z(j + 1);
    for (int k = 1; k <= 10; ++k) {
      yi = yi + row[static_cast<std::size_t>(k - 1)] * f(n - k + 1);
      zj = zj + row[static_cast<std::size_t>(k - 1)] * g(k);
    }
    y(i) = yi;
    z(j) = zj;
  }
}

}  // namespace hf
