// Integer powers of a real base by repeated squaring.
#pragma once

#include <cstdint>

namespace hf {

// x^n by repeated squaring (x^0 = 1, x^-n = 1 / x^n). The rounding differs from std::pow
// from n = 3 on, and every printed digit depends on which is used, so all integer powers
// of the program go through here.
inline double integer_power(double x, std::int64_t n) {
  const bool reciprocal = n < 0;
  auto bits =
      reciprocal ? static_cast<std::uint64_t>(0) - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  double result = 1.0;
  while (bits != 0) {
    if ((bits & 1U) != 0) result *= x;
    bits >>= 1U;
    if (bits != 0) x *= x;
  }
  return reciprocal ? 1.0 / result : result;
}

}  // namespace hf
