// Eight-step implicit Adams-Moulton integration of the homogeneous radial equation along the grid.
#pragma once

#include <array>
#include <cstddef>

#include "state/atomic_state.h"

namespace hf {

// Continues a solution of P' = Q, Q' = -2 [E + Z(r)/r - l(l+1)/(2r^2)] P point by point,
// in the grid variable t: dP/dt = drdt Q, dQ/dt = -2 A P with
// A = E drdt + (Z - l(l+1)/(2r)) drdt_over_r. Each step solves the linear implicit
// order-9 formula exactly (no predictor, no corrector iteration).
//   p, q    in-out: P and dP/dr; read at the eight points start-8*dir .. start-dir,
//           written at start .. stop, where dir = +1 if stop > start, else -1 (so
//           stop == start computes one point inward). No other point is touched.
//   charge  in: Z(r), read at start-8*dir .. stop.
//   energy  in: E.   l  in: orbital angular momentum.
//   start, stop  in: first and last point computed; the range must stay within 2..1000.
// Reads atom.grid (radius, drdt, drdt_over_r, grid_step). No checks, no failure.
void ADAMS(Radial& p, Radial& q, const Radial& charge, double energy, int l, int start, int stop);

// The same integration, one point per step() call: ADAMS is an AdamsRun stepped to its end.
// The history is read when the run is made. Each step depends on the one before through a
// long chain of dependent operations; stepping two independent runs alternately (the
// shooting step, shooting_step.h) lets the processor overlap the two chains, with the same
// results.
class AdamsRun {
 public:
  AdamsRun(Radial& p, Radial& q, const Radial& charge, double energy, int l, int start, int stop);

  int remaining() const { return remaining_; }

  void step() {
    const auto& grid = atom.grid;
    const int i = next_;
    const double dr = sdir_ * grid.drdt(i);
    const double g = -2.0 * sdir_ * a_term(i);
    const double b = weight0_ * dr;
    const double c = weight0_ * g;
    const double det = 1.0 - b * c;
    double sp = last_p_;
    double sq = last_q_;
    for (std::size_t j = 0; j < kSteps; ++j) {
      sp = sp + weight_[j] * dp_[head_ + j];
      sq = sq + weight_[j] * dq_[head_ + j];
    }
    // Exact solution of p = sp + b q, q = sq + c p.
    const double pi = (b * sq + sp) / det;
    const double qi = (c * sp + sq) / det;
    p_(i) = pi;
    q_(i) = qi;
    last_p_ = pi;
    last_q_ = qi;
    // The newest derivatives replace the oldest.
    dp_[head_] = dp_[head_ + kSteps] = dr * qi;
    dq_[head_] = dq_[head_ + kSteps] = g * pi;
    head_ = (head_ + 1) % kSteps;
    next_ += dir_;
    --remaining_;
  }

 private:
  static constexpr std::size_t kSteps = 8;

  double a_term(int i) const {
    const auto& grid = atom.grid;
    return energy_ * grid.drdt(i) + (charge_(i) - centrifugal_ / grid.radius(i)) * grid.drdt_over_r(i);
  }

  Radial& p_;
  Radial& q_;
  const Radial& charge_;
  double energy_;
  double centrifugal_;  // l(l+1)/2
  int dir_;
  double sdir_;
  int next_;
  int remaining_;
  double weight0_;
  std::array<double, kSteps> weight_{};
  // The derivatives of the last eight points, oldest first, signed by the direction, in a
  // ring whose every slot is stored twice (s and s + 8): the window [head, head + 8) is
  // always contiguous.
  std::array<double, 2 * kSteps> dp_{};
  std::array<double, 2 * kSteps> dq_{};
  std::size_t head_ = 0;
  // P and Q at the point before the next one, kept out of the arrays.
  double last_p_;
  double last_q_;
};

}  // namespace hf
