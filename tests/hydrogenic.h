// Normalised hydrogen-like radial functions, the exact reference orbitals of the tests.
#pragma once

#include <cmath>

namespace hf::test {

// P_nl = r R_nl of charge z, positive near the origin:
// R_nl = sqrt((2Z/n)^3 (n-l-1)! / (2n (n+l)!)) e^(-x/2) x^l L^(2l+1)_(n-l-1)(x), x = 2Zr/n.
inline double hydrogenic_p(double z, int n, int l, double r) {
  const double x = 2.0 * z * r / n;
  const double alpha = 2.0 * l + 1.0;
  const int k = n - l - 1;
  double previous = 1.0;
  double laguerre = 1.0;
  if (k >= 1) laguerre = 1.0 + alpha - x;
  for (int j = 1; j < k; ++j) {
    const double next = ((2.0 * j + 1.0 + alpha - x) * laguerre - (j + alpha) * previous) / (j + 1);
    previous = laguerre;
    laguerre = next;
  }
  const double norm = std::sqrt(std::pow(2.0 * z / n, 3) * std::tgamma(k + 1.0) / (2.0 * n * std::tgamma(n + l + 1.0)));
  return r * norm * std::exp(-x / 2.0) * std::pow(x, l) * laguerre;
}

}  // namespace hf::test
