// Eigenvalue search: a bound state of the radial equation in a local potential, by shooting.
#pragma once

#include <cstdint>

#include "radial/adams_lanes.h"
#include "radial/report_lines.h"
#include "radial/shooting_step.h"
#include "state/atomic_state.h"
#include "state/status.h"

namespace hf {

// Bound state (n, l) of -P''/2 + [-Z(r)/r + l(l+1)/(2r^2)] P = E P with n - l - 1 nodes.
// Each trial joins the inward solution (INSCH, from the practical infinity m, the outermost
// point with (E r + Z) r + 800 >= 0) to the outward one (OUTSCH) at the matching point mc,
// the outermost point with E r + Z >= 0 at or below m. A wrong node count moves E by the
// factors 1.1 / 0.9 or bisects between the bounds; a right one corrects E by
// delta = (Q_out - Q_in) P / (2 norm) at mc until |delta/E| <= 1e-11.
//   p, q        out: on return P and dP/dr at 1..extent, normalised to int P^2 dr = 1 and
//               p > 0 near the origin. Beyond extent only points written by an earlier
//               trial with a larger practical infinity change; they hold no meaning.
//   charge      in: Z(r) at every point.
//   energy      in-out: first trial energy; out: the eigenvalue (the energy p, q belong to).
//   n, l        in: quantum numbers.
//   extent      out: m of the last trial (left as it was if no point qualified).
//   iterations  out: trial energies used, 1..30.
// Reads atom.grid and atom.report.report_unit.
// Status::error, without a message, after 30 trials (iterations = 30, energy = the 31st
// trial energy, p, q = the joined unnormalised solution of trial 30), when INSCH
// refuses a non-negative trial energy (its message), and when OUTSCH meets a singular
// collocation matrix (its message). Status::error with one message line
// for input the starts cannot serve:
//   "  Error in master: trial energy is not finite"
//   "  Error in master: practical infinity too close to the origin"        (m < 27)
//   "  Error in master: no classically allowed point for the trial energy" (E r + Z < 0 on 1..m)
//   "  Error in master: matching point too close to the origin"            (mc < 27)
//   "  Error in master: norm of the trial solution is zero or not finite"
// Only points 1..1000 are ever touched.
Status MASTER(Radial& p, Radial& q, const Radial& charge, double& energy, int n, int l, int& extent, int& iterations);

// MASTER's search as an object that goes from trial to trial as its integrations are
// computed: each trial's shooting step hands its spans out to the lanes of the integrator
// (run_spans), so that the searches of several shells can share the lanes (run_searches).
// MASTER is one search run alone; a search gives the same values and lines in any company.
class EigenvalueSearch {
 public:
  // Resets the search as MASTER does on entry and starts its first trial.
  //   p, q, charge, n, l  as for MASTER; p, q are written while the search runs.
  //   v       in: potential_term(charge, l) at 2..1000, read while the search runs.
  //   energy  in: the first trial energy.   extent  in: the value kept if no point qualifies.
  //   lines   where MASTER's lines and those of the starts go.
  void begin(Radial& p, Radial& q, const Radial& charge, const Radial& v, double energy, int n, int l, int extent,
             ReportLines& lines);

  // The next integration of the current trial ready to run, and its token for span_done.
  bool next_span(AdamsSpan& span, int& token) { return running_ && trial_.next_span(span, token); }

  // The integration with `token` has been computed. Once the trial has all its integrations
  // the search judges it: the next trial begins, or the search ends.
  void span_done(int token);

  // True until the search has converged or failed.
  bool running() const { return running_; }

  // Once the search has ended: MASTER's status, energy, extent and iterations.
  Status status() const { return status_; }
  double energy() const { return energy_; }
  int extent() const { return extent_; }
  int iterations() const { return iterations_; }

 private:
  void start_trial();
  void judge_trial();
  void end(Status status);

  Radial* p_ = nullptr;
  Radial* q_ = nullptr;
  const Radial* charge_ = nullptr;
  const Radial* v_ = nullptr;
  ReportLines* lines_ = nullptr;
  int l_ = 0;
  std::int64_t required_ = 0;  // nodes
  double energy_ = 0.0;
  double upper_ = 0.0;
  double lower_ = 0.0;
  int too_many_ = 0;
  int too_few_ = 0;
  int extent_ = 0;
  int iterations_ = 0;
  int match_ = 0;  // mc of the current trial
  bool running_ = false;
  Status status_ = Status::ok;
  ShootingStep trial_;
};

// Runs searches side by side, their integrations sharing the lanes, each begun and each with
// lines of its own. When one fails, the searches after it (in the order given) are stopped:
// whatever they reached is of no use, as a run of the searches one after the other would
// have ended there. The searches before it run to their end.
// Returns the index of the first search that failed, or count if none did.
int run_searches(EigenvalueSearch* searches, int count);

}  // namespace hf
