#include "results/results_report.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "potentials/angular_coefficients.h"
#include "potentials/multipole_potential.h"
#include "radial/quadrature.h"
#include "report/line_layout.h"
#include "report/text_units.h"
#include "results/orbital_table.h"
#include "state/atomic_state.h"

namespace hf {

namespace {

constexpr int kOrder = 7;
constexpr int kTableOrders = 5;      // overlap tables for l = 0..4
constexpr int kShellsPerTable = 10;  // capacity of one table
constexpr int kHeaderGroups = 8;     // shell groups on one header line

// Work arrays of one call.
Radial core_density;  // sum of q_b P_b^2
Radial direct;        // its potential
Radial pair_density;  // P_a P_b
Radial potential;     // a multipole potential of the pair density
Radial exchange;      // the exchange sum of shell a
Radial integrand;     // of the interaction energy, of an overlap

std::string_view label_of(int shell) { return view(atom.names.shell_label(shell)); }

// Results lines go to the report file first, then identically to the console; they are
// rendered once for both.
void write_both(const std::vector<std::string>& lines) {
  for (const auto& text : lines) report::write_line(atom.report.report_unit, text);
  for (const auto& text : lines) report::write_line(report::kConsoleOut, text);
}

void write_both(const report::Line& line) { write_both(line.lines()); }

double core_energy() {
  const auto& shells = atom.shells;
  const auto& grid = atom.grid;
  const auto& orbitals = atom.hf.orbital_p;
  const int core = shells.core_count;

  for (int i = 1; i <= kGridPoints; ++i) core_density(i) = 0.0;
  int largest_extent = 0;
  for (int j = 1; j <= core; ++j) {
    const int mj = shells.shell_extent(j);
    largest_extent = std::max(largest_extent, mj);
    const double occupancy = shells.shell_occupancy(j);
    const Radial& p = orbitals.column(j);
    for (int i = 1; i <= mj; ++i) core_density(i) = occupancy * (p(i) * p(i)) + core_density(i);
  }
  // The orders passed are never negative, so YFUN cannot fail here.
  (void)YFUN(core_density, direct, 0, largest_extent);

  double energy = 0.0;
  for (int a = 1; a <= core; ++a) {
    const int la = shells.shell_l(a);
    const int ma = shells.shell_extent(a);
    const Radial& pa = orbitals.column(a);
    for (int i = 1; i <= kGridPoints; ++i) exchange(i) = 0.0;
    for (int b = 1; b <= core; ++b) {
      const int lb = shells.shell_l(b);
      const int mb = shells.shell_extent(b);
      const int common = std::min(ma, mb);
      const Radial& pb = orbitals.column(b);
      for (int i = 1; i <= common; ++i) pair_density(i) = pb(i) * pa(i);
      const double half_occupancy = shells.shell_occupancy(b) * 0.5;
      for (int k = std::abs(la - lb); k <= la + lb; ++k) {
        if ((la + lb + k) % 2 != 0) continue;
        (void)YFUN(pair_density, potential, k, common);
        const double c = CLAM(la, lb, k);
        const double coefficient = c * c * half_occupancy;
        for (int i = 1; i <= mb; ++i) exchange(i) = coefficient * potential(i) * pb(i) + exchange(i);
      }
    }
    for (int i = 1; i <= ma; ++i) integrand(i) = (pa(i) * pa(i) * direct(i) - pa(i) * exchange(i)) * grid.drdt(i);
    const double interaction = RINT(integrand, 1, ma, kOrder, grid.grid_step);
    energy = energy + shells.shell_occupancy(a) * (atom.energies.shell_energy(a) - 0.5 * interaction);
  }
  return energy;
}

// The header of an overlap table: an empty line, then 11 blanks and a group of 4 blanks, the
// label and "> " for each shell, eight groups a line (a ninth label starts a new line with its
// group). A line that ends before its eighth group ends with the 4 blanks of the next one.
report::Line overlap_header(const OneBased<int, kShellsPerTable>& members, int count) {
  report::Line header;
  header.line_break().blanks(11);
  for (int s = 1; s <= count; ++s) {
    if (s > 1 && (s - 1) % kHeaderGroups == 0) header.line_break();
    header.blanks(4).chars(label_of(members(s)), 4).text("> ");
  }
  if (count % kHeaderGroups != 0) header.blanks(4);
  return header;
}

// The lower-triangular table of overlaps of the shells with angular momentum l.
void write_overlap_table(int l) {
  const auto& shells = atom.shells;
  const auto& grid = atom.grid;
  OneBased<int, kShellsPerTable> members{};
  int count = 0;
  for (int j = 1; j <= shells.shell_count && count < kShellsPerTable; ++j)
    if (shells.shell_l(j) == l) members(++count) = j;

  for (int row = 1; row <= count; ++row) {
    const int a = members(row);
    const Radial& pa = atom.hf.orbital_p.column(a);
    report::Line line;
    line.text("  <").chars(label_of(a), 4).text("|   ");
    for (int col = 1; col <= row; ++col) {
      const int b = members(col);
      const Radial& pb = atom.hf.orbital_p.column(b);
      const int common = std::min(shells.shell_extent(a), shells.shell_extent(b));
      for (int i = 1; i <= common; ++i) integrand(i) = pa(i) * pb(i) * grid.drdt(i);
      double overlap = RINT(integrand, 1, common, kOrder, grid.grid_step);
      if (b == a) overlap = overlap - 1.0;
      line.exponent(overlap, 10, 1);
      if (row == 1) write_both(overlap_header(members, count));
    }
    write_both(line);
  }
}

}  // namespace

Status OUTPUT() {
  const auto& shells = atom.shells;
  const double energy = core_energy();
  const auto& symbol = atom.names.atom_symbol;

  write_both(report::Line());
  write_both(report::Line()
                 .text("  Hartree-Fock Energy Levels for ")
                 .chars(view(symbol), 4)
                 .text("  Z =")
                 .integer(shells.nuclear_charge, 3));
  write_both(report::Line());
  write_both(report::Line().text("  Shell").text("  #el").blanks(6).text("  Energy"));
  for (int j = 1; j <= shells.shell_count; ++j)
    write_both(report::Line()
                   .blanks(3)
                   .chars(label_of(j), 4)
                   .integer(shells.shell_occupancy(j), 4)
                   .fixed(atom.energies.shell_energy(j), 16, 6));
  write_both(report::Line());
  write_both(report::Line().blanks(3).text("Ehf core").fixed(energy, 18, 8));
  write_both(report::Line());
  write_both(report::Line().text("  *****  scalar products   *****"));
  for (int l = 0; l < kTableOrders; ++l) write_overlap_table(l);

  report::Line().line_break().write(atom.report.report_unit);
  write_orbital_table();
  return Status::ok;
}

}  // namespace hf
