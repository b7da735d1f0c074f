// The shooting step: bit for bit the outward and inward starts run one after the other,
// whichever of its two Adams-Moulton runs ends first, and the join at the matching point.
#include "radial/shooting_step.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "radial/inward_start.h"
#include "radial/outward_start.h"
#include "radial_fixture.h"

namespace hf::test {
namespace {

struct Shot {
  const char* name;
  int outward_last;
  int outer;
  int inward_last;
  bool shared;  // both solutions in one pair of arrays, as in the eigenvalue search
};

class ShootingStep : public RadialTest, public ::testing::WithParamInterface<Shot> {
 protected:
  static constexpr double kEnergy = -8.0;  // no eigenvalue of the charge: both solutions grow
  static constexpr int kL = 1;

  void SetUp() override {
    RadialTest::SetUp();
    for (int i = 1; i <= kGridPoints; ++i) charge(i) = 10.0 / (1.0 + 0.3 * r(i));  // a screened nucleus
    for (Radial* a : {&p_ref, &q_ref, &p_in, &q_in, &p_in_ref, &q_in_ref}) a->fill(kNaN);
  }

  Radial p_ref;
  Radial q_ref;
  Radial p_in;
  Radial q_in;
  Radial p_in_ref;
  Radial q_in_ref;
};

// The documented routines in turn: INSCH, then OUTSCH over it when they share the arrays (the
// inward values at inward_last read in between), or each into its own pair.
TEST_P(ShootingStep, IsTheStartsRunOneAfterTheOther) {
  const Shot s = GetParam();
  Radial& p_inward = s.shared ? p : p_in;
  Radial& q_inward = s.shared ? q : q_in;
  PointValues inward_end;
  ASSERT_EQ(
      shooting_step(p, q, p_inward, q_inward, charge, kEnergy, kL, s.outward_last, s.outer, s.inward_last, inward_end),
      Status::ok);
  const std::string warnings = report_text();  // of the inward series, where it starts near the nucleus

  Radial& p_inward_ref = s.shared ? p_ref : p_in_ref;
  Radial& q_inward_ref = s.shared ? q_ref : q_in_ref;
  ASSERT_EQ(INSCH(p_inward_ref, q_inward_ref, charge, kEnergy, kL, s.outer, s.inward_last), Status::ok);
  const double p_end = p_inward_ref(s.inward_last);
  const double q_end = q_inward_ref(s.inward_last);
  ASSERT_EQ(OUTSCH(p_ref, q_ref, charge, kEnergy, kL, s.outward_last), Status::ok);

  EXPECT_EQ(differing_points(p, p_ref), "");
  EXPECT_EQ(differing_points(q, q_ref), "");
  EXPECT_EQ(differing_points(p_in, p_in_ref), "");
  EXPECT_EQ(differing_points(q_in, q_in_ref), "");
  EXPECT_EQ(std::bit_cast<std::uint64_t>(inward_end.p), std::bit_cast<std::uint64_t>(p_end));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(inward_end.q), std::bit_cast<std::uint64_t>(q_end));
  EXPECT_EQ(report_text(), warnings + warnings);
}

INSTANTIATE_TEST_SUITE_P(Ranges, ShootingStep,
                         ::testing::Values(
                             // One pair meeting at a matching point. The outward run (26..200) ends long before the
                             // inward one (891..200): only the guard keeps its value at the matching point.
                             Shot{"outward_run_ends_first", 200, 900, 200, true},
                             // The inward run (751..700) reaches the matching point while the outward one goes on.
                             Shot{"inward_run_ends_first", 700, 760, 700, true},
                             // Runs of equal length; one inward step; no inward run, the series reaching the match.
                             Shot{"equal_runs", 460, 903, 460, true}, Shot{"one_inward_step", 500, 509, 500, true},
                             Shot{"match_at_outer", 600, 600, 600, true},
                             Shot{"match_in_the_series", 595, 600, 595, true},
                             // Two pairs, as in the driven solver: outward to m, inward from m down to 2.
                             Shot{"apart_long", 900, 900, 2, false}, Shot{"apart_short", 40, 40, 2, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A non-negative energy stops at the inward start before anything is written.
TEST_F(RadialTest, ShootingStepRefusesANonNegativeEnergy) {
  charge.fill(1.0);
  PointValues inward_end;
  EXPECT_EQ(shooting_step(p, q, p, q, charge, 0.0, 0, 300, 800, 300, inward_end), Status::error);
  EXPECT_EQ(report_text(), "  Error in insch: eau =     0.000000D+00 > 0\r\n");
  EXPECT_EQ(touched_outside(1, 0), "");
}

struct Join {
  double z;
  int l;
  int match;
  int outer;
};

class JoinAtTheEigenvalue : public RadialTest, public ::testing::WithParamInterface<Join> {};

// At the eigenvalue of the nodeless state r^(l+1) e^(-Zr/(l+1)) the joined solution is that
// state, scaled to the outward start's r^(l+1) near the origin, on both sides of the matching
// point, and dP/dr has no jump there.
TEST_P(JoinAtTheEigenvalue, GivesTheBoundStateWithoutAJump) {
  const Join c = GetParam();
  const NodelessHydrogenic f{c.z, c.l};
  charge.fill(f.z);
  PointValues inward_end;
  ASSERT_EQ(shooting_step(p, q, p, q, charge, f.energy(), f.l, c.match, c.outer, c.match, inward_end), Status::ok);
  const double q_inward = join_at_match(p, q, c.match, c.outer, inward_end);
  EXPECT_NEAR(q_inward, q(c.match), 1e-9 * f.q_scale(r(c.match)));
  for (int i = 2; i <= c.outer; ++i) {
    ASSERT_LE(f.p_error(p(i), r(i)), 1e-9) << "p at point " << i;
    ASSERT_LE(f.q_error(q(i), r(i)), 1e-9) << "q at point " << i;
  }
  EXPECT_EQ(touched_outside(1, c.outer), "");
}

INSTANTIATE_TEST_SUITE_P(States, JoinAtTheEigenvalue,
                         ::testing::Values(Join{10.0, 0, 640, 700}, Join{10.0, 1, 700, 780}, Join{1.0, 0, 850, 900}),
                         [](const auto& info) { return charge_and_l_name(info.param.z, info.param.l); });

}  // namespace
}  // namespace hf::test
