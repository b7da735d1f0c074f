// Rendering of integer, fixed-point, exponent and character fields.
#include "report/field_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace hf::report {
namespace {

struct RealCase {
  double value;
  int width;
  int decimals;
  const char* expected;
};

class FixedField : public ::testing::TestWithParam<RealCase> {};

TEST_P(FixedField, RendersExactDecimalValueRoundedHalfAway) {
  const RealCase& c = GetParam();
  EXPECT_EQ(format_fixed(c.value, c.width, c.decimals), c.expected) << "value " << c.value;
}

INSTANTIATE_TEST_SUITE_P(Cases, FixedField,
                         ::testing::Values(
                             // the documented examples
                             RealCase{0.0002, 10, 5, "   0.00020"}, RealCase{0.8999999761581421, 8, 3, "   0.900"},
                             RealCase{0.0, 10, 7, " 0.0000000"}, RealCase{-2.0, 16, 5, "        -2.00000"},
                             RealCase{1.0e30, 10, 5, "**********"}, RealCase{-0.0002, 8, 3, "   0.000"},
                             RealCase{-0.5, 5, 3, "-.500"}, RealCase{0.5, 5, 3, "0.500"}, RealCase{0.5, 4, 3, ".500"},
                             RealCase{-0.5, 4, 3, "****"}, RealCase{-0.0, 6, 2, "  0.00"},
                             // exact ties go away from zero
                             RealCase{0.125, 6, 2, "  0.13"}, RealCase{-0.125, 6, 2, " -0.13"},
                             RealCase{0.375, 4, 2, "0.38"}, RealCase{0.25, 4, 1, " 0.3"}, RealCase{2.5, 4, 0, "  3."},
                             RealCase{-2.5, 4, 0, " -3."}, RealCase{0.5, 3, 0, " 1."},
                             // near-ties round on the exact binary value (2.675 is 2.67499999...)
                             RealCase{2.675, 5, 2, " 2.67"}, RealCase{0.15, 4, 1, " 0.1"}, RealCase{0.35, 4, 1, " 0.3"},
                             RealCase{1.0000000000000002, 8, 6, "1.000000"},
                             // carries into a new integer digit, and overflow from it
                             RealCase{9.9996, 6, 3, "10.000"}, RealCase{-9.9996, 6, 3, "******"},
                             RealCase{-9.9996, 7, 3, "-10.000"}, RealCase{123456.5, 9, 1, " 123456.5"},
                             RealCase{-2.86168, 18, 8, "       -2.86168000"},
                             RealCase{std::numeric_limits<double>::quiet_NaN(), 6, 2, "   NaN"},
                             RealCase{-std::numeric_limits<double>::infinity(), 10, 2, " -Infinity"},
                             RealCase{std::numeric_limits<double>::infinity(), 4, 2, " Inf"}));

struct ExponentCase {
  double value;
  int width;
  int decimals;
  char letter;
  const char* expected;
};

class ExponentField : public ::testing::TestWithParam<ExponentCase> {};

TEST_P(ExponentField, RendersOneDigitBeforeThePoint) {
  const ExponentCase& c = GetParam();
  EXPECT_EQ(format_exponent(c.value, c.width, c.decimals, c.letter), c.expected) << "value " << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExponentField,
    ::testing::Values(
        // the documented examples
        ExponentCase{0.5, 10, 1, 'E', "   5.0E-01"}, ExponentCase{-2.2e-16, 10, 1, 'E', "  -2.2E-16"},
        ExponentCase{0.0, 10, 1, 'E', "   0.0E+00"}, ExponentCase{-0.5, 15, 8, 'D', "-5.00000000D-01"},
        ExponentCase{30.0, 15, 8, 'D', " 3.00000000D+01"}, ExponentCase{0.0, 15, 8, 'D', " 0.00000000D+00"},
        ExponentCase{1.0e-120, 15, 8, 'D', " 1.00000000-120"}, ExponentCase{9.96, 10, 1, 'E', "   1.0E+01"},
        ExponentCase{0.0, 16, 6, 'D', "    0.000000D+00"}, ExponentCase{-0.0, 10, 1, 'E', "   0.0E+00"},
        // three-digit exponents, large and small, and overflow of the field
        ExponentCase{1.0e300, 15, 8, 'D', " 1.00000000+300"}, ExponentCase{-2.5e-310, 15, 8, 'E', "-2.50000000-310"},
        ExponentCase{-1.0e-120, 14, 8, 'D', "**************"}, ExponentCase{1.0e99, 10, 1, 'E', "   1.0E+99"},
        ExponentCase{9.9999e99, 10, 1, 'E', "   1.0+100"},
        // exact ties go away from zero, including a carry into the exponent
        ExponentCase{0.125, 10, 1, 'E', "   1.3E-01"}, ExponentCase{-0.125, 10, 1, 'E', "  -1.3E-01"},
        ExponentCase{9.75, 8, 1, 'E', " 9.8E+00"}, ExponentCase{99.5, 10, 1, 'E', "   1.0E+02"},
        ExponentCase{9.95, 8, 1, 'E', " 9.9E+00"}, ExponentCase{1.2e-13, 13, 1, 'E', "      1.2E-13"}));

TEST(IntegerField, RightAlignsAndOverflowsToAsterisks) {
  EXPECT_EQ(format_integer(1000, 3), "***");
  EXPECT_EQ(format_integer(-999, 4), "-999");
  EXPECT_EQ(format_integer(-1000, 4), "****");
  EXPECT_EQ(format_integer(0, 4), "   0");
  EXPECT_EQ(format_integer(30, 4), "  30");
  EXPECT_EQ(format_integer(std::numeric_limits<std::int32_t>::min(), 11), "-2147483648");
}

TEST(TextField, PadsOnTheLeftOrKeepsTheFirstCharacters) {
  EXPECT_EQ(format_text("abc", 5), "  abc");
  EXPECT_EQ(format_text("abcdef", 3), "abc");
  EXPECT_EQ(format_text(" 1s ", 4), " 1s ");
}

// Rounds the exact decimal expansion of |value| (printed in full by printf) half away from
// zero after `decimals` digits: the oracle for the fast rounding of the fields.
struct ExactRounding {
  std::string digits;  // the kept digits, without the point
  int exponent = 0;    // of the first digit (exponent style)
};

ExactRounding round_exact(double magnitude, int decimals, bool exponent_style) {
  static char buffer[2000];
  std::snprintf(buffer, sizeof buffer, exponent_style ? "%.780e" : "%.1100f", magnitude);
  std::string text = buffer;
  ExactRounding result;
  std::size_t end = text.size();
  if (exponent_style) {
    end = text.find('e');
    result.exponent = std::atoi(text.c_str() + end + 1);
  }
  const std::size_t point = text.find('.');
  std::string all = text.substr(0, point) + text.substr(point + 1, end - point - 1);
  const std::size_t kept = point + static_cast<std::size_t>(decimals);
  result.digits = all.substr(0, kept);
  if (all[kept] >= '5') {  // at or above half a unit: away from zero
    std::size_t k = result.digits.size();
    while (k > 0 && result.digits[k - 1] == '9') result.digits[--k] = '0';
    if (k == 0) {
      result.digits.insert(result.digits.begin(), '1');
      if (exponent_style) {
        result.digits.pop_back();
        ++result.exponent;
      }
    } else {
      ++result.digits[k - 1];
    }
  }
  return result;
}

std::string expected_exponent(double value, int decimals) {
  const ExactRounding r = round_exact(std::fabs(value), decimals, true);
  std::string text =
      (std::signbit(value) && value != 0.0 ? "-" : "") + r.digits.substr(0, 1) + "." + r.digits.substr(1);
  const int e = std::abs(r.exponent);
  char exponent[8];
  std::snprintf(exponent, sizeof exponent, e <= 99 ? "E%c%02d" : "%c%03d", r.exponent < 0 ? '-' : '+', e);
  text += exponent;
  return std::string(40 - text.size(), ' ') + text;
}

std::string expected_fixed(double value, int decimals) {
  const ExactRounding r = round_exact(std::fabs(value), decimals, false);
  const std::size_t whole = r.digits.size() - static_cast<std::size_t>(decimals);
  const bool zero = r.digits.find_first_not_of('0') == std::string::npos;
  std::string text =
      (std::signbit(value) && !zero ? "-" : "") + r.digits.substr(0, whole) + "." + r.digits.substr(whole);
  return std::string(40 - text.size(), ' ') + text;
}

// Random bit patterns cover every exponent and mantissa; decimals 1..12.
TEST(RealFields, AgreeWithTheExactDecimalExpansionForRandomValues) {
  std::mt19937_64 random(20261211);
  int checked = 0;
  while (checked < 4000) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const int decimals = 1 + static_cast<int>(random() % 12);
    ASSERT_EQ(format_exponent(value, 40, decimals, 'E'), expected_exponent(value, decimals)) << value;
    // Fixed fields for values of everyday size, rescaled from the same mantissa.
    int binary_exponent = 0;
    const double everyday = std::ldexp(std::frexp(value, &binary_exponent), static_cast<int>(random() % 60) - 30);
    ASSERT_EQ(format_fixed(everyday, 40, decimals), expected_fixed(everyday, decimals)) << everyday;
    ++checked;
  }
}

}  // namespace
}  // namespace hf::report
