// One Hartree-Fock update of one core shell: direct and exchange driving term, damping,
// energy estimate and the normalised driven solution.
#pragma once

#include "state/status.h"

namespace hf {

// Updates shell i = shell_index. The driving term is twice the difference between the
// Hartree-Fock direct potential -(Z + z)/r + D and the reference potential
// -effective_charge/r times P_i, minus the exchange sum over every core shell j and allowed
// order lambda of N_j CLAM(l, l_j, lambda)^2 Y_lambda[P_j P_i] P_j. From a shell's second
// update on it is averaged (weight 0.5) with the stored one unless final_sweep is set.
// SOLVE is repeated from the first-order energy estimate until the energy moves by less
// than 1e-12 relative (at most 30 calls); then, unless final_sweep is set, the direct
// potential D is corrected by the potential of the shell's density change, and the new
// orbital (points 1..shell_extent) and energy are stored.
// The first call of the run copies the Hartree orbitals of all core shells into orbital_p,
// orbital_q (all 1000 points) and builds D from them.
//   shell_index     in: 1..core_count.
//   norm_tolerance  in: handed to SOLVE.
//   final_sweep     in: false for an ordinary update; true: no damping, no update of D.
// Reads and writes the exchange update's own run state (D, the stored driving terms and
// whether each exists); writes atom.energies.shell_energy(i) and atom.hf. Fails when YFUN or
// SOLVE fails (their messages), or with "  Error in fock:  norm loop fails to converge" after
// 30 SOLVE calls; the shell's energy and orbital then keep their previous values.
Status EXCHAN(int shell_index, double norm_tolerance, bool final_sweep);

// Returns the exchange update's run state to its process-start value: the next EXCHAN call
// is the first of a run. Part of start_fresh_run.
void reset_exchange_update();

}  // namespace hf
