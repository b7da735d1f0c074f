#include "results/orbital_table.h"

#include <array>
#include <string>

#include "report/field_format.h"
#include "report/line_layout.h"
#include "report/text_units.h"
#include "run/atom_input.h"

namespace hf {

std::string orbital_table_file_name(const Text4& symbol) {
  std::string name = report_file_name(symbol);
  return name.replace(name.size() - 4, 4, ".dat");
}

void write_orbital_table() {
  const int unit = report::kOrbitalTableUnit;
  const auto& shells = atom.shells;
  const auto& grid = atom.grid;
  report::open_file(unit, orbital_table_file_name(atom.names.atom_symbol));
  report::Line()
      .blanks(1)
      .text("n")
      .blanks(2)
      .text("l")
      .blanks(7)
      .text("name")
      .blanks(7)
      .text("Enl")
      .blanks(11)
      .text("i")
      .blanks(4)
      .text("R=0-30 a.u.")
      .blanks(7)
      .text("psi_nl")
      .write(unit);

  // The point and radius columns are the same for every shell and the shell columns the
  // same on each of its rows: both are rendered once.
  static std::array<std::string, kGridPoints> point_columns;
  for (int i = 1; i <= kGridPoints; ++i)
    point_columns[static_cast<std::size_t>(i - 1)] =
        report::format_integer(i, 5) + "  " + report::format_exponent(grid.radius(i), 15, 8, 'D') + "  ";
  std::string row;
  for (int j = 1; j <= shells.shell_count; ++j) {
    const std::string shell_columns = report::format_integer(shells.shell_n(j), 2) + " " +
                                      report::format_integer(shells.shell_l(j), 2) + " " +
                                      report::format_integer(shells.shell_extent(j), 4) + "  " +
                                      report::format_text(view(atom.names.shell_label(j)), 4) + "  " +
                                      report::format_exponent(atom.energies.shell_energy(j), 15, 8, 'D');
    const Radial& p = atom.hf.orbital_p.column(j);
    for (int i = 1; i <= kGridPoints; ++i) {
      row = shell_columns;
      row += point_columns[static_cast<std::size_t>(i - 1)];
      row += report::format_exponent(p(i), 15, 8, 'D');
      report::write_line(unit, row);
    }
    report::write_free(unit, "");
  }
  report::close_unit(unit);
}

}  // namespace hf
