// Console reads: four-character text and free-form integers, with their input errors.
#include "report/console_input.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "report/text_units.h"

namespace hf::report {
namespace {

class ConsoleInput : public ::testing::Test {
 protected:
  void SetUp() override { reset_units(); }
  void TearDown() override { reset_units(); }
};

std::string text4(const std::array<char, 4>& t) { return std::string(t.begin(), t.end()); }

TEST_F(ConsoleInput, TextOfWidthFourIsPaddedOrCut) {
  set_console_input("He\nHelium\n\r\n Ne\r\n");
  EXPECT_EQ(text4(read_text4(kConsoleIn, "the symbol")), "He  ");
  EXPECT_EQ(text4(read_text4(kConsoleIn, "the symbol")), "Heli");
  EXPECT_EQ(text4(read_text4(kConsoleIn, "the symbol")), "    ");
  EXPECT_EQ(text4(read_text4(kConsoleIn, "the symbol")), " Ne ");
  EXPECT_THROW(read_text4(kConsoleIn, "the symbol"), RunDiagnostic);
}

struct LineCase {
  const char* what;
  std::string input;
  std::vector<std::string> lines;  // then the end of input
  bool too_long = false;           // then a line over the limit
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.what; }

class ConsoleLines : public ConsoleInput, public ::testing::WithParamInterface<LineCase> {};

// Lines end at LF, CR LF or a lone CR; a line longer than the limit ends the reading.
TEST_P(ConsoleLines, SplitAtEachLineEnd) {
  const LineCase& c = GetParam();
  set_console_input(c.input);
  std::string line;
  for (const std::string& expected : c.lines) {
    ASSERT_TRUE(read_line(kConsoleIn, line));
    EXPECT_EQ(line, expected);
  }
  if (!c.too_long) {
    EXPECT_FALSE(read_line(kConsoleIn, line));
    return;
  }
  try {
    read_line(kConsoleIn, line);
    ADD_FAILURE() << "a line over the limit was read";
  } catch (const RunDiagnostic& d) {
    EXPECT_STREQ(d.what(), "a line of console input is longer than the limit of 4096 characters");
  }
}

const std::string kLongest(kMaxConsoleLine, 'x');

INSTANTIATE_TEST_SUITE_P(Cases, ConsoleLines,
                         ::testing::Values(LineCase{"mixed_ends", "a\nb\r\nc\rd", {"a", "b", "c", "d"}},
                                           LineCase{"empty_lines", "\r\n\n\r\r", {"", "", "", ""}},
                                           LineCase{"cr_before_crlf", "a\r\r\nb\n", {"a", "", "b"}},
                                           LineCase{"nul_kept", std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
                                           LineCase{"at_the_limit", kLongest + "\r\n" + kLongest, {kLongest, kLongest}},
                                           LineCase{"over_the_limit", "He\n" + kLongest + "y\n", {"He"}, true},
                                           LineCase{"over_the_limit_at_the_end", kLongest + "y", {}, true}),
                         [](const auto& info) { return std::string(info.param.what); });

struct IntegerCase {
  const char* input;
  std::optional<std::int32_t> expected;  // nullopt: the read is refused
};

class FreeFormInteger : public ConsoleInput, public ::testing::WithParamInterface<IntegerCase> {};

TEST_P(FreeFormInteger, ReadsOneValueOrRefusesTheInput) {
  const IntegerCase& c = GetParam();
  set_console_input(c.input);
  std::int32_t value = 99;  // what a null value leaves
  if (c.expected) {
    read_integer(kConsoleIn, value, "the count");
    EXPECT_EQ(value, *c.expected) << "input \"" << c.input << "\"";
  } else {
    EXPECT_THROW(read_integer(kConsoleIn, value, "the count"), RunDiagnostic) << "input \"" << c.input << "\"";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, FreeFormInteger,
                         ::testing::Values(IntegerCase{"12\n", 12}, IntegerCase{"  \n\n\t -7  junk\n", -7},
                                           IntegerCase{"+4", 4}, IntegerCase{"12,13\n", 12}, IntegerCase{"3/\n", 3},
                                           IntegerCase{"7\r\n", 7}, IntegerCase{",\n5\n", 99}, IntegerCase{"  /\n", 99},
                                           IntegerCase{"2147483647\n", 2147483647},
                                           IntegerCase{"-2147483648\n", -2147483647 - 1},
                                           IntegerCase{"abc\n", std::nullopt}, IntegerCase{"12abc\n", std::nullopt},
                                           IntegerCase{"1.5\n", std::nullopt}, IntegerCase{"-\n", std::nullopt},
                                           IntegerCase{"", std::nullopt}, IntegerCase{"\n  \n", std::nullopt},
                                           IntegerCase{"2147483648\n", std::nullopt},
                                           IntegerCase{"-2147483649\n", std::nullopt},
                                           IntegerCase{"123456789012345678901234567890\n", std::nullopt}));

TEST_F(ConsoleInput, RestOfTheLineIsDroppedAndTheNextReadTakesTheNextLine) {
  set_console_input("5 6\n7\n");
  std::int32_t a = 0, b = 0;
  read_integer(kConsoleIn, a, "a");
  read_integer(kConsoleIn, b, "b");
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 7);
}

TEST_F(ConsoleInput, DiagnosticsNameTheItemAndTheText) {
  set_console_input("12abc\n");
  std::int32_t value = 0;
  try {
    read_integer(kConsoleIn, value, "the number of shells");
    FAIL() << "no diagnostic";
  } catch (const RunDiagnostic& d) {
    EXPECT_STREQ(d.what(), "the number of shells must be an integer, not \"12abc\"");
  }
  try {
    read_integer(kConsoleIn, value, "the nuclear charge");
    FAIL() << "no diagnostic";
  } catch (const RunDiagnostic& d) {
    EXPECT_STREQ(d.what(), "end of console input while reading the nuclear charge");
  }
}

}  // namespace
}  // namespace hf::report
