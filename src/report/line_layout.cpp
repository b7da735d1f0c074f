#include "report/line_layout.h"

#include <string>

#include "report/field_format.h"
#include "report/text_units.h"

namespace hf::report {

namespace {

Field make_field(Field::Kind kind, int width = 0, int decimals = 0, char letter = 'E') {
  Field f;
  f.kind = kind;
  f.width = width;
  f.decimals = decimals;
  f.letter = letter;
  return f;
}

}  // namespace

Field literal(std::string_view text) {
  Field f = make_field(Field::Kind::literal);
  f.literal = std::string(text);
  return f;
}

Field blanks(int count) { return make_field(Field::Kind::blanks, count); }
Field text() { return make_field(Field::Kind::text); }
Field text(int width) { return make_field(Field::Kind::text_width, width); }
Field integer(int width) { return make_field(Field::Kind::integer, width); }
Field fixed(int width, int decimals) { return make_field(Field::Kind::fixed, width, decimals); }
Field exponent(int width, int decimals, char letter) {
  return make_field(Field::Kind::exponent, width, decimals, letter);
}
Field line_break() { return make_field(Field::Kind::line_break); }

Field repeated(int count, Field field) {
  field.repeat = count;
  return field;
}

namespace {

bool takes_value(const Field& f) {
  switch (f.kind) {
    case Field::Kind::literal:
    case Field::Kind::blanks:
    case Field::Kind::line_break:
      return false;
    default:
      return f.repeat > 0;
  }
}

bool has_value_field(const std::vector<Field>& items) {
  for (const Field& f : items)
    if (takes_value(f)) return true;
  return false;
}

std::string render_value(const Field& f, const Value& v) {
  const std::string mismatch(static_cast<std::size_t>(f.width > 0 ? f.width : 1), '*');
  switch (f.kind) {
    case Field::Kind::text:
      if (const auto* s = std::get_if<std::string>(&v)) return *s;
      return mismatch;
    case Field::Kind::text_width:
      if (const auto* s = std::get_if<std::string>(&v)) return format_text(*s, f.width);
      return mismatch;
    case Field::Kind::integer:
      if (const auto* i = std::get_if<std::int32_t>(&v)) return format_integer(*i, f.width);
      return mismatch;
    case Field::Kind::fixed:
      if (const auto* d = std::get_if<double>(&v)) return format_fixed(*d, f.width, f.decimals);
      return mismatch;
    case Field::Kind::exponent:
      if (const auto* d = std::get_if<double>(&v)) return format_exponent(*d, f.width, f.decimals, f.letter);
      return mismatch;
    default:
      return {};
  }
}

// Walks a layout, appending to the current line, until the values run out at a value field.
class LayoutRenderer {
 public:
  explicit LayoutRenderer(const std::vector<Value>& values) : values_(values) {}

  // Processes the items in order; false when a value field found no value left.
  bool process(const std::vector<Field>& items) {
    for (const Field& f : items) {
      for (int r = 0; r < f.repeat; ++r) {
        if (takes_value(f)) {
          if (next_ == values_.size()) return false;
          current_ += render_value(f, values_[next_++]);
        } else if (f.kind == Field::Kind::line_break) {
          lines_.push_back(std::move(current_));
          current_.clear();
        } else if (f.kind == Field::Kind::blanks) {
          current_.append(static_cast<std::size_t>(f.width > 0 ? f.width : 0), ' ');
        } else {
          current_ += f.literal;
        }
      }
    }
    return true;
  }

  bool process_group(const Layout& layout) {
    for (int g = 0; g < layout.group_count; ++g)
      if (!process(layout.group)) return false;
    return true;
  }

  bool values_left() const { return next_ < values_.size(); }
  void end_line() {
    lines_.push_back(std::move(current_));
    current_.clear();
  }
  std::vector<std::string> take_lines() { return std::move(lines_); }

 private:
  const std::vector<Value>& values_;
  std::size_t next_ = 0;
  std::string current_;
  std::vector<std::string> lines_;
};

}  // namespace

std::vector<std::string> render_layout(const Layout& layout, const std::vector<Value>& values) {
  LayoutRenderer r(values);
  const bool has_group = layout.group_count > 0 && !layout.group.empty();
  bool complete = r.process(layout.head) && r.process_group(layout) && r.process(layout.tail);
  // Surplus values start the layout again from its repeated group on a new line.
  // A part without value fields could never take them: the layout then ends.
  const bool can_restart = has_group ? has_value_field(layout.group) || has_value_field(layout.tail)
                                     : has_value_field(layout.head) || has_value_field(layout.tail);
  while (complete && can_restart && r.values_left()) {
    r.end_line();
    complete = has_group ? (r.process_group(layout) && r.process(layout.tail))
                         : (r.process(layout.head) && r.process(layout.tail));
  }
  r.end_line();
  return r.take_lines();
}

void write_layout(int unit, const Layout& layout, const std::vector<Value>& values) {
  for (const std::string& line : render_layout(layout, values)) write_line(unit, line);
}

void write_heading(int unit, std::string_view title, std::string_view name) {
  Line().write(unit);
  Line().text(title).chars(name).write(unit);
  Line().write(unit);
}

void write_free(int unit, std::string_view text) {
  std::string line = " ";
  line += text;
  write_line(unit, line);
}

Line& Line::text(std::string_view literal_text) {
  layout_.head.push_back(report::literal(literal_text));
  return *this;
}

Line& Line::blanks(int count) {
  layout_.head.push_back(report::blanks(count));
  return *this;
}

Line& Line::chars(std::string_view value) {
  layout_.head.push_back(report::text());
  values_.emplace_back(std::string(value));
  return *this;
}

Line& Line::chars(std::string_view value, int width) {
  layout_.head.push_back(report::text(width));
  values_.emplace_back(std::string(value));
  return *this;
}

Line& Line::integer(std::int32_t value, int width) {
  layout_.head.push_back(report::integer(width));
  values_.emplace_back(value);
  return *this;
}

Line& Line::fixed(double value, int width, int decimals) {
  layout_.head.push_back(report::fixed(width, decimals));
  values_.emplace_back(value);
  return *this;
}

Line& Line::exponent(double value, int width, int decimals, char letter) {
  layout_.head.push_back(report::exponent(width, decimals, letter));
  values_.emplace_back(value);
  return *this;
}

Line& Line::line_break() {
  layout_.head.push_back(report::line_break());
  return *this;
}

std::vector<std::string> Line::lines() const { return render_layout(layout_, values_); }

void Line::write(int unit) const { write_layout(unit, layout_, values_); }

}  // namespace hf::report
