#include "report/line_layout.h"

#include "report/field_format.h"
#include "report/text_units.h"

namespace hf::report {

Line& Line::text(std::string_view literal_text) {
  current_ += literal_text;
  return *this;
}

Line& Line::blanks(int count) {
  if (count > 0) current_.append(static_cast<std::size_t>(count), ' ');
  return *this;
}

Line& Line::chars(std::string_view value) { return text(value); }

Line& Line::chars(std::string_view value, int width) {
  current_ += format_text(value, width);
  return *this;
}

Line& Line::integer(std::int32_t value, int width) {
  current_ += format_integer(value, width);
  return *this;
}

Line& Line::fixed(double value, int width, int decimals) {
  current_ += format_fixed(value, width, decimals);
  return *this;
}

Line& Line::exponent(double value, int width, int decimals, char letter) {
  current_ += format_exponent(value, width, decimals, letter);
  return *this;
}

Line& Line::line_break() {
  finished_.push_back(std::move(current_));
  current_.clear();
  return *this;
}

std::vector<std::string> Line::lines() const {
  std::vector<std::string> all = finished_;
  all.push_back(current_);
  return all;
}

void Line::write(int unit) const {
  for (const std::string& line : finished_) write_line(unit, line);
  write_line(unit, current_);
}

void write_free(int unit, std::string_view text) {
  std::string line = " ";
  line += text;
  write_line(unit, line);
}

void write_heading(int unit, std::string_view title, std::string_view name) {
  Line().write(unit);
  Line().text(title).chars(name).write(unit);
  Line().write(unit);
}

}  // namespace hf::report
