// Running integrals over the uniform grid variable t by ten-point Lagrange rules.
#pragma once

#include <array>
#include <cstddef>

#include "radial/point_pairs.h"
#include "state/atomic_state.h"

namespace hf {

// y(i) = integral of f over t from t(1) to t(i) and z(i) = integral of g from t(i) to t(n),
// for i = 1..n, interval by interval: rows 1..4 of the one-sided ten-point rule on the first
// four intervals, the centred ten-point rule inside, the mirrored rows 4..1 on the last four
// intervals; every interval uses the same rule in y and z. Exact for polynomials of degree
// up to 9 in t.
//   f, g  in: integrands (already times dr/dt and any factor the caller needs), points 1..n.
//   y, z  out: points 1..n written, none beyond; y(1) = 0, z(n) = 0.
//   n     in: 10..1000 (the rules read points 1..10 and n-9..n); not checked.
//   h     in: the step of t. The weights scaled to h are kept and rebuilt only when h
//         differs (exactly) from the step of the previous call.
// y and z must not share storage with f or g. No failure, no message.
void YINT(const Radial& f, const Radial& g, Radial& y, Radial& z, int n, double h);

// YINT with z handed over instead of stored: y as YINT writes it, complete before the first
// value of z; then z(n), z(n-1), ..., z(1) in that order, each as YINT gives it, through
// take.operator()<double>(j, z(j)) or, for two points at once, take.operator()<PointPair>(j,
// {z(j), z(j+1)}). A caller that combines y and z point by point can so do it while the
// inward sums run, whose chain of additions leaves the processor room for that work.
// y must not share storage with f or g.
template <typename Take>
void running_integrals(const Radial& f, const Radial& g, Radial& y, int n, double h, Take&& take);

namespace running_integrals_detail {

// The weights of the ten-point rules over the denominator 7257600, times the step h.
struct Weights {
  std::array<std::array<double, 10>, 5> start;  // row j: points 1..10, interval t(j)..t(j+1)
  std::array<double, 5> interior;               // the centred rule, k-th point on either side
};

// The weights for step h: rebuilt only when h differs (exactly) from the step of the call
// before, otherwise the kept ones.
const Weights& weights(double h);

// y of YINT.
void outward(const Radial& f, Radial& y, int n, const Weights& weights);

// The centred rule of the interval ending at point i: the sum over k = 1..5 of
// a(k) * (values(i+k-1) + values(i-k)), term by term in the order k = 1..5. The documented sum
// starts from 0; starting from the first term instead changes only a -0 into +0, which the
// running sums it goes into cannot tell apart (they start at +0 and so are never -0).
inline double centred_one(const Radial& values, int i, const std::array<double, 5>& a) {
  double u = a[0] * (values(i) + values(i - 1));
  for (std::size_t k = 2; k <= 5; ++k)
    u = u + a[k - 1] * (values(i + static_cast<int>(k) - 1) + values(i - static_cast<int>(k)));
  return u;
}

// The same for the intervals ending at p and p+1, from a window of the pairs starting at
// p-5..p+4: their k-th terms from the pairs starting at p+k-1 and at p-k.
inline PointPair centred_window(const PointPair (&window)[10], const PointPair (&w)[5]) {
  PointPair u = w[0] * (window[5] + window[4]);
#pragma GCC unroll 4
  for (int k = 2; k <= 5; ++k) u = u + w[k - 1] * (window[4 + k] + window[5 - k]);
  return u;
}

}  // namespace running_integrals_detail

template <typename Take>
void running_integrals(const Radial& f, const Radial& g, Radial& y, int n, double h, Take&& take) {
  namespace detail = running_integrals_detail;
  const detail::Weights& weights = detail::weights(h);
  detail::outward(f, y, n, weights);
  const auto& c = weights.start;
  const auto& a = weights.interior;

  // First four intervals, mirrored: row i-1 on points n..n-9.
  double z_sum = 0.0;
  take.template operator()<double>(n, z_sum);
  for (int i = 2; i <= 5; ++i) {
    const auto& row = c[static_cast<std::size_t>(i - 2)];
    for (std::size_t k = 1; k <= 10; ++k) z_sum = z_sum + row[k - 1] * g(n - static_cast<int>(k) + 1);
    take.template operator()<double>(n - i + 1, z_sum);
  }

  // Interior, downwards: the z increment of the interval t(j)..t(j+1) is the centred rule of
  // point j+1 read the other way round (points j-4..j+5): the same pairs, so the same sums as
  // for y on g. The increments are formed two intervals at a time from a window of point pairs
  // held in registers that moves two points per step: V[t] holds the points j-5+t and j-4+t,
  // for the intervals ending at j and j+1 (the z values at j-1 and j).
  PointPair w[5];  // held in registers: the caller's arrays might share storage with the kept weights
  for (std::size_t k = 0; k < 5; ++k) w[k] = PointPair{a[k], a[k]};
  PointPair V[10];
  for (int t = 2; t < 10; ++t) V[t] = at_point<PointPair>(g, n - 10 + t);
  int j = n - 5;
  for (; j - 1 >= 5; j -= 2) {
    V[0] = at_point<PointPair>(g, j - 5);
    V[1] = at_point<PointPair>(g, j - 4);
    const PointPair v = detail::centred_window(V, w);
    const double upper = z_sum + v[1];  // z(j)
    z_sum = upper + v[0];               // z(j-1)
    take.template operator()<PointPair>(j - 1, PointPair{z_sum, upper});
#pragma GCC unroll 8
    for (int t = 9; t >= 2; --t) V[t] = V[t - 2];
  }
  if (j >= 5) {
    z_sum = z_sum + detail::centred_one(g, j + 1, a);
    take.template operator()<double>(j, z_sum);
  }

  // Last four intervals: row j on points 1..10.
  for (int jj = 4; jj >= 1; --jj) {
    const auto& row = c[static_cast<std::size_t>(jj - 1)];
    for (std::size_t k = 1; k <= 10; ++k) z_sum = z_sum + row[k - 1] * g(static_cast<int>(k));
    take.template operator()<double>(jj, z_sum);
  }
}

}  // namespace hf
