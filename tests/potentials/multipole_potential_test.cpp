// Multipole potentials of hydrogen-like densities on the radial grid, against closed forms.
#include "potentials/multipole_potential.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "report_capture.h"
#include "run/radial_grid.h"
#include "state/atomic_state.h"

namespace hf {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// e^-x times the sum of x^i / i! over i < n: the fraction of s^(n-1) e^-s above x, the
// regularised upper incomplete gamma function; positive terms only.
double fraction_above(int n, double x) {
  double sum = 0.0;
  double term = std::exp(-x);
  for (int i = 0; i < n; ++i) {
    sum += term;
    term *= x / (i + 1);
  }
  return sum;
}

// The complement, the fraction below x: summed over i >= n as a series where it is small,
// so that the tiny fractions near the origin keep their relative accuracy.
double fraction_below(int n, double x) {
  const double above = fraction_above(n, x);
  if (above < 0.5) return 1.0 - above;
  double tail = 0.0;
  double term = std::exp(-x) * std::pow(x, n) / std::tgamma(n + 1.0);
  for (int i = n; term > 1e-18 * tail; ++i) {
    tail += term;
    term *= x / (i + 1);
  }
  return tail;
}

// The density c s^p e^(-a s), with the integral of s^n e^(-a s) from 0 to r equal to
// n! / a^(n+1) times fraction_below(n + 1, a r).
struct Density {
  std::string name;
  int p;
  double a;
  double c;

  double value(double s) const { return c * std::pow(s, p) * std::exp(-a * s); }
  // Integrals of the density times s^j from 0 to r and from r to infinity.
  double below(int j, double r) const { return scale(j) * fraction_below(p + j + 1, a * r); }
  double above(int j, double r) const { return scale(j) * fraction_above(p + j + 1, a * r); }
  // The potential of order k at r of the density cut off at R:
  // r^-(k+1) int_0^min(r,R) f s^k ds + r^k int_r^R f s^-(k+1) ds; at r = 0 the integral of
  // f/s for k = 0 and 0 for k > 0. Needs p >= k + 1.
  double potential(int k, double r, double cutoff) const {
    if (r == 0.0) return k == 0 ? above(-1, 0.0) - above(-1, cutoff) : 0.0;
    const double inside = below(k, std::fmin(r, cutoff)) / std::pow(r, k + 1);
    if (r >= cutoff) return inside;
    return inside + std::pow(r, k) * (above(-k - 1, r) - above(-k - 1, cutoff));
  }

 private:
  double scale(int j) const { return c * std::tgamma(p + j + 1.0) / std::pow(a, p + j + 1); }
};

// Normalised P^2 of the nodeless hydrogen-like shells: P = r^(l+1) e^(-Zr/(l+1)). For 1s
// the order-0 potential is (1 - e^(-2Zr)(1 + Zr))/r; for 2p it is
// (1 - e^(-x)(1 + 3x/4 + x^2/4 + x^3/24))/r at order 0 and
// Z (30 (1 - e^(-x) sum_{i<=6} x^i/i!) / x^3 + x^2 (1 + x) e^(-x) / 24) at order 2, x = Zr.
Density shell_1s(double z) { return {"1s_Z" + std::to_string(int(z)), 2, 2.0 * z, 4.0 * z * z * z}; }
Density shell_2p(double z) { return {"2p_Z" + std::to_string(int(z)), 4, z, std::pow(z, 5) / 24.0}; }
Density shell_4f(double z) { return {"4f_Z" + std::to_string(int(z)), 8, z / 2.0, std::pow(z / 2.0, 9) / 40320.0}; }
Density shell_7i(double z) {
  return {"7i_Z" + std::to_string(int(z)), 14, 2.0 * z / 7.0, std::pow(2.0 * z / 7.0, 15) / std::tgamma(15.0)};
}

// Relative accuracy of the ten-point rules on these smooth densities. Near the origin the
// outward integrand f s^k grows like s^(p+k), for the 4f density at k = 6 and 7 far beyond
// the degree 9 that the start rows integrate exactly: its first points are then wrong far
// beyond rounding, yet by less than 1e-30 against a potential of 0.1. Hence the floor of
// the tolerance at kFloor of the largest value.
constexpr double kTolerance = 1e-11;
constexpr double kFloor = 1e-20;

struct MultipoleCase {
  Density density;
  int order;
  int last;  // m
  std::string report = "";
  double tolerance = kTolerance;
};

std::string case_name(const ::testing::TestParamInfo<MultipoleCase>& info) {
  const MultipoleCase& c = info.param;
  return c.density.name + "_k" + std::to_string(c.order) + "_m" + std::to_string(c.last);
}

class MultipolePotential : public ReportCapture {
 protected:
  void SetUp() override {
    ReportCapture::SetUp();
    set_up_grid();
    y.fill(kNaN);
  }
  static double r(int i) { return atom.grid.radius(i); }

  // The density at points 2..last; NaN at point 1 and beyond last, which are not to be read.
  Radial sampled(const Density& density, int last) const {
    Radial f;
    f.fill(kNaN);
    for (int i = 2; i <= last; ++i) f(i) = density.value(r(i));
    return f;
  }

  // y against the closed form of the density cut off at point m, at every point but the origin.
  void expect_closed_form(const Density& density, int k, int m, double tolerance = kTolerance) const {
    const double cutoff = r(m);
    double peak = 0.0;
    for (int i = 2; i <= kGridPoints; ++i) peak = std::fmax(peak, density.potential(k, r(i), cutoff));
    for (int i = 2; i <= kGridPoints; ++i) {
      const double want = density.potential(k, r(i), cutoff);
      ASSERT_NEAR(y(i), want, tolerance * (want + kFloor * peak)) << "point " << i << ", r = " << r(i);
    }
  }

  Radial y;
};

class MultipoleClosedForm : public MultipolePotential, public ::testing::WithParamInterface<MultipoleCase> {};

TEST_P(MultipoleClosedForm, MatchesAtEveryPoint) {
  const MultipoleCase& c = GetParam();
  const int k = c.order;
  const int m = c.last;
  const double cutoff = r(m);
  ASSERT_EQ(YFUN(sampled(c.density, m), y, k, m), Status::ok);

  EXPECT_EQ(report_text(), c.report);

  if (k == 0) {
    EXPECT_NEAR(y(1), c.density.potential(0, 0.0, cutoff), kTolerance * std::fabs(y(1)));
  } else {
    EXPECT_EQ(y(1), 0.0);
  }
  expect_closed_form(c.density, k, m, c.tolerance);
  // From m on, the pure multipole of the whole distribution: r^(k+1) y is the one constant
  // T, the integral of f s^k, to rounding (m itself has no inward part left).
  const double total = y(m) * std::pow(r(m), k + 1);
  EXPECT_NEAR(total, c.density.below(k, cutoff), kTolerance * total);
  for (int i = m + 1; i <= kGridPoints; ++i) {
    ASSERT_NEAR(y(i) * std::pow(r(i), k + 1), total, 1e-14 * total) << "point " << i;
  }
}

// Grid point 600 lies at 0.25 bohr, 700 at 0.83, 800 at 2.7: cut-offs well inside the
// densities, whose tails then come from the cut-off distribution. At point 1000 (29.6 bohr)
// the densities are below 1e-19. Orders above 6 are computed as any other, with a warning;
// the powers r^k are kept for orders up to 12 and computed on each call beyond. The rules
// follow the outward integrand of the 7i density at these orders, which grows like
// s^(p+k+1) and peaks sharply near 7 bohr, to some 1e-10 only.
std::vector<MultipoleCase> multipole_cases() {
  return {
      {shell_1s(1.0), 0, 1000},
      {shell_1s(10.0), 0, 1000},
      {shell_1s(2.0), 0, 600},
      {shell_2p(2.0), 0, 1000},
      {shell_2p(2.0), 2, 1000},
      {shell_2p(2.0), 2, 700},
      {shell_4f(8.0), 6, 800},
      {shell_4f(8.0), 7, 1000, "  Warning in yint:  the value of l =   7 is too large\r\n"},
      {shell_7i(14.0), 12, 1000, "  Warning in yint:  the value of l =  12 is too large\r\n", 5e-10},
      {shell_7i(14.0), 13, 1000, "  Warning in yint:  the value of l =  13 is too large\r\n", 5e-10},
  };
}

INSTANTIATE_TEST_SUITE_P(Shells, MultipoleClosedForm, ::testing::ValuesIn(multipole_cases()), case_name);

// The powers kept for one grid are not taken for another: on the grid stretched to three times
// its radii (a new id; dr/dt stretched alike, the step the same) the potential matches the
// closed form at the new radii.
TEST_F(MultipolePotential, KeptPowersFollowTheGrid) {
  const Density density = shell_2p(2.0);
  ASSERT_EQ(YFUN(sampled(density, kGridPoints), y, 2, kGridPoints), Status::ok);  // keeps r^2
  auto& grid = atom.grid;
  for (int i = 1; i <= kGridPoints; ++i) {
    grid.radius(i) = 3.0 * grid.radius(i);
    grid.drdt(i) = 3.0 * grid.drdt(i);
  }
  grid.id = new_grid_id();
  ASSERT_EQ(YFUN(sampled(density, kGridPoints), y, 2, kGridPoints), Status::ok);
  expect_closed_form(density, 2, kGridPoints);
}

TEST_F(MultipolePotential, NegativeOrderFailsAndLeavesTheResult) {
  y.fill(-7.5);
  EXPECT_EQ(YFUN(sampled(shell_1s(1.0), kGridPoints), y, -1, kGridPoints), Status::error);
  EXPECT_EQ(report_text(), "  Error in yint: l < 0 \r\n");
  for (int i = 1; i <= kGridPoints; ++i) ASSERT_EQ(y(i), -7.5) << "point " << i;
}

// A potential wanted only up to a point is YFUN's there, to the bit, and nothing beyond is
// written: the tail past the distribution's last point stops there too.
TEST_F(MultipolePotential, PotentialUpToAPointIsYfunsThere) {
  const Density density = shell_2p(2.0);
  for (const auto& [k, m, last] : {std::tuple{0, 700, 700}, std::tuple{1, 700, 851}, std::tuple{3, 999, 1000}}) {
    Radial whole;
    ASSERT_EQ(YFUN(sampled(density, m), whole, k, m), Status::ok);
    y.fill(kNaN);
    ASSERT_EQ(multipole_potential(sampled(density, m), y, k, m, last), Status::ok);
    for (int i = 1; i <= kGridPoints; ++i) {
      if (i <= last)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(y(i)), std::bit_cast<std::uint64_t>(whole(i))) << k << ": " << i;
      else
        ASSERT_TRUE(std::isnan(y(i))) << k << ": written at " << i;
    }
  }
}

// The term of a potential in a sum, the distribution given as a product, is bit for bit the
// product formed, YFUN, and the term subtracted point by point; the sum is touched at 1..last only.
TEST_F(MultipolePotential, PotentialTermIsTheThreeStepsToTheBit) {
  const Density density = shell_2p(2.0);
  Radial a;
  Radial b;
  Radial c;
  for (int i = 1; i <= kGridPoints; ++i) {
    a(i) = std::sqrt(density.value(r(i)));
    b(i) = std::exp(-0.5 * r(i)) * r(i);
    c(i) = 1.0 / (1.0 + r(i));
  }
  for (const auto& [k, m, last] : {std::tuple{0, 700, 700}, std::tuple{1, 650, 900}, std::tuple{2, 1000, 1000}}) {
    Radial product;
    for (int i = 1; i <= m; ++i) product(i) = a(i) * b(i);
    Radial potential;
    ASSERT_EQ(YFUN(product, potential, k, m), Status::ok);
    Radial want;
    want.fill(0.25);
    for (int i = 1; i <= last; ++i) want(i) = want(i) - 0.75 * potential(i) * c(i);
    Radial sum;
    sum.fill(0.25);
    ASSERT_EQ(subtract_potential_term(a, b, k, m, last, 0.75, c, sum), Status::ok);
    for (int i = 1; i <= kGridPoints; ++i)
      ASSERT_EQ(std::bit_cast<std::uint64_t>(sum(i)), std::bit_cast<std::uint64_t>(want(i))) << k << ": " << i;
  }
}

}  // namespace
}  // namespace hf
