// Inward start: the solution decaying at large radius, from the asymptotic Coulomb series.
#pragma once

#include "radial/report_lines.h"
#include "state/atomic_state.h"
#include "state/status.h"

namespace hf {

// Solution of the radial equation that decays at large r. At the nine points
// outer-8..outer it is the asymptotic series, for the constant charge Z = charge(outer),
//   P = r^sigma e^(-lambda r) sum_k a(k)/r^k,  Q = r^sigma e^(-lambda r) sum_k b(k)/r^k,
// lambda = sqrt(-2E), sigma = Z/lambda, a(0) = 1, at most 15 terms (stopped once the last
// terms are below 1e-8 relative); ADAMS then runs inward from outer-9 down to match.
//   p, q    out: written at match..outer (only outer-8..outer when outer-9 < match).
//   charge  in: Z(r), read at outer and by the integrator at match..outer-1.
//   energy  in: E, must be negative.   l  in: orbital angular momentum.
//   outer   in: outermost point, 9..1000.   match  in: innermost point wanted, at least 2.
// Reads atom.grid and atom.report.report_unit. Writes " Warning: asymptotic series not
// converging " to the report for each series point whose 15 terms leave a last relative
// term above 0.001, and goes on.
// Status::error when E is not negative (E >= 0, or NaN): the line
// "  Error in insch: eau = " E (D16.6) " > 0" is written and p, q are untouched.
Status INSCH(Radial& p, Radial& q, const Radial& charge, double energy, int l, int outer, int match);

// Points of the inward start set from the series; INSCH integrates from the point below.
inline constexpr int kSeriesPoints = 9;

// The series part of INSCH alone: the same check of E and the same warning and error lines,
// written through `lines`; p, q at outer-8..outer. INSCH continues with ADAMS from outer-9
// down to match when outer-9 >= match.
Status inward_series(Radial& p, Radial& q, const Radial& charge, double energy, int l, int outer, ReportLines& lines);

}  // namespace hf
