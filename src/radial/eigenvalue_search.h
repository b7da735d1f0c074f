// Eigenvalue search: a bound state of the radial equation in a local potential, by shooting.
#pragma once

#include "state/atomic_state.h"
#include "state/status.h"

namespace hf {

// Bound state (n, l) of -P''/2 + [-Z(r)/r + l(l+1)/(2r^2)] P = E P with n - l - 1 nodes.
// Each trial joins the inward solution (INSCH, from the practical infinity m, the outermost
// point with (E r + Z) r + 800 >= 0) to the outward one (OUTSCH) at the matching point mc,
// the outermost point with E r + Z >= 0 at or below m. A wrong node count moves E by the
// factors 1.1 / 0.9 or bisects between the bounds; a right one corrects E by
// delta = (Q_out - Q_in) P / (2 norm) at mc until |delta/E| <= 1e-11.
//   p, q        out: on return P and dP/dr at 1..extent, normalised to int P^2 dr = 1 and
//               p > 0 near the origin. Beyond extent only points written by an earlier
//               trial with a larger practical infinity change; they hold no meaning.
//   charge      in: Z(r) at every point.
//   energy      in-out: first trial energy; out: the eigenvalue (the energy p, q belong to).
//   n, l        in: quantum numbers.
//   extent      out: m of the last trial (left as it was if no point qualified).
//   iterations  out: trial energies used, 1..30.
// Reads atom.grid and atom.report.report_unit.
// Status::error, without a message, after 30 trials (iterations = 30, energy = the 31st
// trial energy, p, q = the joined unnormalised solution of trial 30), when INSCH
// refuses a non-negative trial energy (its message), and when OUTSCH meets a singular
// collocation matrix (its message). Status::error with one message line
// for input the starts cannot serve:
//   "  Error in master: trial energy is not finite"
//   "  Error in master: practical infinity too close to the origin"        (m < 27)
//   "  Error in master: no classically allowed point for the trial energy" (E r + Z < 0 on 1..m)
//   "  Error in master: matching point too close to the origin"            (mc < 27)
//   "  Error in master: norm of the trial solution is zero or not finite"
// Only points 1..1000 are ever touched.
Status MASTER(Radial& p, Radial& q, const Radial& charge, double& energy, int n, int l, int& extent,
              int& iterations);

}  // namespace hf
