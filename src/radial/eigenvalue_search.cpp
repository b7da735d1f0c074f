#include "radial/eigenvalue_search.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "radial/outward_start.h"
#include "radial/point_pairs.h"
#include "radial/quadrature.h"
#include "report/line_layout.h"

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

// Sign changes of p over 2..m, a value of exactly 0 counted as positive: the nodes. Each
// point is compared with the one before, two points at a time.
std::int64_t sign_changes(const Radial& p, int m) {
  using Count = long long __attribute__((vector_size(16)));
  const PointPair zero{};
  Count changes{};
  int i = 3;
  for (; i + 1 <= m; i += 2)
    changes -= (at_point<PointPair>(p, i) < zero) ^ (at_point<PointPair>(p, i - 1) < zero);  // -1 where they differ
  std::int64_t count = changes[0] + changes[1];
  if (i <= m && (p(i) < 0.0) != (p(i - 1) < 0.0)) ++count;
  return count;
}

}  // namespace

void EigenvalueSearch::begin(Radial& p, Radial& q, const Radial& charge, const Radial& v, double energy, int n, int l,
                             int extent, ReportLines& lines) {
  p_ = &p;
  q_ = &q;
  charge_ = &charge;
  v_ = &v;
  lines_ = &lines;
  l_ = l;
  required_ = static_cast<std::int64_t>(n) - l - 1;
  energy_ = energy;
  upper_ = 0.0;
  lower_ = 0.0;
  too_many_ = 0;
  too_few_ = 0;
  extent_ = extent;
  iterations_ = 0;
  running_ = true;
  status_ = Status::ok;
  start_trial();
}

void EigenvalueSearch::end(Status status) {
  status_ = status;
  running_ = false;
}

void EigenvalueSearch::start_trial() {
  const auto& r = atom.grid.radius;
  const Radial& charge = *charge_;
  ++iterations_;
  if (iterations_ > kMaxTrials) {
    iterations_ = kMaxTrials;
    return end(Status::error);
  }
  if (!std::isfinite(energy_))
    return end(lines_->fail(report::Line().text("  Error in master: trial energy is not finite")));

  // Practical infinity. Point 1 (r = 0) always qualifies unless E or Z(1) is not finite.
  int m = kGridPoints;
  while (m >= 1 && !((energy_ * r(m) + charge(m)) * r(m) + kInfinityMargin >= 0.0)) --m;
  if (m >= 1) extent_ = m;
  if (m < kSmallestMatch)
    return end(lines_->fail(report::Line().text("  Error in master: practical infinity too close to the origin")));

  // Matching point: the outermost classically allowed point. None exists when the
  // potential is repulsive at the origin (Z(1) < 0).
  int mc = m;
  while (mc >= 1 && !(energy_ * r(mc) + charge(mc) >= 0.0)) --mc;
  if (mc < 1)
    return end(
        lines_->fail(report::Line().text("  Error in master: no classically allowed point for the trial energy")));
  if (mc < kSmallestMatch)
    return end(lines_->fail(report::Line().text("  Error in master: matching point too close to the origin")));
  match_ = mc;

  // The inward solution (INSCH) from m down to mc and the outward one (OUTSCH) up to mc.
  if (trial_.begin(*p_, *q_, *p_, *q_, charge, *v_, energy_, l_, mc, m, mc, *lines_) == Status::error)
    return end(Status::error);
}

void EigenvalueSearch::span_done(int token) {
  trial_.span_done(token);
  if (trial_.done()) judge_trial();
}

void EigenvalueSearch::judge_trial() {
  const auto& grid = atom.grid;
  Radial& p = *p_;
  Radial& q = *q_;
  const int m = extent_;
  const int mc = match_;
  // Joined at mc; q_in is the inward dP/dr there, scaled as P.
  const double q_in = join_at_match(p, q, mc, m, trial_.inward_end());

  const std::int64_t nodes = sign_changes(p, m);

  if (nodes > required_) {  // energy too high
    ++too_many_;
    if (too_many_ == 1 || energy_ < upper_) upper_ = energy_;
    energy_ = too_few_ > 0 ? (upper_ + lower_) * 0.5 : upper_ * kDeeper;
    return start_trial();
  }
  if (nodes < required_) {  // energy too low
    ++too_few_;
    if (too_few_ == 1 || energy_ > lower_) lower_ = energy_;
    energy_ = too_many_ > 0 ? (upper_ + lower_) * 0.5 : lower_ * kShallower;
    return start_trial();
  }

  // The integral of P^2 dr over 1..m, RINT of p(i) p(i) drdt(i).
  const double norm = rint_of_squares(p, grid.drdt, 1, m, 7, grid.grid_step);
  if (!(norm > 0.0 && std::isfinite(norm)))
    return end(
        lines_->fail(report::Line().text("  Error in master: norm of the trial solution is zero or not finite")));
  // First-order correction from the jump of dP/dr at the matching point.
  const double delta = (q(mc) - q_in) * p(mc) / (norm * 2.0);
  energy_ = energy_ + delta;
  if (too_few_ > 0 && energy_ < lower_) {
    energy_ = (energy_ - delta + lower_) * 0.5;
    return start_trial();
  }
  if (energy_ > upper_) {  // also with no upper bound yet: never a positive trial energy
    energy_ = (energy_ - delta + upper_) * 0.5;
    return start_trial();
  }
  // Written so that a NaN ratio means another trial, never convergence.
  if (!(std::fabs(delta / energy_) <= kTolerance)) return start_trial();

  energy_ = energy_ - delta;  // the energy p and q were computed at
  const double scale = 1.0 / std::sqrt(norm);
  for_point_pairs(1, m, [&]<typename T>(int i) {
    set_point<T>(p, i, at_point<T>(p, i) * scale);
    set_point<T>(q, i, at_point<T>(q, i) * scale);
  });
  end(Status::ok);
}

namespace {

// A search among others: no more integrations once an earlier one has failed.
struct SearchInTurn {
  EigenvalueSearch* search;
  int index;
  int* first_failed;

  bool next_span(AdamsSpan& span, int& token) { return index < *first_failed && search->next_span(span, token); }
  void span_done(int token) {
    search->span_done(token);
    if (!search->running() && search->status() == Status::error) *first_failed = std::min(*first_failed, index);
  }
};

}  // namespace

int run_searches(EigenvalueSearch* searches, int count) {
  int first_failed = count;
  SearchInTurn in_turn[kMaxShells];
  SearchInTurn* clients[kMaxShells];
  // A search can fail at its start, before any integration.
  for (int k = 0; k < count; ++k) {
    in_turn[k] = SearchInTurn{&searches[k], k, &first_failed};
    // The last searches take free lanes first: in the Hartree iteration they are those of
    // the outer shells, whose integrations are the longest, and the lanes stay fuller to the
    // end when the longest work starts first.
    clients[count - 1 - k] = &in_turn[k];
    if (!searches[k].running() && searches[k].status() == Status::error) first_failed = std::min(first_failed, k);
  }
  if (count == 1)
    run_spans<1>(clients, count);
  else
    run_spans<2>(clients, count);
  return first_failed;
}

Status MASTER(Radial& p, Radial& q, const Radial& charge, double& energy, int n, int l, int& extent, int& iterations) {
  static Radial v;  // work array: nothing in it outlives a call
  potential_term(charge, l, 2, kGridPoints, v);
  ReportLines lines;
  EigenvalueSearch search;
  search.begin(p, q, charge, v, energy, n, l, extent, lines);
  run_searches(&search, 1);
  energy = search.energy();
  extent = search.extent();
  iterations = search.iterations();
  return search.status();
}

}  // namespace hf
