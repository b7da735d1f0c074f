#include "radial/shooting_step.h"

#include "radial/inward_start.h"
#include "radial/outward_start.h"
#include "radial/point_pairs.h"

namespace hf {

Status ShootingStep::begin(Radial& p_out, Radial& q_out, Radial& p_in, Radial& q_in, const Radial& charge,
                           const Radial& v, double energy, int l, int outward_last, int outer, int inward_last,
                           ReportLines& lines) {
  pending_ = 0;
  guarded_ = false;
  for (bool& ready : ready_) ready = false;
  if (inward_series(p_in, q_in, charge, energy, l, outer, lines) == Status::error) return Status::error;
  if (outward_collocation(p_out, q_out, charge, energy, l, lines) == Status::error) return Status::error;
  p_in_ = &p_in;
  q_in_ = &q_in;
  inward_last_ = inward_last;

  // The integrations of OUTSCH (from point 26 when outward_last > 26) and of INSCH (from
  // outer-9 when that is not below inward_last).
  const int outward_first = kOutwardStartPoints + 1;
  const int inward_first = outer - kSeriesPoints;
  const bool outward = outward_last > outward_first;
  const bool inward = inward_first >= inward_last;
  // The guard: on shared arrays the outward step onto inward_last waits until the inward
  // integration has written and read its last point there.
  guarded_ = outward && inward && &p_out == &p_in;
  if (outward) {
    spans_[kOutward] = AdamsSpan{&p_out, &q_out, &v, energy, outward_first, outward_last - (guarded_ ? 1 : 0), 1};
    ready_[kOutward] = true;
    ++pending_;
  }
  if (inward) {
    spans_[kInward] = AdamsSpan{&p_in, &q_in, &v, energy, inward_first, inward_last, -1};
    ready_[kInward] = true;
    ++pending_;
  } else {
    read_inward_end();
  }
  if (guarded_) {
    spans_[kGuarded] = AdamsSpan{&p_out, &q_out, &v, energy, outward_last, outward_last, 1};
    ++pending_;
  }
  return Status::ok;
}

bool ShootingStep::next_span(AdamsSpan& span, int& token) {
  for (int k = 0; k < kSpans; ++k) {
    if (!ready_[k]) continue;
    ready_[k] = false;
    span = spans_[k];
    token = k;
    return true;
  }
  return false;
}

void ShootingStep::span_done(int token) {
  --pending_;
  if (token == kInward) read_inward_end();
  // The guarded point goes once the outward integration below it and the inward one are both
  // done: then it is the only span left.
  if (guarded_ && token != kGuarded && pending_ == 1) ready_[kGuarded] = true;
}

void ShootingStep::read_inward_end() { inward_end_ = {(*p_in_)(inward_last_), (*q_in_)(inward_last_)}; }

Status shooting_step(Radial& p_out, Radial& q_out, Radial& p_in, Radial& q_in, const Radial& charge, double energy,
                     int l, int outward_last, int outer, int inward_last, PointValues& inward_end) {
  static Radial v;  // work array: nothing in it outlives a call
  potential_term(charge, l, 2, kGridPoints, v);
  ReportLines lines;
  ShootingStep step;
  if (step.begin(p_out, q_out, p_in, q_in, charge, v, energy, l, outward_last, outer, inward_last, lines) ==
      Status::error)
    return Status::error;
  ShootingStep* const clients[] = {&step};
  run_spans<1>(clients, 1);
  inward_end = step.inward_end();
  return Status::ok;
}

double join_at_match(Radial& p, Radial& q, int match, int outer, PointValues inward_end) {
  const double s = p(match) / inward_end.p;
  for_point_pairs(match + 1, outer, [&]<typename T>(int i) {
    set_point<T>(p, i, s * at_point<T>(p, i));
    set_point<T>(q, i, s * at_point<T>(q, i));
  });
  return s * inward_end.q;
}

}  // namespace hf
