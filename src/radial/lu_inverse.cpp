#include "radial/lu_inverse.h"

#include <cmath>
#include <utility>

namespace hf {

namespace {

constexpr int n = kLuOrder;

// The matrix as a column-major array of 64 doubles, 0-based here: a[i + n * j] is element
// (i + 1, j + 1). Every loop bound below is a compile-time constant (the steps are template
// arguments), so that the compiler lays the whole inversion out without loop overhead; the
// operations and their order are those of the loops as written.

// y(i) = y(i) + t x(i) for rows i = first..last of two columns; nothing when t = 0.
template <int first, int last>
[[gnu::always_inline]] inline void add_multiple(double* y, double t, const double* x) {
  if (t == 0.0) return;
#pragma GCC unroll 8
  for (int i = first; i <= last; ++i) y[i] = y[i] + t * x[i];
}

// Step k of the factorisation and the steps after it. Returns false when a pivot is zero.
template <int k>
[[gnu::always_inline]] inline bool factorise(double* a, int* pivots) {
  if constexpr (k == n - 1) {
    pivots[k] = k;
    return a[k + n * k] != 0.0;
  } else {
    double* column = a + n * k;
    // The pivot: the first row l >= k with the largest |a(l,k)|.
    int l = k;
    double largest = std::fabs(column[k]);
    // Selected without branches: which row wins follows the data, not a pattern.
#pragma GCC unroll 8
    for (int i = k + 1; i < n; ++i) {
      const double size = std::fabs(column[i]);
      const bool larger = size > largest;
      largest = larger ? size : largest;
      l = larger ? i : l;
    }
    pivots[k] = l;
    bool regular = true;
    if (column[l] == 0.0) {  // the column is already triangular: skip it
      regular = false;
    } else {
      if (l != k) std::swap(column[l], column[k]);
      const double scale = -1.0 / column[k];
#pragma GCC unroll 8
      for (int i = k + 1; i < n; ++i) column[i] = scale * column[i];
#pragma GCC unroll 8
      for (int j = k + 1; j < n; ++j) {
        double* target = a + n * j;
        const double t = target[l];
        if (l != k) {
          target[l] = target[k];
          target[k] = t;
        }
        add_multiple<k + 1, n - 1>(target, t, column);
      }
    }
    const bool rest = factorise<k + 1>(a, pivots);
    return regular && rest;
  }
}

// inverse(U), column k and the columns after it.
template <int k>
[[gnu::always_inline]] inline void invert_upper(double* a) {
  if constexpr (k < n) {
    double* column = a + n * k;
    column[k] = 1.0 / column[k];
    const double t = -column[k];
#pragma GCC unroll 8
    for (int i = 0; i < k; ++i) column[i] = t * column[i];
#pragma GCC unroll 8
    for (int j = k + 1; j < n; ++j) {
      double* target = a + n * j;
      const double tj = target[k];
      target[k] = 0.0;
      add_multiple<0, k>(target, tj, column);
    }
    invert_upper<k + 1>(a);
  }
}

// inverse(U) inverse(L), column k and the columns before it (k = 7 down to 1 in the
// 1-based count), undoing the row interchanges as column interchanges.
template <int k>
[[gnu::always_inline]] inline void times_inverse_lower(double* a, const int* pivots) {
  if constexpr (k >= 0) {
    double* column = a + n * k;
    double work[n];
#pragma GCC unroll 8
    for (int i = k + 1; i < n; ++i) {
      work[i] = column[i];
      column[i] = 0.0;
    }
#pragma GCC unroll 8
    for (int j = k + 1; j < n; ++j) add_multiple<0, n - 1>(column, work[j], a + n * j);
    const int l = pivots[k];
    if (l != k)
      for (int i = 0; i < n; ++i) std::swap(column[i], a[i + n * l]);
    times_inverse_lower<k - 1>(a, pivots);
  }
}

}  // namespace

bool invert_lu(Matrix8& matrix) {
  double* a = matrix.data();
  int pivots[n];
  if (!factorise<0>(a, pivots)) return false;
  invert_upper<0>(a);
  times_inverse_lower<n - 2>(a, pivots);
  return true;
}

}  // namespace hf
