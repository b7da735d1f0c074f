// Independent Adams-Moulton integrations run side by side, one in each lane of SIMD registers.
#pragma once

#include "state/atomic_state.h"

namespace hf {

// v(i) = (Z(i) - l(l+1)/(2 r(i))) drdt_over_r(i) for i = first..last: the part of ADAMS's
// A(i) = E drdt(i) + v(i) that does not depend on the energy, formed as ADAMS forms it.
// One table serves every integration in the same charge with the same l.
//   charge  in: Z(r).   l  in: orbital angular momentum.
//   first, last  in: 2 <= first, last <= 1000 (point 1, r = 0, has no value).
//   v  out: points first..last; no other point.
// Reads atom.grid. The terms l(l+1)/(2 r) of l = 1..10 are kept from call to call, keyed on the
// grid's id. No failure.
void potential_term(const Radial& charge, int l, int first, int last, Radial& v);

// One integration for a lane: what ADAMS(*p, *q, charge, energy, l, start, stop) computes,
// with charge and l given through v = potential_term(charge, l), and the direction given
// (so that a one-point span may go outward).
struct AdamsSpan {
  Radial* p = nullptr;  // in-out: history read at start-8*dir..start-dir, written at start..stop
  Radial* q = nullptr;
  const Radial* v = nullptr;  // in: at start-8*dir..stop
  double energy = 0.0;        // in: E
  int start = 0;              // in: first point computed
  int stop = 0;               // in: last point computed, (stop - start) * dir >= 0
  int dir = 0;                // in: +1 outward, -1 inward
};                            // start-8*dir..stop must lie within 2..1000

// Lanes, each running one integration, two lanes to an SSE2 register and Groups registers:
// 2 lanes (one register) take a step in the latency of one step's dependency chain (eight
// ordered additions, a multiply, an add and a divide); 4 lanes (two registers) fill the gaps
// of that chain with the other register's work, up to the processor's throughput. Each lane
// performs exactly ADAMS's operations on its integration, in ADAMS's order (IEEE arithmetic,
// no contraction), so every value is bit for bit ADAMS's, whatever runs in the other lanes.
// P, Q of the last point and the two windows of eight derivatives are local variables for the
// whole of an advance (registers for one register of lanes; in part the stack for two), and
// the window rotates by an eightfold unrolled step, its slots fixed at compile time: no step
// waits on a value stored by the step before, and the arrays are only written.
// A lane whose span has ended is idle until start() gives it another; an idle lane steps on
// zeros and writes nothing. A span may be cut anywhere and continued by a new span from the
// next point: the new span reads its history back from p and q, which gives the same values.
template <int Groups>
class AdamsLanes {
 public:
  static constexpr int kLanes = 2 * Groups;

  // All lanes idle. Reads atom.grid.grid_step for the weights: a kernel serves one grid.
  AdamsLanes();

  // Starts a span in an idle lane (lane = 0..kLanes-1): reads its history from p, q and v.
  void start(int lane, const AdamsSpan& span);

  // True while the lane's span has points left to compute.
  bool busy(int lane) const { return lanes_[lane].remaining > 0; }

  // Steps every lane together until the first busy lane's span ends, which may end others at
  // the same point; then those lanes are idle. Nothing when all lanes are idle.
  void advance();

 private:
  using Pair = double __attribute__((vector_size(16)));
  static constexpr int kWindow = 8;

  // What the lanes carry from step to step, two lanes to a Pair: E, the direction and -2 times
  // the direction of each lane; P and Q of the last point; the derivative windows of P and Q,
  // oldest first; and the weights of the formula.
  struct Registers {
    Pair energy[Groups];
    Pair dir[Groups];
    Pair minus_two_dir[Groups];
    Pair last_p[Groups];
    Pair last_q[Groups];
    Pair dp[Groups][kWindow];
    Pair dq[Groups][kWindow];
    Pair weight[kWindow];
    Pair weight0;
  };

  // Where a lane reads and writes: 0-based index of its next point, and its direction.
  struct Lane {
    double* p;
    double* q;
    const double* v;
    int index;
    int dir;
    int remaining;
  };

  [[gnu::always_inline]] static inline void step_all(Registers& s, Lane* lanes, const double* drdt, int oldest);
  void make_idle(int lane);

  Registers registers_;
  Lane lanes_[kLanes];
  // What idle lanes read (zero) and write.
  double idle_in_ = 0.0;
  double idle_out_ = 0.0;
};

extern template class AdamsLanes<1>;
extern template class AdamsLanes<2>;

// Runs the spans of several clients in the lanes until no client has a span ready and no lane
// is busy. A client hands out its spans one at a time and hears when each has been computed:
//   bool next_span(AdamsSpan& span, int& token)  a span ready to run (each one handed out once)
//   void span_done(int token)                   the span with that token is computed
// A free lane takes the first ready span of the clients, in the order given. What a client
// computes does not depend on the lanes, the order or the other clients.
template <int Groups, typename Client>
void run_spans(Client* const* clients, int count) {
  constexpr int kLanes = AdamsLanes<Groups>::kLanes;
  AdamsLanes<Groups> lanes;
  Client* owner[kLanes] = {};
  int token[kLanes] = {};
  for (;;) {
    bool busy = false;
    for (int lane = 0; lane < kLanes; ++lane) {
      for (int c = 0; c < count && owner[lane] == nullptr; ++c) {
        AdamsSpan span;
        if (!clients[c]->next_span(span, token[lane])) continue;
        lanes.start(lane, span);
        owner[lane] = clients[c];
      }
      busy = busy || owner[lane] != nullptr;
    }
    if (!busy) return;
    lanes.advance();
    for (int lane = 0; lane < kLanes; ++lane) {
      if (owner[lane] == nullptr || lanes.busy(lane)) continue;
      Client* client = owner[lane];
      owner[lane] = nullptr;
      client->span_done(token[lane]);
    }
  }
}

}  // namespace hf
