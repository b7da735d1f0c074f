// The whole run: the four stages in order, the error exit and the exit status.
#pragma once

namespace hf {

inline constexpr int kExitFailedRun = 1;   // a stage took its error return
inline constexpr int kExitDiagnostic = 2;  // unreadable input or a file fault ended the run

// Runs DATAIN, HARTNR, PICKUP and OUTPUT on the console streams. After the first stage
// that fails, writes " Error exit in HF Program" to the report, installs the report alone
// and returns kExitFailedRun; a complete run installs its orbital table and report and
// returns 0. A RunDiagnostic (or lack of memory) discards the run's files, leaving the
// final names as they were, prints "hfatom: <what>" on stderr and returns kExitDiagnostic.
int run_program();

}  // namespace hf
