#include "radial/adams_moulton.h"

#include <gtest/gtest.h>

#include "radial_fixture.h"

namespace hf::test {
namespace {

class AdamsMoulton : public RadialTest {
 protected:
  void seed(const NodelessHydrogenic& f, int first, int last) {
    for (int i = first; i <= last; ++i) {
      p(i) = f.p(r(i));
      q(i) = f.q(r(i));
    }
  }
  void expect_matches(const NodelessHydrogenic& f, int first, int last, double tolerance) {
    for (int i = first; i <= last; ++i) {
      ASSERT_LE(f.p_error(p(i), r(i)), tolerance) << "p at point " << i;
      ASSERT_LE(f.q_error(q(i), r(i)), tolerance) << "q at point " << i;
    }
  }
};

struct Case {
  double z;
  int l;
  int last;          // outward run from 26 to last
  double tolerance;  // relative, p and q
};

class AdamsMoultonStates : public AdamsMoulton, public ::testing::WithParamInterface<Case> {};

// Seeded at 18..25 with a nodeless hydrogen-like state, the outward run follows it and
// writes nothing beyond last; for l > 0 the centrifugal term enters.
TEST_P(AdamsMoultonStates, OutwardReproducesNodelessState) {
  const Case c = GetParam();
  const NodelessHydrogenic f{c.z, c.l};
  charge.fill(f.z);
  seed(f, 18, 25);
  ADAMS(p, q, charge, f.energy(), f.l, 26, c.last);
  expect_matches(f, 26, c.last, c.tolerance);
  EXPECT_EQ(touched_outside(18, c.last), "");
}

INSTANTIATE_TEST_SUITE_P(ZAndL, AdamsMoultonStates,
                         ::testing::Values(Case{1.0, 0, 700, 1e-13}, Case{1.0, 1, 600, 1e-12}, Case{1.0, 2, 600, 1e-12},
                                           Case{10.0, 1, 600, 1e-12}, Case{10.0, 2, 600, 1e-12}),
                         [](const auto& info) { return charge_and_l_name(info.param.z, info.param.l); });

// Inward from r = 0.83 bohr, where the grid resolves the decay well (lambda dr << 1).
TEST_F(AdamsMoulton, InwardRunReadsEightAboveAndWritesDownToStop) {
  const NodelessHydrogenic h1s{1.0, 0};
  charge.fill(1.0);
  seed(h1s, 693, 700);
  ADAMS(p, q, charge, -0.5, 0, 692, 300);
  expect_matches(h1s, 300, 692, 1e-12);
  EXPECT_EQ(touched_outside(300, 700), "");
}

TEST_F(AdamsMoulton, StartEqualStopComputesOnePointInward) {
  const NodelessHydrogenic h2p{1.0, 1};
  charge.fill(1.0);
  seed(h2p, 401, 408);
  ADAMS(p, q, charge, h2p.energy(), 1, 400, 400);
  expect_matches(h2p, 400, 400, 1e-13);
  EXPECT_EQ(touched_outside(400, 408), "");
}

}  // namespace
}  // namespace hf::test
