// Console reads: a line as text of width 4, and one integer read free-form.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace hf::report {

// Reads the next line and returns its first four characters, blank-padded.
// Throws RunDiagnostic at the end of input. `what` names the item in diagnostics.
std::array<char, 4> read_text4(int unit, std::string_view what);

// Reads one integer free-form: blanks and empty lines are skipped; the value is an
// optional sign and digits ending at a blank, comma, slash or the end of the line;
// the rest of that line is dropped. A comma or slash before any value leaves
// `value` unchanged. Throws RunDiagnostic for any other text, for a value outside
// the 32-bit range and at the end of input.
void read_integer(int unit, std::int32_t& value, std::string_view what);

}  // namespace hf::report
