// Multipole potentials of radial charge distributions.
#pragma once

#include "state/atomic_state.h"
#include "state/status.h"

namespace hf {

// y(r) = integral over s from 0 to r(m) of f(s) r<^k / r>^(k+1) ds at all 1000 points:
// r^-(k+1) times the outward running integral of f s^k plus r^k times the inward running
// integral of f s^-(k+1) (YINT), and the pure multipole tail T / r^(k+1) beyond m, with T the
// integral of f s^k over the whole distribution. y(1) is the integral of f/s for k = 0, else 0.
//   f  in: the distribution at points 2..m (point 1, r = 0, is not read).
//   y  out: all 1000 points on a normal return; untouched on the error return.
//   k  in: the order. k > 6 writes "  Warning in yint:  the value of l =" k(I4) " is too large"
//      and goes on; k < 0 writes the free-form line " Error in yint: l < 0 " and fails.
//   m  in: the last point, 10..1000; not checked.
// Reads atom.grid and atom.report.report_unit. The powers r^k of orders 0..12 are kept from
// call to call, keyed on the grid's id.
Status YFUN(const Radial& f, Radial& y, int k, int m);

// YFUN for a caller that needs the potential only up to point `last` (m <= last <= 1000):
// y is written at 1..last, as YFUN writes it there, and not beyond.
Status multipole_potential(const Radial& f, Radial& y, int k, int m, int last);

// A potential's term in a sum, without the potential stored: with y YFUN's potential of order
// k of the distribution a(i) b(i) (a(i) * b(i) at 2..m), sum(i) = sum(i) - (weight * y(i)) * c(i)
// at 1..last (m <= last <= 1000), the values as those of the three steps one after the other.
// Fails, and writes, as YFUN; sum is untouched on the error return.
Status subtract_potential_term(const Radial& a, const Radial& b, int k, int m, int last, double weight, const Radial& c,
                               Radial& sum);

}  // namespace hf
