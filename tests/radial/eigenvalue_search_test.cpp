#include "radial/eigenvalue_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "hydrogenic.h"
#include "radial/adams_lanes.h"
#include "radial/quadrature.h"
#include "radial/report_lines.h"
#include "radial_fixture.h"
#include "report/text_units.h"

namespace hf::test {
namespace {

class EigenvalueSearch : public RadialTest {
 protected:
  Status search(double z, double guess, int n, int l) {
    charge.fill(z);
    energy = guess;
    return MASTER(p, q, charge, energy, n, l, extent, iterations);
  }
  double norm() const {
    Radial w;
    for (int i = 1; i <= extent; ++i) w(i) = p(i) * p(i) * atom.grid.drdt(i);
    return RINT(w, 1, extent, 7, atom.grid.grid_step);
  }
  int sign_changes() const {
    int changes = 0;
    for (int i = 3; i <= extent; ++i) changes += (p(i) < 0.0) != (p(i - 1) < 0.0) ? 1 : 0;
    return changes;
  }
  // Lines of the report that carry an error message.
  int error_lines() const {
    const std::string text = report_text();
    int count = 0;
    for (std::size_t at = text.find("Error"); at != std::string::npos; at = text.find("Error", at + 1)) ++count;
    return count;
  }

  double energy = 0.0;
  int extent = -1;
  int iterations = -1;
};

struct State {
  double z;
  int n;
  int l;
  double guess_factor;  // first guess = factor * exact eigenvalue
};

std::string state_name(const ::testing::TestParamInfo<State>& info) {
  const State& s = info.param;
  return "Z" + std::to_string(static_cast<int>(s.z)) + "_n" + std::to_string(s.n) + "_l" + std::to_string(s.l) +
         (s.guess_factor < 1.0 ? "_shallow" : "_deep");
}

std::vector<State> hydrogenic_states() {
  std::vector<State> states;
  for (const auto& [z, n_max] : {std::pair{1.0, 2}, std::pair{10.0, 5}, std::pair{54.0, 5}}) {
    for (int n = 1; n <= n_max; ++n) {
      for (int l = 0; l <= std::min(n - 1, 2); ++l) {
        for (const double factor : {0.9, 1.1}) states.push_back({z, n, l, factor});
      }
    }
  }
  return states;
}

class HydrogenicEigenvalue : public EigenvalueSearch, public ::testing::WithParamInterface<State> {};

TEST_P(HydrogenicEigenvalue, FindsNormalisedBoundState) {
  const State s = GetParam();
  const double exact = -s.z * s.z / (2.0 * s.n * s.n);
  ASSERT_EQ(search(s.z, s.guess_factor * exact, s.n, s.l), Status::ok) << report_text();
  EXPECT_LE(relative_error(energy, exact), 1e-10);
  EXPECT_GE(iterations, 1);
  EXPECT_LE(iterations, 30);
  EXPECT_GE(extent, 27);
  EXPECT_LE(extent, kGridPoints);
  EXPECT_NEAR(norm(), 1.0, 1e-14);
  EXPECT_GT(p(2), 0.0);
  EXPECT_EQ(sign_changes(), s.n - s.l - 1);
  double largest = 0.0;
  double deviation = 0.0;
  for (int i = 1; i <= extent; ++i) {
    const double want = hydrogenic_p(s.z, s.n, s.l, r(i));
    largest = std::max(largest, std::fabs(want));
    deviation = std::max(deviation, std::fabs(p(i) - want));
  }
  // The analytic function itself, within the grid's accuracy: at 30 bohr the grid step is
  // 0.36 bohr, which resolves the tail of a Z = 1, n = 2 state only to some 1e-8.
  EXPECT_LE(deviation, 1e-7 * largest);
  EXPECT_EQ(report_text(), "");
}

INSTANTIATE_TEST_SUITE_P(Table, HydrogenicEigenvalue, ::testing::ValuesIn(hydrogenic_states()), state_name);

TEST_F(EigenvalueSearch, HydrogenGroundStateFromNearbyAndExactGuess) {
  ASSERT_EQ(search(1.0, -0.45, 1, 0), Status::ok);
  EXPECT_LE(relative_error(energy, -0.5), 1e-13);
  EXPECT_EQ(extent, 1000);

  ASSERT_EQ(search(1.0, -0.5, 1, 0), Status::ok);
  EXPECT_EQ(iterations, 1);
  EXPECT_LE(std::fabs(energy + 0.5), std::numeric_limits<double>::epsilon() * 0.5);
}

// With one trial nothing beyond its practical infinity is written.
TEST_F(EigenvalueSearch, SingleTrialLeavesPointsBeyondExtent) {
  ASSERT_EQ(search(10.0, -50.0, 1, 0), Status::ok);
  ASSERT_EQ(iterations, 1);
  EXPECT_LT(extent, 1000);
  EXPECT_EQ(touched_outside(1, extent), "");
}

TEST_F(EigenvalueSearch, NeonLikeGroundStateHasShorterExtent) {
  ASSERT_EQ(search(10.0, -40.0, 1, 0), Status::ok);
  EXPECT_LE(relative_error(energy, -50.0), 1e-12);
  EXPECT_LT(extent, 1000);
}

// The first correction from -2 overshoots past 0 and is replaced by half the trial energy.
TEST_F(EigenvalueSearch, RecoversFromGuessFarBelow) {
  ASSERT_EQ(search(1.0, -2.0, 1, 0), Status::ok);
  EXPECT_LE(relative_error(energy, -0.5), 1e-10);
}

// Every trial has too many nodes (energy times 1.1 each time), or every trial too few
// (a 2s search below the 1s level: times 0.9 each time); the 31st energy is returned.
TEST_F(EigenvalueSearch, GivesUpAfterThirtyTrials) {
  struct Hopeless {
    double guess;
    int n;
    int l;
    double factor;
  };
  for (const Hopeless c : {Hopeless{-0.001, 3, 0, 1.1}, Hopeless{-0.5, 1, 1, 1.1}, Hopeless{-0.5, 2, 2, 1.1},
                           Hopeless{-100.0, 2, 0, 0.9}}) {
    EXPECT_EQ(search(1.0, c.guess, c.n, c.l), Status::error) << c.n << " " << c.l;
    EXPECT_EQ(iterations, 30);
    double thirty_first = c.guess;
    for (int k = 0; k < 30; ++k) thirty_first = thirty_first * c.factor;
    EXPECT_EQ(energy, thirty_first);
    EXPECT_GE(extent, 27);
    EXPECT_LE(extent, kGridPoints);
    EXPECT_EQ(error_lines(), 0);  // no message of its own
  }
}

// The eigenvalue returned is the energy p and q belong to: a search started from it
// repeats the last trial, converges at once and returns the same energy and function.
TEST_F(EigenvalueSearch, ReturnedEnergyReproducesItsSolution) {
  for (const auto& [z, n, l] : {std::tuple{10.0, 2, 0}, std::tuple{54.0, 4, 1}, std::tuple{1.0, 3, 2}}) {
    ASSERT_EQ(search(z, 1.1 * (-z * z / (2.0 * n * n)), n, l), Status::ok);
    const double found = energy;
    const int found_extent = extent;
    const Radial found_p = p;
    ASSERT_EQ(search(z, found, n, l), Status::ok);
    EXPECT_EQ(iterations, 1);
    EXPECT_EQ(energy, found);
    ASSERT_EQ(extent, found_extent);
    for (int i = 1; i <= extent; ++i) ASSERT_EQ(p(i), found_p(i)) << "point " << i;
  }
}

TEST_F(EigenvalueSearch, NonNegativeGuessStopsAtTheInwardStart) {
  for (const double guess : {0.0, 0.5}) {
    report::capture_unit(report::kReportUnit);  // starts an empty capture
    p.fill(kNaN);
    q.fill(kNaN);
    EXPECT_EQ(search(1.0, guess, 1, 0), Status::error);
    EXPECT_EQ(iterations, 1);
    EXPECT_EQ(report_text().rfind("  Error in insch: eau = ", 0), 0U);
    EXPECT_EQ(error_lines(), 1);
    EXPECT_EQ(touched_outside(1, 0), "");
  }
}

struct BadInput {
  const char* name;
  double z;
  double guess;
  const char* message;
};

class EigenvalueSearchBadInput : public EigenvalueSearch, public ::testing::WithParamInterface<BadInput> {};

TEST_P(EigenvalueSearchBadInput, FailsWithItsLine) {
  const BadInput c = GetParam();
  EXPECT_EQ(search(c.z, c.guess, 1, 0), Status::error);
  EXPECT_EQ(report_text(), std::string(c.message) + "\r\n");
  EXPECT_EQ(iterations, 1);
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Guards, EigenvalueSearchBadInput,
    ::testing::Values(
        // Repulsive everywhere: E r + Z < 0 at every point, the origin included.
        BadInput{"repulsive", -5.0, -12.5, "  Error in master: no classically allowed point for the trial energy"},
        BadInput{"repulsive_shallow", -5.0, -0.5,
                 "  Error in master: no classically allowed point for the trial energy"},
        BadInput{"strongly_repulsive", -1e4, -1.0,
                 "  Error in master: no classically allowed point for the trial energy"},
        // A huge charge confines the state far inside point 27, attractive or repulsive.
        BadInput{"most_negative_charge", static_cast<double>(INT_MIN), -1.0,
                 "  Error in master: practical infinity too close to the origin"},
        BadInput{"huge_charge", 2e9, -2e18, "  Error in master: practical infinity too close to the origin"},
        BadInput{"largest_charge", static_cast<double>(INT_MAX), -0.5 * INT_MAX* static_cast<double>(INT_MAX),
                 "  Error in master: practical infinity too close to the origin"},
        BadInput{"huge_guess", 1.0, -1e300, "  Error in master: practical infinity too close to the origin"},
        // No potential: only the origin is classically allowed.
        BadInput{"no_charge", 0.0, -0.5, "  Error in master: matching point too close to the origin"},
        BadInput{"nan_guess", 1.0, kNaN, "  Error in master: trial energy is not finite"},
        BadInput{"minus_infinite_guess", 1.0, -kInf, "  Error in master: trial energy is not finite"},
        BadInput{"infinite_guess", 1.0, kInf, "  Error in master: trial energy is not finite"}),
    [](const auto& info) { return std::string(info.param.name); });

// A non-finite charge beyond the origin spoils the trial solution: its norm is refused
// instead of ending in a converged NaN.
TEST_F(EigenvalueSearch, NonFiniteNormIsRefused) {
  charge.fill(1.0);
  charge(500) = kNaN;
  energy = -0.5;
  EXPECT_EQ(MASTER(p, q, charge, energy, 1, 0, extent, iterations), Status::error);
  EXPECT_EQ(report_text(), "  Error in master: norm of the trial solution is zero or not finite\r\n");
}

// Whatever 32-bit charge and first guess: a normalised bound state or an error return,
// never an index off the grid (the sanitizer build checks every index).
TEST_F(EigenvalueSearch, AnyChargeAndGuessEndsCleanly) {
  const std::vector<double> charges{
      static_cast<double>(INT_MIN), -1e6, -1.0, 0.0, 1.0, 3.0, 86.0, 3e4, 1e6, 1073741824.0,
      static_cast<double>(INT_MAX)};
  for (const double z : charges) {
    const double scale = z != 0.0 ? -0.5 * z * z : -0.5;
    for (const double guess : {scale, 0.5 * scale, 4.0 * scale, -1.0, -1e-300, -1e300}) {
      report::capture_unit(report::kReportUnit);  // starts an empty capture
      const Status status = search(z, guess, 2, 0);
      SCOPED_TRACE("charge " + std::to_string(z) + ", guess " + std::to_string(guess));
      ASSERT_GE(iterations, 1);
      ASSERT_LE(iterations, 30);
      if (status == Status::ok) {
        EXPECT_TRUE(std::isfinite(energy) && energy < 0.0);
        EXPECT_GE(extent, 27);
        EXPECT_LE(extent, kGridPoints);
        EXPECT_NEAR(norm(), 1.0, 1e-13);
        EXPECT_EQ(error_lines(), 0);
      } else {
        EXPECT_TRUE(iterations == 30 || error_lines() == 1) << report_text();
      }
    }
  }
}

// ---------------------------------------------------------------- searches side by side

struct Problem {
  int n;
  int l;
  double guess;
};

struct Company {
  const char* name;
  std::vector<Problem> problems;
  int first_failed;  // index of the first failing search, or the number of searches
};

constexpr double kTooShallow = -0.0005;  // 30 trials, each with series warnings

class SearchesSideBySide : public RadialTest, public ::testing::WithParamInterface<Company> {
 protected:
  void SetUp() override {
    RadialTest::SetUp();
    for (int i = 1; i <= kGridPoints; ++i) charge(i) = 1.0 + 19.0 / (1.0 + r(i));  // a screened nucleus
  }
};

// run_searches gives each search what MASTER gives it alone, to the bit, and the lines of the
// searches up to the first failing one in order; a search that fails late in its turn still
// wins over a later one that fails at once.
TEST_P(SearchesSideBySide, GiveWhatEachGivesAlone) {
  const std::vector<Problem>& problems = GetParam().problems;
  const int count = static_cast<int>(problems.size());
  struct Result {
    Radial p;
    Radial q;
    Radial v;
    double energy = 0.0;
    int extent = 0;
    int iterations = 0;
    Status status = Status::ok;
    std::string lines;
  };
  std::vector<Result> alone(problems.size());
  std::vector<Result> together(problems.size());
  std::string expected_lines;
  for (int k = 0; k < count; ++k) {
    const Problem& s = problems[static_cast<std::size_t>(k)];
    Result& a = alone[static_cast<std::size_t>(k)];
    a.p.fill(kNaN);
    a.q.fill(kNaN);
    a.energy = s.guess;
    report::capture_unit(report::kReportUnit);  // starts an empty capture
    a.status = MASTER(a.p, a.q, charge, a.energy, s.n, s.l, a.extent, a.iterations);
    a.lines = report_text();
    if (k <= GetParam().first_failed) expected_lines += a.lines;
  }

  report::capture_unit(report::kReportUnit);
  std::vector<hf::EigenvalueSearch> searches(problems.size());
  std::vector<ReportLines> lines(problems.size(), ReportLines(ReportLines::Mode::hold));
  for (std::size_t k = 0; k < problems.size(); ++k) {
    Result& t = together[k];
    t.p.fill(kNaN);
    t.q.fill(kNaN);
    potential_term(charge, problems[k].l, 2, kGridPoints, t.v);
    searches[k].begin(t.p, t.q, charge, t.v, problems[k].guess, problems[k].n, problems[k].l, 0, lines[k]);
  }
  const int failed = run_searches(searches.data(), count);
  ASSERT_EQ(failed, GetParam().first_failed);
  for (int k = 0; k < count && k <= failed; ++k) {
    const auto u = static_cast<std::size_t>(k);
    SCOPED_TRACE("search " + std::to_string(k));
    lines[u].release();
    EXPECT_EQ(searches[u].status(), alone[u].status);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(searches[u].energy()), std::bit_cast<std::uint64_t>(alone[u].energy));
    EXPECT_EQ(searches[u].extent(), alone[u].extent);
    EXPECT_EQ(searches[u].iterations(), alone[u].iterations);
    EXPECT_EQ(differing_points(together[u].p, alone[u].p), "");
    EXPECT_EQ(differing_points(together[u].q, alone[u].q), "");
  }
  EXPECT_EQ(report_text(), expected_lines);
}

INSTANTIATE_TEST_SUITE_P(
    Companies, SearchesSideBySide,
    ::testing::Values(
        Company{"alone", {{2, 1, -40.0}}, 1},
        // More searches than lanes, of every length: lanes refilled as trials end.
        Company{
            "shells_of_an_atom",
            {{1, 0, -150.0}, {2, 0, -40.0}, {2, 1, -40.0}, {3, 0, -15.0}, {3, 1, -15.0}, {3, 2, -15.0}, {4, 0, -8.0}},
            7},
        // A non-negative guess fails at the inward start of the first trial; the warning search
        // after it never shows.
        Company{"failure_in_the_middle",
                {{1, 0, -150.0}, {2, 1, -40.0}, {3, 0, 0.0}, {3, 1, -15.0}, {4, 0, kTooShallow}},
                2},
        // A search that warns on every trial and fails after 30 wins over a later one failing at once.
        Company{"slow_failure_first", {{4, 0, kTooShallow}, {1, 0, -150.0}, {2, 0, 0.5}}, 0},
        Company{"warnings_then_failure", {{1, 0, -150.0}, {2, 0, -40.0}, {4, 1, kTooShallow}, {3, 2, -15.0}}, 2},
        Company{"not_finite_first", {{1, 0, kNaN}, {4, 0, kTooShallow}, {2, 0, -40.0}}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hf::test
