// Formatted lines: a layout of fields (with one optional repeated group) filled from a list of values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace hf::report {

// One item of a layout. Literals, blanks and line breaks take no value; the others take the next value.
struct Field {
  enum class Kind { literal, blanks, text, text_width, integer, fixed, exponent, line_break };
  Kind kind = Kind::literal;
  std::string literal;  // for Kind::literal
  int width = 0;        // field width, or the count for Kind::blanks
  int decimals = 0;
  char letter = 'E';  // exponent letter
  int repeat = 1;     // repeat count
};

Field literal(std::string_view text);
Field blanks(int count);
Field text();           // character field of the text's own length
Field text(int width);  // character field of width w
Field integer(int width);
Field fixed(int width, int decimals);
Field exponent(int width, int decimals, char letter = 'E');
Field line_break();
Field repeated(int count, Field field);

// Items before the group, the group repeated group_count times, items after it.
struct Layout {
  explicit Layout(std::vector<Field> head_items = {}, int repeat_count = 0, std::vector<Field> group_items = {},
                  std::vector<Field> tail_items = {})
      : head(std::move(head_items)), group_count(repeat_count), group(std::move(group_items)),
        tail(std::move(tail_items)) {}

  std::vector<Field> head;
  int group_count = 0;
  std::vector<Field> group;
  std::vector<Field> tail;
};

using Value = std::variant<std::int32_t, double, std::string>;

// The lines of a layout filled from values, without line ends. Processing stops at
// the first value field for which no value is left; surplus values start the layout
// again on a new line from its repeated group (from its beginning if it has none).
// A value of the wrong kind for its field renders as asterisks.
std::vector<std::string> render_layout(const Layout& layout, const std::vector<Value>& values);

// Writes the lines of a layout to a unit.
void write_layout(int unit, const Layout& layout, const std::vector<Value>& values);

// A free-form line: one blank, then the text unchanged.
void write_free(int unit, std::string_view text);

// A heading: an empty line, the title followed by the name, an empty line.
void write_heading(int unit, std::string_view title, std::string_view name);

// Builds a layout and its values together, field by field, for writers whose
// lines have no repeated group: Line().text(" h=").fixed(h, 10, 5).write(unit).
class Line {
 public:
  Line& text(std::string_view literal_text);
  Line& blanks(int count);
  Line& chars(std::string_view value);             // character field of its own length
  Line& chars(std::string_view value, int width);  // character field of width w
  Line& integer(std::int32_t value, int width);
  Line& fixed(double value, int width, int decimals);
  Line& exponent(double value, int width, int decimals, char letter = 'E');
  Line& line_break();

  std::vector<std::string> lines() const;
  void write(int unit) const;

 private:
  Layout layout_;
  std::vector<Value> values_;
};

}  // namespace hf::report
