#include "radial/outward_start.h"

#include <gtest/gtest.h>

#include "radial_fixture.h"

namespace hf::test {
namespace {

// Each row differentiates exactly every polynomial of degree <= 8 through the points 0..8:
// sum_j w(i, j) j^k = 840 k i^(k-1). These nine conditions fix the row.
TEST(DerivativeWeights, DifferentiateDegreeEightExactly) {
  for (int i = 1; i <= 8; ++i) {
    const auto& row = kDerivativeWeights840[static_cast<std::size_t>(i - 1)];
    for (int k = 0; k <= 8; ++k) {
      long long sum = 0;
      for (int j = 0; j <= 8; ++j) {
        long long power = 1;
        for (int e = 0; e < k; ++e) power *= j;
        sum += row[static_cast<std::size_t>(j)] * power;
      }
      long long want = 0;
      if (k > 0) {
        want = 840LL * k;
        for (int e = 0; e < k - 1; ++e) want *= i;
      }
      EXPECT_EQ(sum, want) << "row " << i << ", degree " << k;
    }
  }
}

struct Case {
  double z;
  int l;
};

class OutwardStart : public RadialTest, public ::testing::WithParamInterface<Case> {};

// At E = -Z^2/(2(l+1)^2) the regular solution with u(0) = 1 is r^(l+1) e^(-Zr/(l+1)).
TEST_P(OutwardStart, StartPointsReproduceNodelessState) {
  const NodelessHydrogenic f{GetParam().z, GetParam().l};
  charge.fill(f.z);
  ASSERT_EQ(OUTSCH(p, q, charge, f.energy(), f.l, 25), Status::ok);
  EXPECT_EQ(p(1), 0.0);
  EXPECT_EQ(q(1), f.l == 0 ? 1.0 : 0.0);
  for (int i = 2; i <= 25; ++i) {
    EXPECT_LE(f.p_error(p(i), r(i)), 1e-12) << "p at point " << i;
    EXPECT_LE(f.q_error(q(i), r(i)), 1e-12) << "q at point " << i;
  }
  EXPECT_EQ(touched_outside(1, 25), "");
}

TEST_P(OutwardStart, ContinuesToMatchingPoint) {
  const NodelessHydrogenic f{GetParam().z, GetParam().l};
  charge.fill(f.z);
  ASSERT_EQ(OUTSCH(p, q, charge, f.energy(), f.l, 600), Status::ok);
  for (int i = 26; i <= 600; ++i) {
    ASSERT_LE(f.p_error(p(i), r(i)), 1e-12) << "p at point " << i;
    ASSERT_LE(f.q_error(q(i), r(i)), 1e-12) << "q at point " << i;
  }
  EXPECT_EQ(touched_outside(1, 600), "");
}

INSTANTIATE_TEST_SUITE_P(ZAndL, OutwardStart,
                         ::testing::Values(Case{1.0, 0}, Case{1.0, 1}, Case{1.0, 2}, Case{10.0, 0},
                                           Case{10.0, 1}, Case{10.0, 2}),
                         [](const auto& info) {
                           return charge_and_l_name(info.param.z, info.param.l);
                         });

class OutwardStartEdges : public RadialTest {};

TEST_F(OutwardStartEdges, MatchOf26SetsOnlyTheStartPoints) {
  charge.fill(1.0);
  ASSERT_EQ(OUTSCH(p, q, charge, -0.5, 0, 26), Status::ok);
  EXPECT_EQ(touched_outside(1, 25), "");
}

// Block point 0 of the first block is the origin, represented by u(0), v(0) alone:
// drdt_over_r(1), a stored 0 rather than the limit, is never used.
TEST_F(OutwardStartEdges, NeverUsesDrdtOverRAtTheOrigin) {
  const NodelessHydrogenic f{10.0, 1};
  charge.fill(f.z);
  atom.grid.drdt_over_r(1) = kNaN;
  ASSERT_EQ(OUTSCH(p, q, charge, f.energy(), f.l, 25), Status::ok);
  for (int i = 2; i <= 25; ++i) EXPECT_LE(f.p_error(p(i), r(i)), 1e-12) << i;
}

}  // namespace
}  // namespace hf::test
