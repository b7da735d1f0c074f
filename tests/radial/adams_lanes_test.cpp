// The lane kernel: every lane bit for bit ADAMS, for one and two registers of lanes, with
// lanes refilled as spans end and spans cut and continued in another lane.
#include "radial/adams_lanes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "radial/adams_moulton.h"
#include "radial_fixture.h"

namespace hf::test {
namespace {

// One integration: its own arrays, seeded at every point with a smooth function, so that
// any history it may read is set; NaN would hide nothing here, as both sides compute alike.
struct Job {
  int l;
  double energy;
  int start;
  int stop;
  std::vector<int> cuts;  // the span ends after each of these points and goes on from the next
};

struct Integration {
  Job job;
  Radial p;
  Radial q;
  Radial p_ref;
  Radial q_ref;
  Radial v;
  std::size_t pieces_started = 0;
};

struct Schedule {
  const char* name;
  std::vector<Job> jobs;
};

class AdamsLanesTest : public RadialTest, public ::testing::WithParamInterface<Schedule> {
 protected:
  void SetUp() override {
    RadialTest::SetUp();
    for (int i = 1; i <= kGridPoints; ++i) charge(i) = 30.0 / (1.0 + 0.5 * r(i)) + 1.0;  // a screened nucleus
  }

  // Runs the jobs through a kernel of Groups registers: a lane that falls idle takes the next
  // piece waiting; the piece after a cut waits at the back of the queue.
  template <int Groups>
  void run_in_lanes(std::vector<Integration>& work) {
    AdamsLanes<Groups> lanes;
    struct Piece {
      Integration* w;
      int start;
      int stop;
      int dir;
    };
    std::deque<Piece> waiting;
    const auto pieces_of = [](Integration& w, std::size_t k) {
      const Job& job = w.job;
      const int dir = job.stop > job.start ? 1 : -1;
      const int start = k == 0 ? job.start : job.cuts[k - 1] + dir;
      const int stop = k < job.cuts.size() ? job.cuts[k] : job.stop;
      return Piece{&w, start, stop, dir};
    };
    for (Integration& w : work) waiting.push_back(pieces_of(w, w.pieces_started++));
    std::vector<Integration*> in_lane(AdamsLanes<Groups>::kLanes, nullptr);
    for (;;) {
      for (int lane = 0; lane < AdamsLanes<Groups>::kLanes; ++lane) {
        if (lanes.busy(lane) || waiting.empty()) continue;
        const Piece piece = waiting.front();
        waiting.pop_front();
        lanes.start(lane, AdamsSpan{&piece.w->p, &piece.w->q, &piece.w->v, piece.w->job.energy, piece.start, piece.stop,
                                    piece.dir});
        in_lane[static_cast<std::size_t>(lane)] = piece.w;
      }
      bool any = false;
      for (int lane = 0; lane < AdamsLanes<Groups>::kLanes; ++lane) any = any || lanes.busy(lane);
      if (!any) break;
      lanes.advance();
      for (int lane = 0; lane < AdamsLanes<Groups>::kLanes; ++lane) {
        Integration*& w = in_lane[static_cast<std::size_t>(lane)];
        if (w == nullptr || lanes.busy(lane)) continue;
        if (w->pieces_started <= w->job.cuts.size()) waiting.push_back(pieces_of(*w, w->pieces_started++));
        w = nullptr;
      }
    }
  }

  template <int Groups>
  void expect_as_adams() {
    std::vector<Integration> work;
    for (const Job& job : GetParam().jobs) {
      Integration& w = work.emplace_back();
      w.job = job;
      const NodelessHydrogenic seed{20.0, job.l};
      for (int i = 1; i <= kGridPoints; ++i) {
        w.p(i) = w.p_ref(i) = seed.p(r(i));
        w.q(i) = w.q_ref(i) = seed.q(r(i));
      }
      w.v.fill(kNaN);
      potential_term(charge, job.l, 2, kGridPoints, w.v);
    }
    run_in_lanes<Groups>(work);
    for (Integration& w : work) {
      ADAMS(w.p_ref, w.q_ref, charge, w.job.energy, w.job.l, w.job.start, w.job.stop);
      SCOPED_TRACE("span " + std::to_string(w.job.start) + ".." + std::to_string(w.job.stop));
      EXPECT_EQ(differing_points(w.p, w.p_ref), "");
      EXPECT_EQ(differing_points(w.q, w.q_ref), "");
    }
  }
};

TEST_P(AdamsLanesTest, OneRegisterIsAdamsInEveryLane) { expect_as_adams<1>(); }
TEST_P(AdamsLanesTest, TwoRegistersAreAdamsInEveryLane) { expect_as_adams<2>(); }

INSTANTIATE_TEST_SUITE_P(
    Schedules, AdamsLanesTest,
    ::testing::Values(
        // A lane alone, the others idle; one point inward; spans shorter than the unrolled eight steps.
        Schedule{"single_outward", {{0, -300.0, 26, 700, {}}}},
        Schedule{"one_point_inward", {{1, -50.0, 600, 600, {}}}},
        Schedule{"short_spans", {{2, -80.0, 26, 30, {}}, {0, -200.0, 500, 494, {}}, {1, -10.0, 26, 27, {}}}},
        // The outward and inward runs of a shooting step, and of the driven solver.
        Schedule{"outward_and_inward", {{0, -400.0, 26, 300, {}}, {0, -400.0, 891, 301, {}}}},
        Schedule{"driven_solver_pair", {{2, -20.0, 26, 990, {}}, {2, -20.0, 981, 2, {}}}},
        // More spans than lanes, of all lengths: lanes refilled as spans end, at any step of the
        // unrolled eight; spans cut and continued from the arrays in whichever lane is free.
        Schedule{"refilled",
                 {{0, -450.0, 26, 211, {}},
                  {1, -120.0, 991, 405, {}},
                  {2, -33.0, 26, 87, {}},
                  {0, -450.0, 700, 212, {}},
                  {1, -120.0, 26, 404, {}},
                  {0, -5.0, 26, 33, {}},
                  {2, -33.0, 992, 88, {}},
                  {1, -1.0, 930, 500, {}}}},
        Schedule{
            "cut_and_continued",
            {{0, -300.0, 26, 640, {100, 101, 357}}, {1, -300.0, 991, 641, {990, 700}}, {2, -60.0, 26, 300, {33}}}}),
    [](const auto& info) { return std::string(info.param.name); });

// The potential term is ADAMS's (Z - l(l+1)/(2r)) drdt_over_r to the bit, for l = 0 (no
// centrifugal term), for the l whose terms are kept and for one beyond them, also after the
// grid has changed under the kept terms; only first..last is written.
TEST_F(RadialTest, PotentialTermIsAdamsFormula) {
  for (int i = 1; i <= kGridPoints; ++i) charge(i) = i % 7 == 0 ? -0.0 : 40.0 / (1.0 + r(i));
  for (const bool stretched : {false, true}) {
    if (stretched) {
      for (int i = 2; i <= kGridPoints; ++i) atom.grid.radius(i) = 1.5 * atom.grid.radius(i);
      atom.grid.id = new_grid_id();
    }
    for (const int l : {0, 1, 3, 11}) {
      Radial v;
      v.fill(kNaN);
      potential_term(charge, l, 5, 990, v);
      const double centrifugal = (l + 1.0) * (0.5 * l);
      for (int i = 1; i <= kGridPoints; ++i) {
        if (i < 5 || i > 990) {
          ASSERT_TRUE(std::isnan(v(i))) << "l " << l << ": written at " << i;
          continue;
        }
        const double want = (charge(i) - centrifugal / r(i)) * atom.grid.drdt_over_r(i);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(v(i)), std::bit_cast<std::uint64_t>(want)) << "l " << l << " at " << i;
      }
    }
  }
}

}  // namespace
}  // namespace hf::test
