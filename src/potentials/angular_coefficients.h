// Angular coupling coefficients of two shells through a multipole.
#pragma once

namespace hf {

// The 3-j symbol (l1 l2 k; 0 0 0), with its sign; 0 unless |l1 - l2| <= k <= l1 + l2 and
// l1 + l2 + k is even. Symmetric in its arguments. Reads a constant table of 0!..100!; keeps
// no state. Callers pass non-negative values with l1 + l2 + k <= 99.
double CLAM(int l1, int l2, int k);

}  // namespace hf
