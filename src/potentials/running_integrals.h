// Running integrals over the uniform grid variable t by ten-point Lagrange rules.
#pragma once

#include "state/atomic_state.h"

namespace hf {

// y(i) = integral of f over t from t(1) to t(i) and z(i) = integral of g from t(i) to t(n),
// for i = 1..n, interval by interval: rows 1..4 of the one-sided ten-point rule on the first
// four intervals, the centred ten-point rule inside, the mirrored rows 4..1 on the last four
// intervals; every interval uses the same rule in y and z. Exact for polynomials of degree
// up to 9 in t.
//   f, g  in: integrands (already times dr/dt and any factor the caller needs), points 1..n.
//   y, z  out: points 1..n written, none beyond; y(1) = 0, z(n) = 0.
//   n     in: 10..1000 (the rules read points 1..10 and n-9..n); not checked.
//   h     in: the step of t. The weights scaled to h are kept and rebuilt only when h
//         differs (exactly) from the step of the previous call.
// y and z must not share storage with f or g. No failure, no message.
void YINT(const Radial& f, const Radial& g, Radial& y, Radial& z, int n, double h);

}  // namespace hf
