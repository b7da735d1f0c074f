#include "potentials/multipole_potential.h"

#include "potentials/running_integrals.h"
#include "radial/integer_power.h"
#include "report/line_layout.h"

namespace hf {

namespace {

constexpr int kLargestQuietOrder = 6;

// r(i)^k and r(i)^(k+1) = r(i) * r(i)^k for the orders used so far: they depend only on the
// grid, so each order is computed once per grid.
constexpr int kCachedOrders = 12;
struct PowerCache {
  double step = 0.0;  // grid step the table belongs to
  OneBased<bool, kCachedOrders> ready{};
  OneBasedColumns<double, kGridPoints, kCachedOrders> power;
  OneBasedColumns<double, kGridPoints, kCachedOrders> power_times_r;
};
PowerCache cache;

void reset() {
  cache.step = 0.0;
  cache.ready.fill(false);
}
const RunStateReset reset_hook(&reset);

void fill_powers(int k, Radial& power, Radial& power_times_r) {
  const auto& r = atom.grid.radius;
  power(1) = 0.0;
  power_times_r(1) = 0.0;
  for (int i = 2; i <= kGridPoints; ++i) {
    power(i) = integer_power(r(i), k);
    power_times_r(i) = r(i) * power(i);
  }
}

// Work arrays: nothing in them outlives a call.
Radial own_powers;         // r(i)^k for orders beyond the cache
Radial own_powers_times_r;
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

  if (cache.step != grid.grid_step) {
    reset();
    cache.step = grid.grid_step;
  }
  const Radial* power_table = &own_powers;
  const Radial* power_times_r_table = &own_powers_times_r;
  if (k <= kCachedOrders) {
    if (!cache.ready(k)) {
      fill_powers(k, cache.power.column(k), cache.power_times_r.column(k));
      cache.ready(k) = true;
    }
    power_table = &cache.power.column(k);
    power_times_r_table = &cache.power_times_r.column(k);
  } else {
    fill_powers(k, own_powers, own_powers_times_r);
  }
  const Radial& powers = *power_table;
  const Radial& powers_times_r = *power_times_r_table;
  for (int i = 2; i <= m; ++i) {
    outward_terms(i) = f(i) * grid.drdt(i) * powers(i);
    inward_terms(i) = f(i) * grid.drdt_over_r(i) / powers(i);
  }
  YINT(outward_terms, inward_terms, y, inward, m, grid.grid_step);
  const double total = y(m);
  for (int i = 2; i <= m; ++i) y(i) = y(i) / powers_times_r(i) + inward(i) * powers(i);
  for (int i = m + 1; i <= kGridPoints; ++i) y(i) = total / powers_times_r(i);
  return Status::ok;
}

}  // namespace hf
