#include "report/console_input.h"

#include <cstdint>
#include <limits>
#include <string>

#include "report/text_units.h"

namespace hf::report {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The text shown in a diagnostic, cut short so that one line stays one line.
std::string quoted(const std::string& text) {
  std::string shown;
  for (char c : text.substr(0, 40)) shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
  return "\"" + shown + (text.size() > 40 ? "...\"" : "\"");
}

}  // namespace

std::array<char, 4> read_text4(int unit, std::string_view what) {
  std::string line;
  if (!read_line(unit, line)) throw RunDiagnostic("end of console input while reading " + std::string(what));
  std::array<char, 4> value{' ', ' ', ' ', ' '};
  for (std::size_t k = 0; k < value.size() && k < line.size(); ++k) value[k] = line[k];
  return value;
}

void read_integer(int unit, std::int32_t& value, std::string_view what) {
  std::string line;
  for (;;) {
    if (!read_line(unit, line)) throw RunDiagnostic("end of console input while reading " + std::string(what));
    std::size_t k = 0;
    while (k < line.size() && is_blank(line[k])) ++k;
    if (k == line.size()) continue;                // an empty line: the value comes later
    if (line[k] == ',' || line[k] == '/') return;  // a null value: keep the old one
    const std::size_t start = k;
    bool negative = false;
    if (line[k] == '+' || line[k] == '-') negative = line[k++] == '-';
    const std::size_t digits_start = k;
    std::int64_t magnitude = 0;
    bool too_large = false;
    while (k < line.size() && line[k] >= '0' && line[k] <= '9') {
      magnitude = magnitude * 10 + (line[k++] - '0');
      if (magnitude > std::int64_t{1} << 31) {
        too_large = true;
        magnitude = std::int64_t{1} << 31;
      }
    }
    const bool ends_well = k == line.size() || is_blank(line[k]) || line[k] == ',' || line[k] == '/';
    if (k == digits_start || !ends_well) {
      std::size_t end = k;
      while (end < line.size() && !is_blank(line[end]) && line[end] != ',' && line[end] != '/') ++end;
      throw RunDiagnostic(std::string(what) + " must be an integer, not " + quoted(line.substr(start, end - start)));
    }
    const std::int64_t signed_value = negative ? -magnitude : magnitude;
    if (too_large || signed_value > std::numeric_limits<std::int32_t>::max() ||
        signed_value < std::numeric_limits<std::int32_t>::min())
      throw RunDiagnostic(std::string(what) +
                          " is outside the 32-bit integer range: " + quoted(line.substr(start, k - start)));
    value = static_cast<std::int32_t>(signed_value);
    return;
  }
}

}  // namespace hf::report
