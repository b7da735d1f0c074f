// Angular coefficients (CLAM): exact values of the 3-j symbols and their orthogonality.
#include "potentials/angular_coefficients.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace hf {
namespace {

struct ThreeJ {
  int l1, l2, k;
  double value;  // (l1 l2 k; 0 0 0)
};

class AngularCoefficient : public ::testing::TestWithParam<ThreeJ> {};

// The exact value, whatever order the three arguments come in.
TEST_P(AngularCoefficient, ExactValueUnderEveryPermutation) {
  const ThreeJ c = GetParam();
  std::array<int, 3> args{c.l1, c.l2, c.k};
  std::sort(args.begin(), args.end());
  do {
    const double got = CLAM(args[0], args[1], args[2]);
    if (c.value == 0.0)
      EXPECT_EQ(got, 0.0) << args[0] << " " << args[1] << " " << args[2];
    else
      EXPECT_NEAR(got, c.value, 1e-15 * std::fabs(c.value)) << args[0] << " " << args[1] << " " << args[2];
  } while (std::next_permutation(args.begin(), args.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, AngularCoefficient,
    ::testing::Values(ThreeJ{0, 0, 0, 1.0}, ThreeJ{1, 1, 0, -std::sqrt(1.0 / 3.0)},
                      ThreeJ{1, 1, 2, std::sqrt(2.0 / 15.0)}, ThreeJ{1, 2, 3, -std::sqrt(3.0 / 35.0)},
                      ThreeJ{2, 2, 4, std::sqrt(2.0 / 35.0)}, ThreeJ{2, 2, 2, -std::sqrt(2.0 / 35.0)},
                      ThreeJ{2, 2, 0, std::sqrt(1.0 / 5.0)}, ThreeJ{3, 3, 0, -std::sqrt(1.0 / 7.0)},
                      // (l l 0; 0 0 0) = (-1)^l / sqrt(2l + 1) at the top of the factorial table.
                      ThreeJ{49, 49, 0, -1.0 / std::sqrt(99.0)},
                      // odd sum, k > l1 + l2, k < |l1 - l2|
                      ThreeJ{1, 1, 1, 0.0}, ThreeJ{0, 1, 2, 0.0}, ThreeJ{3, 0, 1, 0.0}, ThreeJ{2, 3, 4, 0.0},
                      ThreeJ{1, 4, 2, 0.0}));

// Orthogonality of the 3-j symbols: sum over k of (2k + 1) (l1 l2 k; 0 0 0)^2 = 1 for every
// pair, a check on all the allowed k of each pair together, up to the top of the table.
TEST(AngularCoefficientSum, OrthogonalityHoldsForEveryPair) {
  for (int l1 = 0; l1 <= 24; ++l1) {
    for (int l2 = 0; l2 <= 24; ++l2) {
      double sum = 0.0;
      for (int k = 0; k <= l1 + l2 + 2; ++k) sum += (2 * k + 1) * CLAM(l1, l2, k) * CLAM(l1, l2, k);
      EXPECT_NEAR(sum, 1.0, 1e-12) << l1 << " " << l2;
    }
  }
}

}  // namespace
}  // namespace hf
