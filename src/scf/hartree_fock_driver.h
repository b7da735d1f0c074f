// The core Hartree-Fock iteration: least-settled shell first, then a confirming final sweep.
#pragma once

#include "state/status.h"

namespace hf {

// After two initial updates of every core shell, repeatedly updates (EXCHAN) the shell whose
// last two energy changes differ most relative to its energy, with a norm tolerance that a
// ladder tightens (1e-5, 1e-7, 1e-9) as that measure falls. Once every measure is at most
// 1e-8 a final sweep updates each shell with tolerance 1e-12, undamped and without
// updating the direct potential; if a shell's measure then exceeds 1e-8 the main loop
// resumes. The main loop has 100 passes per core shell in all. Every update writes one
// line of the Hartree-Fock log to the report.
// Fails when EXCHAN fails (its message), or with " Error in pickup: too many iterations"
// (free-form) when the passes run out.
Status PICKUP();

}  // namespace hf
