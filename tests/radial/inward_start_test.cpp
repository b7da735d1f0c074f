#include "radial/inward_start.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "radial_fixture.h"
#include "report/text_units.h"

namespace hf::test {
namespace {

// States whose asymptotic series ends after a(0): sigma = Z/lambda = l + 1.
struct SeriesCase {
  double z;
  int l;
};

class InwardStartExact : public RadialTest, public ::testing::WithParamInterface<SeriesCase> {
 protected:
  NodelessHydrogenic state() const { return {GetParam().z, GetParam().l}; }
};

// Charge 1, l 0, E -1/2: r e^(-r), (1 - r) e^(-r); charge 1, l 1, E -1/8: r^2 e^(-r/2).
TEST_P(InwardStartExact, SeriesPointsAreTheExactFunction) {
  const NodelessHydrogenic f = state();
  charge.fill(f.z);
  ASSERT_EQ(INSCH(p, q, charge, f.energy(), f.l, 1000, 1000), Status::ok);
  for (int i = 992; i <= 1000; ++i) {
    EXPECT_LE(f.p_error(p(i), r(i)), 1e-14) << "p at point " << i;
    EXPECT_LE(f.q_error(q(i), r(i)), 1e-14) << "q at point " << i;
  }
  EXPECT_EQ(touched_outside(992, 1000), "");
  EXPECT_EQ(report_text(), "");
}

// From an outer point where the grid resolves the decay (lambda dr << 1), so that the
// integrator's own error stays small, down to r = 0.04 bohr: further in, the solution
// irregular at the origin (r^-l against r^(l+1)) magnifies rounding in an inward run.
TEST_P(InwardStartExact, IntegratesInwardToMatch) {
  const NodelessHydrogenic f = state();
  charge.fill(f.z);
  ASSERT_EQ(INSCH(p, q, charge, f.energy(), f.l, 700, 450), Status::ok);
  for (int i = 450; i <= 700; ++i) {
    ASSERT_LE(f.p_error(p(i), r(i)), 1e-12) << "p at point " << i;
    ASSERT_LE(f.q_error(q(i), r(i)), 1e-12) << "q at point " << i;
  }
  EXPECT_EQ(touched_outside(450, 700), "");
}

INSTANTIATE_TEST_SUITE_P(ZAndL, InwardStartExact,
                         ::testing::Values(SeriesCase{1.0, 0}, SeriesCase{1.0, 1}, SeriesCase{10.0, 1}),
                         [](const auto& info) { return charge_and_l_name(info.param.z, info.param.l); });

class InwardStart : public RadialTest {};

// Only the nine series points while outer - 9 < match; from outer - 9 = match on the
// integrator adds the points down to match.
TEST_F(InwardStart, WritesExactlyTheRangeAsked) {
  struct Range {
    int match;
    int first_written;
  };
  charge.fill(1.0);
  for (const Range c : {Range{1000, 992}, Range{993, 992}, Range{992, 992}, Range{991, 991}, Range{980, 980}}) {
    p.fill(kNaN);
    q.fill(kNaN);
    ASSERT_EQ(INSCH(p, q, charge, -0.5, 0, 1000, c.match), Status::ok);
    EXPECT_EQ(touched_outside(c.first_written, 1000), "") << "match " << c.match;
    EXPECT_FALSE(std::isnan(p(c.first_written))) << "match " << c.match;
  }
}

TEST_F(InwardStart, NonNegativeEnergyIsRefusedWithItsLine) {
  struct Refused {
    double energy;
    std::string field;  // E as D16.6
  };
  charge.fill(1.0);
  for (const Refused& c :
       {Refused{0.0, "    0.000000D+00"}, Refused{0.25, "    2.500000D-01"}, Refused{12345.0, "    1.234500D+04"}}) {
    report::capture_unit(report::kReportUnit);  // starts an empty capture
    EXPECT_EQ(INSCH(p, q, charge, c.energy, 0, 1000, 500), Status::error);
    EXPECT_EQ(report_text(), "  Error in insch: eau = " + c.field + " > 0\r\n");
  }
  EXPECT_EQ(touched_outside(1, 0), "");
}

TEST_F(InwardStart, NaNEnergyIsRefused) {
  charge.fill(1.0);
  EXPECT_EQ(INSCH(p, q, charge, kNaN, 0, 1000, 500), Status::error);
  EXPECT_EQ(report_text().rfind("  Error in insch: eau = ", 0), 0U);
  EXPECT_EQ(touched_outside(1, 0), "");
}

// A tiny |E| makes sigma large and the series diverge at 30 bohr: one warning for each of
// the nine series points, and the truncated sums are still stored.
TEST_F(InwardStart, DivergingSeriesWarnsOncePerPointAndGoesOn) {
  charge.fill(1.0);
  ASSERT_EQ(INSCH(p, q, charge, -1e-4, 0, 1000, 1000), Status::ok);
  std::string nine;
  for (int k = 0; k < 9; ++k) nine += " Warning: asymptotic series not converging \r\n";
  EXPECT_EQ(report_text(), nine);
  for (int i = 992; i <= 1000; ++i) EXPECT_TRUE(std::isfinite(p(i)) && std::isfinite(q(i))) << i;
}

// Silent: a series that converges (E = -0.4), and one whose 15 terms leave a last relative
// term of about 2e-5 at the nine points, between the stop size 1e-8 and the warning size 1e-3
// (E = -0.004, outer at 9 bohr).
TEST_F(InwardStart, SeriesWithinWarningSizeIsSilent) {
  struct Quiet {
    double energy;
    int outer;
  };
  charge.fill(1.0);
  for (const Quiet c : {Quiet{-0.4, 1000}, Quiet{-0.004, 900}}) {
    ASSERT_EQ(INSCH(p, q, charge, c.energy, 0, c.outer, c.outer), Status::ok);
    EXPECT_EQ(report_text(), "") << "E " << c.energy;
  }
}

}  // namespace
}  // namespace hf::test
