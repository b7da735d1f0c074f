// Cost of whole runs, of one exchange update and of writing the orbital table.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "app/program.h"
#include "app/run_state.h"
#include "report/text_units.h"
#include "results/orbital_table.h"
#include "run/atom_input.h"
#include "scf/exchange_update.h"
#include "scf/hartree_fock_driver.h"
#include "scf/hartree_iteration.h"
#include "state/atomic_state.h"

namespace {

namespace fs = std::filesystem;

struct Atom {
  const char* input;
  int shells;
};

const Atom kNe{"Ne\n3\n10\n", 3};
const Atom kAr{"Ar\n5\n18\n", 5};
const Atom kKr{"Kr\n8\n36\n", 8};
const Atom kXe{"Xe\n11\n54\n", 11};

// Runs in a scratch directory of its own, so that the files are really written.
void enter_scratch_directory() {
  static const fs::path dir = [] {
    std::string pattern = (fs::temp_directory_path() / "hfatom-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return fs::path(pattern);
  }();
  fs::current_path(dir);
}

// A fresh run with the console in memory; the report goes to its file.
void start_run(const Atom& atom) {
  hf::start_fresh_run();
  hf::report::capture_unit(hf::report::kConsoleOut);
  hf::report::set_console_input(atom.input);
}

void fail_on(bool bad, benchmark::State& state, const char* what) {
  if (bad) state.SkipWithError(what);
}

// Input stage, Hartree iteration and Hartree-Fock iteration.
void to_hartree_fock(benchmark::State& state, const Atom& atom) {
  enter_scratch_directory();
  for (auto _ : state) {
    start_run(atom);
    double damping = 0.0;
    double g_factor = 0.0;
    const bool ok = hf::DATAIN(damping, g_factor) == hf::Status::ok && hf::HARTNR(damping) == hf::Status::ok &&
                    hf::PICKUP(hf::EXCHAN) == hf::Status::ok;
    hf::report::close_all_units();
    fail_on(!ok, state, "a stage failed");
  }
}

// The whole program, results and orbital table included.
void whole_run(benchmark::State& state, const Atom& atom) {
  enter_scratch_directory();
  for (auto _ : state) {
    start_run(atom);
    fail_on(hf::run_program() != 0, state, "the run failed");
  }
}

// Runs an atom to Hartree-Fock convergence once, for the benchmarks of single steps.
void converge_once(benchmark::State& state, const Atom& atom) {
  enter_scratch_directory();
  start_run(atom);
  double damping = 0.0;
  double g_factor = 0.0;
  fail_on(hf::DATAIN(damping, g_factor) != hf::Status::ok || hf::HARTNR(damping) != hf::Status::ok ||
              hf::PICKUP(hf::EXCHAN) != hf::Status::ok,
          state, "the run failed");
}

// One final-sweep update of the outermost shell (5p of xenon).
void exchange_update(benchmark::State& state) {
  converge_once(state, kXe);
  const int shell = kXe.shells;
  const double tolerance = 1e-12;
  const bool final_sweep = true;
  for (auto _ : state) fail_on(hf::EXCHAN(shell, tolerance, final_sweep) != hf::Status::ok, state, "EXCHAN failed");
  hf::report::close_all_units();
}

// Writing the orbital table of xenon (11 000 rows).
void orbital_table(benchmark::State& state) {
  converge_once(state, kXe);
  for (auto _ : state) hf::write_orbital_table();
  hf::report::close_all_units();
}

BENCHMARK_CAPTURE(to_hartree_fock, Ne, kNe)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(to_hartree_fock, Ar, kAr)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(to_hartree_fock, Kr, kKr)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(to_hartree_fock, Xe, kXe)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(whole_run, Ne, kNe)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(whole_run, Ar, kAr)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(whole_run, Kr, kKr)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(whole_run, Xe, kXe)->Unit(benchmark::kMillisecond);
BENCHMARK(exchange_update)->Unit(benchmark::kMicrosecond);
BENCHMARK(orbital_table)->Unit(benchmark::kMillisecond);

}  // namespace
