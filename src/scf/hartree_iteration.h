// Self-consistent Hartree iteration of the core shells in a local central potential.
#pragma once

#include "state/status.h"

namespace hf {

// Extra charge added to the effective charge at radius r; this system has none (0.0).
inline double Z_MADELUNG(double /*r*/) { return 0.0; }

// Z_MADELUNG at one radius (T = double) or at the two radii of a point pair, for the loops
// that go two points at a time.
template <typename T>
inline T extra_charge(T r) {
  if constexpr (sizeof(T) == sizeof(double))
    return Z_MADELUNG(r);
  else
    return T{Z_MADELUNG(r[0]), Z_MADELUNG(r[1])};
}

// Solves every core shell in -effective_charge/r (MASTER), forms the order-0 potential of
// the density (YFUN), screens the nucleus by (N-1)/N of it and mixes the new charge with the
// old one, damping_factor old to 1 - damping_factor new, until the first-order energy
// shifts fall below 0.001 (single precision) of the eigenvalues, at most 100 iterations.
// The eigenvalue searches of an iteration run side by side (run_searches); their lines and
// results are taken in shell order, as MASTER called for each shell in turn leaves them.
// Logs every iteration to the report. On return effective_charge is the potential the
// returned orbitals were computed in and shell_energy_guess = shell_energy.
//   damping_factor  in: weight of the old charge (the run passes single-precision 0.9).
// Writes atom.grid.effective_charge, atom.hartree, atom.energies, shell_extent and
// shell_iterations. Fails when a search or YFUN fails (their messages), and with
// "  Error in hartnr: no shells to iterate" when core_count < 1. A failing search ends the
// iteration as MASTER in turn would: the lines and results of the shells before it and its
// own are there, nothing of the shells after it is written to the report or to the shell
// table; their orbital columns may hold what their interrupted searches wrote (the run ends).
// Non-convergence is only the warning " Warning hartree: Iteration has not converged".
Status HARTNR(double damping_factor);

}  // namespace hf
