// The results stage: the core energy against analytic two-electron integrals, the layout of the
// energy table and the overlap tables, and the overlaps of a converged run.
#include "results/results_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "hartree_stage.h"
#include "hydrogenic.h"
#include "results_fixture.h"
#include "scf/exchange_update.h"
#include "scf/hartree_fock_driver.h"

namespace hf::test {
namespace {

struct CoreShell {
  int n;
  int l;
  int occupancy;
  double energy;
};

// A core of hydrogen-like orbitals of one charge Z. Its electron-electron energy is the
// closed-shell combination of their Slater integrals, which are Z times those of hydrogen:
// F0(1s,1s) = 5/8, F0(1s,2s) = 17/81, G0(1s,2s) = 16/729, F0(2s,2s) = 77/512,
// F0(1s,2p) = 59/243, G1(1s,2p) = 112/2187, F0(2p,2p) = 93/512, F2(2p,2p) = 45/512.
struct HydrogenicCore {
  const char* name;
  double z;
  std::vector<CoreShell> shells;
  double interaction_per_z;
};

void PrintTo(const HydrogenicCore& core, std::ostream* out) { *out << core.name; }

class CoreEnergy : public ResultsTest, public ::testing::WithParamInterface<HydrogenicCore> {};

// The orbital energies include each electron's interaction with all the others, so the total
// energy is sum q e minus the interaction counted once per pair.
TEST_P(CoreEnergy, IsTheSumOfOrbitalEnergiesLessThePairInteraction) {
  const HydrogenicCore& core = GetParam();
  atom.shells.nuclear_charge = static_cast<int>(core.z);
  double orbital_sum = 0.0;
  for (const CoreShell& s : core.shells) {
    add_shell(s.n, s.l, s.occupancy, s.energy, [&](double r) { return hydrogenic_p(core.z, s.n, s.l, r); });
    orbital_sum += s.occupancy * s.energy;
  }
  ASSERT_EQ(OUTPUT(), Status::ok);
  const double want = orbital_sum - core.interaction_per_z * core.z;
  // The grid integrals reproduce the analytic ones to about 1e-10; the printed value has 8 decimals.
  EXPECT_NEAR(printed_core_energy(), want, 2e-9 * std::fabs(want));
}

INSTANTIATE_TEST_SUITE_P(Cores, CoreEnergy,
                         ::testing::Values(
                             // One pair in 1s: F0(1s,1s).
                             HydrogenicCore{"OneS", 2.0, {{1, 0, 2, -0.9}}, 5.0 / 8.0},
                             // 1s2 2s2: both self pairs, four 1s-2s pairs, two of them with parallel spins.
                             HydrogenicCore{"OneSTwoS",
                                            4.0,
                                            {{1, 0, 2, -5.0}, {2, 0, 2, -0.3}},
                                            5.0 / 8.0 + 77.0 / 512.0 + 4.0 * 17.0 / 81.0 - 2.0 * 16.0 / 729.0},
                             // 1s2 2p6: 12 F0 - 2 G1 between the shells, 15 F0 - 6/5 F2 inside the closed p shell.
                             HydrogenicCore{"OneSTwoP",
                                            10.0,
                                            {{1, 0, 2, -32.8}, {2, 1, 6, -0.85}},
                                            5.0 / 8.0 + 12.0 * 59.0 / 243.0 - 2.0 * 112.0 / 2187.0 +
                                                15.0 * 93.0 / 512.0 - 6.0 / 5.0 * 45.0 / 512.0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Six shells 1s 2s 2p 3s 3p 3d built from orthonormal hydrogen-like orbitals so that every
// overlap is a chosen round number: the tables show which entry lands where.
TEST_F(ResultsTest, ReportShowsLevelsCoreEnergyAndOverlapTablesInOrderSPD) {
  const double z = 29.0;
  atom.names.atom_symbol = {'C', 'u', '+', ' '};
  atom.shells.nuclear_charge = 29;
  auto phi = [z](int n, int l) { return [z, n, l](double r) { return hydrogenic_p(z, n, l, r); }; };
  const auto s1 = phi(1, 0), s2 = phi(2, 0), s3 = phi(3, 0), p2 = phi(2, 1), p3 = phi(3, 1), d3 = phi(3, 2);
  add_shell(1, 0, 2, -0.5, [&](double r) { return std::sqrt(1.004) * s1(r); });
  add_shell(2, 0, 2, -12.25, [&](double r) { return 0.05 * s1(r) + s2(r); });
  add_shell(2, 1, 6, -10.5, [&](double r) { return std::sqrt(1.001) * p2(r); });
  add_shell(3, 0, 2, -2.0, [&](double r) { return 0.03 * s1(r) - 0.002 * s2(r) + s3(r); });
  add_shell(3, 1, 6, -1.5, [&](double r) { return -0.04 * p2(r) + p3(r); });
  add_shell(3, 2, 10, -0.25, [&](double r) { return std::sqrt(1.0 - 7e-4) * d3(r); });

  ASSERT_EQ(OUTPUT(), Status::ok);
  std::vector<std::string> console = lines_of(console_text());
  const std::vector<std::string> want = {
      "",
      "  Hartree-Fock Energy Levels for Cu+   Z = 29",
      "",
      "  Shell  #el        Energy",
      "    1s    2       -0.500000",
      "    2s    2      -12.250000",
      "    2p    6      -10.500000",
      "    3s    2       -2.000000",
      "    3p    6       -1.500000",
      "    3d   10       -0.250000",
      "",
      "(core energy)",
      "",
      "  *****  scalar products   *****",
      "",
      "                1s >      2s >      3s >     ",
      "  < 1s |      4.0E-03",
      "  < 2s |      5.0E-02   2.5E-03",
      "  < 3s |      3.0E-02  -5.0E-04   9.0E-04",
      "",
      "                2p >      3p >     ",
      "  < 2p |      1.0E-03",
      "  < 3p |     -4.0E-02   1.6E-03",
      "",
      "                3d >     ",
      "  < 3d |     -7.0E-04",
  };
  ASSERT_EQ(console.size(), want.size()) << console_text();
  // The core energy of these non-orthonormal orbitals has no closed form; only its field is checked.
  EXPECT_EQ(console[11].substr(0, 11), "   Ehf core");
  EXPECT_EQ(console[11].size(), 29u);
  EXPECT_FALSE(std::isnan(printed_core_energy()));
  console[11] = "(core energy)";
  EXPECT_EQ(console, want);

  // The report file holds the same lines, then the two empty lines of a single line break.
  EXPECT_EQ(report_text(), console_text() + "\r\n\r\n");
}

struct HeaderCase {
  int shells;
  std::vector<std::string> header;  // the lines between the empty line and the first row
};

void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.shells << " s shells"; }

class OverlapHeader : public ResultsTest, public ::testing::WithParamInterface<HeaderCase> {};

// The header holds eight label groups; the ninth label starts a new line at the group, and
// the trailing blanks of an unfilled group appear only when labels run out within a line.
TEST_P(OverlapHeader, HoldsEightLabelsALine) {
  const HeaderCase& c = GetParam();
  for (int n = 1; n <= c.shells; ++n) add_shell(n, 0, 2, -1.0, [](double r) { return hydrogenic_p(10.0, 1, 0, r); });
  ASSERT_EQ(OUTPUT(), Status::ok);
  const std::vector<std::string> console = lines_of(console_text());
  std::size_t at = 0;
  while (at < console.size() && console[at] != "  *****  scalar products   *****") ++at;
  ASSERT_LT(at + 2 + c.header.size(), console.size());
  EXPECT_EQ(console[at + 1], "");
  for (std::size_t k = 0; k < c.header.size(); ++k) EXPECT_EQ(console[at + 2 + k], c.header[k]) << "line " << k;
  EXPECT_EQ(console[at + 2 + c.header.size()].substr(0, 9), "  < 1s | ");
}

INSTANTIATE_TEST_SUITE_P(
    Counts, OverlapHeader,
    ::testing::Values(
        HeaderCase{8, {"                1s >      2s >      3s >      4s >      5s >      6s >      7s >      8s > "}},
        HeaderCase{10,
                   {"                1s >      2s >      3s >      4s >      5s >      6s >      7s >      8s > ",
                    "     9s >     10s >     "}}),
    [](const auto& info) { return std::to_string(info.param.shells) + "Shells"; });

// A converged krypton core: the tables group 1s-4s, 2p-4p and 3d, and since Hartree-Fock
// orbitals are orthonormal, every diagonal entry (norm minus 1) and off-diagonal overlap is tiny.
TEST_F(ResultsTest, ConvergedKryptonOrbitalsAreOrthonormalWithinEachL) {
  run_input_and_hartree_stages("Kr\n8\n36\n");
  ASSERT_EQ(PICKUP(EXCHAN), Status::ok);
  ASSERT_EQ(OUTPUT(), Status::ok);

  const std::string console = console_text();
  const std::string tables = console.substr(console.find("  *****  scalar products   *****"));
  std::vector<std::string> headers;
  std::vector<std::string> row_labels;
  for (const std::string& line : lines_of(tables)) {
    if (line.rfind("           ", 0) == 0) headers.push_back(line);
    if (line.rfind("  <", 0) != 0) continue;
    row_labels.push_back(line.substr(3, 4));
    const std::size_t count = (line.size() - 11) / 10;
    for (std::size_t k = 0; k < count; ++k) {
      const double value = std::stod(line.substr(11 + 10 * k, 10));
      const bool diagonal = k + 1 == count;
      EXPECT_LE(std::fabs(value), diagonal ? 1e-12 : 1e-5) << line;
    }
  }
  EXPECT_EQ(headers,
            (std::vector<std::string>{"                1s >      2s >      3s >      4s >     ",
                                      "                2p >      3p >      4p >     ", "                3d >     "}));
  EXPECT_EQ(row_labels, (std::vector<std::string>{" 1s ", " 2s ", " 3s ", " 4s ", " 2p ", " 3p ", " 4p ", " 3d "}));
}

}  // namespace
}  // namespace hf::test
