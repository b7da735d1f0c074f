#include "results/orbital_table.h"

#include <string_view>

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
      .blanks(1).text("n").blanks(2).text("l").blanks(7).text("name").blanks(7).text("Enl")
      .blanks(11).text("i").blanks(4).text("R=0-30 a.u.").blanks(7).text("psi_nl")
      .write(unit);
  for (int j = 1; j <= shells.shell_count; ++j) {
    const Radial& p = atom.hf.orbital_p.column(j);
    for (int i = 1; i <= kGridPoints; ++i) {
      report::Line()
          .integer(shells.shell_n(j), 2).blanks(1).integer(shells.shell_l(j), 2).blanks(1)
          .integer(shells.shell_extent(j), 4).blanks(2)
          .chars(view(atom.names.shell_label(j)), 4).blanks(2)
          .exponent(atom.energies.shell_energy(j), 15, 8, 'D')
          .integer(i, 5).blanks(2).exponent(grid.radius(i), 15, 8, 'D')
          .blanks(2).exponent(p(i), 15, 8, 'D')
          .write(unit);
    }
    report::write_free(unit, "");
  }
  report::close_unit(unit);
}

}  // namespace hf
