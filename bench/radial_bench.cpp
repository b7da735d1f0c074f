// Cost of the eigenvalue search, of the outward start and of the lane kernel's steps on the
// program's grid.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

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
    const hf::Status status = hf::MASTER(problem.p, problem.q, problem.charge, energy, n, l, extent, iterations);
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

// Latencies measured on this machine: the time of one cycle (from a chain of dependent integer
// additions, one cycle each on every x86-64 processor) and the latencies of a double addition,
// multiplication and division in cycles, each from a chain of dependent operations.
struct Latencies {
  double ns_per_cycle = 0.0;
  double add = 0.0;
  double multiply = 0.0;
  double divide = 0.0;
  // One Adams-Moulton step's chain: eight ordered additions, a multiply, an add and a divide.
  double step_chain() const { return 9.0 * add + multiply + divide; }
};

// ns per link of a chain of `links` dependent operations, run by `chain` once per 8 links.
template <typename Chain>
double ns_per_link(Chain chain, long links) {
  double best = 1e300;
  for (int round = 0; round < 5; ++round) {
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < links / 8; ++i) chain();
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count() / static_cast<double>(links));
  }
  return best;
}

const Latencies& latencies() {
  static const Latencies measured = [] {
    Latencies l;
#if defined(__x86_64__)
    constexpr long kLinks = 40'000'000;
    std::uint64_t n = 0;
    double x = 1.0;
    const double y = 1.0000001;
    l.ns_per_cycle = ns_per_link(
        [&] {
          asm volatile(
              "add $1, %0\n add $1, %0\n add $1, %0\n add $1, %0\n add $1, %0\n add $1, %0\n add $1, %0\n add $1, %0"
              : "+r"(n));
        },
        kLinks);
    l.add = ns_per_link(
                [&] {
                  asm volatile(
                      "addsd %1, %0\n addsd %1, %0\n addsd %1, %0\n addsd %1, %0\n addsd %1, %0\n addsd %1, %0\n addsd "
                      "%1, %0\n addsd %1, %0"
                      : "+x"(x)
                      : "x"(y));
                },
                kLinks) /
            l.ns_per_cycle;
    l.multiply = ns_per_link(
                     [&] {
                       asm volatile(
                           "mulsd %1, %0\n mulsd %1, %0\n mulsd %1, %0\n mulsd %1, %0\n mulsd %1, %0\n mulsd %1, %0\n "
                           "mulsd %1, %0\n mulsd %1, %0"
                           : "+x"(x)
                           : "x"(y));
                     },
                     kLinks) /
                 l.ns_per_cycle;
    l.divide = ns_per_link(
                   [&] {
                     asm volatile(
                         "divsd %1, %0\n divsd %1, %0\n divsd %1, %0\n divsd %1, %0\n divsd %1, %0\n divsd %1, %0\n "
                         "divsd %1, %0\n divsd %1, %0"
                         : "+x"(x)
                         : "x"(y));
                   },
                   kLinks / 4) /
               l.ns_per_cycle;
#endif
    return l;
  }();
  return measured;
}

// Steps of the lane kernel: `lanes` outward integrations side by side, points 26 to 985 of
// xenon-like 1s functions (in register groups of two lanes; an idle lane steps on zeros).
// Counters: the time of one step of all lanes (ns_per_step, cycles_per_step), the same over
// the step's dependency chain (chains_per_step: 1 is the latency floor of one chain), and the
// time per step of one integration (ns_per_integration_step).
template <int Groups>
void lanes_bench(benchmark::State& state, int lanes) {
  static hf::Radial p[4], q[4], v;
  Problem& problem = set_up(54.0);
  hf::potential_term(problem.charge, 0, 2, 1000, v);
  for (int k = 0; k < 4; ++k) {
    if (hf::OUTSCH(p[k], q[k], problem.charge, -1458.0 + k, 0, 25) != hf::Status::ok) state.SkipWithError("OUTSCH");
  }
  const int steps = 960;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    hf::AdamsLanes<Groups> kernel;
    for (int k = 0; k < lanes; ++k) kernel.start(k, hf::AdamsSpan{&p[k], &q[k], &v, -1458.0 + k, 26, 25 + steps, 1});
    kernel.advance();
    benchmark::DoNotOptimize(p[0].data());
  }
  const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
  const double ns_per_step = took.count() / (static_cast<double>(state.iterations()) * steps);
  state.counters["ns_per_step"] = ns_per_step;
  state.counters["ns_per_integration_step"] = ns_per_step / lanes;
  const Latencies& l = latencies();
  if (l.ns_per_cycle > 0.0) {
    state.counters["cycles_per_step"] = ns_per_step / l.ns_per_cycle;
    state.counters["chain_cycles"] = l.step_chain();
    state.counters["chains_per_step"] = ns_per_step / l.ns_per_cycle / l.step_chain();
  }
}

void kernel_one_lane(benchmark::State& state) { lanes_bench<1>(state, 1); }
void kernel_two_lanes(benchmark::State& state) { lanes_bench<1>(state, 2); }
void kernel_four_lanes(benchmark::State& state) { lanes_bench<2>(state, 4); }

}  // namespace

BENCHMARK(kernel_one_lane)->Unit(benchmark::kMicrosecond);
BENCHMARK(kernel_two_lanes)->Unit(benchmark::kMicrosecond);
BENCHMARK(kernel_four_lanes)->Unit(benchmark::kMicrosecond);
