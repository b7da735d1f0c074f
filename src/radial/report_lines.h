// Report lines of the radial routines: written at once, or held back and written later in order.
#pragma once

#include <string>
#include <vector>

#include "report/line_layout.h"
#include "state/status.h"

namespace hf {

// Where a radial routine's warning and error lines go. A direct one writes each line to the
// report unit (atom.report.report_unit) as it comes, as every routine does when it runs alone;
// a holding one keeps the lines of one search that runs interleaved with others, so that they
// can be written when that search's turn comes in the report. The held lines keep their order.
class ReportLines {
 public:
  enum class Mode { direct, hold };

  explicit ReportLines(Mode mode = Mode::direct) : mode_(mode) {}

  // Writes the line (or lines) to the report, or holds them.
  void write(const report::Line& line);

  // The same for a routine's error line, returning Status::error: `return lines.fail(...)`.
  Status fail(const report::Line& line) {
    write(line);
    return Status::error;
  }

  // Writes the held lines to the report unit in the order they came and forgets them
  // (throws report::RunDiagnostic when the unit cannot be written).
  void release();

  // Forgets the held lines unwritten (a search whose lines will never be due).
  void discard() { held_.clear(); }

 private:
  Mode mode_;
  std::vector<std::string> held_;  // grows only when a line is held
};

}  // namespace hf
