#include "radial/lu_inverse.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>

namespace hf {
namespace {

// Integer 8 x 8 matrices, row-major as written, with exact integer products.
using IntMatrix = std::array<std::array<std::int64_t, kLuOrder>, kLuOrder>;

IntMatrix product(const IntMatrix& a, const IntMatrix& b) {
  IntMatrix c{};
  for (int i = 0; i < kLuOrder; ++i)
    for (int j = 0; j < kLuOrder; ++j)
      for (int k = 0; k < kLuOrder; ++k) c[i][j] += a[i][k] * b[k][j];
  return c;
}

IntMatrix transpose(const IntMatrix& a) {
  IntMatrix t{};
  for (int i = 0; i < kLuOrder; ++i)
    for (int j = 0; j < kLuOrder; ++j) t[i][j] = a[j][i];
  return t;
}

// The inverse of a unit lower-triangular integer matrix, by forward substitution in integers.
IntMatrix inverse_unit_lower(const IntMatrix& l) {
  IntMatrix x{};
  for (int j = 0; j < kLuOrder; ++j) {
    x[j][j] = 1;
    for (int i = j + 1; i < kLuOrder; ++i) {
      std::int64_t sum = 0;
      for (int k = j; k < i; ++k) sum += l[i][k] * x[k][j];
      x[i][j] = -sum;
    }
  }
  return x;
}

Matrix8 as_matrix(const IntMatrix& a) {
  Matrix8 m{};
  for (int i = 1; i <= kLuOrder; ++i)
    for (int j = 1; j <= kLuOrder; ++j) element(m, i, j) = static_cast<double>(a[i - 1][j - 1]);
  return m;
}

// Unit triangular factors with small integer entries: L U has determinant 1 and its inverse
// U^-1 L^-1 is an integer matrix known exactly.
IntMatrix unit_lower(std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> entry(-2, 2);
  IntMatrix l{};
  for (int i = 0; i < kLuOrder; ++i) {
    l[i][i] = 1;
    for (int j = 0; j < i; ++j) l[i][j] = entry(random);
  }
  return l;
}

struct Unimodular {
  IntMatrix a;
  IntMatrix inverse;
};

// P L U with P a permutation matrix (its inverse is its transpose).
Unimodular permuted_unimodular(const IntMatrix& permutation, std::uint32_t seed) {
  const IntMatrix l = unit_lower(seed);
  const IntMatrix u = transpose(unit_lower(seed + 1000));
  const IntMatrix l_inverse = inverse_unit_lower(l);
  const IntMatrix u_inverse = transpose(inverse_unit_lower(transpose(u)));
  return {product(permutation, product(l, u)), product(product(u_inverse, l_inverse), transpose(permutation))};
}

IntMatrix identity() {
  IntMatrix p{};
  for (int i = 0; i < kLuOrder; ++i) p[i][i] = 1;
  return p;
}

// Row i holds its 1 in column i + 1 (row 8 in column 1): partial pivoting must swap at every step.
IntMatrix cyclic_shift() {
  IntMatrix p{};
  for (int i = 0; i < kLuOrder; ++i) p[i][(i + 1) % kLuOrder] = 1;
  return p;
}

// Largest |got - want| over the entries, relative to the largest |want|.
double relative_deviation(const Matrix8& got, const IntMatrix& want) {
  double largest = 0.0;
  double deviation = 0.0;
  for (int i = 1; i <= kLuOrder; ++i)
    for (int j = 1; j <= kLuOrder; ++j) {
      const double w = static_cast<double>(want[i - 1][j - 1]);
      largest = std::max(largest, std::fabs(w));
      deviation = std::max(deviation, std::fabs(element(got, i, j) - w));
    }
  return deviation / largest;
}

TEST(InvertLu, PermutationThatSwapsAtEveryPivotIsInvertedExactly) {
  Matrix8 a = as_matrix(cyclic_shift());
  ASSERT_TRUE(invert_lu(a));
  const Matrix8 want = as_matrix(transpose(cyclic_shift()));
  for (int i = 1; i <= kLuOrder; ++i)
    for (int j = 1; j <= kLuOrder; ++j) EXPECT_EQ(element(a, i, j), element(want, i, j)) << i << "," << j;
}

struct KnownInverse {
  const char* name;
  Unimodular m;
};

class InvertLuKnown : public ::testing::TestWithParam<KnownInverse> {};

TEST_P(InvertLuKnown, MatchesTheExactIntegerInverse) {
  const KnownInverse& c = GetParam();
  Matrix8 a = as_matrix(c.m.a);
  ASSERT_TRUE(invert_lu(a));
  EXPECT_LE(relative_deviation(a, c.m.inverse), 1e-12);
}

// The first row of P L U with P a swap of rows 1 and 2 starts with L(2,1) U(1,1) = L(2,1):
// the first seed whose L(2,1) is 0 puts a zero in the first pivot position.
Unimodular zero_first_pivot() {
  IntMatrix swap = identity();
  swap[0] = {0, 1, 0, 0, 0, 0, 0, 0};
  swap[1] = {1, 0, 0, 0, 0, 0, 0, 0};
  for (std::uint32_t seed = 1;; ++seed)
    if (unit_lower(seed)[1][0] == 0) return permuted_unimodular(swap, seed);
}

INSTANTIATE_TEST_SUITE_P(Cases, InvertLuKnown,
                         ::testing::Values(KnownInverse{"lower_times_upper", permuted_unimodular(identity(), 1)},
                                           KnownInverse{"another_lower_times_upper",
                                                        permuted_unimodular(identity(), 2)},
                                           KnownInverse{"rows_cycled", permuted_unimodular(cyclic_shift(), 3)},
                                           KnownInverse{"zero_in_the_first_pivot", zero_first_pivot()}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InvertLu, ZeroPivotIsReallyThere) { EXPECT_EQ(zero_first_pivot().a[0][0], 0); }

// A A^-1 = I to rounding for random matrices with entries in [-1, 1].
TEST(InvertLu, RandomMatrixTimesItsInverseIsTheIdentity) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  for (int trial = 0; trial < 50; ++trial) {
    Matrix8 a{};
    for (double& x : a) x = entry(random);
    Matrix8 inverse = a;
    ASSERT_TRUE(invert_lu(inverse));
    double norm = 0.0;  // largest entry of the inverse: the scale of the rounding error
    for (double x : inverse) norm = std::max(norm, std::fabs(x));
    for (int i = 1; i <= kLuOrder; ++i)
      for (int j = 1; j <= kLuOrder; ++j) {
        double sum = 0.0;
        for (int k = 1; k <= kLuOrder; ++k) sum += element(a, i, k) * element(inverse, k, j);
        EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-13 * norm) << "trial " << trial << " at " << i << "," << j;
      }
  }
}

// LINPACK's DGEFA and DGEDI (job 1) as written, 1-based: the order of operations the inverse
// must keep to the last bit.
bool linpack_inverse(Matrix8& a) {
  const auto axpy = [&](int col, double t, int k, int first, int last) {
    if (t == 0.0) return;
    for (int i = first; i <= last; ++i) element(a, i, col) = element(a, i, col) + t * element(a, i, k);
  };
  int pivots[kLuOrder + 1] = {};
  bool regular = true;
  for (int k = 1; k <= kLuOrder - 1; ++k) {
    int l = k;
    for (int i = k + 1; i <= kLuOrder; ++i)
      if (std::fabs(element(a, i, k)) > std::fabs(element(a, l, k))) l = i;
    pivots[k] = l;
    if (element(a, l, k) == 0.0) {
      regular = false;
      continue;
    }
    if (l != k) std::swap(element(a, l, k), element(a, k, k));
    const double scale = -1.0 / element(a, k, k);
    for (int i = k + 1; i <= kLuOrder; ++i) element(a, i, k) = scale * element(a, i, k);
    for (int j = k + 1; j <= kLuOrder; ++j) {
      const double t = element(a, l, j);
      if (l != k) {
        element(a, l, j) = element(a, k, j);
        element(a, k, j) = t;
      }
      axpy(j, t, k, k + 1, kLuOrder);
    }
  }
  pivots[kLuOrder] = kLuOrder;
  if (!regular || element(a, kLuOrder, kLuOrder) == 0.0) return false;
  for (int k = 1; k <= kLuOrder; ++k) {
    element(a, k, k) = 1.0 / element(a, k, k);
    const double t = -element(a, k, k);
    for (int i = 1; i <= k - 1; ++i) element(a, i, k) = t * element(a, i, k);
    for (int j = k + 1; j <= kLuOrder; ++j) {
      const double tj = element(a, k, j);
      element(a, k, j) = 0.0;
      axpy(j, tj, k, 1, k);
    }
  }
  double work[kLuOrder + 1] = {};
  for (int k = kLuOrder - 1; k >= 1; --k) {
    for (int i = k + 1; i <= kLuOrder; ++i) {
      work[i] = element(a, i, k);
      element(a, i, k) = 0.0;
    }
    for (int j = k + 1; j <= kLuOrder; ++j) axpy(k, work[j], j, 1, kLuOrder);
    const int l = pivots[k];
    if (l != k)
      for (int i = 1; i <= kLuOrder; ++i) std::swap(element(a, i, k), element(a, i, l));
  }
  return true;
}

// Bit for bit LINPACK's order, on random matrices, matrices with zeros (skipped
// multiples, a zero pivot column), ties for the pivot and signed zeros.
TEST(InvertLu, IsLinpacksOrderToTheBit) {
  std::mt19937 random(2024);
  std::uniform_real_distribution<double> entry(-1.0, 1.0);
  for (int trial = 0; trial < 400; ++trial) {
    Matrix8 a{};
    for (double& x : a) x = entry(random);
    if (trial % 4 == 1)
      for (int k = 0; k < 12; ++k) a[random() % a.size()] = trial % 8 == 1 ? -0.0 : 0.0;
    if (trial % 4 == 2)
      for (double& x : a) x = std::round(4.0 * x);  // ties for the largest |a(i,k)|
    if (trial % 4 == 3)
      for (int i = 1; i <= kLuOrder; ++i) element(a, i, 1 + trial % kLuOrder) = 0.0;
    Matrix8 want = a;
    const bool regular = linpack_inverse(want);
    Matrix8 got = a;
    ASSERT_EQ(invert_lu(got), regular) << "trial " << trial;
    if (!regular) continue;
    for (std::size_t e = 0; e < a.size(); ++e)
      ASSERT_EQ(std::bit_cast<std::uint64_t>(got[e]), std::bit_cast<std::uint64_t>(want[e]))
          << "trial " << trial << ", entry " << e;
  }
}

struct SingularCase {
  const char* name;
  int zero_column;  // a column of zeros, 0 for none
  bool equal_rows;  // rows 3 and 6 equal
};

class InvertLuSingular : public ::testing::TestWithParam<SingularCase> {};

TEST_P(InvertLuSingular, IsReported) {
  const SingularCase& c = GetParam();
  Matrix8 a = as_matrix(permuted_unimodular(identity(), 5).a);
  if (c.zero_column > 0)
    for (int i = 1; i <= kLuOrder; ++i) element(a, i, c.zero_column) = 0.0;
  if (c.equal_rows)
    for (int j = 1; j <= kLuOrder; ++j) element(a, 6, j) = element(a, 3, j);
  EXPECT_FALSE(invert_lu(a));
}

INSTANTIATE_TEST_SUITE_P(Cases, InvertLuSingular,
                         ::testing::Values(SingularCase{"zero_first_column", 1, false},
                                           SingularCase{"zero_middle_column", 4, false},
                                           SingularCase{"zero_last_column", 8, false},
                                           SingularCase{"two_equal_rows", 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hf
