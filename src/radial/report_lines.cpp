#include "radial/report_lines.h"

#include "report/text_units.h"
#include "state/atomic_state.h"
#include "state/error_line.h"

namespace hf {

void ReportLines::write(const report::Line& line) {
  if (mode_ == Mode::direct) {
    line.write(atom.report.report_unit);
    return;
  }
  for (std::string& text : line.lines()) held_.push_back(std::move(text));
  failed_ = false;
}

Status ReportLines::fail(const report::Line& line) {
  if (mode_ == Mode::direct) return error_line(line);
  write(line);
  failed_ = true;
  return Status::error;
}

void ReportLines::release() {
  const int unit = atom.report.report_unit;
  for (const std::string& text : held_) report::write_line(unit, text);
  if (failed_ && !held_.empty()) report::mark_last_line(unit);
  discard();
}

}  // namespace hf
