#include "app/program.h"

#include <cstdio>
#include <cstdlib>
#include <new>

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

}  // namespace

namespace hf {

int run_program() {
  try {
    const hf::Status status = run_stages();
    if (status == hf::Status::error) hf::report::write_free(hf::atom.report.report_unit, " Error exit in HF Program");
    // Everything is written and the console flushed before a file is installed: a run
    // whose status is 0 or 1 has its files on disk, one that takes a diagnostic has none.
    hf::report::close_all_units();
    if (status == hf::Status::ok)
      hf::report::install_files({hf::report::kOrbitalTableUnit, hf::report::kReportUnit});
    else
      hf::report::install_files({hf::report::kReportUnit});
    return status == hf::Status::ok ? EXIT_SUCCESS : kExitFailedRun;
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
