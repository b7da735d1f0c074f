#include "potentials/driven_solution.h"

#include <cmath>

#include "potentials/running_integrals.h"
#include "radial/point_pairs.h"
#include "radial/quadrature.h"
#include "radial/shooting_step.h"
#include "report/line_layout.h"

namespace hf {

namespace {

constexpr int kOrder = 7;
constexpr int kCheckStep = 40;
constexpr double kWronskianLimit = 0.0001;

// Work arrays: nothing in them outlives a call.
Radial p_out;
Radial q_out;
Radial p_in;
Radial q_in;
Radial outward_terms;     // P_o s dr/dt
Radial inward_terms;      // P_i s dr/dt
Radial outward_integral;  // Y
Radial integrand;         // of the norm, of the overlap of P and D

// The driven solution for the driving term s: (P_o X + P_i Y) / w, with Y the running
// integral of P_o s from the origin and X that of P_i s from r(m), formed at each point as
// soon as X is there (running_integrals), while the inward sums run.
// store.operator()<T>(i, solution, x) takes the solution and X at point i (two points when T
// is a pair); Y stays in outward_integral.
template <typename Store>
void green_solution(const Radial& s, int m, double w, Store store) {
  const auto& grid = atom.grid;
  for_point_pairs(1, m, [&]<typename T>(int i) {
    const T si = at_point<T>(s, i);
    const T dr = at_point<T>(grid.drdt, i);
    set_point<T>(outward_terms, i, (at_point<T>(p_out, i) * si) * dr);
    set_point<T>(inward_terms, i, (at_point<T>(p_in, i) * si) * dr);
  });
  running_integrals(outward_terms, inward_terms, outward_integral, m, grid.grid_step, [&]<typename T>(int i, T x) {
    const T solution = (at_point<T>(p_out, i) * x + at_point<T>(p_in, i) * at_point<T>(outward_integral, i)) / w;
    store.template operator()<T>(i, solution, x);
  });
}

double wronskian_at(int i, const Radial& p_o, const Radial& q_o, const Radial& p_i, const Radial& q_i) {
  return q_i(i) * p_o(i) - p_i(i) * q_o(i);
}

}  // namespace

void WRON(double& wronskian, const Radial& p_o, const Radial& q_o, const Radial& p_i, const Radial& q_i, int last) {
  const int middle = last / 2;
  const double w = wronskian_at(middle, p_o, q_o, p_i, q_i);
  wronskian = w;
  bool constant = true;
  for (int i = kCheckStep; i <= last - kCheckStep && constant; i += kCheckStep) {
    const double deviation = std::abs((wronskian_at(i, p_o, q_o, p_i, q_i) - w) / w);
    if (deviation > kWronskianLimit) constant = false;
  }
  if (constant) return;
  const int unit = atom.report.report_unit;
  report::Line().write(unit);
  report::Line().text(" Constancy of the wronskian :").write(unit);
  for (int i = kCheckStep; i <= last - kCheckStep; i += kCheckStep)
    report::Line().integer(i, 6).exponent(wronskian_at(i, p_o, q_o, p_i, q_i) / w, 20, 7, 'D').write(unit);
}

Status SOLVE(Radial& p, Radial& q, const Radial& charge, const Radial& driving_term, double& energy, int shell_index,
             double norm_tolerance) {
  const auto& grid = atom.grid;
  const int l = atom.shells.shell_l(shell_index);
  const int m = atom.shells.shell_extent(shell_index);
  const Radial& s = driving_term;

  // The outward solution (OUTSCH to m) and the inward one (INSCH from m down to 2).
  PointValues inward_end;
  if (shooting_step(p_out, q_out, p_in, q_in, charge, energy, l, m, m, 2, inward_end) == Status::error)
    return Status::error;
  p_in(1) = 0.0;
  q_in(1) = 0.0;

  double w = 0.0;
  WRON(w, p_out, q_out, p_in, q_in, m);

  green_solution(s, m, w, [&]<typename T>(int i, T value, T x) {
    set_point<T>(p, i, value);
    set_point<T>(q, i, (at_point<T>(q_out, i) * x + at_point<T>(q_in, i) * at_point<T>(outward_integral, i)) / w);
    set_point<T>(integrand, i, (value * value) * at_point<T>(grid.drdt, i));
  });
  const double norm = RINT(integrand, 1, m, kOrder, grid.grid_step);
  if (std::abs(norm - 1.0) < norm_tolerance) return Status::ok;

  // Newton step: the driven solution for the stored orbital is -(1/2) dP/dE.
  const Radial& stored = atom.hf.orbital_p.column(shell_index);
  green_solution(stored, m, w, [&]<typename T>(int i, T value, T /*x*/) {
    set_point<T>(integrand, i, (at_point<T>(p, i) * value) * at_point<T>(grid.drdt, i));
  });
  const double overlap = RINT(integrand, 1, m, kOrder, grid.grid_step);
  const double step = (0.25 * (norm - 1.0)) / overlap;
  energy = step + energy;
  return Status::ok;
}

}  // namespace hf
