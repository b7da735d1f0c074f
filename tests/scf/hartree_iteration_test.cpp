// Hartree iteration on hand-built closed-shell tables: its log, its finish and its refusal.
#include "scf/hartree_iteration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "radial/eigenvalue_search.h"
#include "report/text_units.h"
#include "report_capture.h"
#include "run/radial_grid.h"
#include "run/shell_labels.h"
#include "state/atomic_state.h"

namespace hf {
namespace {

const double kDamping = static_cast<double>(0.9F);

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(start, text.size()) << "text after the last line end";
  return lines;
}

std::string opening_lines(const std::string& symbol) {
  return "\r\n Start Hartree Iteration for " + symbol + "\r\n\r\n";
}

class HartreeIteration : public ReportCapture {
 protected:
  // The first `count` closed shells 1s 2s 2p 3s 3p around nuclear charge z, as the input
  // stage sets them up: occupancy 4l + 2, guess -z^2 / (2 n^2), the bare nucleus as potential.
  static void set_up_atom(const std::string& symbol, int count, int z) {
    static constexpr int kN[] = {1, 2, 2, 3, 3};
    static constexpr int kL[] = {0, 0, 1, 0, 1};
    auto& shells = atom.shells;
    for (std::size_t c = 0; c < 4; ++c) atom.names.atom_symbol[c] = c < symbol.size() ? symbol[c] : ' ';
    shells.shell_count = count;
    shells.core_count = count;
    shells.nuclear_charge = z;
    for (int j = 1; j <= count; ++j) {
      shells.shell_n(j) = kN[j - 1];
      shells.shell_l(j) = kL[j - 1];
      ASSERT_EQ(ENCLAB(shells.shell_n(j), shells.shell_l(j)), Status::ok);
      atom.names.shell_label(j) = atom.labels.label_buffer;
      shells.shell_occupancy(j) = 4 * kL[j - 1] + 2;
      atom.energies.shell_energy_guess(j) = -double(z * z) / (2.0 * kN[j - 1] * kN[j - 1]);
    }
    set_up_grid();
  }
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Iteration 1 of helium as the reference run has it: the opening lines, the hydrogen-like
// -2.00000 of the input stage found again in the bare nucleus at the first trial energy
// (k =  1), and the first relative error.
TEST_F(HartreeIteration, HeliumFirstIterationAsInTheReferenceRun) {
  set_up_atom("He", 1, 2);
  ASSERT_EQ(HARTNR(kDamping), Status::ok);
  const std::string reference = read_file(HFATOM_TEST_DATA "/He/He  .out");
  const std::size_t from = reference.find(opening_lines("He  "));
  ASSERT_NE(from, std::string::npos);
  const std::size_t to = reference.find("\r\n\r\n", reference.find("  loop   1 ", from)) + 4;
  const std::string first_iteration = reference.substr(from, to - from);
  ASSERT_NE(first_iteration.find("  E( 1s ) =        -2.00000        -2.00000      k =  1\r\n"), std::string::npos);
  EXPECT_EQ(report_text().substr(0, first_iteration.size()), first_iteration);
}

struct AtomCase {
  std::string symbol;
  int shells;
  int z;
  double damping;
  bool converges;
  std::vector<std::string> first_guesses;  // first energy column of iteration 1
};

std::string atom_case_name(const ::testing::TestParamInfo<AtomCase>& info) {
  const AtomCase& c = info.param;
  return c.symbol + (c.converges ? "_converges" : "_runs_out");
}

class HartreeRun : public HartreeIteration, public ::testing::WithParamInterface<AtomCase> {
 protected:
  void SetUp() override {
    HartreeIteration::SetUp();
    const AtomCase& c = GetParam();
    set_up_atom(c.symbol, c.shells, c.z);
    ASSERT_EQ(HARTNR(c.damping), Status::ok);
  }
};

// The opening lines, then per iteration one energy line per shell in shell order, the loop
// line and an empty line, the converged iteration included; the warning only after 100
// iterations without convergence, and nothing else.
TEST_P(HartreeRun, LogsEveryIterationUpToTheConvergedOne) {
  const AtomCase& c = GetParam();
  const std::string text = report_text();
  ASSERT_EQ(text.rfind(opening_lines(c.symbol + std::string(4 - c.symbol.size(), ' ')), 0), 0U);
  const std::vector<std::string> lines = split_lines(text);
  std::size_t at = 3;
  std::vector<double> errors;
  while (at < lines.size() && lines[at].rfind("  E(", 0) == 0) {
    const int it = static_cast<int>(errors.size()) + 1;
    for (int j = 1; j <= c.shells; ++j, ++at) {
      ASSERT_LT(at, lines.size());
      const std::string& energy = lines[at];
      const auto& label = atom.names.shell_label(j);
      ASSERT_EQ(energy.size(), 55U) << energy;
      EXPECT_EQ(energy.substr(0, 11), "  E(" + std::string(label.begin(), label.end()) + ") =") << energy;
      EXPECT_EQ(energy.substr(43, 9), "      k =") << energy;
      if (it == 1) {
        const std::string& guess = c.first_guesses[j - 1];
        EXPECT_EQ(energy.substr(11, 16), std::string(16 - guess.size(), ' ') + guess);
      }
    }
    ASSERT_LT(at + 1, lines.size());
    const std::string& loop_line = lines[at];
    char number[16];
    std::snprintf(number, sizeof number, "%3d", it);
    ASSERT_EQ(loop_line.size(), 31U) << loop_line;
    EXPECT_EQ(loop_line.substr(0, 22), std::string("  loop ") + number + "   rel-err =") << loop_line;
    errors.push_back(std::stod(loop_line.substr(22)));
    EXPECT_EQ(lines[at + 1], "");
    at += 2;
  }
  ASSERT_FALSE(errors.empty());
  for (std::size_t i = 0; i + 1 < errors.size(); ++i) EXPECT_GE(errors[i], 1.0e-3) << "iteration " << i + 1;
  if (c.converges) {
    EXPECT_LE(errors.back(), 1.0e-3);
    EXPECT_EQ(at, lines.size()) << "after the converged iteration: " << lines[at];
  } else {
    EXPECT_EQ(errors.size(), 100U);
    EXPECT_GE(errors.back(), 1.0e-3);
    ASSERT_EQ(at + 1, lines.size());
    EXPECT_EQ(lines[at], " Warning hartree: Iteration has not converged");
  }
}

// On return the potential is the one the orbitals were computed in, not the one mixed after
// them: the eigenvalue search in it, started from the returned eigenvalue, gives that
// eigenvalue and orbital back. A shift of the last mixing (0.1 % of the energy or so) shows.
TEST_P(HartreeRun, LeavesThePotentialOfItsOrbitals) {
  const auto& shells = atom.shells;
  const auto& energies = atom.energies;
  EXPECT_EQ(atom.grid.effective_charge(1), double(shells.nuclear_charge));
  for (int j = 1; j <= shells.core_count; ++j) {
    EXPECT_EQ(energies.shell_energy_guess(j), energies.shell_energy(j)) << "shell " << j;
    Radial p;
    Radial q;
    double energy = energies.shell_energy(j);
    int extent = 0;
    int iterations = 0;
    ASSERT_EQ(
        MASTER(p, q, atom.grid.effective_charge, energy, shells.shell_n(j), shells.shell_l(j), extent, iterations),
        Status::ok);
    EXPECT_NEAR(energy, energies.shell_energy(j), 1e-12 * std::fabs(energy)) << "shell " << j;
    ASSERT_EQ(extent, shells.shell_extent(j)) << "shell " << j;
    for (int i = 1; i <= extent; ++i) {
      ASSERT_NEAR(p(i), atom.hartree.hartree_p(i, j), 1e-9) << "shell " << j << ", point " << i;
    }
  }
}

// Helium mixed at 0.99 old charge shrinks its relative error by well under 1 % per iteration
// from some 6e-3: still above 1e-3 after 100 iterations.
INSTANTIATE_TEST_SUITE_P(
    ClosedShells, HartreeRun,
    ::testing::Values(AtomCase{"Ne", 3, 10, kDamping, true, {"-50.00000", "-12.50000", "-12.50000"}},
                      AtomCase{"He", 1, 2, 0.99, false, {"-2.00000"}}),
    atom_case_name);

// One electron: no screening, so the potential stays the bare nucleus exactly, the energy
// shifts are zero and the first iteration converges with a relative error of 0.
TEST_F(HartreeIteration, OneElectronKeepsTheBareNucleus) {
  set_up_atom("H", 1, 1);
  atom.shells.shell_occupancy(1) = 1;
  ASSERT_EQ(HARTNR(kDamping), Status::ok);
  for (int i = 1; i <= kGridPoints; ++i) ASSERT_EQ(atom.grid.effective_charge(i), 1.0) << "point " << i;
  EXPECT_NEAR(atom.energies.shell_energy(1), -0.5, 1e-12);
  EXPECT_EQ(atom.energies.shell_energy_guess(1), atom.energies.shell_energy(1));
  const std::vector<std::string> lines = split_lines(report_text());
  ASSERT_EQ(lines.size(), 6U) << report_text();
  EXPECT_EQ(report_text().rfind(opening_lines("H   "), 0), 0U);
  EXPECT_EQ(lines[3].substr(0, 52), "  E( 1s ) =        -0.50000        -0.50000      k =");
  EXPECT_EQ(lines[4], "  loop   1   rel-err =  0.0E+00");
  EXPECT_EQ(lines[5], "");
}

struct FailingShell {
  const char* name;
  std::vector<double> guesses;  // of shells 1s 2s 2p 3s 3p of neon
  int failing;                  // the first shell whose search fails
};

class ShellFailure : public HartreeIteration, public ::testing::WithParamInterface<FailingShell> {};

// The searches of all shells run together, yet the report and the shell table are those of the
// searches one after the other: every line of the shells up to the failing one (the failing
// one's message last), their results stored, and nothing of the shells after it, though they
// would warn or fail too.
TEST_P(ShellFailure, EndsItAsTheSearchesInTurn) {
  const FailingShell& c = GetParam();
  set_up_atom("Ne", 5, 10);
  auto& shells = atom.shells;
  for (int j = 1; j <= 5; ++j) {
    atom.energies.shell_energy_guess(j) = c.guesses[static_cast<std::size_t>(j - 1)];
    atom.energies.shell_energy(j) = 7.0;  // sentinels
    shells.shell_extent(j) = -7;
    shells.shell_iterations(j) = -7;
  }
  const Radial bare = atom.grid.effective_charge;
  std::string expected = opening_lines("Ne  ");
  struct Found {
    double energy;
    int extent;
    int iterations;
  };
  std::vector<Found> found;
  for (int j = 1; j <= c.failing; ++j) {
    report::capture_unit(report::kReportUnit);  // starts an empty capture
    Radial p;
    Radial q;
    Found f{atom.energies.shell_energy_guess(j), -7, 0};
    const Status status = MASTER(p, q, bare, f.energy, shells.shell_n(j), shells.shell_l(j), f.extent, f.iterations);
    ASSERT_EQ(status, j == c.failing ? Status::error : Status::ok) << "shell " << j;
    expected += report_text();
    found.push_back(f);
  }
  report::capture_unit(report::kReportUnit);
  EXPECT_EQ(HARTNR(kDamping), Status::error);
  EXPECT_EQ(report_text(), expected);
  for (int j = 1; j <= 5; ++j) {
    SCOPED_TRACE("shell " + std::to_string(j));
    const Found f = j <= c.failing ? found[static_cast<std::size_t>(j - 1)] : Found{7.0, -7, -7};
    EXPECT_EQ(atom.energies.shell_energy(j), f.energy);
    EXPECT_EQ(shells.shell_extent(j), f.extent);
    EXPECT_EQ(shells.shell_iterations(j), f.iterations);
  }
}

constexpr double kTooShallow = -0.0005;  // a search that warns on every trial, then fails

INSTANTIATE_TEST_SUITE_P(FirstIteration, ShellFailure,
                         ::testing::Values(FailingShell{"refused_guess", {-50.0, -12.5, -12.5, 0.0, kTooShallow}, 4},
                                           FailingShell{
                                               "out_of_trials", {-50.0, kTooShallow, -12.5, 0.0, kTooShallow}, 2},
                                           FailingShell{"first_shell", {0.0, -12.5, kTooShallow, -5.0, -5.0}, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

class NoCoreShells : public HartreeIteration, public ::testing::WithParamInterface<int> {};

TEST_P(NoCoreShells, FailsWithItsOwnMessageOnly) {
  set_up_atom("He", 0, 2);
  atom.shells.core_count = GetParam();
  EXPECT_EQ(HARTNR(kDamping), Status::error);
  EXPECT_EQ(report_text(), "  Error in hartnr: no shells to iterate\r\n");
  for (int i = 1; i <= kGridPoints; ++i) ASSERT_EQ(atom.grid.effective_charge(i), 2.0) << "point " << i;
}

INSTANTIATE_TEST_SUITE_P(ZeroAndNegative, NoCoreShells, ::testing::Values(0, -1));

}  // namespace
}  // namespace hf
