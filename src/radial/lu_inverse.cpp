#include "radial/lu_inverse.h"

#include <cmath>
#include <utility>

namespace hf {

namespace {

constexpr int n = kLuOrder;

// a(i, col) = a(i, col) + t a(i, k) for i = first..last; nothing when t = 0.
void add_multiple(Matrix8& a, int col, double t, int k, int first, int last) {
  if (t == 0.0) return;
  for (int i = first; i <= last; ++i) element(a, i, col) = element(a, i, col) + t * element(a, i, k);
}

// LU factorisation with partial pivoting: L (unit lower, multipliers negated) below the
// diagonal, U on and above it, the pivot rows in pivots. False when a pivot is zero.
bool factorise(Matrix8& a, std::array<int, n + 1>& pivots) {
  bool regular = true;
  for (int k = 1; k <= n - 1; ++k) {
    int l = k;
    double largest = std::fabs(element(a, k, k));
    for (int i = k + 1; i <= n; ++i) {
      if (std::fabs(element(a, i, k)) > largest) {
        largest = std::fabs(element(a, i, k));
        l = i;
      }
    }
    pivots[static_cast<std::size_t>(k)] = l;
    if (element(a, l, k) == 0.0) {  // the column is already triangular: skip it
      regular = false;
      continue;
    }
    if (l != k) std::swap(element(a, l, k), element(a, k, k));
    const double scale = -1.0 / element(a, k, k);
    for (int i = k + 1; i <= n; ++i) element(a, i, k) = scale * element(a, i, k);
    for (int j = k + 1; j <= n; ++j) {
      const double t = element(a, l, j);
      if (l != k) {
        element(a, l, j) = element(a, k, j);
        element(a, k, j) = t;
      }
      add_multiple(a, j, t, k, k + 1, n);
    }
  }
  pivots[static_cast<std::size_t>(n)] = n;
  return regular && element(a, n, n) != 0.0;
}

}  // namespace

bool invert_lu(Matrix8& a) {
  std::array<int, n + 1> pivots{};
  if (!factorise(a, pivots)) return false;

  // inverse(U), column by column.
  for (int k = 1; k <= n; ++k) {
    element(a, k, k) = 1.0 / element(a, k, k);
    const double t = -element(a, k, k);
    for (int i = 1; i <= k - 1; ++i) element(a, i, k) = t * element(a, i, k);
    for (int j = k + 1; j <= n; ++j) {
      const double tj = element(a, k, j);
      element(a, k, j) = 0.0;
      add_multiple(a, j, tj, k, 1, k);
    }
  }

  // inverse(U) inverse(L), undoing the row interchanges as column interchanges.
  std::array<double, n + 1> work{};
  for (int k = n - 1; k >= 1; --k) {
    for (int i = k + 1; i <= n; ++i) {
      work[static_cast<std::size_t>(i)] = element(a, i, k);
      element(a, i, k) = 0.0;
    }
    for (int j = k + 1; j <= n; ++j) add_multiple(a, k, work[static_cast<std::size_t>(j)], j, 1, n);
    const int l = pivots[static_cast<std::size_t>(k)];
    if (l != k)
      for (int i = 1; i <= n; ++i) std::swap(element(a, i, k), element(a, i, l));
  }
  return true;
}

}  // namespace hf
