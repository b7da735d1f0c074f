#include "radial/quadrature.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#include "run/radial_grid.h"
#include "state/atomic_state.h"

namespace hf {
namespace {

Radial powers(int degree) {
  Radial v;
  for (int i = 1; i <= kGridPoints; ++i) v(i) = std::pow(static_cast<double>(i), degree);
  return v;
}

// Integral of x^degree from a to b.
double exact_integral(int degree, int a, int b) {
  return (std::pow(static_cast<double>(b), degree + 1) - std::pow(static_cast<double>(a), degree + 1)) / (degree + 1);
}

class QuadratureOrder : public ::testing::TestWithParam<int> {};

// Orders 1..10 integrate i^k exactly for k up to the order (odd) or order - 1 (even), and
// not one degree beyond; 1..20 holds at least 2 * order points for every order here.
TEST_P(QuadratureOrder, ExactUpToItsPolynomialDegreeOnly) {
  const int order = GetParam();
  const int exact_degree = order % 2 == 1 ? order : order - 1;
  for (int degree = 0; degree <= exact_degree; ++degree) {
    const double want = exact_integral(degree, 1, 20);
    EXPECT_NEAR(RINT(powers(degree), 1, 20, order, 1.0), want, 1e-13 * want) << "degree " << degree;
  }
  const int degree = exact_degree + 1;
  const double want = exact_integral(degree, 1, 20);
  EXPECT_GT(std::fabs(RINT(powers(degree), 1, 20, order, 1.0) - want), 1e-10 * want);
}

INSTANTIATE_TEST_SUITE_P(Orders1To10, QuadratureOrder, ::testing::Range(1, 11));

TEST(Quadrature, ConstantOverWholeGridGivesLengthInT) {
  set_up_grid();
  Radial ones;
  ones.fill(1.0);
  const double h = atom.grid.grid_step;
  for (int order = 1; order <= 10; ++order) {
    EXPECT_NEAR(RINT(ones, 1, kGridPoints, order, h), 999.0 * h, 1e-13 * 999.0 * h) << "order " << order;
  }
  // Shortest range that is still a quadrature, away from point 1.
  Radial threes;
  threes.fill(3.0);
  EXPECT_NEAR(RINT(threes, 101, 114, 7, 0.5), 3.0 * 13.0 * 0.5, 1e-13);
}

// The single-precision rows of orders 11..14 miss the exact end-weight sum n - 1/2 by less
// than 1e-7 relative: a constant is integrated to that accuracy (a wrong digit in a row is not).
TEST(Quadrature, HighOrdersIntegrateConstantsToSinglePrecisionRows) {
  Radial ones;
  ones.fill(1.0);
  for (int order = 11; order <= 14; ++order) {
    EXPECT_NEAR(RINT(ones, 1, kGridPoints, order, 1.0), 999.0, 2e-7 * (order - 0.5)) << "order " << order;
  }
}

TEST(Quadrature, CubicOrderSevenExactOrderOneTrapezoidal) {
  const Radial cubes = powers(3);
  EXPECT_NEAR(RINT(cubes, 1, 20, 7, 1.0), 39999.75, 1e-13 * 39999.75);  // (20^4 - 1) / 4
  // Trapezoidal sum: sum of i^3 for 1..20 minus half the end values, larger than the integral.
  EXPECT_EQ(RINT(cubes, 1, 20, 1, 1.0), 44100.0 - (1.0 + 8000.0) / 2.0);
}

// With fewer than 2 * order points the end weights overlap and the middle sum is empty:
// a constant then receives twice the end weights, 2 (n - 1/2), whatever the length.
TEST(Quadrature, OverlappingEndsAreStillSummedAsWritten) {
  Radial ones;
  ones.fill(1.0);
  EXPECT_NEAR(RINT(ones, 1, 10, 7, 1.0), 13.0, 1e-13);
  EXPECT_NEAR(RINT(ones, 1, 10, 7, 0.25), 13.0 * 0.25, 1e-13);
}

// Two integrals side by side are each RINT's to the bit, whichever range is the longer and
// also for one range within the other's end corrections.
TEST(Quadrature, PairIsTwoSingleIntegrals) {
  set_up_grid();
  Radial a;
  Radial b;
  for (int i = 1; i <= kGridPoints; ++i) {
    a(i) = std::sin(0.05 * i) * atom.grid.drdt(i);
    b(i) = std::exp(-0.004 * i) / (1.0 + i);
  }
  for (const auto& [last_a, last_b] :
       {std::pair{1000, 1000}, std::pair{699, 1000}, std::pair{931, 845}, std::pair{20, 30}, std::pair{27, 14}}) {
    const RintPair both = rint_pair(a, last_a, b, last_b, 1, 7, atom.grid.grid_step);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(both.a),
              std::bit_cast<std::uint64_t>(RINT(a, 1, last_a, 7, atom.grid.grid_step)))
        << last_a << " " << last_b;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(both.b),
              std::bit_cast<std::uint64_t>(RINT(b, 1, last_b, 7, atom.grid.grid_step)))
        << last_a << " " << last_b;
  }
}

// The integral of squares formed as the sum goes is RINT of the squares stored first, to the bit.
TEST(Quadrature, SquaresFormedAsTheSumGoesAreRintOfTheSquares) {
  set_up_grid();
  Radial p;
  for (int i = 1; i <= kGridPoints; ++i) p(i) = std::sin(0.05 * i) * std::exp(-0.002 * i);
  for (const int last : {1000, 699, 27}) {
    Radial squares;
    for (int i = 1; i <= last; ++i) squares(i) = p(i) * p(i) * atom.grid.drdt(i);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(rint_of_squares(p, atom.grid.drdt, 1, last, 7, atom.grid.grid_step)),
              std::bit_cast<std::uint64_t>(RINT(squares, 1, last, 7, atom.grid.grid_step)))
        << last;
  }
}

}  // namespace
}  // namespace hf
