// Formatted lines, built field by field, and free-form lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hf::report {

// A formatted line, or several separated by line breaks, built field by field:
// Line().text(" h=").fixed(h, 10, 5).write(unit). Each field is rendered as it is added
// (field_format.h); a value too wide for its field shows as asterisks.
class Line {
 public:
  // A literal, blanks included.
  Line& text(std::string_view literal_text);
  // count blanks; none for count <= 0.
  Line& blanks(int count);
  // A character field of the text's own length, or of width w.
  Line& chars(std::string_view value);
  Line& chars(std::string_view value, int width);
  // Iw, Fw.d, and Ew.d or Dw.d (exponent letter E or D).
  Line& integer(std::int32_t value, int width);
  Line& fixed(double value, int width, int decimals);
  Line& exponent(double value, int width, int decimals, char letter = 'E');
  // Ends the current line, even an empty one, and begins a new one.
  Line& line_break();

  // The lines, without line ends: one more than the line breaks.
  std::vector<std::string> lines() const;
  // Writes the lines to a unit (throws RunDiagnostic when the unit cannot be written).
  void write(int unit) const;

 private:
  std::vector<std::string> finished_;
  std::string current_;
};

// A free-form line: one blank, then the text unchanged.
void write_free(int unit, std::string_view text);

// A heading: an empty line, the title followed by the name, an empty line.
void write_heading(int unit, std::string_view title, std::string_view name);

}  // namespace hf::report
