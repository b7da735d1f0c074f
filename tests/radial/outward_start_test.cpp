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

class OutwardStartTest : public RadialTest {
 protected:
  // At E = -Z^2/(2(l+1)^2) the regular solution with u(0) = 1 is r^(l+1) e^(-Zr/(l+1)): the
  // start writes it at points 1..25 and nothing else.
  void expect_start_points(double z, int l) {
    const NodelessHydrogenic f{z, l};
    charge.fill(f.z);
    p.fill(kNaN);
    q.fill(kNaN);
    ASSERT_EQ(OUTSCH(p, q, charge, f.energy(), f.l, 25), Status::ok);
    EXPECT_EQ(p(1), 0.0);
    EXPECT_EQ(q(1), f.l == 0 ? 1.0 : 0.0);
    for (int i = 2; i <= 25; ++i) {
      EXPECT_LE(f.p_error(p(i), r(i)), 1e-12) << "p at point " << i;
      EXPECT_LE(f.q_error(q(i), r(i)), 1e-12) << "q at point " << i;
    }
    EXPECT_EQ(touched_outside(1, 25), "");
  }
};

class OutwardStart : public OutwardStartTest, public ::testing::WithParamInterface<Case> {};

TEST_P(OutwardStart, StartPointsReproduceNodelessState) { expect_start_points(GetParam().z, GetParam().l); }

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
                         ::testing::Values(Case{1.0, 0}, Case{1.0, 1}, Case{1.0, 2}, Case{10.0, 0}, Case{10.0, 1},
                                           Case{10.0, 2}),
                         [](const auto& info) { return charge_and_l_name(info.param.z, info.param.l); });

class OutwardStartEdges : public OutwardStartTest {};

// The block inverses are kept for l = 0..10 and computed on each call for a larger l.
TEST_F(OutwardStartEdges, StartPointsBeyondTheKeptInverses) {
  expect_start_points(10.0, 10);
  expect_start_points(10.0, 11);
  expect_start_points(1.0, 12);
}

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
  atom.grid.id = new_grid_id();
  ASSERT_EQ(OUTSCH(p, q, charge, f.energy(), f.l, 25), Status::ok);
  for (int i = 2; i <= 25; ++i) EXPECT_LE(f.p_error(p(i), r(i)), 1e-12) << i;
}

// The block inverses kept for one grid are not taken for another with the same step: on the
// linear grid r = r0 t (dr/dt = r0, drdt_over_r = 1/t, a new id), and on the program's grid
// again, the start points reproduce the nodeless state.
TEST_F(OutwardStartEdges, KeptInversesFollowTheGrid) {
  {
    SCOPED_TRACE("logarithmic grid");
    expect_start_points(10.0, 1);  // keeps the inverses of l = 1 for this grid
  }
  auto& grid = atom.grid;
  for (int i = 2; i <= kGridPoints; ++i) {
    const double t = (i - 1) * grid.grid_step;
    grid.radius(i) = kGridScale * t;
    grid.drdt(i) = kGridScale;
    grid.drdt_over_r(i) = 1.0 / t;
  }
  grid.drdt(1) = kGridScale;
  grid.id = new_grid_id();
  {
    SCOPED_TRACE("linear grid");
    expect_start_points(10.0, 1);
  }
  set_up_grid();
  SCOPED_TRACE("logarithmic grid again");
  expect_start_points(10.0, 1);
}

}  // namespace
}  // namespace hf::test
