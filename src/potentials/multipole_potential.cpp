#include "potentials/multipole_potential.h"

#include "potentials/running_integrals.h"
#include "radial/integer_power.h"
#include "radial/point_pairs.h"
#include "report/line_layout.h"
#include "state/error_line.h"

namespace hf {

namespace {

constexpr int kLargestQuietOrder = 6;

// r(i)^k and r(i)^(k+1) = r(i) * r(i)^k depend only on the radius: each order up to
// kCachedOrders is computed once per grid and kept, keyed on the grid's id; a larger order
// has its powers computed on each call.
constexpr int kCachedOrders = 12;  // orders 0..12, order k in column k + 1
struct PowerCache {
  std::uint64_t grid_id = 0;  // the grid the table belongs to
  OneBased<bool, kCachedOrders + 1> ready{};
  OneBasedColumns<double, kGridPoints, kCachedOrders + 1> power;
  OneBasedColumns<double, kGridPoints, kCachedOrders + 1> power_times_r;
};
PowerCache cache;

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
Radial own_powers;  // r(i)^k for orders beyond the cache
Radial own_powers_times_r;
Radial outward_terms;  // f s^k dr/dt
Radial inward_terms;   // f s^-(k+1) dr/dt
Radial outward;        // integral of f s^k from 0 to r(i)

// The integrands, their running integrals and the potential at 1..last, for the order whose
// powers r^k and r^(k+1) are x and xr. The distribution comes from source.operator()<T>(i),
// point by point (or two points at a time); the potential goes to sink.operator()<T>(i, y).
// For order 0 (x = 1) the multiplications and divisions by x are left out, which changes no
// bit.
template <bool order_zero, typename Source, typename Sink>
void potential_of_order(Source&& source, Sink&& sink, int m, int last, const Radial& x, const Radial& xr) {
  const auto& grid = atom.grid;
  for_point_pairs(2, m, [&]<typename T>(int i) {
    const T fi = source.template operator()<T>(i);
    T outward_term = fi * at_point<T>(grid.drdt, i);
    T inward_term = fi * at_point<T>(grid.drdt_over_r, i);
    if constexpr (!order_zero) {
      outward_term = outward_term * at_point<T>(x, i);
      inward_term = inward_term / at_point<T>(x, i);
    }
    set_point<T>(outward_terms, i, outward_term);
    set_point<T>(inward_terms, i, inward_term);
  });
  // The potential at each point as soon as its inward integral is there, while the inward
  // sums run.
  running_integrals(outward_terms, inward_terms, outward, m, grid.grid_step, [&]<typename T>(int i, T inward) {
    if constexpr (sizeof(T) == sizeof(double)) {
      if (i == 1) {
        // The integral of f/s for order 0, the 0 of the outward integral otherwise.
        sink.template operator()<double>(1, order_zero ? inward : outward(1));
        return;
      }
    }
    T inner = inward;
    if constexpr (!order_zero) inner = inner * at_point<T>(x, i);
    sink.template operator()<T>(i, at_point<T>(outward, i) / at_point<T>(xr, i) + inner);
  });
  const double total = outward(m);
  for_point_pairs(m + 1, last, [&]<typename T>(int i) {
    if constexpr (sizeof(T) == sizeof(double))
      sink.template operator()<T>(i, total / xr(i));
    else
      sink.template operator()<T>(i, T{total, total} / at_point<T>(xr, i));
  });
}

// The checks and the powers of order k, then the potential of the order through
// potential_of_order.
template <typename Source, typename Sink>
Status potential(Source&& source, Sink&& sink, int k, int m, int last) {
  const auto& grid = atom.grid;
  outward_terms(1) = 0.0;
  inward_terms(1) = 0.0;
  if (k < 0) return error_line("  Error in yint: l < 0 ");
  if (k > kLargestQuietOrder) {
    report::Line()
        .text("  Warning in yint:  the value of l =")
        .integer(k, 4)
        .text(" is too large")
        .write(atom.report.report_unit);
  }

  if (cache.grid_id != grid.id) {
    cache.ready.fill(false);
    cache.grid_id = grid.id;
  }
  const Radial* power_table = &own_powers;
  const Radial* power_times_r_table = &own_powers_times_r;
  if (k <= kCachedOrders) {
    if (!cache.ready(k + 1)) {
      fill_powers(k, cache.power.column(k + 1), cache.power_times_r.column(k + 1));
      cache.ready(k + 1) = true;
    }
    power_table = &cache.power.column(k + 1);
    power_times_r_table = &cache.power_times_r.column(k + 1);
  } else {
    fill_powers(k, own_powers, own_powers_times_r);
  }
  if (k == 0)
    potential_of_order<true>(source, sink, m, last, *power_table, *power_times_r_table);
  else
    potential_of_order<false>(source, sink, m, last, *power_table, *power_times_r_table);
  return Status::ok;
}

}  // namespace

Status YFUN(const Radial& f, Radial& y, int k, int m) { return multipole_potential(f, y, k, m, kGridPoints); }

Status multipole_potential(const Radial& f, Radial& y, int k, int m, int last) {
  return potential([&]<typename T>(int i) { return at_point<T>(f, i); },
                   [&]<typename T>(int i, T value) { set_point<T>(y, i, value); }, k, m, last);
}

Status subtract_potential_term(const Radial& a, const Radial& b, int k, int m, int last, double weight, const Radial& c,
                               Radial& sum) {
  return potential([&]<typename T>(int i) { return at_point<T>(a, i) * at_point<T>(b, i); },
                   [&]<typename T>(int i, T value) {
                     set_point<T>(sum, i, at_point<T>(sum, i) - weight * value * at_point<T>(c, i));
                   },
                   k, m, last);
}

}  // namespace hf
