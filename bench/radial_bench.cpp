// Cost of the eigenvalue search and of the outward start on the program's grid.
#include <benchmark/benchmark.h>

#include "app/run_state.h"
#include "radial/adams_lanes.h"
#include "radial/eigenvalue_search.h"
#include "radial/outward_start.h"
#include "report/text_units.h"
#include "run/radial_grid.h"
#include "state/atomic_state.h"

namespace {

struct Problem {
  hf::Radial charge;
  hf::Radial p;
  hf::Radial q;
};

// A fresh state with the grid, the report captured, and a bare charge Z everywhere.
Problem& set_up(double z) {
  static Problem problem;
  hf::start_fresh_run();
  hf::report::capture_unit(hf::report::kReportUnit);
  hf::atom.report.report_unit = hf::report::kReportUnit;
  hf::set_up_grid();
  problem.charge.fill(z);
  return problem;
}

// MASTER for (n, l) in the charge Z from a first guess 10 % shallower than -Z^2/(2n^2).
void search(benchmark::State& state, double z, int n, int l) {
  Problem& problem = set_up(z);
  const double guess = 0.9 * (-z * z / (2.0 * n * n));
  int extent = 0;
  int iterations = 0;
  for (auto _ : state) {
    double energy = guess;
    const hf::Status status =
        hf::MASTER(problem.p, problem.q, problem.charge, energy, n, l, extent, iterations);
    if (status != hf::Status::ok) {
      state.SkipWithError("MASTER failed");
      break;
    }
    benchmark::DoNotOptimize(energy);
  }
  state.counters["trials"] = iterations;
  state.counters["extent"] = extent;
}

void BM_MasterDeep1sZ54(benchmark::State& state) { search(state, 54.0, 1, 0); }
void BM_MasterDiffuse5sZ10(benchmark::State& state) { search(state, 10.0, 5, 0); }

void BM_OutschZ54(benchmark::State& state) {
  Problem& problem = set_up(54.0);
  const int match = static_cast<int>(state.range(0));
  for (auto _ : state) {
    if (hf::OUTSCH(problem.p, problem.q, problem.charge, -1458.0, 0, match) != hf::Status::ok) {
      state.SkipWithError("OUTSCH failed");
      break;
    }
    benchmark::DoNotOptimize(problem.p.data());
  }
}

}  // namespace

BENCHMARK(BM_MasterDeep1sZ54)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MasterDiffuse5sZ10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OutschZ54)->Arg(25)->Arg(600)->Unit(benchmark::kMicrosecond);

namespace {

// Steps of the lane kernel: `lanes` outward integrations from point 26 to 985 side by side.
template <int Groups>
void lanes_bench(benchmark::State& state, int lanes) {
  static hf::Radial p[4], q[4], v;
  Problem& problem = set_up(54.0);
  hf::potential_term(problem.charge, 0, 2, 1000, v);
  for (int k = 0; k < 4; ++k) {
    if (hf::OUTSCH(p[k], q[k], problem.charge, -1458.0 + k, 0, 25) != hf::Status::ok) state.SkipWithError("OUTSCH");
  }
  const int steps = 960;
  for (auto _ : state) {
    hf::AdamsLanes<Groups> kernel;
    for (int k = 0; k < lanes; ++k) kernel.start(k, hf::AdamsSpan{&p[k], &q[k], &v, -1458.0 + k, 26, 25 + steps, 1});
    kernel.advance();
    benchmark::DoNotOptimize(p[0].data());
  }
  state.counters["ns_per_step"] = benchmark::Counter(
      static_cast<double>(steps), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

void lanes1(benchmark::State& s) { lanes_bench<1>(s, 1); }
void lanes2(benchmark::State& s) { lanes_bench<1>(s, 2); }
void lanes4(benchmark::State& s) { lanes_bench<2>(s, 4); }
BENCHMARK(lanes1);
BENCHMARK(lanes2);
BENCHMARK(lanes4);
