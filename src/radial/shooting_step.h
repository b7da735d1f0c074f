// The shooting step: the outward and the inward solution of the radial equation at one energy,
// integrated side by side, and their join at the matching point.
#pragma once

#include "radial/adams_lanes.h"
#include "radial/report_lines.h"
#include "state/atomic_state.h"
#include "state/status.h"

namespace hf {

// P and Q of a solution at one point.
struct PointValues {
  double p = 0.0;
  double q = 0.0;
};

// The solution regular at the origin and the one decaying outside, at one energy: bit for bit
// what OUTSCH(p_out, q_out, charge, energy, l, outward_last) and INSCH(p_in, q_in, charge,
// energy, l, outer, inward_last) give, in that order when both write one pair of arrays.
// begin() makes both starts; the Adams-Moulton integrations are then handed out as spans for
// the lanes of the integrator (run_spans), several shooting steps at once if need be.
class ShootingStep {
 public:
  // The starts: the inward series at outer-8..outer (checked first: for an energy that is not
  // negative nothing is written), then the outward collocation at 1..25.
  //   p_out, q_out  out: the outward solution at 1..25 and, when outward_last > 26, at
  //                 26..outward_last, once the spans are done.
  //   p_in, q_in    out: the inward solution at inward_last..outer (outer-8..outer alone when
  //                 outer-9 < inward_last). They may be p_out, q_out themselves, when
  //                 outward_last == inward_last: that point then ends with the outward values.
  //                 The outward integration is held back from it until the inward one has
  //                 written and inward_end() has read it there: this guard is the one thing
  //                 that lets the two share arrays.
  //   charge, energy, l  in: as for OUTSCH and INSCH.
  //   v             in: potential_term(charge, l) at 18..outward_last and inward_last..outer-1.
  //   outward_last  in: the last outward point (OUTSCH's match).
  //   outer, inward_last  in: INSCH's outer and match; inward_last..outer within 2..1000 and
  //                 inward_last >= outer - 8 or the inward integration exists. With one pair of
  //                 arrays inward_last must be at least 27, so that the two starts write apart.
  //   lines         the starts' warning and error lines.
  // Reads atom.grid. Status::error with INSCH's line for an energy that is not negative and
  // with OUTSCH's for a singular collocation matrix; the step has nothing to run then.
  Status begin(Radial& p_out, Radial& q_out, Radial& p_in, Radial& q_in, const Radial& charge, const Radial& v,
               double energy, int l, int outward_last, int outer, int inward_last, ReportLines& lines);

  // The next integration ready to run, with a token for span_done; false when none is ready
  // (all handed out, or the guarded point waiting for the inward integration).
  bool next_span(AdamsSpan& span, int& token);

  // The integration handed out with `token` has been computed.
  void span_done(int token);

  // True once every integration has been computed.
  bool done() const { return pending_ == 0; }

  // The inward solution at inward_last as INSCH leaves it, before any outward value is
  // written there; valid once the inward integration is done (at once when there is none).
  PointValues inward_end() const { return inward_end_; }

 private:
  enum Span { kOutward, kInward, kGuarded, kSpans };

  void read_inward_end();

  AdamsSpan spans_[kSpans];
  bool ready_[kSpans] = {};
  int pending_ = 0;       // spans not yet computed
  bool guarded_ = false;  // the outward integration's last point waits for the inward one
  Radial* p_in_ = nullptr;
  Radial* q_in_ = nullptr;
  int inward_last_ = 0;
  PointValues inward_end_;
};

// The shooting step alone, its two integrations side by side in the two lanes of one register.
//   p_out .. inward_last  as for ShootingStep::begin, the charge's potential term built here.
//   inward_end  out: ShootingStep::inward_end().
// Reads atom.grid and atom.report.report_unit (the starts' lines, written at once). Fails as
// ShootingStep::begin.
Status shooting_step(Radial& p_out, Radial& q_out, Radial& p_in, Radial& q_in, const Radial& charge, double energy,
                     int l, int outward_last, int outer, int inward_last, PointValues& inward_end);

// The join of the eigenvalue search: with the outward solution at 1..match and the inward one
// at match+1..outer in p, q, scales the inward part by s = p(match) / inward_end.p, so that P
// is continuous; match keeps the outward values.
//   p, q        in-out: points match+1..outer scaled.
//   inward_end  in: the inward solution at match.
// Returns s times the inward Q at match: q(match) minus it is the jump of dP/dr.
double join_at_match(Radial& p, Radial& q, int match, int outer, PointValues inward_end);

}  // namespace hf
