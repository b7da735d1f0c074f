// Shell labels in spectroscopic notation, four characters such as " 1s " or "10s ".
#pragma once

#include <cstdint>

#include "state/status.h"

namespace hf {

// ENCLAB: builds the label of the shell (n, l) in atom.labels.label_buffer:
// tens digit of n (blank below 10), units digit, letter of l (s p d f g h i j k l), blank.
//   n, l  in: quantum numbers; n must be 1..99, l must be 0..min(9, n - 1).
// Returns error, after writing "Error in enclab: principal quantum number out of range"
// or "... angular quantum number out of range" to the report unit (n is tested first);
// label_buffer is then not a valid label.
Status ENCLAB(std::int32_t n, std::int32_t l);

}  // namespace hf
