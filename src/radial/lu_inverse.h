// Inverse of an 8 x 8 matrix by LU factorisation with partial pivoting, in a fixed order of operations.
#pragma once

#include <array>
#include <cstddef>

namespace hf {

inline constexpr int kLuOrder = 8;

// An 8 x 8 matrix stored column by column (leading dimension 8).
using Matrix8 = std::array<double, kLuOrder * kLuOrder>;

// Element (i, j), i, j = 1..8, of a column-major 8 x 8 matrix.
inline double& element(Matrix8& a, int i, int j) { return a[static_cast<std::size_t>((i - 1) + (j - 1) * kLuOrder)]; }
inline double element(const Matrix8& a, int i, int j) {
  return a[static_cast<std::size_t>((i - 1) + (j - 1) * kLuOrder)];
}

// Replaces a by its inverse, in the classic LINPACK order of operations, so that the
// result is the same to the last bit on every machine:
//   factorisation (DGEFA): for each column k, the pivot is the first row l >= k with the
//   largest |a(l,k)|; the rows are swapped, the column below the pivot scaled by
//   -1/a(k,k), and t = a(l,j) times it added to every later column j (skipped when t = 0);
//   inverse (DGEDI, inverse only): inverse(U) column by column, then inverse(U) times
//   inverse(L) for k = 7 down to 1, undoing the row swaps as column swaps.
// Products and sums are formed exactly as written there: no reassociation, no fused
// multiply-add (the build forbids contraction).
//   a  in-out: the matrix; on return its inverse, or, for a singular matrix, entries of
//      no meaning.
// Returns false when a pivot is exactly zero (the matrix is singular).
[[nodiscard]] bool invert_lu(Matrix8& a);

}  // namespace hf
