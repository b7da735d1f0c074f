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
// The centred rule of the interval ending at point i and of the one ending at i + 1:
// sum over k = 1..5 of a(k) * (values(i+k-1) + values(i-k)), term by term in the order
// k = 1..5, for both intervals at once. The documented sum starts from 0; starting from the
// first term instead changes only a -0 into +0, which the running sums it goes into cannot
// tell apart (they start at +0 and so are never -0).
inline PointPair centred_pair(const Radial& values, int i, const PointPair (&a)[5]) {
  PointPair u = a[0] * (at_point<PointPair>(values, i) + at_point<PointPair>(values, i - 1));
#pragma GCC unroll 4
  for (int k = 2; k <= 5; ++k)
    u = u + a[k - 1] * (at_point<PointPair>(values, i + k - 1) + at_point<PointPair>(values, i - k));
  return u;
}

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
  // for y on g. Each running sum depends on the one before, so the increments are formed
  // alongside, two intervals at a time, while the two sums run in the lanes of one register.
  PointPair weights[5];  // held in registers: y and z might share storage with the kept weights
  for (int k = 0; k < 5; ++k) weights[k] = PointPair{a[static_cast<std::size_t>(k)], a[static_cast<std::size_t>(k)]};
  PointPair sums{y(5), z(n - 4)};
  int i = 6;
  for (; i + 1 <= n - 4; i += 2) {
    const int j = n - i + 1;
    const PointPair u = centred_pair(f, i, weights);  // y increments of intervals i, i+1
    const PointPair v = centred_pair(g, j, weights);  // z increments of intervals j-1, j (points j, j+1)
    sums = sums + PointPair{u[0], v[1]};
    y(i) = sums[0];
    z(j) = sums[1];
    sums = sums + PointPair{u[1], v[0]};
    y(i + 1) = sums[0];
    z(j - 1) = sums[1];
  }
  for (; i <= n - 4; ++i) {
    const int j = n - i + 1;
    sums = sums + PointPair{centred_one(f, i, a), centred_one(g, j + 1, a)};
    y(i) = sums[0];
    z(j) = sums[1];
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
