#include "potentials/angular_coefficients.h"

#include <cmath>
#include <cstdlib>

#include "radial/integer_power.h"
#include "state/one_based.h"

namespace hf {

namespace {

constexpr int kLargestFactorial = 100;

// factorials[i + 1] = i!, built on the first call.
struct Factorials {
  bool built = false;
  OneBased<double, kLargestFactorial + 1> table;

  double operator()(int i) const { return table(i + 1); }
};
Factorials factorial;

void build_factorials() {
  factorial.built = true;
  factorial.table(1) = 1.0;
  for (int i = 1; i <= kLargestFactorial; ++i) factorial.table(i + 1) = i * factorial.table(i);
}

}  // namespace

double CLAM(int l1, int l2, int k) {
  if (!factorial.built) build_factorials();
  if (k > l1 + l2) return 0.0;
  if (k < std::abs(l1 - l2)) return 0.0;
  const int s = l1 + l2 + k;
  if (s % 2 != 0) return 0.0;
  const int g = s / 2;
  const double t1 =
      std::sqrt(factorial(s - 2 * l1) * factorial(s - 2 * l2) * factorial(s - 2 * k) / factorial(s + 1));
  const double t2 = factorial(g) / (factorial(g - l1) * factorial(g - l2) * factorial(g - k));
  return integer_power(-1.0, g) * t1 * t2;
}

}  // namespace hf
