// Eight-step implicit Adams-Moulton integration of the homogeneous radial equation along the grid.
#pragma once

#include <array>

#include "state/atomic_state.h"

namespace hf {

// Continues a solution of P' = Q, Q' = -2 [E + Z(r)/r - l(l+1)/(2r^2)] P point by point,
// in the grid variable t: dP/dt = drdt Q, dQ/dt = -2 A P with
// A = E drdt + (Z - l(l+1)/(2r)) drdt_over_r. Each step solves the linear implicit
// order-9 formula exactly (no predictor, no corrector iteration). This is the integrator one
// integration at a time; AdamsLanes (adams_lanes.h) runs several side by side, bit for bit alike.
//   p, q    in-out: P and dP/dr; read at the eight points start-8*dir .. start-dir,
//           written at start .. stop, where dir = +1 if stop > start, else -1 (so
//           stop == start computes one point inward). No other point is touched.
//   charge  in: Z(r), read at start-8*dir .. stop.
//   energy  in: E.   l  in: orbital angular momentum.
//   start, stop  in: first and last point computed; the range must stay within 2..1000.
// Reads atom.grid (radius, drdt, drdt_over_r, grid_step). No checks, no failure.
void ADAMS(Radial& p, Radial& q, const Radial& charge, double energy, int l, int start, int stop);

// The weights of the eight-step formula for the grid step h: the Adams-Moulton coefficients
// times h / 3628800.
struct AdamsWeights {
  double new_point;               // of the point being computed
  std::array<double, 8> earlier;  // earlier[j]: of the point 8 - j steps back (j = 0..7)
};
AdamsWeights adams_weights(double step);

}  // namespace hf
