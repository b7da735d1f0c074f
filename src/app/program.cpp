#include "app/program.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>

#include "report/line_layout.h"
#include "report/text_units.h"
#include "results/results_report.h"
#include "run/atom_input.h"
#include "scf/exchange_update.h"
#include "scf/hartree_fock_driver.h"
#include "scf/hartree_iteration.h"
#include "state/atomic_state.h"
#include "state/status.h"

namespace {

// The stages in order; the first that fails ends the run.
hf::Status run_stages() {
  double damping_factor = 0.0;
  double nuclear_g_factor = 0.0;
  if (hf::DATAIN(damping_factor, nuclear_g_factor) == hf::Status::error) return hf::Status::error;
  if (hf::HARTNR(damping_factor) == hf::Status::error) return hf::Status::error;
  if (hf::PICKUP(hf::EXCHAN) == hf::Status::error) return hf::Status::error;
  if (hf::OUTPUT() == hf::Status::error) return hf::Status::error;
  return hf::Status::ok;
}

// One line on standard error for a run that took the error exit, so that a failure is seen
// at the terminal and by a script: the failing routine's message from the report, trimmed,
// and the report's name. A failure that writes no message of its own (an eigenvalue search
// out of trials) is named by the report alone.
void tell_failure(const std::optional<std::string>& message) {
  const std::string report = hf::report_file_name(hf::atom.names.atom_symbol);
  std::string cause = message.value_or("");
  cause.erase(0, cause.find_first_not_of(' '));
  cause.erase(cause.find_last_not_of(' ') + 1);
  if (cause.empty())
    std::fprintf(stderr, "hfatom: the computation failed (see \"%s\")\n", report.c_str());
  else
    std::fprintf(stderr, "hfatom: the computation failed: %s (see \"%s\")\n", cause.c_str(), report.c_str());
}

}  // namespace

namespace hf {

int run_program() {
  try {
    const hf::Status status = run_stages();
    std::optional<std::string> failure;  // the failing routine's message, if it wrote one
    if (status == hf::Status::error) {
      failure = hf::report::marked_last_line(hf::atom.report.report_unit);
      hf::report::write_free(hf::atom.report.report_unit, " Error exit in HF Program");
    }
    // Everything is written and the console flushed before a file is installed: a run
    // whose status is 0 or 1 has its files on disk, one that takes a diagnostic has none.
    hf::report::close_all_units();
    if (status == hf::Status::ok)
      hf::report::install_files({hf::report::kOrbitalTableUnit, hf::report::kReportUnit});
    else
      hf::report::install_files({hf::report::kReportUnit});
    if (status == hf::Status::ok) return EXIT_SUCCESS;
    tell_failure(failure);
    return kExitFailedRun;
  } catch (const hf::report::RunDiagnostic& diagnostic) {
    hf::report::discard_open_files();
    std::fprintf(stderr, "hfatom: %s\n", diagnostic.what());
    return kExitDiagnostic;
  } catch (const std::bad_alloc&) {
    hf::report::discard_open_files();
    std::fprintf(stderr, "hfatom: out of memory\n");
    return kExitDiagnostic;
  }
}

}  // namespace hf
