#include "scf/hartree_iteration.h"

#include <algorithm>
#include <cmath>

#include "potentials/multipole_potential.h"
#include "radial/adams_lanes.h"
#include "radial/eigenvalue_search.h"
#include "radial/point_pairs.h"
#include "radial/quadrature.h"
#include "radial/report_lines.h"
#include "report/line_layout.h"
#include "state/atomic_state.h"
#include "state/error_line.h"

namespace hf {

namespace {

constexpr int kMaxIterations = 100;
constexpr double kTolerance = static_cast<double>(0.001F);  // single-precision 0.001
constexpr int kOrder = 7;

// Work arrays of one call.
Radial density;
Radial density_potential;
Radial old_charge;
Radial integrand;
Radial second_integrand;
OneBased<double, kMaxShells> shifts;  // first-order energy shifts of an iteration

// The integrand of shell j's energy shift, P^2 (Z - Zold) drdt/r, at 1..extent.
void shift_integrand(int j, Radial& values) {
  const auto& grid = atom.grid;
  const Radial& p = atom.hartree.hartree_p.column(j);
  for_point_pairs(1, atom.shells.shell_extent(j), [&]<typename T>(int i) {
    const T pi = at_point<T>(p, i);
    const T change = at_point<T>(grid.effective_charge, i) - at_point<T>(old_charge, i);
    set_point<T>(values, i, ((pi * pi) * change) * at_point<T>(grid.drdt_over_r, i));
  });
}

// The searches of one iteration, run side by side, each with its report lines held until its
// turn; the potential terms of the effective charge, one for each l among the shells.
EigenvalueSearch searches[kMaxShells];
ReportLines search_lines[kMaxShells];
OneBasedColumns<double, kGridPoints, kMaxShells> potential_terms;

// Runs the eigenvalue searches of all core shells in the effective charge, from their guesses,
// then takes their results in shell order as MASTER called for each shell in turn would
// leave them: each search's lines written, its energy, extent and iterations stored. The first
// failing search ends it there, its lines written last; nothing of the searches after it
// shows.
Status search_all_shells() {
  auto& shells = atom.shells;
  auto& energies = atom.energies;
  const int core = shells.core_count;
  for (int j = 1; j <= core; ++j) {
    int table = j;  // the first shell with this l builds its table
    for (int k = 1; k < j; ++k)
      if (shells.shell_l(k) == shells.shell_l(j)) {
        table = k;
        break;
      }
    if (table == j)
      potential_term(atom.grid.effective_charge, shells.shell_l(j), 2, kGridPoints, potential_terms.column(j));
    search_lines[j - 1] = ReportLines(ReportLines::Mode::hold);
    searches[j - 1].begin(atom.hartree.hartree_p.column(j), atom.hartree.hartree_q.column(j),
                          atom.grid.effective_charge, potential_terms.column(table), energies.shell_energy_guess(j),
                          shells.shell_n(j), shells.shell_l(j), shells.shell_extent(j), search_lines[j - 1]);
  }
  const int failed = run_searches(searches, core);
  for (int j = 1; j <= core; ++j) {
    if (j - 1 > failed) {
      search_lines[j - 1].discard();
      continue;
    }
    search_lines[j - 1].release();
    const EigenvalueSearch& search = searches[j - 1];
    energies.shell_energy(j) = search.energy();
    shells.shell_extent(j) = search.extent();
    shells.shell_iterations(j) = search.iterations();
  }
  return failed < core ? Status::error : Status::ok;
}

void write_energy_line(int j, double start_energy) {
  report::Line()
      .text("  E(")
      .chars(view(atom.names.shell_label(j)))
      .text(") =")
      .fixed(start_energy, 16, 5)
      .fixed(atom.energies.shell_energy(j), 16, 5)
      .blanks(6)
      .text("k =")
      .integer(atom.shells.shell_iterations(j), 3)
      .write(atom.report.report_unit);
}

}  // namespace

Status HARTNR(double damping_factor) {
  auto& shells = atom.shells;
  auto& energies = atom.energies;
  auto& grid = atom.grid;
  const int unit = atom.report.report_unit;
  const int core = shells.core_count;

  if (core < 1) return error_line("  Error in hartnr: no shells to iterate");

  double electrons = 0.0;
  for (int j = 1; j <= core; ++j) electrons = electrons + shells.shell_occupancy(j);
  const double reciprocal = 1.0 / electrons;

  report::write_heading(unit, " Start Hartree Iteration for ", view(atom.names.atom_symbol));

  bool converged = false;
  for (int it = 1; it <= kMaxIterations && !converged; ++it) {
    for (int i = 1; i <= kGridPoints; ++i) density(i) = 0.0;
    int largest_extent = 0;
    if (search_all_shells() == Status::error) return Status::error;
    for (int j = 1; j <= core; ++j) {
      const Radial& p = atom.hartree.hartree_p.column(j);
      const int m = shells.shell_extent(j);
      largest_extent = std::max(largest_extent, m);
      const double occupancy = shells.shell_occupancy(j);
      for_point_pairs(1, m, [&]<typename T>(int i) {
        const T pi = at_point<T>(p, i);
        set_point<T>(density, i, at_point<T>(density, i) + (occupancy * pi) * pi);
      });
    }

    if (YFUN(density, density_potential, 0, largest_extent) == Status::error) return Status::error;

    // Screened nuclear charge, mixed with the previous one.
    const double screening = 1.0 - reciprocal;
    const double nuclear = shells.nuclear_charge;
    for_point_pairs(1, kGridPoints, [&]<typename T>(int i) {
      const T old = at_point<T>(grid.effective_charge, i);
      set_point<T>(old_charge, i, old);
      const T r = at_point<T>(grid.radius, i);
      const T fresh = extra_charge(r) + nuclear - (screening * at_point<T>(density_potential, i)) * r;
      set_point<T>(grid.effective_charge, i, damping_factor * old + (1.0 - damping_factor) * fresh);
    });

    // First-order shift of each eigenvalue in the change of potential: minus the integral of
    // P^2 (Z - Zold)/r dr, two shells at a time.
    for (int j = 1; j <= core; j += 2) {
      const int next = std::min(j + 1, core);  // the last shell alone: paired with itself
      shift_integrand(j, integrand);
      shift_integrand(next, second_integrand);
      const RintPair integrals = rint_pair(integrand, shells.shell_extent(j), second_integrand,
                                           shells.shell_extent(next), 1, kOrder, grid.grid_step);
      shifts(j) = -integrals.a;
      shifts(next) = -integrals.b;
    }
    double relative_error = 0.0;
    for (int j = 1; j <= core; ++j) {
      relative_error = std::max(relative_error, std::abs(shifts(j) / energies.shell_energy(j)));
      write_energy_line(j, energies.shell_energy_guess(j));
      energies.shell_energy_guess(j) = shifts(j) + energies.shell_energy(j);
    }

    report::Line().text("  loop ").integer(it, 3).text("   rel-err =").exponent(relative_error, 9, 1).write(unit);
    report::Line().write(unit);
    converged = relative_error < kTolerance;
  }

  if (!converged) report::Line().text(" Warning hartree: Iteration has not converged").write(unit);

  for (int i = 1; i <= kGridPoints; ++i) grid.effective_charge(i) = old_charge(i);
  for (int j = 1; j <= core; ++j) energies.shell_energy_guess(j) = energies.shell_energy(j);
  return Status::ok;
}

}  // namespace hf
