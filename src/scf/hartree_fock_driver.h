// The core Hartree-Fock iteration: least-settled shell first, then a confirming final sweep.
#pragma once

#include "state/status.h"

namespace hf {

// One update of one shell, as EXCHAN does it: (shell_index, norm_tolerance, final_sweep).
// It writes the shell's new energy to atom.energies.shell_energy.
using ShellUpdate = Status (*)(int shell_index, double norm_tolerance, bool final_sweep);

// After two initial updates of every core shell, repeatedly updates the shell whose
// last two energy changes differ most relative to its energy, with a norm tolerance that a
// ladder tightens (1e-5, 1e-7, 1e-9) as that measure falls. Once every measure is at most
// 1e-8 a final sweep updates each shell with tolerance 1e-12, undamped and without
// updating the direct potential; if a shell's measure then exceeds 1e-8 the main loop
// resumes. The main loop has 100 passes per core shell in all. Every update writes one
// line of the Hartree-Fock log to the report.
//   update_shell  in: the update step; the program passes EXCHAN.
// Reads atom.shells.core_count, atom.energies.shell_energy, the labels and the symbol.
// Fails when an update fails (its message), or with "  Error in pickup: too many iterations"
// when the passes run out.
Status PICKUP(ShellUpdate update_shell);

}  // namespace hf
