// The exchange update of a shell (EXCHAN): its first call, the driving term it solves for, the
// norm loop and its refusals.
#include "scf/exchange_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hartree_stage.h"
#include "potentials/driven_solution.h"
#include "potentials/multipole_potential.h"
#include "radial/eigenvalue_search.h"
#include "radial/quadrature.h"
#include "report/text_units.h"
#include "report_capture.h"
#include "run/radial_grid.h"
#include "scf/hartree_iteration.h"
#include "state/atomic_state.h"

namespace hf {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double norm_of(const Radial& p, int m) {
  Radial w;
  for (int k = 1; k <= m; ++k) w(k) = p(k) * p(k) * atom.grid.drdt(k);
  return RINT(w, 1, m, 7, atom.grid.grid_step);
}

// A real neon core after the Hartree stage: the console dialogue of the input stage, then HARTNR.
class NeonCore : public ReportCapture {
 protected:
  void SetUp() override {
    ReportCapture::SetUp();
    run_input_and_hartree_stages("Ne\n3\n10\n");
    report::capture_unit(report::kReportUnit);  // only what follows the Hartree stage
  }

  static int extent(int j) { return atom.shells.shell_extent(j); }
};

// ---------------------------------------------------------------- first call and extents

TEST_F(NeonCore, FirstCallCopiesEveryCoreShellAtAllPoints) {
  for (int j = 1; j <= kMaxShells; ++j) {
    atom.hf.orbital_p.column(j).fill(kNaN);
    atom.hf.orbital_q.column(j).fill(kNaN);
  }
  ASSERT_EQ(EXCHAN(2, 1e-3, false), Status::ok);
  const auto& hf = atom.hf;
  const auto& hartree = atom.hartree;
  for (int j = 1; j <= 3; ++j) {
    const int first = j == 2 ? extent(2) + 1 : 1;  // shell 2 itself got its update up to its extent
    for (int k = first; k <= kGridPoints; ++k) {
      ASSERT_EQ(hf.orbital_p(k, j), hartree.hartree_p(k, j)) << "shell " << j << " point " << k;
      ASSERT_EQ(hf.orbital_q(k, j), hartree.hartree_q(k, j)) << "shell " << j << " point " << k;
    }
  }
  for (int k = 1; k <= extent(2); ++k) {
    ASSERT_TRUE(std::isfinite(hf.orbital_p(k, 2))) << k;
    ASSERT_TRUE(std::isfinite(hf.orbital_q(k, 2))) << k;
  }
  EXPECT_NE(hf.orbital_p(extent(2) / 2, 2), hartree.hartree_p(extent(2) / 2, 2));
  for (int j = 4; j <= kMaxShells; ++j) EXPECT_TRUE(std::isnan(hf.orbital_p(1, j))) << "shell " << j;
  EXPECT_EQ(report_text(), "");
}

// Values beyond a shell's extent are not maintained: with NaN there, a sequence of updates
// gives bit for bit the energies and orbitals of a clean run and leaves the NaN in place.
TEST_F(NeonCore, ValuesBeyondTheExtentsNeverEnterAnUpdate) {
  struct Call {
    int shell;
    double tolerance;
    bool final_sweep;
  };
  const std::vector<Call> calls{{1, 1e-3, false}, {2, 1e-3, false}, {3, 1e-3, false},
                                {1, 1e-5, false}, {2, 1e-12, true}, {3, 1e-12, true}};
  const auto after_hartree = std::make_unique<AtomicState>(atom);
  auto run = [&](bool poisoned) {
    reset_exchange_update();
    atom = *after_hartree;
    if (poisoned) {
      for (int j = 1; j <= 3; ++j)
        for (int k = extent(j) + 1; k <= kGridPoints; ++k) {
          atom.hartree.hartree_p(k, j) = kNaN;
          atom.hartree.hartree_q(k, j) = kNaN;
        }
    }
    std::vector<double> energies;
    for (const Call& c : calls) {
      EXPECT_EQ(EXCHAN(c.shell, c.tolerance, c.final_sweep), Status::ok);
      energies.push_back(atom.energies.shell_energy(c.shell));
    }
    return energies;
  };
  const std::vector<double> clean_energies = run(false);
  const auto clean = std::make_unique<AtomicState::HartreeFockOrbitals>(atom.hf);
  const std::vector<double> energies = run(true);
  const AtomicState::HartreeFockOrbitals& orbitals = atom.hf;
  EXPECT_EQ(energies, clean_energies);
  for (int j = 1; j <= 3; ++j) {
    for (int k = 1; k <= extent(j); ++k) {
      ASSERT_EQ(orbitals.orbital_p(k, j), clean->orbital_p(k, j)) << "shell " << j << " point " << k;
      ASSERT_EQ(orbitals.orbital_q(k, j), clean->orbital_q(k, j)) << "shell " << j << " point " << k;
    }
    for (int k = extent(j) + 1; k <= kGridPoints; ++k) {
      ASSERT_TRUE(std::isnan(orbitals.orbital_p(k, j))) << "shell " << j << " point " << k;
      ASSERT_TRUE(std::isnan(orbitals.orbital_q(k, j))) << "shell " << j << " point " << k;
    }
  }
  EXPECT_EQ(report_text(), "");
}

// ---------------------------------------------------------------- the driving term

// The exchange orders and weights N_j c(l, l_j, lambda)^2 of the neon shells 1s, 2s, 2p
// (N = 2, 2, 6), written out: s-s through lambda = 0 only, s-p through 1 only, p-p through
// 0 and 2; the self-exchange of a full shell has weight 2.
struct Exchange {
  int order;
  double weight;
};
std::vector<Exchange> neon_exchange(int i, int j) {
  const bool p_i = i == 3;
  const bool p_j = j == 3;
  if (!p_i && !p_j) return {{0, 2.0}};       // c(0,0,0)^2 = 1
  if (!p_i && p_j) return {{1, 6.0 / 3.0}};  // c(0,1,1)^2 = 1/3
  if (p_i && !p_j) return {{1, 2.0 / 3.0}};
  return {{0, 6.0 / 3.0}, {2, 6.0 * 2.0 / 15.0}};  // c(1,1,0)^2 = 1/3, c(1,1,2)^2 = 2/15
}

// An independent model of the neon update: the driving term of the Hartree-Fock equation
// from the orbitals, the direct potential of a density that an ordinary update corrects by
// the change of the shell's density and a final-sweep update leaves alone, and the damping
// against each shell's stored term.
class NeonModel {
 public:
  NeonModel() {
    for (int j = 1; j <= 3; ++j) {
      orbitals_[j - 1] = atom.hartree.hartree_p.column(j);
      const Radial& p = orbital(j);
      for (int k = 1; k <= extent(j); ++k) density_(k) += occupancy(j) * p(k) * p(k);
    }
  }

  // The driving term that shell i's next update must use; records what the update stores.
  Radial driving_term(int i, bool final_sweep) {
    Radial direct = direct_potential();
    Radial s;
    const int m = atom.shells.shell_extent(i);
    const double z = atom.shells.nuclear_charge;
    for (int k = 2; k <= m; ++k) {
      const double r = atom.grid.radius(k);
      s(k) = 2.0 * (direct(k) + (atom.grid.effective_charge(k) - z) / r) * orbital(i)(k);
    }
    for (int j = 1; j <= 3; ++j) {
      const int common = std::min(m, atom.shells.shell_extent(j));
      Radial pair;
      for (int k = 1; k <= common; ++k) pair(k) = orbital(j)(k) * orbital(i)(k);
      for (const Exchange& x : neon_exchange(i, j)) {
        Radial y;
        EXPECT_EQ(YFUN(pair, y, x.order, common), Status::ok);
        for (int k = 1; k <= common; ++k) s(k) -= x.weight * y(k) * orbital(j)(k);
      }
    }
    if (!stored_[i - 1]) {
      stored_[i - 1] = s;
    } else if (!final_sweep) {
      for (int k = 1; k <= m; ++k) s(k) = 0.5 * (s(k) + (*stored_[i - 1])(k));
      stored_[i - 1] = s;
    }
    return s;
  }

  // After the update: the new orbital, and the density of the direct potential unless the
  // update was part of a final sweep.
  void updated(int i, bool final_sweep) {
    const Radial& p = atom.hf.orbital_p.column(i);
    if (!final_sweep) {
      const Radial& old = orbital(i);
      for (int k = 1; k <= extent(i); ++k) density_(k) += occupancy(i) * (p(k) * p(k) - old(k) * old(k));
    }
    orbitals_[i - 1] = p;
  }

 private:
  Radial direct_potential() const {
    const int m_max = std::max({extent(1), extent(2), extent(3)});
    Radial y;
    EXPECT_EQ(YFUN(density_, y, 0, m_max), Status::ok);
    return y;
  }
  static int extent(int j) { return atom.shells.shell_extent(j); }
  static double occupancy(int j) { return atom.shells.shell_occupancy(j); }

  const Radial& orbital(int j) const { return orbitals_[j - 1]; }

  std::array<Radial, 3> orbitals_;  // the current orbitals
  Radial density_;                  // the density the direct potential belongs to
  std::optional<Radial> stored_[3];
};

// After each update the new orbital is the driven solution, at the new energy, for the
// driving term of the model, and has norm 1.
TEST_F(NeonCore, EachUpdateSolvesTheHartreeFockDrivenEquation) {
  struct Call {
    int shell;
    bool final_sweep;
  };
  // First updates, damped second updates, a first update inside a final sweep (stored, D not
  // updated), a final-sweep update (undamped) and updates made while D lags behind.
  const Call calls[] = {{1, false}, {1, false}, {2, true},  {2, false}, {3, false},
                        {3, true},  {1, true},  {2, false}, {3, false}};
  NeonModel model;
  for (const Call& c : calls) {
    SCOPED_TRACE("shell " + std::to_string(c.shell) + " final_sweep " + std::to_string(c.final_sweep));
    const Radial s = model.driving_term(c.shell, c.final_sweep);
    ASSERT_EQ(EXCHAN(c.shell, 1e-12, c.final_sweep), Status::ok);
    double energy = atom.energies.shell_energy(c.shell);
    const double found = energy;
    Radial p;
    Radial q;
    ASSERT_EQ(SOLVE(p, q, atom.grid.effective_charge, s, energy, c.shell, 1.0), Status::ok);
    ASSERT_EQ(energy, found);
    const int m = extent(c.shell);
    double deviation = 0.0;
    for (int k = 1; k <= m; ++k) deviation = std::max(deviation, std::fabs(p(k) - atom.hf.orbital_p(k, c.shell)));
    EXPECT_LE(deviation, 1e-9);
    EXPECT_NEAR(norm_of(atom.hf.orbital_p.column(c.shell), m), 1.0, 1e-10);
    model.updated(c.shell, c.final_sweep);
  }
  EXPECT_EQ(report_text(), "");
}

// ---------------------------------------------------------------- an empty shell

// One shell without electrons in the reference potential -Z/r - kappa (effective charge
// Z + kappa r): its Hartree-Fock equation is that of the bare nucleus, so the update must
// give the hydrogen-like energy -Z^2/(2 n^2) and keep the reference orbital, a bound state
// of both. The driving term is 2 kappa P and the first-order energy estimate is
// guess + kappa.
struct EmptyShell {
  double z;
  int n;
  int l;
  double kappa;
};

class EmptyShellUpdate : public ReportCapture, public ::testing::WithParamInterface<EmptyShell> {
 protected:
  void SetUp() override {
    ReportCapture::SetUp();
    const EmptyShell s = GetParam();
    auto& shells = atom.shells;
    shells.nuclear_charge = static_cast<int>(s.z);
    shells.shell_count = 1;
    shells.core_count = 1;
    shells.shell_l(1) = s.l;
    shells.shell_occupancy(1) = 0;
    set_up_grid();
    for (int k = 1; k <= kGridPoints; ++k) atom.grid.effective_charge(k) = s.z + s.kappa * atom.grid.radius(k);
    reference_energy = -s.z * s.z / (2.0 * s.n * s.n) - s.kappa;
    int iterations = 0;
    ASSERT_EQ(MASTER(atom.hartree.hartree_p.column(1), atom.hartree.hartree_q.column(1), atom.grid.effective_charge,
                     reference_energy, s.n, s.l, shells.shell_extent(1), iterations),
              Status::ok);
    atom.energies.shell_energy(1) = 123.0;  // no update gives this: shows whether one was stored
  }
  double exact() const { return -GetParam().z * GetParam().z / (2.0 * GetParam().n * GetParam().n); }

  double reference_energy = 0.0;  // the eigenvalue in the reference potential
};

TEST_P(EmptyShellUpdate, GivesTheBareNucleusEnergy) {
  const double kappa = GetParam().kappa;
  const int m = atom.shells.shell_extent(1);
  for (const double offset : {0.0, 0.5 * kappa, -0.5 * kappa}) {
    reset_exchange_update();  // the next update is the first of a run
    atom.energies.shell_energy_guess(1) = reference_energy + offset;
    ASSERT_EQ(EXCHAN(1, 1e-12, false), Status::ok) << report_text();
    EXPECT_NEAR(atom.energies.shell_energy(1), exact(), 1e-12 * std::fabs(exact())) << "offset " << offset;
    double deviation = 0.0;
    for (int k = 1; k <= m; ++k)
      deviation = std::max(deviation, std::fabs(atom.hf.orbital_p(k, 1) - atom.hartree.hartree_p(k, 1)));
    EXPECT_LE(deviation, 1e-11) << "offset " << offset;
  }
  EXPECT_EQ(report_text(), "");
}

// Started at a distance d from the other root of the norm condition (the solution -P at
// E' - kappa), the Newton steps of SOLVE double that distance until they fall towards the
// right root. From d = 2.5e-7 the energy settles within the 30 SOLVE calls of the norm loop
// (in about 28), from d = 1e-8 it would need about 33: the loop gives up with its message and
// the shell keeps its energy and orbital.
TEST_P(EmptyShellUpdate, NormLoopGivesUpAfterThirtySolveCalls) {
  const double kappa = GetParam().kappa;
  for (const auto& [distance, settles] : {std::pair{2.5e-7, true}, std::pair{1e-8, false}}) {
    reset_exchange_update();  // the next update is the first of a run
    report::capture_unit(report::kReportUnit);
    atom.energies.shell_energy(1) = 123.0;
    atom.energies.shell_energy_guess(1) = reference_energy - 2.0 * kappa * (1.0 - distance);
    if (settles) {
      EXPECT_EQ(EXCHAN(1, 1e-12, false), Status::ok);
      EXPECT_NEAR(atom.energies.shell_energy(1), exact(), 1e-12 * std::fabs(exact()));
      EXPECT_EQ(report_text(), "");
      continue;
    }
    EXPECT_EQ(EXCHAN(1, 1e-12, false), Status::error);
    EXPECT_EQ(report_text(), "  Error in fock:  norm loop fails to converge\r\n");
    EXPECT_EQ(atom.energies.shell_energy(1), 123.0);
    for (int k = 1; k <= kGridPoints; ++k)
      ASSERT_EQ(atom.hf.orbital_p(k, 1), atom.hartree.hartree_p(k, 1)) << "point " << k;
  }
}

// A starting energy above zero stops in SOLVE's inward start; EXCHAN adds no message.
TEST_P(EmptyShellUpdate, RefusedEnergyIsPassedOnWithoutAMessage) {
  atom.energies.shell_energy_guess(1) = 0.25 - GetParam().kappa;
  EXPECT_EQ(EXCHAN(1, 1e-12, false), Status::error);
  EXPECT_EQ(report_text(), "  Error in insch: eau =     2.500000D-01 > 0\r\n");
  EXPECT_EQ(atom.energies.shell_energy(1), 123.0);
  for (int k = 1; k <= kGridPoints; ++k)
    ASSERT_EQ(atom.hf.orbital_p(k, 1), atom.hartree.hartree_p(k, 1)) << "point " << k;
}

INSTANTIATE_TEST_SUITE_P(States, EmptyShellUpdate,
                         ::testing::Values(EmptyShell{2.0, 1, 0, 0.5}, EmptyShell{10.0, 2, 0, 1.0},
                                           EmptyShell{10.0, 2, 1, 2.0}),
                         [](const auto& info) {
                           return "Z" + std::to_string(static_cast<int>(info.param.z)) + "_n" +
                                  std::to_string(info.param.n) + "_l" + std::to_string(info.param.l);
                         });

}  // namespace
}  // namespace hf
