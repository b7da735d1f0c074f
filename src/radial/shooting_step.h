// The shooting step: the outward and the inward solution of the radial equation at one energy,
// integrated side by side, and their join at the matching point.
#pragma once

#include "state/atomic_state.h"
#include "state/status.h"

namespace hf {

// P and Q of a solution at one point.
struct PointValues {
  double p = 0.0;
  double q = 0.0;
};

// The solution regular at the origin and the one decaying outside, at one energy: bit for bit
// what OUTSCH(p_out, q_out, charge, energy, l, outward_last) and INSCH(p_in, q_in, charge,
// energy, l, outer, inward_last) give, in that order when both write one pair of arrays. Both
// starts are made first; the two Adams-Moulton runs are then stepped alternately, so that
// the processor overlaps their chains of dependent operations.
//   p_out, q_out  out: the outward solution at 1..25 and, when outward_last > 26, at
//                 26..outward_last.
//   p_in, q_in    out: the inward solution at inward_last..outer (outer-8..outer alone when
//                 outer-9 < inward_last). They may be p_out, q_out themselves: the points both
//                 solutions reach then end with the outward values. The outward run is held
//                 back from those points until the inward run is done; this guard is the one
//                 thing that lets the two runs share arrays.
//   inward_end    out: the inward solution at inward_last as INSCH leaves it, before any
//                 outward value is written there.
//   charge, energy, l  in: as for OUTSCH and INSCH.
//   outward_last  in: the last outward point (OUTSCH's match).
//   outer, inward_last  in: INSCH's outer and match; inward_last..outer within 2..1000 and
//                 inward_last >= outer - 8 or the inward run exists. With one pair of arrays
//                 inward_last must be at least 27, so that the two starts write apart.
// Reads atom.grid and atom.report.report_unit.
// Status::error with INSCH's message for an energy that is not negative (checked first:
// nothing is written then) and with OUTSCH's for a singular collocation matrix.
Status shooting_step(Radial& p_out, Radial& q_out, Radial& p_in, Radial& q_in, const Radial& charge, double energy,
                     int l, int outward_last, int outer, int inward_last, PointValues& inward_end);

// The shooting step of the eigenvalue search, on one pair of arrays: the outward solution up to
// the matching point `match` and the inward one from `outer` down to it, joined there. The
// inward part match+1..outer is scaled by s = P_out(match) / P_in(match), so that P is
// continuous; match keeps the outward values.
//   p, q       out: the joined solution at 1..outer; no other point.
//   q_inward   out: s times the inward Q at match; q(match) - q_inward is the jump of dP/dr.
//   charge, energy, l  in: as for shooting_step.
//   match, outer  in: 27 <= match <= outer <= 1000.
// Reads atom.grid and atom.report.report_unit. Fails as shooting_step.
Status shoot_and_join(Radial& p, Radial& q, const Radial& charge, double energy, int l, int match, int outer,
                      double& q_inward);

}  // namespace hf
