#include "radial/inward_start.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "radial/adams_moulton.h"
#include "report/line_layout.h"

namespace hf {

namespace {

constexpr int kTerms = 15;           // terms of the series after the leading one
constexpr double kStopSize = 1e-8;   // relative size of the last terms that ends the sum
constexpr double kWarnSize = 0.001;  // relative size left after all terms that is warned of

}  // namespace

Status INSCH(Radial& p, Radial& q, const Radial& charge, double energy, int l, int outer, int match) {
  ReportLines lines;
  if (inward_series(p, q, charge, energy, l, outer, lines) == Status::error) return Status::error;
  // Inward from the eight points below outer; the value at outer is not used by the integrator.
  if (outer - kSeriesPoints >= match) ADAMS(p, q, charge, energy, l, outer - kSeriesPoints, match);
  return Status::ok;
}

Status inward_series(Radial& p, Radial& q, const Radial& charge, double energy, int l, int outer, ReportLines& lines) {
  if (!(energy < 0.0))
    return lines.fail(report::Line().text("  Error in insch: eau = ").exponent(energy, 16, 6, 'D').text(" > 0"));

  const auto& radius = atom.grid.radius;
  const double lambda = std::sqrt(-(2.0 * energy));
  const double sigma = charge(outer) / lambda;
  const double ll = static_cast<double>(static_cast<std::int64_t>(l) * (static_cast<std::int64_t>(l) + 1));

  std::array<double, kTerms + 1> a{};
  std::array<double, kTerms + 1> b{};
  a[0] = 1.0;
  b[0] = -lambda;
  for (int k = 1; k <= kTerms; ++k) {
    const auto kk = static_cast<std::size_t>(k);
    const double dk = static_cast<double>(k);
    a[kk] = (ll - (sigma - dk + 1.0) * (sigma - dk)) * a[kk - 1] / (2.0 * dk * lambda);
    // Makes Q the term-by-term derivative of P.
    b[kk] = ((sigma - dk + 1.0) * (sigma + dk) - ll) * a[kk - 1] / (2.0 * dk);
  }

  for (int i = outer; i > outer - kSeriesPoints; --i) {
    const double r = radius(i);
    const double f = std::pow(r, sigma) * std::exp(-lambda * r);
    double sp = a[0];
    double sq = b[0];
    double rho = 1.0;
    double err = 0.0;
    bool converged = false;
    for (std::size_t k = 1; k <= kTerms; ++k) {
      rho = rho * r;
      const double tp = a[k] / rho;
      const double tq = b[k] / rho;
      sp = sp + tp;
      sq = sq + tq;
      err = std::max(std::fabs(tq / sq), std::fabs(tp / sp));
      if (err < kStopSize) {
        converged = true;
        break;
      }
    }
    if (!converged && err > kWarnSize) {
      lines.write(report::Line().text(" Warning: asymptotic series not converging "));
    }
    p(i) = f * sp;
    q(i) = f * sq;
  }
  return Status::ok;
}

}  // namespace hf
