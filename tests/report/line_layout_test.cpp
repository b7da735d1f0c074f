// Line assembly: line breaks, repeat groups, layouts cut short and restarted, free-form lines.
#include "report/line_layout.h"

#include <gtest/gtest.h>

#include "report/text_units.h"

namespace hf::report {
namespace {

using Lines = std::vector<std::string>;

TEST(LineLayout, LineBreaksEndLinesEvenEmptyOnes) {
  EXPECT_EQ(render_layout(Layout{{line_break()}}, {}), (Lines{"", ""}));
  EXPECT_EQ(Line().line_break().text("a").lines(), (Lines{"", "a"}));
  EXPECT_EQ(Line().text("a").line_break().lines(), (Lines{"a", ""}));
  EXPECT_EQ(Line().text("a").line_break().line_break().text("b").lines(), (Lines{"a", "", "b"}));
  EXPECT_EQ(Line().lines(), (Lines{""}));
}

TEST(LineLayout, FieldsFollowEachOtherWithRepeatCounts) {
  Layout layout{{literal("x"), repeated(3, integer(3)), blanks(2), text(), text(6)}};
  EXPECT_EQ(render_layout(layout, {1, -2, 30, std::string(" 1s "), std::string("abc")}),
            (Lines{"x  1 -2 30   1s    abc"}));
}

// The overlap-table header: 11 blanks, then up to 8 groups of 4 blanks, a label and "> ".
Layout header_layout() {
  return Layout{{blanks(11)}, 8, {blanks(4), text(), literal("> ")}, {}};
}

TEST(LineLayout, MissingValuesCutTheLayoutAtTheFirstValueFieldLeftEmpty) {
  EXPECT_EQ(render_layout(header_layout(), {std::string(" 1s ")}), (Lines{"                1s >     "}));
  const Lines three = render_layout(header_layout(), {std::string(" 1s "), std::string(" 2s "), std::string(" 2p ")});
  EXPECT_EQ(three, (Lines{"                1s >      2s >      2p >     "}));
  // Literals before the first missing value are still written.
  EXPECT_EQ(render_layout(Layout{{literal("x="), integer(2), literal(" y="), integer(2), literal("!")}}, {7}),
            (Lines{"x= 7 y="}));
}

TEST(LineLayout, SurplusValuesRestartFromTheRepeatedGroupOnANewLine) {
  Layout with_group{{literal("A")}, 2, {integer(3)}, {literal(";")}};
  EXPECT_EQ(render_layout(with_group, {1, 2, 3, 4, 5}), (Lines{"A  1  2;", "  3  4;", "  5"}));
  Layout without_group{{literal("v"), integer(2)}};
  EXPECT_EQ(render_layout(without_group, {1, 2, 3}), (Lines{"v 1", "v 2", "v 3"}));
  // A layout without value fields cannot take the surplus: it is written once.
  EXPECT_EQ(render_layout(Layout{{literal("t")}}, {1}), (Lines{"t"}));
}

TEST(LineLayout, ValueOfTheWrongKindShowsAsterisks) {
  EXPECT_EQ(render_layout(Layout{{integer(3), fixed(6, 2)}}, {1.5, 2}), (Lines{"*********"}));
}

TEST(LineLayout, WrittenLinesEndInCarriageReturnLineFeed) {
  reset_units();
  capture_unit(kReportUnit);
  Line().text(" r0 =").fixed(0.0002, 10, 5).blanks(4).text(" h=").fixed(0.011918390573078392, 10, 5).write(kReportUnit);
  write_free(kReportUnit, "");
  write_free(kReportUnit, " Error exit in HF Program");
  EXPECT_EQ(captured(kReportUnit), " r0 =   0.00020     h=   0.01192\r\n \r\n  Error exit in HF Program\r\n");
  reset_units();
}

}  // namespace
}  // namespace hf::report
