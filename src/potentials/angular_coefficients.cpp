#include "potentials/angular_coefficients.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "radial/integer_power.h"
#include "state/one_based.h"

namespace hf {

namespace {

constexpr int kLargestFactorial = 100;

// i! for i = 0..100, each the product of the one before and i, formed in double at compile
// time (the same rounded products as at run time).
constexpr std::array<double, kLargestFactorial + 1> kFactorials = [] {
  std::array<double, kLargestFactorial + 1> table{};
  table[0] = 1.0;
  for (std::size_t i = 1; i < table.size(); ++i) table[i] = static_cast<double>(i) * table[i - 1];
  return table;
}();

double factorial(int i) {
#if defined(HFATOM_BOUNDS_CHECK)
  if (i < 0 || i > kLargestFactorial) index_out_of_range(i + 1, kLargestFactorial + 1);  // entry i + 1 holds i!
#endif
  return kFactorials[static_cast<std::size_t>(i)];
}

}  // namespace

double CLAM(int l1, int l2, int k) {
  if (k > l1 + l2) return 0.0;
  if (k < std::abs(l1 - l2)) return 0.0;
  const int s = l1 + l2 + k;
  if (s % 2 != 0) return 0.0;
  const int g = s / 2;
  const double t1 = std::sqrt(factorial(s - 2 * l1) * factorial(s - 2 * l2) * factorial(s - 2 * k) / factorial(s + 1));
  const double t2 = factorial(g) / (factorial(g - l1) * factorial(g - l2) * factorial(g - k));
  return integer_power(-1.0, g) * t1 * t2;
}

}  // namespace hf
