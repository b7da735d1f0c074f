#include "radial/shooting_step.h"

#include <optional>

#include "radial/adams_moulton.h"
#include "radial/inward_start.h"
#include "radial/outward_start.h"

namespace hf {

Status shooting_step(Radial& p_out, Radial& q_out, Radial& p_in, Radial& q_in, const Radial& charge, double energy,
                     int l, int outward_last, int outer, int inward_last, PointValues& inward_end) {
  if (inward_series(p_in, q_in, charge, energy, l, outer) == Status::error) return Status::error;
  if (outward_collocation(p_out, q_out, charge, energy, l) == Status::error) return Status::error;

  // The integrations of OUTSCH (from point 26 when outward_last > 26) and of INSCH (from
  // outer-9 when that is not below inward_last).
  const int outward_first = kOutwardStartPoints + 1;
  const int inward_first = outer - kSeriesPoints;
  std::optional<AdamsRun> outward;
  std::optional<AdamsRun> inward;
  if (outward_last > outward_first) outward.emplace(p_out, q_out, charge, energy, l, outward_first, outward_last);
  if (inward_first >= inward_last) inward.emplace(p_in, q_in, charge, energy, l, inward_first, inward_last);

  // The guard: on shared arrays the outward steps onto inward_last..outward_last wait until
  // the inward run has written and read its last point there.
  const bool shared = &p_out == &p_in;
  const int held = shared && outward_last >= inward_last ? outward_last - inward_last + 1 : 0;
  if (outward && inward) {
    while (outward->remaining() > held && inward->remaining() > 0) {
      outward->step();
      inward->step();
    }
  }
  if (inward) {
    while (inward->remaining() > 0) inward->step();
  }
  inward_end = {p_in(inward_last), q_in(inward_last)};
  if (outward) {
    while (outward->remaining() > 0) outward->step();
  }
  return Status::ok;
}

Status shoot_and_join(Radial& p, Radial& q, const Radial& charge, double energy, int l, int match, int outer,
                      double& q_inward) {
  PointValues inward_end;
  if (shooting_step(p, q, p, q, charge, energy, l, match, outer, match, inward_end) == Status::error)
    return Status::error;
  const double s = p(match) / inward_end.p;
  q_inward = s * inward_end.q;
  for (int i = match + 1; i <= outer; ++i) {
    p(i) = s * p(i);
    q(i) = s * q(i);
  }
  return Status::ok;
}

}  // namespace hf
