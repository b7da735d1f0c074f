// Line assembly: fields in order, line breaks, free-form lines and headings.
#include "report/line_layout.h"

#include <gtest/gtest.h>

#include "report/text_units.h"

namespace hf::report {
namespace {

using Lines = std::vector<std::string>;

TEST(LineLayout, LineBreaksEndLinesEvenEmptyOnes) {
  EXPECT_EQ(Line().line_break().lines(), (Lines{"", ""}));
  EXPECT_EQ(Line().line_break().text("a").lines(), (Lines{"", "a"}));
  EXPECT_EQ(Line().text("a").line_break().lines(), (Lines{"a", ""}));
  EXPECT_EQ(Line().text("a").line_break().line_break().text("b").lines(), (Lines{"a", "", "b"}));
  EXPECT_EQ(Line().lines(), (Lines{""}));
}

// Each field right after the one before, rendered by its rules; a negative count of blanks
// adds none, a value too wide for its field shows as asterisks.
TEST(LineLayout, FieldsFollowEachOther) {
  const Line line = Line()
                        .text("x")
                        .integer(1, 3)
                        .integer(-2, 3)
                        .integer(1000, 3)
                        .blanks(2)
                        .blanks(-1)
                        .chars(" 1s ")
                        .chars("abc", 6)
                        .chars("abcdef", 2)
                        .fixed(-0.0002, 8, 3)
                        .exponent(-0.5, 15, 8, 'D')
                        .exponent(9.96, 10, 1);
  EXPECT_EQ(line.lines(), (Lines{"x  1 -2***   1s    abcab   0.000-5.00000000D-01   1.0E+01"}));
}

TEST(LineLayout, WrittenLinesEndInCarriageReturnLineFeed) {
  reset_units();
  capture_unit(kReportUnit);
  Line().text(" r0 =").fixed(0.0002, 10, 5).blanks(4).text(" h=").fixed(0.011918390573078392, 10, 5).write(kReportUnit);
  Line().text("a").line_break().text("b").write(kReportUnit);
  write_free(kReportUnit, "");
  write_free(kReportUnit, " Error exit in HF Program");
  write_heading(kReportUnit, " Start Hartree Iteration for ", "He  ");
  EXPECT_EQ(captured(kReportUnit),
            " r0 =   0.00020     h=   0.01192\r\na\r\nb\r\n \r\n  Error exit in HF Program\r\n"
            "\r\n Start Hartree Iteration for He  \r\n\r\n");
  reset_units();
}

}  // namespace
}  // namespace hf::report
