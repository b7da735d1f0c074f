// Rendering of single fields: integer, fixed-point and exponent, with asterisks on overflow.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hf::report {

// Integer field of width w: decimal, right-aligned, '-' for negatives; w asterisks if too long.
std::string format_integer(std::int32_t value, int width);

// Fixed-point field Fw.d. The exact decimal value of the double is rounded to d
// decimals, ties away from zero; a value that rounds to zero has no minus sign;
// the "0" before the point is dropped when only that makes the text fit.
std::string format_fixed(double value, int width, int decimals);

// Exponent field Ew.d / Dw.d with one digit before the point (scale factor 1).
// The exponent part is letter, sign and two digits for |e| <= 99, sign and three
// digits without the letter for 100 <= |e| <= 999.
std::string format_exponent(double value, int width, int decimals, char letter);

// Character field of width w: right-aligned when w exceeds the text, else its first w characters.
std::string format_text(std::string_view text, int width);

}  // namespace hf::report
