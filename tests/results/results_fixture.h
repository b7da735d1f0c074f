// A hand-made atomic state for the results stage: the grid, chosen shells and orbitals, and
// the console, report and orbital table units captured in memory.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "report/text_units.h"
#include "report_capture.h"
#include "run/radial_grid.h"
#include "state/atomic_state.h"

namespace hf::test {

// Stands in orbital_p beyond a shell's extent: any use of those points poisons the result.
inline constexpr double kBeyondExtent = std::numeric_limits<double>::quiet_NaN();

// The lines of a captured unit, split at CR LF.
inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  if (start != text.size()) lines.push_back(text.substr(start));  // an unterminated tail
  return lines;
}

// The four-character label of shell (n, l): " 2p ", "10s ".
inline Text4 label_of(int n, int l) {
  return {n >= 10 ? static_cast<char>('0' + n / 10) : ' ', static_cast<char>('0' + n % 10), "spdfg"[l], ' '};
}

class ResultsTest : public ReportCapture {
 protected:
  void SetUp() override {
    ReportCapture::SetUp();
    report::capture_unit(report::kConsoleOut);
    report::capture_unit(report::kOrbitalTableUnit);
    set_up_grid();
    atom.names.atom_symbol = {'X', 'x', ' ', ' '};
  }

  // Appends a core shell whose orbital is p(r) up to its extent, the last point where |p|
  // exceeds 1e-20 of its largest value, and kBeyondExtent past it.
  void add_shell(int n, int l, int occupancy, double energy, const std::function<double(double)>& p) {
    auto& shells = atom.shells;
    const int j = ++shells.shell_count;
    shells.core_count = j;
    shells.shell_n(j) = n;
    shells.shell_l(j) = l;
    shells.shell_occupancy(j) = occupancy;
    atom.energies.shell_energy(j) = energy;
    atom.names.shell_label(j) = label_of(n, l);
    Radial& column = atom.hf.orbital_p.column(j);
    double largest = 0.0;
    for (int i = 1; i <= kGridPoints; ++i) {
      column(i) = p(atom.grid.radius(i));
      largest = std::fmax(largest, std::fabs(column(i)));
    }
    int extent = kGridPoints;
    while (extent > 1 && std::fabs(column(extent)) <= 1e-20 * largest) --extent;
    for (int i = extent + 1; i <= kGridPoints; ++i) column(i) = kBeyondExtent;
    shells.shell_extent(j) = extent;
  }

  static std::string console_text() { return report::captured(report::kConsoleOut); }
  static std::string table_text() { return report::captured(report::kOrbitalTableUnit); }

  // The value printed on the console line "   Ehf core ...".
  static double printed_core_energy() {
    for (const std::string& line : lines_of(console_text()))
      if (line.rfind("   Ehf core", 0) == 0) return std::stod(line.substr(11));
    ADD_FAILURE() << "no core energy line on the console";
    return NAN;
  }
};

}  // namespace hf::test
