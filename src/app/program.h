// The whole run: the four stages in order, the error exit and the exit status.
#pragma once

namespace hf {

inline constexpr int kExitFailedRun = 1;   // a stage took its error return
inline constexpr int kExitDiagnostic = 2;  // unreadable input or a file fault ended the run

// Runs DATAIN, HARTNR, PICKUP and OUTPUT on the console streams. After the first stage
// that fails, writes " Error exit in HF Program" to the report and returns
// kExitFailedRun; a RunDiagnostic removes the files not yet finished, prints
// "hfatom: <what>" on stderr and returns kExitDiagnostic; a complete run returns 0.
// Closes every file unit before returning.
int run_program();

}  // namespace hf
