// The radial equation with a driving term, solved by the Green's function of the
// homogeneous solutions, with a Newton step of the energy towards norm 1.
#pragma once

#include "state/atomic_state.h"
#include "state/status.h"

namespace hf {

// Solves P' = Q, Q' = -2 [E + Z(r)/r - l(l+1)/(2r^2)] P + s(r) for shell a, regular at the
// origin and decaying outside: P = (P_o X + P_i Y) / w with the outward (OUTSCH) and inward
// (INSCH) homogeneous solutions, Y the running integral of P_o s from 0, X that of P_i s
// from r(m), w their Wronskian. When |norm - 1| >= norm_tolerance (or the norm is not a
// number) the energy moves by one Newton step (N - 1) / (4 I), I = integral of P D, D the
// driven solution for the shell's stored orbital; p, q stay those of the entry energy.
//   p, q          out: points 1..m, m = shell_extent(a); no other point.
//   charge        in: Z(r).   driving_term  in: s at points 1..m.
//   energy        in-out: E; unchanged when the norm is within the tolerance.
//   shell_index   in: a, selecting shell_l(a), shell_extent(a) (27..1000) and orbital_p(., a).
//   norm_tolerance  in.
// Reads atom.shells, atom.hf.orbital_p, atom.grid, atom.report.report_unit (WRON's table).
// Fails only when INSCH refuses the energy or OUTSCH meets a singular collocation matrix
// (their messages); p, q, energy untouched then.
Status SOLVE(Radial& p, Radial& q, const Radial& charge, const Radial& driving_term, double& energy, int shell_index,
             double norm_tolerance);

// Wronskian w = P_o(c) Q_i(c) - Q_o(c) P_i(c) at c = last / 2. At the check points 40, 80, ...,
// last - 40 it compares W(i) / w; the first that differs from 1 by more than 1e-4 writes an
// empty line, " Constancy of the wronskian :" and a line i (I6), W(i)/w (D20.7) for every
// check point. Otherwise nothing is written.
void WRON(double& wronskian, const Radial& p_out, const Radial& q_out, const Radial& p_in, const Radial& q_in,
          int last);

}  // namespace hf
