// Radial quadrature: the trapezoidal rule with end corrections on the uniform grid in t.
#pragma once

#include "state/atomic_state.h"

namespace hf {

// Returns step * [ sum_{k=1..order} (values(first+k-1) + values(last-k+1)) * w(order,k) / d(order)
//                  + sum_{i=first+order..last-order} values(i) ],
// the integral over t of the tabulated function from point first to point last. Radial
// integrals pass an integrand already multiplied by drdt, first = 1, last = an extent,
// order 7 and grid_step.
//   values  in: read at first..last only.
//   first, last  in: 1 <= first < last <= 1000; a true quadrature needs last-first+1 >= 2*order.
//   order   in: 1..14. Orders 1..10 integrate polynomials in the index exactly up to degree
//           order (odd order) or order-1 (even order).
//   step    in: the grid step in t.
// Reads and writes no shared state; no checks, no failure.
double RINT(const Radial& values, int first, int last, int order, double step);

// RINT of the values p(i) * p(i) * weight(i), formed as the sum takes them: bit for bit RINT
// of an array filled with them first, without the array. The sum is one chain of additions,
// in whose shadow the products cost nothing.
double rint_of_squares(const Radial& p, const Radial& weight, int first, int last, int order, double step);

// RINT of two functions at once, each with a last point of its own: the two sums run in the
// lanes of one register, so that the second costs little more than the first. The results are
// bit for bit RINT(a, first, last_a, order, step) and RINT(b, first, last_b, order, step).
struct RintPair {
  double a;
  double b;
};
RintPair rint_pair(const Radial& a, int last_a, const Radial& b, int last_b, int first, int order, double step);

}  // namespace hf
