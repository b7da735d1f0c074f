#include "state/error_line.h"

#include "report/text_units.h"
#include "state/atomic_state.h"

namespace hf {

Status error_line(std::string_view line) { return error_line(report::Line().text(line)); }

Status error_line(const report::Line& line) {
  line.write(atom.report.report_unit);
  report::mark_last_line(atom.report.report_unit);
  return Status::error;
}

}  // namespace hf
