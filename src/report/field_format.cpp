#include "report/field_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace hf::report {

namespace {

std::string right_align(const std::string& text, int width) {
  if (width <= 0) return {};
  if (static_cast<int>(text.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// NaN and infinities have no decimal expansion: they are shown by name when it fits.
std::string format_non_finite(double value, int width) {
  if (std::isnan(value)) return right_align("NaN", width);
  const std::string sign = value < 0 ? "-" : "";
  const std::string full = sign + "Infinity";
  if (static_cast<int>(full.size()) <= width) return right_align(full, width);
  return right_align(sign + "Inf", width);
}

// printf-style text of |value| with `precision` digits after the point, in fixed
// ('f') or exponent ('e') style: the exact binary value rounded to nearest, as
// std::to_chars prints it (the same text as printf, much faster). Only an exact tie
// needs the away-from-zero correction below.
std::string print_magnitude(double magnitude, int precision, char style) {
  const auto format = style == 'e' ? std::chars_format::scientific : std::chars_format::fixed;
  char small[160];
  const auto result = std::to_chars(small, small + sizeof small, magnitude, format, precision);
  if (result.ec == std::errc()) return std::string(small, result.ptr);
  std::string text(static_cast<std::size_t>(precision) + 400, '\0');
  const auto large = std::to_chars(text.data(), text.data() + text.size(), magnitude, format, precision);
  text.resize(static_cast<std::size_t>(large.ptr - text.data()));
  return text;
}

// Digits printed beyond the last one kept to decide the rounding without the full expansion.
constexpr int kScreenDigits = 4;

// True when the exact decimal expansion of `magnitude` has nothing but zeros after the digit
// at `tie_digit` of `screen` (a print with kScreenDigits more digits whose tie digit is a 5
// followed by zeros), i.e. the value lies exactly halfway between two results.
bool is_exact_tie(double magnitude, char style, const std::string& screen, std::size_t tie_digit) {
  // A double has at most 767 significant decimal digits and at most 1074 after the point.
  const std::string exact = print_magnitude(magnitude, style == 'e' ? 780 : 1100, style);
  const std::size_t exact_end = style == 'e' ? exact.find('e') : exact.size();
  for (std::size_t k = tie_digit + 1; k < exact_end; ++k)
    if (exact[k] != '0') return false;
  return exact.compare(0, tie_digit + 1, screen, 0, tie_digit + 1) == 0;
}

// Adds one unit in the last digit of a digit string with one '.', carrying left.
// Returns true when the carry ran out of the leftmost digit (a '1' was prepended).
bool increment_last_digit(std::string& digits) {
  for (std::size_t k = digits.size(); k-- > 0;) {
    if (digits[k] == '.') continue;
    if (digits[k] != '9') {
      ++digits[k];
      return false;
    }
    digits[k] = '0';
  }
  digits.insert(digits.begin(), '1');
  return true;
}

// |value| rounded to `precision` digits after the point, ties away from zero.
// For style 'e' the result is the mantissa and `exponent` is set.
//
// glibc prints the exact binary value rounded to nearest. One print with kScreenDigits
// more digits settles the rounding unless those digits read 5 followed by zeros: the
// printed digits lie on the same side of the halfway point as the exact value whenever
// they are not on it. Only then is the full expansion needed, to tell an exact tie (away
// from zero) from a value just off it (glibc's own rounding to nearest is right then).
std::string round_magnitude(double magnitude, int precision, char style, int& exponent) {
  std::string text = print_magnitude(magnitude, precision + 1 + kScreenDigits, style);
  const std::size_t mantissa_end = style == 'e' ? text.find('e') : text.size();
  const std::size_t first_dropped = mantissa_end - 1 - kScreenDigits;
  const char dropped = text[first_dropped];
  bool rest_zero = true;
  for (std::size_t k = first_dropped + 1; k < mantissa_end; ++k) rest_zero = rest_zero && text[k] == '0';

  bool round_up = dropped > '5' || (dropped == '5' && !rest_zero);
  if (dropped == '5' && rest_zero && !is_exact_tie(magnitude, style, text, first_dropped)) {
    text = print_magnitude(magnitude, precision, style);
    if (style == 'e') {
      const std::size_t e = text.find('e');
      exponent = std::atoi(text.c_str() + e + 1);
      text.erase(e);
    }
    return text;
  }
  round_up = round_up || dropped == '5';  // an exact tie goes away from zero

  const std::string tail = text.substr(mantissa_end);
  text.erase(first_dropped);
  if (!text.empty() && text.back() == '.') text.pop_back();  // precision 0: "2." -> "2"
  if (style == 'e') exponent = std::atoi(tail.c_str() + 1);
  if (round_up && increment_last_digit(text) && style == 'e') {
    // 9.99.. rounded up to 10.0..: renormalise to 1.0.. and raise the exponent.
    std::string kept_digits;
    for (char c : text)
      if (c != '.') kept_digits += c;
    kept_digits.pop_back();
    text = kept_digits.substr(0, 1);
    if (precision > 0) text += "." + kept_digits.substr(1);
    ++exponent;
  }
  return text;
}

bool all_zero_digits(const std::string& digits) {
  for (char c : digits)
    if (c != '0' && c != '.') return false;
  return true;
}

}  // namespace

std::string format_integer(std::int32_t value, int width) { return right_align(std::to_string(value), width); }

std::string format_text(std::string_view text, int width) {
  if (width <= 0) return {};
  if (static_cast<std::size_t>(width) > text.size())
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + std::string(text);
  return std::string(text.substr(0, static_cast<std::size_t>(width)));
}

std::string format_fixed(double value, int width, int decimals) {
  if (!std::isfinite(value)) return format_non_finite(value, width);
  int unused = 0;
  std::string digits = round_magnitude(std::fabs(value), decimals, 'f', unused);
  if (decimals == 0) digits += '.';
  const bool negative = std::signbit(value) && !all_zero_digits(digits);
  const std::string sign = negative ? "-" : "";
  std::string text = sign + digits;
  // A zero integer part keeps its "0" only when the field has room for it.
  if (digits[0] == '0' && digits[1] == '.' && static_cast<int>(text.size()) > width) text = sign + digits.substr(1);
  return right_align(text, width);
}

std::string format_exponent(double value, int width, int decimals, char letter) {
  if (!std::isfinite(value)) return format_non_finite(value, width);
  int exponent = 0;
  std::string mantissa = round_magnitude(std::fabs(value), decimals, 'e', exponent);
  if (decimals == 0) mantissa += '.';
  const bool negative = std::signbit(value) && value != 0.0;
  // Decimal exponents of doubles lie within -324..308.
  const int magnitude = std::min(std::abs(exponent), 999);
  std::string exponent_part;
  if (magnitude <= 99) exponent_part += letter;
  exponent_part += exponent < 0 ? '-' : '+';
  if (magnitude >= 100) exponent_part += static_cast<char>('0' + magnitude / 100);
  exponent_part += static_cast<char>('0' + magnitude / 10 % 10);
  exponent_part += static_cast<char>('0' + magnitude % 10);
  return right_align((negative ? "-" : "") + mantissa + exponent_part, width);
}

}  // namespace hf::report
