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
  // Written at once it goes through error_line; held, it is marked as the failure's message
  // when it is released, so that the run names it on standard error either way.
  Status fail(const report::Line& line);

  // Writes the held lines to the report unit in the order they came and forgets them
  // (throws report::RunDiagnostic when the unit cannot be written).
  void release();

  // Forgets the held lines unwritten (a search whose lines will never be due).
  void discard() {
    held_.clear();
    failed_ = false;
  }

 private:
  Mode mode_;
  std::vector<std::string> held_;  // grows only when a line is held
  bool failed_ = false;            // the last held line is a failure's message
};

}  // namespace hf
