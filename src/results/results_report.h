// The results: total core energy, energy levels and overlap tables, and the orbital table.
#pragma once

#include "state/status.h"

namespace hf {

// Computes the core energy sum_a q_a (e_a - 1/2 integral P_a (Y_d P_a - X_a) dr), with Y_d
// the potential of the core density and X_a the exchange sum of shell a, and writes the
// energy levels, the core energy and the overlap tables <a|b> (diagonal minus 1) of the
// shells of each l = 0..4, every line to the report file and then to the console; then two
// empty lines to the report file only, then the orbital table file. Always succeeds; file
// faults throw report::RunDiagnostic.
Status OUTPUT();

}  // namespace hf
