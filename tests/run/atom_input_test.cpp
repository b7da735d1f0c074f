// The input stage: dialogue, shell table, echo lines and its two refusals.
#include "run/atom_input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "app/run_state.h"
#include "report/text_units.h"
#include "state/atomic_state.h"

namespace hf {
namespace {

class AtomInput : public ::testing::Test {
 protected:
  void SetUp() override {
    start_fresh_run();
    report::capture_unit(report::kConsoleOut);
    report::capture_unit(report::kReportUnit);
  }
  void TearDown() override { start_fresh_run(); }

  Status run(const std::string& input) {
    report::set_console_input(input);
    return DATAIN(damping, g_factor);
  }
  static std::string report_text() { return report::captured(report::kReportUnit); }
  static std::string label(int j) {
    return std::string(atom.names.shell_label(j).begin(), atom.names.shell_label(j).end());
  }

  double damping = -1.0;
  double g_factor = -1.0;
};

constexpr const char* kPrompts =
    " Symbol A4\r\n number of shells 1s 2s 2p 3s 3p..\r\n nuclear charge\r\n no valence electrons\r\n";

TEST_F(AtomInput, HeliumEchoAndSettings) {
  ASSERT_EQ(run("He\n1\n2\n"), Status::ok);
  EXPECT_EQ(report::captured(report::kConsoleOut), kPrompts);
  EXPECT_EQ(report_text(),
            "   Input data for He  \r\n\r\n"
            "He     1   2   0\r\n"
            "     1s        2            -2.00000\r\n"
            "\r\n r0 =   0.00020     h=   0.01192\r\n\r\n"
            " damping factor =   0.900\r\n\r\n"
            " gI =  0.0000000\r\n");
  EXPECT_EQ(damping, 0.8999999761581421);
  EXPECT_EQ(g_factor, 0.0);
  EXPECT_EQ(atom.report.report_unit, 8);
  EXPECT_EQ(atom.shells.core_count, 1);
  EXPECT_EQ(atom.grid.effective_charge(1), 2.0);
}

TEST_F(AtomInput, SixShellsGiveTheTwentyEightElectronCore) {
  ASSERT_EQ(run("Cu+\n6\n29\n"), Status::ok);
  const char* labels[] = {" 1s ", " 2s ", " 2p ", " 3s ", " 3p ", " 3d "};
  const int n[] = {1, 2, 2, 3, 3, 3};
  const int occupancy[] = {2, 2, 6, 2, 6, 10};
  int electrons = 0;
  for (int j = 1; j <= 6; ++j) {
    EXPECT_EQ(label(j), labels[j - 1]);
    EXPECT_EQ(atom.shells.shell_occupancy(j), occupancy[j - 1]);
    EXPECT_EQ(atom.energies.shell_energy_guess(j), -(29.0 * 29.0) / (2.0 * n[j - 1] * n[j - 1]));
    electrons += atom.shells.shell_occupancy(j);
  }
  EXPECT_EQ(electrons, 28);
  EXPECT_EQ(atom.shells.core_count, 6);
}

TEST_F(AtomInput, ShellsBeyondTheCountStayZeroAndBlank) {
  ASSERT_EQ(run("Ne\n3\n10\n"), Status::ok);
  for (int j = 4; j <= kMaxShells; ++j) {
    EXPECT_EQ(atom.shells.shell_n(j), 0);
    EXPECT_EQ(atom.shells.shell_l(j), 0);
    EXPECT_EQ(atom.shells.shell_occupancy(j), 0);
    EXPECT_EQ(label(j), "    ");
  }
}

TEST_F(AtomInput, MoreThanThirtyShellsIsRefusedAfterTheEcho) {
  ASSERT_EQ(run("X\n31\n5\n"), Status::error);
  EXPECT_EQ(report::captured(report::kConsoleOut), kPrompts);
  EXPECT_EQ(report_text(),
            "   Input data for X   \r\n\r\nX     31   5   0\r\n Too many input orbitals !!  shell dim =   30\r\n");
}

TEST_F(AtomInput, TwelveShellsRunOutOfQuantumNumbersAtShellTwelve) {
  ASSERT_EQ(run("Xe\n12\n54\n"), Status::error);
  const std::string text = report_text();
  const std::string message = "Error in enclab: principal quantum number out of range\r\n";
  ASSERT_GE(text.size(), message.size());
  EXPECT_EQ(text.substr(text.size() - message.size()), message);
  EXPECT_NE(text.find("    5p        6"), std::string::npos);
  EXPECT_EQ(text.find("r0 ="), std::string::npos);  // no grid after the failure
}

TEST_F(AtomInput, CountOfZeroSetsUpNoShellsAndStillBuildsTheGrid) {
  ASSERT_EQ(run("He\n0\n2\n"), Status::ok);
  EXPECT_EQ(report_text().find("1s"), std::string::npos);
  EXPECT_NE(report_text().find(" r0 =   0.00020"), std::string::npos);
}

TEST_F(AtomInput, LargestChargeSquaresWithoutOverflow) {
  ASSERT_EQ(run("Zz\n2\n2147483647\n"), Status::ok);
  const double z = 2147483647.0;
  EXPECT_DOUBLE_EQ(atom.energies.shell_energy_guess(1), -(z * z) / 2.0);
  EXPECT_DOUBLE_EQ(atom.energies.shell_energy_guess(2), -(z * z) / 8.0);
}

TEST_F(AtomInput, ReportFileIsNamedFromTheSymbol) {
  EXPECT_EQ(report_file_name({'H', 'e', ' ', ' '}), "He  .out");
  EXPECT_EQ(report_file_name({'H', ' ', ' ', ' '}), "H   .out");
  EXPECT_EQ(report_file_name({' ', 'N', 'e', ' '}), "Ne .out");
  EXPECT_EQ(report_file_name({'H', 'e', 'l', 'i'}), "Heli.out");
  for (const Text4& bad : {Text4{' ', ' ', ' ', ' '}, Text4{'a', '/', 'b', ' '}, Text4{'/', ' ', ' ', ' '},
                           Text4{'H', '\0', ' ', ' '}, Text4{'\t', 'H', ' ', ' '}, Text4{'H', 'e', '\x7f', ' '}})
    EXPECT_THROW(report_file_name(bad), report::RunDiagnostic);
}

// Every example input sets up closed shells holding all electrons of its atom
// (one fewer than the nuclear charge for a singly charged positive ion).
TEST_F(AtomInput, ExampleInputsHoldEveryElectronOfTheirAtom) {
  int examples = 0;
  for (const auto& entry : std::filesystem::directory_iterator(HFATOM_EXAMPLES)) {
    if (entry.path().extension() != ".in") continue;
    ++examples;
    SetUp();
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_EQ(run(text.str()), Status::ok) << entry.path();
    int electrons = 0;
    for (int j = 1; j <= atom.shells.shell_count; ++j) electrons += atom.shells.shell_occupancy(j);
    const std::string symbol(atom.names.atom_symbol.begin(), atom.names.atom_symbol.end());
    const int ion_charge = symbol.find('+') != std::string::npos ? 1 : 0;
    EXPECT_EQ(electrons, atom.shells.nuclear_charge - ion_charge) << entry.path();
  }
  EXPECT_EQ(examples, 11);
}

}  // namespace
}  // namespace hf
