#include "radial/report_lines.h"

#include "report/text_units.h"
#include "state/atomic_state.h"

namespace hf {

void ReportLines::write(const report::Line& line) {
  if (mode_ == Mode::direct) {
    line.write(atom.report.report_unit);
    return;
  }
  for (std::string& text : line.lines()) held_.push_back(std::move(text));
}

void ReportLines::release() {
  for (const std::string& text : held_) report::write_line(atom.report.report_unit, text);
  held_.clear();
}

}  // namespace hf
