// The core Hartree-Fock driver (PICKUP): against a scripted update step, whose each update of
// a shell changes its energy by a chosen amount and whose every call is recorded; and with
// the exchange update itself, against published orbital energies.
#include "scf/hartree_fock_driver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "hartree_stage.h"
#include "report/text_units.h"
#include "report_capture.h"
#include "scf/exchange_update.h"
#include "state/atomic_state.h"

namespace hf {
namespace {

struct Call {
  int shell;
  double norm_tolerance;
  bool final_sweep;
};

struct ScriptedUpdate {
  std::vector<Call> calls;
  std::function<double(int shell, int update)> change;  // update counts the shell's calls from 1
  int failing_call = 0;                                 // the call that takes the error return
  OneBased<int, kMaxShells> updates{};
} script;

// The update step PICKUP is given in place of EXCHAN.
Status scripted_update(int shell_index, double norm_tolerance, bool final_sweep) {
  script.calls.push_back({shell_index, norm_tolerance, final_sweep});
  if (static_cast<int>(script.calls.size()) == script.failing_call) return Status::error;
  const int update = ++script.updates(shell_index);
  atom.energies.shell_energy(shell_index) += script.change(shell_index, update);
  return Status::ok;
}

class Pickup : public ReportCapture {
 protected:
  void SetUp() override {
    ReportCapture::SetUp();
    script = ScriptedUpdate{};
    atom.names.atom_symbol = {'B', 'e', ' ', ' '};
  }
  // Core shells with these starting energies, labelled " 1s ", " 2s ", ...
  void set_shells(const std::vector<double>& energies) {
    atom.shells.core_count = static_cast<int>(energies.size());
    for (int j = 1; j <= atom.shells.core_count; ++j) {
      atom.energies.shell_energy(j) = energies[static_cast<std::size_t>(j - 1)];
      atom.names.shell_label(j) = {' ', static_cast<char>('0' + j), 's', ' '};
    }
  }
  // Shells whose updates change the energy by the same amount every time.
  static double steady(int, int) { return 0.125; }

  std::vector<int> shells_updated() const {
    std::vector<int> shells;
    for (const Call& c : script.calls) shells.push_back(c.shell);
    return shells;
  }
  std::vector<double> tolerances() const {
    std::vector<double> t;
    for (const Call& c : script.calls) t.push_back(c.norm_tolerance);
    return t;
  }
  std::vector<bool> final_flags() const {
    std::vector<bool> f;
    for (const Call& c : script.calls) f.push_back(c.final_sweep);
    return f;
  }
  // The update lines of the log as "<kind> <number>", kind and number read from their columns.
  std::vector<std::string> log() const {
    std::vector<std::string> entries;
    const std::string text = report_text();
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find("\r\n", at);
      const std::string line = text.substr(at, end - at);
      at = end + 2;
      if (line.size() == 52) {
        std::string kind = line.substr(40, 8);
        kind.erase(kind.find_last_not_of(' ') + 1);
        entries.push_back(kind + " " + std::to_string(std::stoi(line.substr(48, 4))));
      }
    }
    return entries;
  }
  // The end of the report, as long as the text it is compared with.
  static std::string report_ending(const std::string& like) {
    const std::string text = report_text();
    return text.size() < like.size() ? text : text.substr(text.size() - like.size());
  }
};

TEST_F(Pickup, SettledShellsGoStraightToTheFinalSweep) {
  set_shells({-4.5, -0.25});
  script.change = [](int shell, int) { return shell == 1 ? -0.125 : -0.0625; };
  ASSERT_EQ(PICKUP(scripted_update), Status::ok);
  EXPECT_EQ(shells_updated(), (std::vector<int>{1, 1, 2, 2, 1, 2}));
  EXPECT_EQ(tolerances(), (std::vector<double>{1e-3, 1e-3, 1e-3, 1e-3, 1e-12, 1e-12}));
  EXPECT_EQ(final_flags(), (std::vector<bool>{false, false, false, false, true, true}));
  EXPECT_EQ(report_text(),
            "\r\n    Hartree-Fock Iteration for Be  \r\n\r\n"
            "   1s      -4.62500000    **********    initial    1\r\n"
            "   1s      -4.75000000    **********    initial    2\r\n"
            "   2s      -0.31250000    **********    initial    3\r\n"
            "   2s      -0.37500000    **********    initial    4\r\n"
            "   1s      -4.87500000       0.0E+00    final      5\r\n"
            "   2s      -0.43750000       0.0E+00    final      6\r\n");
}

// Measures of about 5e-2, 5e-4, 5e-6 and 5e-8 select the tolerances 1e-3 (kept), 1e-5,
// 1e-7 and 1e-9; then the measure is 0 and the final sweep uses 1e-12.
TEST_F(Pickup, ToleranceLadderFollowsTheWorstMeasure) {
  set_shells({-1e6});
  script.change = [](int, int update) {
    const double changes[] = {50505.05, 505.05, 5.05, 0.05};
    return update <= 4 ? changes[update - 1] : 0.0;
  };
  ASSERT_EQ(PICKUP(scripted_update), Status::ok);
  EXPECT_EQ(tolerances(), (std::vector<double>{1e-3, 1e-3, 1e-3, 1e-5, 1e-7, 1e-9, 1e-12}));
  EXPECT_EQ(log(), (std::vector<std::string>{"initial 1", "initial 2", "iterate 3", "iterate 4", "iterate 5",
                                             "iterate 6", "final 7"}));
  const std::string text = report_text();
  EXPECT_NE(text.find("\r\n   1s -948984.85000000       5.3E-02    iterate    3\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("   5.3E-08    iterate    6\r\n"), std::string::npos) << text;
}

struct Boundary {
  double energy;     // measure = 1 / |energy| exactly, at a threshold
  double tolerance;  // of the third call
  int calls;
};

class MeasureAtAThreshold : public Pickup, public ::testing::WithParamInterface<Boundary> {};

// The changes 1, 0, 0, ... of a shell at energy -X give the measure 1 / X exactly.
TEST_P(MeasureAtAThreshold, FallsOnTheSideOfTheStrictComparison) {
  const Boundary& b = GetParam();
  set_shells({b.energy - 1.0});
  script.change = [](int, int update) { return update == 1 ? 1.0 : 0.0; };
  ASSERT_EQ(PICKUP(scripted_update), Status::ok);
  ASSERT_EQ(static_cast<int>(script.calls.size()), b.calls);
  EXPECT_EQ(script.calls[2].norm_tolerance, b.tolerance);
  EXPECT_TRUE(script.calls.back().final_sweep);
}

INSTANTIATE_TEST_SUITE_P(Thresholds, MeasureAtAThreshold,
                         ::testing::Values(Boundary{-1e8, 1e-12, 3},  // 1e-8 counts as settled
                                           Boundary{-1e7, 1e-7, 4}, Boundary{-1e5, 1e-5, 4}, Boundary{-1e3, 1e-3, 4}));

// Shells 2 and 3 have the same largest measure (0.2): the lower index goes first; shell 1
// (measure 1/6) comes last.
TEST_F(Pickup, LeastSettledShellIsUpdatedTiesToTheLowerIndex) {
  set_shells({-2.0, -2.0, -2.0});
  script.change = [](int shell, int update) { return update == 1 ? 0.5 : (shell == 1 ? 0.3 : 0.25); };
  ASSERT_EQ(PICKUP(scripted_update), Status::ok);
  EXPECT_EQ(shells_updated(), (std::vector<int>{1, 1, 2, 2, 3, 3, 2, 3, 1, 1, 2, 3}));
  EXPECT_EQ(log().back(), "final 12");
}

// The final sweep's change differs from the one before: the main loop resumes, keeping the
// final tolerance 1e-12 while the measure is above 1e-3, and a second sweep confirms.
TEST_F(Pickup, UnconfirmedFinalSweepResumesTheMainLoop) {
  set_shells({-4.0});
  script.change = [](int, int update) { return update <= 2 ? 0.5 : 0.25; };
  ASSERT_EQ(PICKUP(scripted_update), Status::ok);
  EXPECT_EQ(tolerances(), (std::vector<double>{1e-3, 1e-3, 1e-12, 1e-12, 1e-12}));
  EXPECT_EQ(final_flags(), (std::vector<bool>{false, false, true, false, true}));
  EXPECT_EQ(log(), (std::vector<std::string>{"initial 1", "initial 2", "final 3", "iterate 4", "final 5"}));
  EXPECT_NE(report_text().find("   9.1E-02    final      3\r\n"), std::string::npos) << report_text();
}

// One shell: 100 passes in all, the last one numbered 100, then the error line.
TEST_F(Pickup, MainLoopBudgetIsOneHundredPassesPerShell) {
  set_shells({-1000.0});
  script.change = [](int, int update) { return update % 2 == 1 ? 1.0 : 2.0; };
  EXPECT_EQ(PICKUP(scripted_update), Status::error);
  EXPECT_EQ(script.calls.size(), 100u);
  EXPECT_EQ(log().back(), "iterate 100");
  const std::string ending = "iterate  100\r\n  Error in pickup: too many iterations\r\n";
  EXPECT_EQ(report_ending(ending), ending);
}

// Two shells: pass 200 settles, the final sweep is numbered 200 and 201, fails, and no pass
// is left.
TEST_F(Pickup, FinalSweepAtTheLastPassThatFailsEndsTheRun) {
  set_shells({-1e4, -1e4});
  script.change = [](int shell, int update) {
    if (shell == 2 || update == 197) return 2.0;  // update 197 repeats the change of 196
    if (update > 197) return 1.0;
    return update % 2 == 1 ? 1.0 : 2.0;
  };
  EXPECT_EQ(PICKUP(scripted_update), Status::error);
  EXPECT_EQ(script.calls.size(), 201u);
  const std::vector<std::string> entries = log();
  ASSERT_GE(entries.size(), 3u);
  EXPECT_EQ(entries[entries.size() - 3], "iterate 199");
  EXPECT_EQ(entries[entries.size() - 2], "final 200");
  EXPECT_EQ(entries.back(), "final 201");
  const std::string ending = "final    201\r\n  Error in pickup: too many iterations\r\n";
  EXPECT_EQ(report_ending(ending), ending);
}

class ExchangeFails : public Pickup, public ::testing::WithParamInterface<int> {};

// A failing update (initial, main loop or final sweep) ends the driver at once, without a
// line for that update or a message of its own.
TEST_P(ExchangeFails, EndsTheIterationAtOnce) {
  set_shells({-4.0});
  script.change = [](int, int update) { return update == 1 ? 0.5 : 0.25; };
  script.failing_call = GetParam();
  EXPECT_EQ(PICKUP(scripted_update), Status::error);
  EXPECT_EQ(static_cast<int>(script.calls.size()), GetParam());
  EXPECT_EQ(static_cast<int>(log().size()), GetParam() - 1);
  EXPECT_EQ(report_text().find("Error"), std::string::npos);
}

// Without a failure the calls are: initial 1, 2, iterate 3, final 4.
INSTANTIATE_TEST_SUITE_P(Calls, ExchangeFails, ::testing::Values(1, 2, 3, 4));

// ---------------------------------------------------------------- with the exchange update

struct PublishedAtom {
  const char* input;
  std::vector<double> energies;  // numerical Hartree-Fock orbital energies, hartree
};

class PublishedEnergies : public ReportCapture, public ::testing::WithParamInterface<PublishedAtom> {};

// The program's update step, EXCHAN, from the Hartree stage of a real atom: the final orbital
// energies against the published numerical Hartree-Fock values.
TEST_P(PublishedEnergies, FinalOrbitalEnergiesMatch) {
  const PublishedAtom& a = GetParam();
  run_input_and_hartree_stages(a.input);
  ASSERT_EQ(PICKUP(EXCHAN), Status::ok) << report_text();
  ASSERT_EQ(atom.shells.core_count, static_cast<int>(a.energies.size()));
  for (int j = 1; j <= atom.shells.core_count; ++j)
    EXPECT_NEAR(atom.energies.shell_energy(j), a.energies[j - 1], 2e-5) << "shell " << j;
}

INSTANTIATE_TEST_SUITE_P(Atoms, PublishedEnergies,
                         ::testing::Values(PublishedAtom{"He\n1\n2\n", {-0.91795556}},
                                           PublishedAtom{"Ne\n3\n10\n", {-32.77244, -1.93039, -0.85041}},
                                           PublishedAtom{"Ar\n5\n18\n",
                                                         {-118.61035, -12.32215, -9.57147, -1.27735, -0.59102}}),
                         [](const auto& info) { return std::string(info.param.input, 2); });

}  // namespace
}  // namespace hf
