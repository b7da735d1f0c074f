// The driven radial equation (SOLVE) and its Wronskian check (WRON).
#include "potentials/driven_solution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "radial/eigenvalue_search.h"
#include "radial/inward_start.h"
#include "radial/quadrature.h"
#include "radial/radial_fixture.h"

namespace hf::test {
namespace {

// ---------------------------------------------------------------- SOLVE

struct BoundState {
  double z;
  int n;
  int l;
};

std::string bound_state_name(const ::testing::TestParamInfo<BoundState>& info) {
  return "Z" + std::to_string(static_cast<int>(info.param.z)) + "_n" + std::to_string(info.param.n) + "_l" +
         std::to_string(info.param.l);
}

// A bound state phi of the bare Coulomb charge, found by MASTER, stored as shell 1's orbital.
class DrivenEquation : public RadialTest, public ::testing::WithParamInterface<BoundState> {
 protected:
  void SetUp() override {
    RadialTest::SetUp();
    const BoundState s = GetParam();
    charge.fill(s.z);
    eigenvalue = -s.z * s.z / (2.0 * s.n * s.n);
    int iterations = 0;
    ASSERT_EQ(MASTER(phi, phi_q, charge, eigenvalue, s.n, s.l, m, iterations), Status::ok);
    atom.shells.shell_l(1) = s.l;
    atom.shells.shell_extent(1) = m;
    atom.hf.orbital_p.column(1) = phi;
    energy = 1.3 * eigenvalue;  // another negative energy, away from every level of this l
  }

  // s = 2 alpha (E - E') phi: its solution at E is alpha phi.
  Radial driving(double alpha) const {
    Radial s;
    for (int i = 1; i <= m; ++i) s(i) = 2.0 * alpha * (energy - eigenvalue) * phi(i);
    return s;
  }

  double norm() const {
    Radial w;
    for (int i = 1; i <= m; ++i) w(i) = (p(i) * p(i)) * atom.grid.drdt(i);
    return RINT(w, 1, m, 7, atom.grid.grid_step);
  }

  Radial phi;
  Radial phi_q;
  double eigenvalue = 0.0;
  double energy = 0.0;
  int m = 0;
};

TEST_P(DrivenEquation, BoundStateDrivingTermGivesTheBoundState) {
  const double entry = energy;
  ASSERT_EQ(SOLVE(p, q, charge, driving(1.0), energy, 1, 1e-10), Status::ok);
  EXPECT_EQ(p(1), 0.0);
  double p_error = 0.0;
  double q_error = 0.0;
  double q_size = 0.0;
  for (int i = 1; i <= m; ++i) {
    p_error = std::max(p_error, std::fabs(p(i) - phi(i)));
    q_error = std::max(q_error, std::fabs(q(i) - phi_q(i)));
    q_size = std::max(q_size, std::fabs(phi_q(i)));
  }
  EXPECT_LE(p_error, 1e-10);
  EXPECT_LE(q_error, 1e-10 * q_size);
  EXPECT_NEAR(norm(), 1.0, 1e-11);
  EXPECT_EQ(energy, entry);  // the norm is within the tolerance: bit for bit unchanged
  EXPECT_EQ(touched_outside(1, m), "");
  EXPECT_EQ(report_text(), "");  // the Wronskian is constant

  // At the last point X(m) = 0, so p(m) = P_i(m) Y(m) / w and q(m) = Q_i(m) Y(m) / w: the
  // logarithmic derivative there is that of the solution decaying outside.
  Radial p_in;
  Radial q_in;
  ASSERT_EQ(INSCH(p_in, q_in, charge, entry, GetParam().l, m, m - 8), Status::ok);
  EXPECT_NEAR(q(m) / p(m), q_in(m) / p_in(m), 1e-12 * std::fabs(q_in(m) / p_in(m)));
}

// With the stored orbital phi and s = 2 alpha (E - E') phi the solution is alpha phi, its norm
// alpha^2, and the driven solution for phi is phi / (2 (E - E')); the Newton step is then
// (alpha^2 - 1) (E - E') / (2 alpha). The returned p still belongs to the entry energy.
TEST_P(DrivenEquation, NormAwayFromOneTakesTheNewtonStep) {
  for (const double alpha : {1.1, 0.8, -1.2}) {
    const double entry = 1.3 * eigenvalue;
    energy = entry;
    ASSERT_EQ(SOLVE(p, q, charge, driving(alpha), energy, 1, 1e-3), Status::ok);
    const double step = (alpha * alpha - 1.0) * (entry - eigenvalue) / (2.0 * alpha);
    EXPECT_NEAR(energy - entry, step, 1e-10 * std::fabs(step)) << "alpha " << alpha;
    EXPECT_NEAR(norm(), alpha * alpha, 1e-10) << "alpha " << alpha;
    for (int i = 1; i <= m; ++i) ASSERT_NEAR(p(i), alpha * phi(i), 1e-10) << "alpha " << alpha << " point " << i;
  }
}

// The tolerance test is strict: |N - 1| equal to the tolerance moves the energy, the next
// larger tolerance does not; a norm that is not a number moves it as well.
TEST_P(DrivenEquation, StrictToleranceAndNaNNorm) {
  const Radial s = driving(1.1);
  const double entry = energy;
  ASSERT_EQ(SOLVE(p, q, charge, s, energy, 1, 1.0), Status::ok);
  ASSERT_EQ(energy, entry);
  const double distance = std::abs(norm() - 1.0);

  ASSERT_EQ(SOLVE(p, q, charge, s, energy, 1, std::nextafter(distance, 1.0)), Status::ok);
  EXPECT_EQ(energy, entry);
  ASSERT_EQ(SOLVE(p, q, charge, s, energy, 1, distance), Status::ok);
  EXPECT_NE(energy, entry);

  Radial broken = s;
  broken(m / 2) = kNaN;
  energy = entry;
  ASSERT_EQ(SOLVE(p, q, charge, broken, energy, 1, 1.0), Status::ok);
  EXPECT_NE(energy, entry);
}

// A non-negative energy stops at the inward start, with its message and nothing written.
TEST_P(DrivenEquation, NonNegativeEnergyIsRefused) {
  const Radial s = driving(1.0);
  for (const auto& [e, message] : {std::pair{0.0, "  Error in insch: eau =     0.000000D+00 > 0\r\n"},
                                   std::pair{0.5, "  Error in insch: eau =     5.000000D-01 > 0\r\n"}}) {
    report::capture_unit(report::kReportUnit);
    energy = e;
    EXPECT_EQ(SOLVE(p, q, charge, s, energy, 1, 1e-6), Status::error);
    EXPECT_EQ(energy, e);
    EXPECT_EQ(report_text(), message);
    EXPECT_EQ(touched_outside(1, 0), "");  // no point written
  }
}

INSTANTIATE_TEST_SUITE_P(States, DrivenEquation,
                         ::testing::Values(BoundState{2.0, 1, 0}, BoundState{10.0, 2, 0}, BoundState{10.0, 2, 1},
                                           BoundState{18.0, 3, 2}),
                         bound_state_name);

// ---------------------------------------------------------------- WRON

// Hand-made solutions with P_o = 1, Q_o = 0, P_i = 0, so that W(i) = Q_i(i).
class WronskianCheck : public ReportCapture {
 protected:
  void SetUp() override {
    ReportCapture::SetUp();
    p_out.fill(1.0);
    q_out.fill(0.0);
    p_in.fill(0.0);
    q_in.fill(2.0);
  }
  double check(int last) {
    double w = kNaN;
    WRON(w, p_out, q_out, p_in, q_in, last);
    return w;
  }
  // The expected table: every check point with W(i) / w rendered as I6, D20.7.
  static std::string table(int last, int odd_point, const char* odd_ratio) {
    std::string text = "\r\n Constancy of the wronskian :\r\n";
    for (int i = 40; i <= last - 40; i += 40) {
      char line[40];
      std::snprintf(line, sizeof line, "%6d%20s\r\n", i, i == odd_point ? odd_ratio : "1.0000000D+00");
      text += line;
    }
    return text;
  }

  Radial p_out;
  Radial q_out;
  Radial p_in;
  Radial q_in;
};

// w = Q_i P_o - P_i Q_o at c = last / 2 (truncating); below 80 points nothing is checked.
TEST_F(WronskianCheck, MiddlePointValueAndNoCheckBelowEightyPoints) {
  p_out.fill(2.0);
  q_out.fill(3.0);
  p_in.fill(5.0);
  for (int i = 1; i <= kGridPoints; ++i) q_in(i) = 7.0 + i;  // W(i) = 2 i - 1
  EXPECT_EQ(check(79), 77.0);
  EXPECT_EQ(check(41), 39.0);
  EXPECT_EQ(report_text(), "");
}

struct TableCase {
  int last;
  int odd_point;     // the one check point whose Wronskian differs
  double odd_value;  // W there; w = 2
  const char* odd_ratio;
};

class WronskianTable : public WronskianCheck, public ::testing::WithParamInterface<TableCase> {};

// Once one point deviates, every check point from 40 to last - 40 gets its line.
TEST_P(WronskianTable, ListsEveryCheckPoint) {
  const TableCase c = GetParam();
  q_in(c.odd_point) = c.odd_value;
  EXPECT_EQ(check(c.last), 2.0);
  EXPECT_EQ(report_text(), table(c.last, c.odd_point, c.odd_ratio));
}

INSTANTIATE_TEST_SUITE_P(Cases, WronskianTable,
                         ::testing::Values(TableCase{119, 40, 3.0, "1.5000000D+00"},
                                           TableCase{120, 80, -0.5, "-2.5000000D-01"},
                                           TableCase{1000, 960, 3.0, "1.5000000D+00"},
                                           TableCase{1000, 40, 2.5, "1.2500000D+00"}));

// A deviation of exactly 1e-4 is within the limit, the next larger one is not; a deviation
// that is not a number does not count.
TEST_F(WronskianCheck, LimitIsStrictAndNaNDoesNotCount) {
  q_in.fill(10000.0);
  q_in(200) = 10001.0;
  q_in(600) = kNaN;
  check(1000);
  EXPECT_EQ(report_text(), "");

  q_in(200) = std::nextafter(10001.0, 20000.0);
  check(1000);
  EXPECT_NE(report_text(), "");
}

}  // namespace
}  // namespace hf::test
