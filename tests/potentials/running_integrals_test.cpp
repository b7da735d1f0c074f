// Running integrals: exactness for polynomials up to degree 9, the points touched, the kept weights.
#include "potentials/running_integrals.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <tuple>

#include "state/atomic_state.h"

namespace hf {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// u^degree with u = (i - centre) / half mapping points 1..n onto [-1, 1], so that every
// degree has values of order 1 over the whole range and the error scale is the same for all.
struct ScaledPower {
  int degree;
  int n;
  double u(double x) const { return (x - 0.5 * (n + 1)) / (0.5 * (n - 1)); }
  double value(int i) const { return std::pow(u(i), degree); }
  // Integral over the point index from a to b.
  double integral(int a, int b) const {
    return 0.5 * (n - 1) * (std::pow(u(b), degree + 1) - std::pow(u(a), degree + 1)) / (degree + 1);
  }
  Radial sampled() const {
    Radial v;
    v.fill(kNaN);
    for (int i = 1; i <= n; ++i) v(i) = value(i);
    return v;
  }
};

class RunningIntegral : public ::testing::Test {
 protected:
  void SetUp() override {
    y.fill(kNaN);
    z.fill(kNaN);
  }
  Radial y;
  Radial z;
};

class PolynomialRunningIntegral : public RunningIntegral, public ::testing::WithParamInterface<std::tuple<int, int>> {};

// f of degree d and g of degree 9 - d; every point of y and z against the exact integral in
// t, the point index times h. Points 2..5 come from the start rows, n-3..n from the mirrored
// ones, the rest from the centred rule: with n = 10 each kind holds for a few intervals only.
TEST_P(PolynomialRunningIntegral, ExactToDegreeNine) {
  const auto [n, degree] = GetParam();
  const double h = 0.37;
  const ScaledPower f{degree, n};
  const ScaledPower g{9 - degree, n};
  YINT(f.sampled(), g.sampled(), y, z, n, h);

  EXPECT_EQ(y(1), 0.0);
  EXPECT_EQ(z(n), 0.0);
  // The rounding of n running sums of terms of order h, against a rule error of 1e-7 h or
  // more for one wrong weight.
  const double tolerance = 1e-14 * h * n;
  for (int i = 1; i <= n; ++i) {
    EXPECT_NEAR(y(i), h * f.integral(1, i), tolerance) << "y at " << i;
    EXPECT_NEAR(z(i), h * g.integral(i, n), tolerance) << "z at " << i;
  }
}

std::string range_and_degree_name(const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
  return "n" + std::to_string(std::get<0>(info.param)) + "_degree" + std::to_string(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(Ranges, PolynomialRunningIntegral,
                         ::testing::Combine(::testing::Values(10, 1000), ::testing::Range(0, 10)),
                         range_and_degree_name);

// Degree 10 is beyond the rule: at n = 10 its error is far above rounding, in both directions.
TEST_F(RunningIntegral, DegreeTenIsNotExact) {
  const int n = 10;
  const ScaledPower f{10, n};
  YINT(f.sampled(), f.sampled(), y, z, n, 1.0);
  EXPECT_GT(std::fabs(y(n) - f.integral(1, n)), 1e-6);
  EXPECT_GT(std::fabs(z(1) - f.integral(1, n)), 1e-6);
}

TEST_F(RunningIntegral, ReadsAndWritesOnlyPointsOneToN) {
  const int n = 10;
  const ScaledPower f{3, n};  // NaN beyond n
  YINT(f.sampled(), f.sampled(), y, z, n, 0.5);
  for (int i = 1; i <= n; ++i) {
    EXPECT_TRUE(std::isfinite(y(i)) && std::isfinite(z(i))) << "point " << i;
  }
  for (int i = n + 1; i <= kGridPoints; ++i) {
    EXPECT_TRUE(std::isnan(y(i)) && std::isnan(z(i))) << "point " << i;
  }
}

// Integrals of an input without structure, so that any change of weight shows in the bits.
struct Integrals {
  Radial y;
  Radial z;
};

Integrals integrate(double h, double phase) {
  Radial f;
  Radial g;
  for (int i = 1; i <= kGridPoints; ++i) {
    f(i) = std::sin(0.1 * i + phase);
    g(i) = std::cos(0.37 * i - phase);
  }
  Integrals out;
  YINT(f, g, out.y, out.z, kGridPoints, h);
  return out;
}

void expect_same_bits(const Integrals& got, const Integrals& want, const std::string& what) {
  for (int i = 1; i <= kGridPoints; ++i) {
    ASSERT_EQ(got.y(i), want.y(i)) << what << ": y at " << i;
    ASSERT_EQ(got.z(i), want.z(i)) << what << ": z at " << i;
  }
}

TEST_F(RunningIntegral, RepeatedCallWithTheSameStepGivesTheSameBits) {
  const double h = 0.011918;
  const Integrals first = integrate(h, 0.0);
  integrate(h, 1.0);
  expect_same_bits(integrate(h, 0.0), first, "third call");
}

// Weights kept for one step are rebuilt, not rescaled, for another: the result for a step is
// the same whatever step the call before it had, also when going back to an earlier step.
TEST_F(RunningIntegral, ResultForAStepDoesNotDependOnEarlierSteps) {
  const double first_step = 0.011918;
  const double second_step = 0.3;
  const Integrals first = integrate(first_step, 0.0);
  const Integrals second = integrate(second_step, 0.0);
  expect_same_bits(integrate(first_step, 0.0), first, "first step again");
  integrate(0.7, 0.0);
  expect_same_bits(integrate(second_step, 0.0), second, "second step again");
}

// The algorithm as written, one interval after the other: the start rows, then the centred
// rule summed from 0 and the increments added to the running sums, then the mirrored rows.
void documented_yint(const Radial& f, const Radial& g, Radial& y, Radial& z, int n, double h) {
  static constexpr int b[5][10] = {
      {2082753, 9449717, -11271304, 16002320, -17283646, 13510082, -7394032, 2687864, -583435, 57281},
      {-57281, 2655563, 6872072, -4397584, 3973310, -2848834, 1481072, -520312, 110219, -10625},
      {10625, -163531, 3133688, 5597072, -2166334, 1295810, -617584, 206072, -42187, 3969},
      {-3969, 50315, -342136, 3609968, 4763582, -1166146, 462320, -141304, 27467, -2497},
      {2497, -28939, 162680, -641776, 4134338, 4134338, -641776, 162680, -28939, 2497}};
  const double factor = h / 7257600.0;
  const auto c = [&](int row, int k) { return b[row - 1][k - 1] * factor; };
  const auto a = [&](int k) { return b[4][4 + k] * factor; };
  y(1) = 0.0;
  z(n) = 0.0;
  for (int i = 2; i <= 5; ++i) {
    const int j = n - i + 1;
    y(i) = y(i - 1);
    z(j) = z(j + 1);
    for (int k = 1; k <= 10; ++k) {
      y(i) = y(i) + c(i - 1, k) * f(k);
      z(j) = z(j) + c(i - 1, k) * g(n - k + 1);
    }
  }
  Radial u;
  Radial v;
  for (int i = 6; i <= n - 4; ++i) {
    const int j = n - i + 1;
    u(i) = 0.0;
    v(j) = 0.0;
    for (int k = 1; k <= 5; ++k) {
      u(i) = u(i) + a(k) * (f(i + k - 1) + f(i - k));
      v(j) = v(j) + a(k) * (g(j - k + 1) + g(j + k));
    }
  }
  for (int i = 6; i <= n - 4; ++i) {
    const int j = n - i + 1;
    y(i) = y(i - 1) + u(i);
    z(j) = z(j + 1) + v(j);
  }
  for (int i = n - 3; i <= n; ++i) {
    const int j = n - i + 1;
    y(i) = y(i - 1);
    z(j) = z(j + 1);
    for (int k = 1; k <= 10; ++k) {
      y(i) = y(i) + c(j, k) * f(n - k + 1);
      z(j) = z(j) + c(j, k) * g(k);
    }
  }
}

// The running integrals are bit for bit the algorithm as written, for every range length
// (odd and even counts of interior intervals) and for integrands with runs of signed zeros,
// where a sum started from 0 and one started from its first term could differ.
TEST_F(RunningIntegral, IsTheDocumentedSumsToTheBit) {
  for (const int n : {10, 11, 12, 13, 501, 999, 1000}) {
    Radial f;
    Radial g;
    for (int i = 1; i <= kGridPoints; ++i) {
      f(i) = std::sin(0.7 * i) * std::exp(-0.01 * i);
      g(i) = i % 97 < 30 ? -0.0 : std::cos(1.3 * i) / i;
    }
    Radial y_ref;
    Radial z_ref;
    documented_yint(f, g, y_ref, z_ref, n, 0.011918);
    YINT(f, g, y, z, n, 0.011918);
    for (int i = 1; i <= n; ++i) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(y(i)), std::bit_cast<std::uint64_t>(y_ref(i))) << n << ": y at " << i;
      ASSERT_EQ(std::bit_cast<std::uint64_t>(z(i)), std::bit_cast<std::uint64_t>(z_ref(i))) << n << ": z at " << i;
    }
  }
}

// The handed-over inward integrals are YINT's, from z(n) down to z(1), each point once, with the
// outward integral complete before the first of them.
TEST_F(RunningIntegral, HandsTheInwardIntegralOverPointByPointDownwards) {
  for (const int n : {10, 11, 500}) {
    Radial f;
    Radial g;
    for (int i = 1; i <= kGridPoints; ++i) {
      f(i) = std::cos(0.3 * i);
      g(i) = std::sin(0.2 * i) + 1.5;
    }
    Radial y_ref;
    Radial z_ref;
    YINT(f, g, y_ref, z_ref, n, 0.05);
    y.fill(kNaN);
    int next = n;  // the point expected next
    bool y_complete = true;
    running_integrals(f, g, y, n, 0.05, [&]<typename T>(int j, T value) {
      double values[2];
      std::memcpy(values, &value, sizeof value);
      const int count = static_cast<int>(sizeof value / sizeof(double));
      if (next == n)
        for (int i = 1; i <= n; ++i) y_complete = y_complete && y(i) == y_ref(i);
      ASSERT_EQ(j + count - 1, next) << n;  // the highest point of the call is the one expected
      for (int c = count - 1; c >= 0; --c) EXPECT_EQ(values[c], z_ref(j + c)) << n << ": z at " << j + c;
      next = j - 1;
    });
    EXPECT_EQ(next, 0) << n;
    EXPECT_TRUE(y_complete) << n;
  }
}

}  // namespace
}  // namespace hf
