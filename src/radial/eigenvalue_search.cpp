#include "radial/eigenvalue_search.h"

#include <cmath>
#include <cstdint>

#include "radial/outward_start.h"
#include "radial/quadrature.h"
#include "radial/shooting_step.h"
#include "state/error_line.h"

namespace hf {

namespace {

constexpr int kMaxTrials = 30;
constexpr double kInfinityMargin = 800.0;  // (E r + Z) r + 800 >= 0 inside the practical infinity
constexpr double kTolerance = 1e-11;       // on |delta / E|
constexpr double kDeeper = 1.1;            // too many nodes and no lower bound yet
constexpr double kShallower = 0.9;         // too few nodes and no upper bound yet
// The outward start fixes points 1..25 and the integrator needs a matching point beyond
// 26; the inward start needs nine points (guaranteed, as m >= mc).
constexpr int kSmallestMatch = kOutwardStartPoints + 2;

}  // namespace

Status MASTER(Radial& p, Radial& q, const Radial& charge, double& energy, int n, int l, int& extent,
              int& iterations) {
  const auto& grid = atom.grid;
  const auto& r = grid.radius;
  double upper = 0.0;
  double lower = 0.0;
  int too_many = 0;
  int too_few = 0;
  const std::int64_t required = static_cast<std::int64_t>(n) - l - 1;
  Radial integrand;
  iterations = 0;

  for (;;) {
    ++iterations;
    if (iterations > kMaxTrials) {
      iterations = kMaxTrials;
      return Status::error;
    }
    if (!std::isfinite(energy)) return error_line("  Error in master: trial energy is not finite");

    // Practical infinity. Point 1 (r = 0) always qualifies unless E or Z(1) is not finite.
    int m = kGridPoints;
    while (m >= 1 && !((energy * r(m) + charge(m)) * r(m) + kInfinityMargin >= 0.0)) --m;
    if (m >= 1) extent = m;
    if (m < kSmallestMatch)
      return error_line("  Error in master: practical infinity too close to the origin");

    // Matching point: the outermost classically allowed point. None exists when the
    // potential is repulsive at the origin (Z(1) < 0).
    int mc = m;
    while (mc >= 1 && !(energy * r(mc) + charge(mc) >= 0.0)) --mc;
    if (mc < 1) return error_line("  Error in master: no classically allowed point for the trial energy");
    if (mc < kSmallestMatch)
      return error_line("  Error in master: matching point too close to the origin");

    // The inward solution (INSCH) from m down to mc and the outward one (OUTSCH) up to mc,
    // joined at mc; q_in is the inward dP/dr there.
    double q_in = 0.0;
    if (shoot_and_join(p, q, charge, energy, l, mc, m, q_in) == Status::error) return Status::error;

    // Sign changes of p over 2..m; zero counts as positive.
    bool negative = p(2) < 0.0;
    std::int64_t nodes = 0;
    for (int i = 3; i <= m; ++i) {
      const bool here = p(i) < 0.0;
      if (here != negative) {
        negative = here;
        ++nodes;
      }
    }

    if (nodes > required) {  // energy too high
      ++too_many;
      if (too_many == 1 || energy < upper) upper = energy;
      energy = too_few > 0 ? (upper + lower) * 0.5 : upper * kDeeper;
      continue;
    }
    if (nodes < required) {  // energy too low
      ++too_few;
      if (too_few == 1 || energy > lower) lower = energy;
      energy = too_many > 0 ? (upper + lower) * 0.5 : lower * kShallower;
      continue;
    }

    for (int i = 1; i <= m; ++i) integrand(i) = p(i) * p(i) * grid.drdt(i);
    const double norm = RINT(integrand, 1, m, 7, grid.grid_step);
    if (!(norm > 0.0 && std::isfinite(norm))) {
      return error_line("  Error in master: norm of the trial solution is zero or not finite");
    }
    // First-order correction from the jump of dP/dr at the matching point.
    const double delta = (q(mc) - q_in) * p(mc) / (norm * 2.0);
    energy = energy + delta;
    if (too_few > 0 && energy < lower) {
      energy = (energy - delta + lower) * 0.5;
      continue;
    }
    if (energy > upper) {  // also with no upper bound yet: never a positive trial energy
      energy = (energy - delta + upper) * 0.5;
      continue;
    }
    // Written so that a NaN ratio means another trial, never convergence.
    if (!(std::fabs(delta / energy) <= kTolerance)) continue;

    energy = energy - delta;  // the energy p and q were computed at
    const double scale = 1.0 / std::sqrt(norm);
    for (int i = 1; i <= m; ++i) {
      p(i) = p(i) * scale;
      q(i) = q(i) * scale;
    }
    return Status::ok;
  }
}

}  // namespace hf
