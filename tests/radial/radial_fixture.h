// Shared set-up of the radial tests: the grid, sentinel-filled solutions, hydrogen-like references.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "report_capture.h"
#include "run/radial_grid.h"
#include "state/atomic_state.h"

namespace hf::test {

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The grid on a fresh state, the report captured, p and q filled with a NaN sentinel.
class RadialTest : public ReportCapture {
 protected:
  void SetUp() override {
    ReportCapture::SetUp();
    set_up_grid();
    p.fill(kNaN);
    q.fill(kNaN);
  }

  static double r(int i) { return atom.grid.radius(i); }

  // Indices outside [first, last] at which p or q no longer hold the NaN sentinel.
  std::string touched_outside(int first, int last) const {
    std::string where;
    for (int i = 1; i <= kGridPoints; ++i) {
      if (i >= first && i <= last) continue;
      if (!std::isnan(p(i)) || !std::isnan(q(i))) where += " " + std::to_string(i);
    }
    return where;
  }

  Radial p;
  Radial q;
  Radial charge;
};

// The points at which a and b differ in their bits (NaN sentinels included).
inline std::string differing_points(const Radial& a, const Radial& b) {
  std::string where;
  for (int i = 1; i <= kGridPoints; ++i)
    if (std::bit_cast<std::uint64_t>(a(i)) != std::bit_cast<std::uint64_t>(b(i))) where += " " + std::to_string(i);
  return where;
}

// Charge and angular momentum of a parameterised case, as a test name: "Z10_l2".
inline std::string charge_and_l_name(double z, int l) {
  return "Z" + std::to_string(static_cast<int>(z)) + "_l" + std::to_string(l);
}

inline double relative_error(double got, double want) { return std::fabs(got - want) / std::fabs(want); }

// P = r^(l+1) e^(-Zr/(l+1)), the nodeless hydrogen-like function (unnormalised), at
// E = -Z^2/(2(l+1)^2), and its derivative.
struct NodelessHydrogenic {
  double z;
  int l;
  double energy() const { return -z * z / (2.0 * (l + 1) * (l + 1)); }
  double p(double r) const { return std::pow(r, l + 1) * std::exp(-z * r / (l + 1)); }
  double q(double r) const { return std::pow(r, l) * std::exp(-z * r / (l + 1)) * ((l + 1) - z * r / (l + 1)); }
  // Size of the two terms of q, the scale of its error (q itself vanishes at r = (l+1)^2/Z).
  double q_scale(double r) const { return std::pow(r, l) * std::exp(-z * r / (l + 1)) * ((l + 1) + z * r / (l + 1)); }
  // Relative errors of p and of q (against q_scale) at point i.
  double p_error(double got, double r) const { return relative_error(got, p(r)); }
  double q_error(double got, double r) const { return std::fabs(got - q(r)) / q_scale(r); }
};

}  // namespace hf::test
