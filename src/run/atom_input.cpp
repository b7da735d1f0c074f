#include "run/atom_input.h"

#include <array>
#include <cstdint>
#include <string>

#include "report/console_input.h"
#include "report/line_layout.h"
#include "report/text_units.h"
#include "run/radial_grid.h"
#include "run/shell_labels.h"
#include "state/error_line.h"

namespace hf {

namespace {

struct ShellOrderEntry {
  std::int32_t n;
  std::int32_t l;
};

// Entry j (from 1) is the j-th shell to be filled.
constexpr std::array<ShellOrderEntry, kShellOrderLength + 1> kShellOrder{{
    {0, 0},  // unused: entry 1 is the first shell
    {1, 0},
    {2, 0},
    {2, 1},
    {3, 0},
    {3, 1},
    {3, 2},
    {4, 0},
    {4, 1},
    {4, 2},
    {5, 0},
    {5, 1},
}};

std::string as_string(const Text4& t) { return std::string(t.begin(), t.end()); }

// -Z^2 / (2 n^2): the hydrogen-like energy in the bare nucleus. The squares are
// formed in 64 bits, so that no 32-bit charge overflows.
double hydrogen_like_energy(std::int32_t z, std::int32_t n) {
  const std::int64_t z2 = std::int64_t{z} * z;
  const std::int64_t n2 = std::int64_t{n} * n;
  return -(static_cast<double>(z2) / (static_cast<double>(n2) * 2.0));
}

}  // namespace

std::string report_file_name(const Text4& symbol) {
  bool all_blank = true;
  bool unusable = false;
  std::string shown;
  for (char c : symbol) {
    const auto u = static_cast<unsigned char>(c);
    const bool control = u < 0x20 || u == 0x7f;
    unusable = unusable || control || c == '/';
    all_blank = all_blank && c == ' ';
    shown += control ? '?' : c;
  }
  if (unusable)
    throw report::RunDiagnostic("the atom symbol \"" + shown +
                                "\" would not name a file in the current directory ('/' or a control character)");
  if (all_blank) throw report::RunDiagnostic("the atom symbol is blank: it would not name a file");
  std::string name = as_string(symbol);
  name.erase(0, name.find_first_not_of(' '));
  return name + ".out";
}

Status DATAIN(double& damping_factor, double& nuclear_g_factor) {
  auto& shells = atom.shells;
  auto& names = atom.names;
  const int console_in = report::kConsoleIn;
  const int console_out = report::kConsoleOut;

  report::write_free(console_out, "Symbol A4");
  names.atom_symbol = report::read_text4(console_in, "the atom symbol");
  report::write_free(console_out, "number of shells 1s 2s 2p 3s 3p..");
  report::read_integer(console_in, shells.shell_count, "the number of shells");
  report::write_free(console_out, "nuclear charge");
  report::read_integer(console_in, shells.nuclear_charge, "the nuclear charge");
  report::write_free(console_out, "no valence electrons");

  shells.core_count = 0;
  atom.report.report_unit = report::kReportUnit;
  const int out = atom.report.report_unit;
  report::open_file(out, report_file_name(names.atom_symbol));

  const std::string symbol = as_string(names.atom_symbol);
  report::Line().text("   Input data for ").chars(symbol).line_break().write(out);
  report::Line()
      .chars(symbol)
      .integer(shells.shell_count, 4)
      .integer(shells.nuclear_charge, 4)
      .integer(shells.core_count, 4)
      .write(out);

  if (shells.shell_count > kMaxShells)
    return error_line(report::Line().text(" Too many input orbitals !!  shell dim = ").integer(kMaxShells, 4));

  shells.core_count = shells.shell_count;
  for (int j = 1; j <= shells.shell_count; ++j) {
    if (j <= kShellOrderLength) {
      shells.shell_n(j) = kShellOrder[static_cast<std::size_t>(j)].n;
      shells.shell_l(j) = kShellOrder[static_cast<std::size_t>(j)].l;
    }
    if (ENCLAB(shells.shell_n(j), shells.shell_l(j)) == Status::error) return Status::error;
    names.shell_label(j) = atom.labels.label_buffer;
    shells.shell_occupancy(j) = 4 * shells.shell_l(j) + 2;
    atom.energies.shell_energy_guess(j) = hydrogen_like_energy(shells.nuclear_charge, shells.shell_n(j));
    report::Line()
        .blanks(4)
        .chars(as_string(names.shell_label(j)))
        .blanks(4)
        .integer(shells.shell_occupancy(j), 4)
        .blanks(4)
        .fixed(atom.energies.shell_energy_guess(j), 16, 5)
        .write(out);
  }

  build_grid();

  damping_factor = static_cast<double>(0.9f);
  report::Line().text(" damping factor =").fixed(damping_factor, 8, 3).line_break().write(out);
  nuclear_g_factor = 0.0;
  report::Line().text(" gI = ").fixed(nuclear_g_factor, 10, 7).write(out);
  return Status::ok;
}

}  // namespace hf
