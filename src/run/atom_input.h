// The input stage: console dialogue, closed-shell configuration, report file, echo and grid.
#pragma once

#include <string>

#include "state/atomic_state.h"
#include "state/status.h"

namespace hf {

// The fixed filling order of the closed shells: 1s 2s 2p 3s 3p 3d 4s 4p 4d 5s 5p.
inline constexpr int kShellOrderLength = 11;

// Report file name: the four characters of the symbol, leading blanks dropped,
// inner and trailing blanks kept, then ".out" (He gives "He  .out").
// Throws report::RunDiagnostic for a symbol that would not name a file in the
// current directory: all blanks, or holding '/', NUL or another control character.
std::string report_file_name(const Text4& symbol);

// DATAIN: holds the console dialogue (symbol, number of shells, nuclear charge), sets
// up the shell table, opens the report file (unit 8), echoes the input, builds the grid.
//   damping_factor    out: 0.9 in single precision, widened (the Hartree mixing weight)
//   nuclear_g_factor  out: 0.0
// Writes atom_symbol, shell_count, nuclear_charge, core_count, report_unit, the entries
// of shells 1..shell_count (n, l, occupancy, label, energy guess) and the grid.
// Returns error after the overflow line (more than 30 shells) or ENCLAB's message.
// Unreadable console input or an unusable report file throw report::RunDiagnostic.
Status DATAIN(double& damping_factor, double& nuclear_g_factor);

}  // namespace hf
