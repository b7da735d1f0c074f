// Error lines: the routine that detects a failure writes its message to the report and fails.
#pragma once

#include <string_view>

#include "report/line_layout.h"
#include "state/status.h"

namespace hf {

// Writes `line` to the report unit (atom.report.report_unit) exactly as given, leading
// blanks included ("  Error in master: ...", "Error in enclab: ..."), and returns
// Status::error, so that a routine fails with `return error_line("...");`. The line is marked
// as the failure's message: the run names it on standard error when it takes the error exit.
Status error_line(std::string_view line);

// The same for an error line with values in it, built field by field.
Status error_line(const report::Line& line);

}  // namespace hf
