#include "radial/adams_lanes.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>

#include "radial/adams_moulton.h"
#include "radial/point_pairs.h"

namespace hf {

namespace {

// l(l+1)/(2 r(i)) at 2..1000 depends on l and the grid alone: for l = 1..kCachedL it is
// computed once per grid and kept, keyed on the grid's id.
constexpr int kCachedL = 10;
struct CentrifugalTerms {
  std::uint64_t grid_id = 0;  // the grid the terms belong to
  std::array<bool, kCachedL + 1> ready{};
  std::array<Radial, kCachedL + 1> over_r;
};
CentrifugalTerms centrifugal_terms;

}  // namespace

void potential_term(const Radial& charge, int l, int first, int last, Radial& v) {
  const auto& grid = atom.grid;
  if (l == 0) {
    // l(l+1)/(2r) is +0 and Z - +0 is Z, to the bit: the centrifugal term drops out.
    for_point_pairs(first, last, [&]<typename T>(int i) {
      set_point<T>(v, i, at_point<T>(charge, i) * at_point<T>(grid.drdt_over_r, i));
    });
    return;
  }
  // l(l+1)/2 as ADAMS forms it.
  const double centrifugal = (static_cast<double>(l) + 1.0) * (0.5 * static_cast<double>(l));
  if (l < 0 || l > kCachedL) {
    for (int i = first; i <= last; ++i) v(i) = (charge(i) - centrifugal / grid.radius(i)) * grid.drdt_over_r(i);
    return;
  }
  CentrifugalTerms& kept = centrifugal_terms;
  if (kept.grid_id != grid.id) {
    kept.ready.fill(false);
    kept.grid_id = grid.id;
  }
  Radial& over_r = kept.over_r[static_cast<std::size_t>(l)];
  if (!kept.ready[static_cast<std::size_t>(l)]) {
    for (int i = 2; i <= kGridPoints; ++i) over_r(i) = centrifugal / grid.radius(i);
    kept.ready[static_cast<std::size_t>(l)] = true;
  }
  for_point_pairs(first, last, [&]<typename T>(int i) {
    set_point<T>(v, i, (at_point<T>(charge, i) - at_point<T>(over_r, i)) * at_point<T>(grid.drdt_over_r, i));
  });
}

// One step of every lane. The window's oldest derivative is in slot `oldest`, the others
// follow cyclically; the new derivatives replace it. In the unrolled block oldest = 0..7 in
// turn are constants, so the slots are registers and the window is in order again at the end.
template <int Groups>
[[gnu::always_inline]] inline void AdamsLanes<Groups>::step_all(Registers& s, Lane* lanes, const double* drdt,
                                                                int oldest) {
  for (int g = 0; g < Groups; ++g) {
    Lane& a = lanes[2 * g];
    Lane& b = lanes[2 * g + 1];
    const int ia = a.index;
    const int ib = b.index;
    const Pair d = Pair{drdt[ia], drdt[ib]};
    const Pair dr = s.dir[g] * d;
    const Pair gq = s.minus_two_dir[g] * (s.energy[g] * d + Pair{a.v[ia], b.v[ib]});
    const Pair bb = s.weight0 * dr;
    const Pair cc = s.weight0 * gq;
    const Pair det = Pair{1.0, 1.0} - bb * cc;
    Pair sp = s.last_p[g];
    Pair sq = s.last_q[g];
#pragma GCC unroll 8
    for (int j = 0; j < kWindow; ++j) {
      sp = sp + s.weight[j] * s.dp[g][(oldest + j) % kWindow];
      sq = sq + s.weight[j] * s.dq[g][(oldest + j) % kWindow];
    }
    const Pair pn = (bb * sq + sp) / det;
    const Pair qn = (cc * sp + sq) / det;
    a.p[ia] = pn[0];
    b.p[ib] = pn[1];
    a.q[ia] = qn[0];
    b.q[ib] = qn[1];
    s.last_p[g] = pn;
    s.last_q[g] = qn;
    s.dp[g][oldest] = dr * qn;
    s.dq[g][oldest] = gq * pn;
    a.index = ia + a.dir;
    b.index = ib + b.dir;
  }
}

template <int Groups>
AdamsLanes<Groups>::AdamsLanes() {
  const AdamsWeights weights = adams_weights(atom.grid.grid_step);
  for (int j = 0; j < kWindow; ++j) registers_.weight[j] = Pair{weights.earlier[j], weights.earlier[j]};
  registers_.weight0 = Pair{weights.new_point, weights.new_point};
  for (int lane = 0; lane < kLanes; ++lane) make_idle(lane);
}

template <int Groups>
void AdamsLanes<Groups>::make_idle(int lane) {
  // Point 1 of the grid's drdt, zeros everywhere else: every value the lane computes is 0.
  lanes_[lane] = Lane{&idle_out_, &idle_out_, &idle_in_, 0, 0, 0};
  const int g = lane / 2;
  const int s = lane % 2;
  Registers& r = registers_;
  r.energy[g][s] = 0.0;
  r.dir[g][s] = 0.0;
  r.minus_two_dir[g][s] = 0.0;
  r.last_p[g][s] = 0.0;
  r.last_q[g][s] = 0.0;
  for (int j = 0; j < kWindow; ++j) {
    r.dp[g][j][s] = 0.0;
    r.dq[g][j][s] = 0.0;
  }
}

template <int Groups>
void AdamsLanes<Groups>::start(int lane, const AdamsSpan& span) {
  const auto& grid = atom.grid;
  const int dir = span.dir;
  Radial& p = *span.p;
  Radial& q = *span.q;
  const Radial& v = *span.v;
  // Checked reads of the first and last points the span touches (sanitizer builds).
  static_cast<void>(p(span.start - kWindow * dir));
  static_cast<void>(v(span.stop));
  lanes_[lane] = Lane{p.data(),       q.data(), v.data(),
                      span.start - 1, dir,      (dir > 0 ? span.stop - span.start : span.start - span.stop) + 1};
  const int g = lane / 2;
  const int s = lane % 2;
  const double sdir = static_cast<double>(dir);
  Registers& r = registers_;
  r.energy[g][s] = span.energy;
  r.dir[g][s] = sdir;
  r.minus_two_dir[g][s] = -2.0 * sdir;
  // As ADAMS fills its windows, from the eighth point back to the first.
  for (int j = 0; j < kWindow; ++j) {
    const int i = span.start + (j - kWindow) * dir;
    r.dp[g][j][s] = sdir * grid.drdt(i) * q(i);
    r.dq[g][j][s] = -2.0 * sdir * (span.energy * grid.drdt(i) + v(i)) * p(i);
  }
  r.last_p[g][s] = p(span.start - dir);
  r.last_q[g][s] = q(span.start - dir);
}

template <int Groups>
void AdamsLanes<Groups>::advance() {
  int steps = INT_MAX;
  for (const Lane& lane : lanes_)
    if (lane.remaining > 0) steps = std::min(steps, lane.remaining);
  if (steps == INT_MAX) return;

  // The state in local variables while the lanes step, so that it stays in registers.
  Registers s = registers_;
  Lane lanes[kLanes];
  for (int k = 0; k < kLanes; ++k) lanes[k] = lanes_[k];
  const double* drdt = atom.grid.drdt.data();

  for (int block = steps / kWindow; block > 0; --block) {
#pragma GCC unroll 8
    for (int oldest = 0; oldest < kWindow; ++oldest) step_all(s, lanes, drdt, oldest);
  }
  // The last steps, fewer than eight: the oldest slot moves on at run time, and the window is
  // put in order again after them.
  const int left = steps % kWindow;
  for (int oldest = 0; oldest < left; ++oldest) step_all(s, lanes, drdt, oldest);
  if (left > 0) {
    for (int g = 0; g < Groups; ++g) {
      Pair dp[kWindow];
      Pair dq[kWindow];
      for (int j = 0; j < kWindow; ++j) {
        dp[j] = s.dp[g][(left + j) % kWindow];
        dq[j] = s.dq[g][(left + j) % kWindow];
      }
      for (int j = 0; j < kWindow; ++j) {
        s.dp[g][j] = dp[j];
        s.dq[g][j] = dq[j];
      }
    }
  }

  registers_ = s;
  for (int k = 0; k < kLanes; ++k) {
    Lane& lane = lanes_[k];
    if (lane.remaining == 0) continue;
    lane.index = lanes[k].index;
    lane.remaining -= steps;
    if (lane.remaining == 0) make_idle(k);
  }
}

template class AdamsLanes<1>;
template class AdamsLanes<2>;

}  // namespace hf
