#include "run/radial_grid.h"

#include <cmath>

#include "report/line_layout.h"
#include "state/atomic_state.h"

namespace hf {

void set_up_grid() {
  auto& g = atom.grid;
  // One thousandth, the reciprocal of the number of points: the last point lies
  // at r0 (e^(999h) - 1), a little inside the nominal outer radius.
  g.grid_step = std::log(kGridExtent / kGridScale) * 0.001;
  const double z = static_cast<double>(atom.shells.nuclear_charge);
  g.radius(1) = 0.0;
  g.drdt(1) = kGridScale;
  g.drdt_over_r(1) = 0.0;
  g.effective_charge(1) = z;
  for (int i = 2; i <= kGridPoints; ++i) {
    g.drdt(i) = kGridScale * std::exp(static_cast<double>(i - 1) * g.grid_step);
    g.radius(i) = g.drdt(i) - kGridScale;
    g.drdt_over_r(i) = g.drdt(i) / g.radius(i);
    g.effective_charge(i) = z;
  }
  g.id = new_grid_id();
}

void build_grid() {
  set_up_grid();
  report::Line()
      .line_break()
      .text(" r0 =")
      .fixed(kGridScale, 10, 5)
      .blanks(4)
      .text(" h=")
      .fixed(atom.grid.grid_step, 10, 5)
      .line_break()
      .write(atom.report.report_unit);
}

}  // namespace hf
