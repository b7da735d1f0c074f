#include "run/shell_labels.h"

#include <algorithm>
#include <string_view>

#include "state/atomic_state.h"
#include "state/error_line.h"

namespace hf {

namespace {

constexpr std::string_view kTensDigits = " 123456789";  // a blank for 0
constexpr std::string_view kUnitsDigits = "0123456789";
constexpr std::string_view kAngularLetters = "spdfghijkl";
constexpr int kAngularLimit = 10;  // the number of angular letters

}  // namespace

Status ENCLAB(std::int32_t n, std::int32_t l) {
  Text4& label = atom.labels.label_buffer;
  if (n <= 0 || n > 99) return error_line("Error in enclab: principal quantum number out of range");
  label[0] = kTensDigits[static_cast<std::size_t>(n / 10)];
  label[1] = kUnitsDigits[static_cast<std::size_t>(n % 10)];
  // l + 1 > min(10, n), written so that no l near the 32-bit limit overflows.
  if (l < 0 || l >= std::min(kAngularLimit, n))
    return error_line("Error in enclab: angular quantum number out of range");
  label[2] = kAngularLetters[static_cast<std::size_t>(l)];
  label[3] = ' ';
  return Status::ok;
}

}  // namespace hf
