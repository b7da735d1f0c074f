#include "potentials/multipole_potential.h"

#include "potentials/running_integrals.h"
#include "radial/integer_power.h"
#include "report/line_layout.h"

namespace hf {

namespace {

constexpr int kLargestQuietOrder = 6;

// Work arrays: nothing in them outlives a call.
Radial powers;         // r(i)^k
Radial outward_terms;  // f s^k dr/dt
Radial inward_terms;   // f s^-(k+1) dr/dt
Radial inward;         // integral of f s^-(k+1) from r(i) to r(m)

}  // namespace

Status YFUN(const Radial& f, Radial& y, int k, int m) {
  const auto& grid = atom.grid;
  const auto& r = grid.radius;
  outward_terms(1) = 0.0;
  inward_terms(1) = 0.0;
  if (k < 0) {
    report::write_free(atom.report.report_unit, " Error in yint: l < 0 ");
    return Status::error;
  }
  if (k > kLargestQuietOrder) {
    report::Line()
        .text("  Warning in yint:  the value of l =")
        .integer(k, 4)
        .text(" is too large")
        .write(atom.report.report_unit);
  }

  if (k == 0) {
    for (int i = 2; i <= m; ++i) {
      outward_terms(i) = f(i) * grid.drdt(i);
      inward_terms(i) = f(i) * grid.drdt_over_r(i);
    }
    YINT(outward_terms, inward_terms, y, inward, m, grid.grid_step);
    const double total = y(m);
    y(1) = inward(1);
    for (int i = 2; i <= m; ++i) y(i) = y(i) / r(i) + inward(i);
    for (int i = m + 1; i <= kGridPoints; ++i) y(i) = total / r(i);
    return Status::ok;
  }

  powers(1) = 0.0;
  for (int i = 2; i <= kGridPoints; ++i) powers(i) = integer_power(r(i), k);
  for (int i = 2; i <= m; ++i) {
    outward_terms(i) = f(i) * grid.drdt(i) * powers(i);
    inward_terms(i) = f(i) * grid.drdt_over_r(i) / powers(i);
  }
  YINT(outward_terms, inward_terms, y, inward, m, grid.grid_step);
  const double total = y(m);
  for (int i = 2; i <= m; ++i) y(i) = y(i) / (r(i) * powers(i)) + inward(i) * powers(i);
  for (int i = m + 1; i <= kGridPoints; ++i) y(i) = total / (r(i) * powers(i));
  return Status::ok;
}

}  // namespace hf
