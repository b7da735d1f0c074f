#include "radial/adams_moulton.h"

namespace hf {

namespace {

constexpr double kDenominator = 3628800.0;
// Coefficient of the new point.
constexpr double kNewPoint = 1070017.0;
// Coefficients of the earlier points, eight steps back first, one step back last.
constexpr std::array<double, 8> kEarlier{-33953.0,   312874.0,  -1291214.0, 3146338.0,
                                         -5033120.0, 5595358.0, -4604594.0, 4467094.0};

}  // namespace

AdamsRun::AdamsRun(Radial& p, Radial& q, const Radial& charge, double energy, int l, int start, int stop)
    : p_(p),
      q_(q),
      charge_(charge),
      energy_(energy),
      // l(l+1)/2, formed in double so that no l overflows.
      centrifugal_((static_cast<double>(l) + 1.0) * (0.5 * static_cast<double>(l))),
      dir_(stop > start ? 1 : -1),
      sdir_(static_cast<double>(dir_)),
      next_(start),
      remaining_((stop > start ? stop - start : start - stop) + 1) {
  const auto& grid = atom.grid;
  const double hfac = grid.grid_step / kDenominator;
  for (std::size_t w = 0; w < kSteps; ++w) {
    const int i = start + (static_cast<int>(w) - 8) * dir_;
    dp_[w] = dp_[w + kSteps] = sdir_ * grid.drdt(i) * q(i);
    dq_[w] = dq_[w + kSteps] = -2.0 * sdir_ * a_term(i) * p(i);
    weight_[w] = kEarlier[w] * hfac;
  }
  weight0_ = kNewPoint * hfac;
  last_p_ = p(start - dir_);
  last_q_ = q(start - dir_);
}

void ADAMS(Radial& p, Radial& q, const Radial& charge, double energy, int l, int start, int stop) {
  AdamsRun run(p, q, charge, energy, l, start, stop);
  while (run.remaining() > 0) run.step();
}

}  // namespace hf
