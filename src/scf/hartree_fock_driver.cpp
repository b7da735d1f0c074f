#include "scf/hartree_fock_driver.h"

#include <array>
#include <cmath>
#include <string_view>

#include "report/line_layout.h"
#include "state/atomic_state.h"
#include "state/error_line.h"

namespace hf {

namespace {

constexpr int kPassesPerShell = 100;
constexpr double kConverged = 1e-08;
constexpr double kStartTolerance = 0.001;
constexpr double kFinalTolerance = 1e-12;

// The tolerance ladder: the first rung whose bound the worst measure is below (strictly) sets
// the norm tolerance; above the last bound the tolerance stays as it is.
struct Rung {
  double below;
  double norm_tolerance;
};
constexpr std::array<Rung, 3> kToleranceLadder{{{1e-07, 1e-09}, {1e-05, 1e-07}, {0.001, 1e-05}}};

// One line of the log: the shell, its energy, the measure column, the kind and the number.
report::Line& update_line(report::Line& line, int shell) {
  return line.blanks(2)
      .chars(view(atom.names.shell_label(shell)), 4)
      .fixed(atom.energies.shell_energy(shell), 16, 8)
      .blanks(4);
}

void write_initial(int shell, int number) {
  report::Line line;
  update_line(line, shell)
      .text("**********")
      .blanks(4)
      .text("initial ")
      .integer(number, 4)
      .write(atom.report.report_unit);
}

void write_measured(int shell, double measure, std::string_view kind, int number) {
  report::Line line;
  update_line(line, shell)
      .exponent(measure, 10, 1)
      .blanks(4)
      .text(kind)
      .integer(number, 4)
      .write(atom.report.report_unit);
}

// The per-shell record of the last two energy changes.
struct Changes {
  OneBased<double, kMaxShells> energy_change{};
  OneBased<double, kMaxShells> previous_energy_change{};
  OneBased<double, kMaxShells> change_measure{};
};

}  // namespace

Status PICKUP(ShellUpdate update_shell) {
  const int nc = atom.shells.core_count;
  const int unit = atom.report.report_unit;
  auto& energy = atom.energies.shell_energy;
  const int iteration_limit = kPassesPerShell * nc;
  int iteration_count = 0;
  double norm_tolerance = kStartTolerance;
  bool final_sweep = false;
  double worst_measure = 0.0;
  Changes changes;
  auto& energy_change = changes.energy_change;
  auto& previous_energy_change = changes.previous_energy_change;
  auto& change_measure = changes.change_measure;

  // Updates shell i and gives the change of its energy.
  auto update = [&](int i, double& change) {
    const double before = energy(i);
    if (update_shell(i, norm_tolerance, final_sweep) == Status::error) return Status::error;
    change = energy(i) - before;
    return Status::ok;
  };

  report::write_heading(unit, "    Hartree-Fock Iteration for ", view(atom.names.atom_symbol));

  for (int i = 1; i <= nc; ++i) {
    ++iteration_count;
    if (update(i, previous_energy_change(i)) == Status::error) return Status::error;
    write_initial(i, iteration_count);
    ++iteration_count;
    if (update(i, energy_change(i)) == Status::error) return Status::error;
    write_initial(i, iteration_count);
  }

  for (;;) {
    // Main loop: update the least settled shell.
    final_sweep = false;
    int pass = iteration_count + 1;
    bool settled = false;
    for (; pass <= iteration_limit; ++pass) {
      for (int j = 1; j <= nc; ++j)
        change_measure(j) = std::abs((previous_energy_change(j) - energy_change(j)) / energy(j));
      int s = 1;
      worst_measure = change_measure(1);
      for (int j = 2; j <= nc; ++j) {
        if (change_measure(j) > worst_measure) {
          s = j;
          worst_measure = change_measure(j);
        }
      }
      if (worst_measure <= kConverged) {
        settled = true;
        break;
      }
      for (const Rung& rung : kToleranceLadder) {
        if (worst_measure < rung.below) {
          norm_tolerance = rung.norm_tolerance;
          break;
        }
      }
      previous_energy_change(s) = energy_change(s);
      if (update(s, energy_change(s)) == Status::error) return Status::error;
      write_measured(s, worst_measure, "iterate ", pass);
    }
    if (!settled) return error_line("  Error in pickup: too many iterations");

    // Final sweep: every shell once, at the tightest tolerance, undamped.
    norm_tolerance = kFinalTolerance;
    iteration_count = pass - 1;
    final_sweep = true;
    double largest_final = worst_measure;
    for (int i = 1; i <= nc; ++i) {
      ++iteration_count;
      previous_energy_change(i) = energy_change(i);
      if (update(i, energy_change(i)) == Status::error) return Status::error;
      worst_measure = std::abs((previous_energy_change(i) - energy_change(i)) / energy(i));
      if (worst_measure > largest_final) largest_final = worst_measure;
      write_measured(i, worst_measure, "final   ", iteration_count);
    }
    if (!(largest_final > kConverged)) return Status::ok;
  }
}

}  // namespace hf
