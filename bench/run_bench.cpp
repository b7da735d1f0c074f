// Cost of whole runs and of each stage (input, Hartree, Hartree-Fock, output) for neon, krypton
// and xenon, of one exchange update and of writing the orbital table.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "app/program.h"
#include "app/run_state.h"
#include "report/text_units.h"
#include "results/orbital_table.h"
#include "results/results_report.h"
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

double damping = 0.0;
double g_factor = 0.0;

// The atomic state as one stage leaves it, for the stage after it: taken once per atom.
struct Snapshots {
  std::unique_ptr<hf::AtomicState> after_hartree = std::make_unique<hf::AtomicState>();
  std::unique_ptr<hf::AtomicState> after_hartree_fock = std::make_unique<hf::AtomicState>();
};

const Snapshots& snapshots(const Atom& atom) {
  static std::map<std::string, Snapshots> taken;
  Snapshots& s = taken[atom.input];
  if (s.after_hartree->grid.id == 0) {
    start_run(atom);
    if (hf::DATAIN(damping, g_factor) != hf::Status::ok || hf::HARTNR(damping) != hf::Status::ok)
      throw std::runtime_error("the Hartree stage failed");
    *s.after_hartree = hf::atom;
    if (hf::PICKUP(hf::EXCHAN) != hf::Status::ok) throw std::runtime_error("the Hartree-Fock stage failed");
    *s.after_hartree_fock = hf::atom;
    hf::report::close_all_units();
  }
  return s;
}

// A fresh run through the input stage (which opens the report file), then the atomic state as
// the stages before `stage` leave it.
void prepare(const Atom& atom, const hf::AtomicState* state_before) {
  start_run(atom);
  if (hf::DATAIN(damping, g_factor) != hf::Status::ok) throw std::runtime_error("the input stage failed");
  if (state_before != nullptr) hf::atom = *state_before;
}

enum class Stage { input, hartree, hartree_fock, output };

// One stage, its input state prepared outside the timing.
void stage(benchmark::State& state, const Atom& atom, Stage which) {
  enter_scratch_directory();
  const Snapshots& s = snapshots(atom);
  for (auto _ : state) {
    state.PauseTiming();
    if (which == Stage::input)
      start_run(atom);
    else
      prepare(atom, which == Stage::hartree        ? nullptr
                    : which == Stage::hartree_fock ? s.after_hartree.get()
                                                   : s.after_hartree_fock.get());
    state.ResumeTiming();
    hf::Status status = hf::Status::ok;
    switch (which) {
      case Stage::input:
        status = hf::DATAIN(damping, g_factor);
        break;
      case Stage::hartree:
        status = hf::HARTNR(damping);
        break;
      case Stage::hartree_fock:
        status = hf::PICKUP(hf::EXCHAN);
        break;
      case Stage::output:
        status = hf::OUTPUT();
        break;
    }
    state.PauseTiming();
    hf::report::close_all_units();
    state.ResumeTiming();
    fail_on(status != hf::Status::ok, state, "the stage failed");
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

// Runs xenon to Hartree-Fock convergence once, for the benchmarks of single steps.
void converge_xenon(benchmark::State& state) {
  enter_scratch_directory();
  start_run(kXe);
  fail_on(hf::DATAIN(damping, g_factor) != hf::Status::ok || hf::HARTNR(damping) != hf::Status::ok ||
              hf::PICKUP(hf::EXCHAN) != hf::Status::ok,
          state, "the run failed");
}

// One final-sweep update of the outermost shell (5p of xenon).
void exchange_update(benchmark::State& state) {
  converge_xenon(state);
  const int shell = kXe.shells;
  const double tolerance = 1e-12;
  const bool final_sweep = true;
  for (auto _ : state) fail_on(hf::EXCHAN(shell, tolerance, final_sweep) != hf::Status::ok, state, "EXCHAN failed");
  hf::report::close_all_units();
}

// Writing the orbital table of xenon (11 000 rows).
void orbital_table(benchmark::State& state) {
  converge_xenon(state);
  for (auto _ : state) hf::write_orbital_table();
  hf::report::close_all_units();
}

void register_atom(const char* name, const Atom& atom) {
  const std::string n = name;
  benchmark::RegisterBenchmark(("whole_run/" + n).c_str(), whole_run, atom)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(("input/" + n).c_str(), stage, atom, Stage::input)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("hartree/" + n).c_str(), stage, atom, Stage::hartree)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(("hartree_fock/" + n).c_str(), stage, atom, Stage::hartree_fock)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(("output/" + n).c_str(), stage, atom, Stage::output)->Unit(benchmark::kMillisecond);
}

const int registered = [] {
  register_atom("Ne", kNe);
  register_atom("Kr", kKr);
  register_atom("Xe", kXe);
  benchmark::RegisterBenchmark("exchange_update/Xe_5p", exchange_update)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("orbital_table/Xe", orbital_table)->Unit(benchmark::kMillisecond);
  return 0;
}();

}  // namespace
