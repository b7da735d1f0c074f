// Fixed-size arrays indexed from 1, as the radial algorithms are written.
#pragma once

#include <array>
#include <cstdio>
#include <cstdlib>

namespace hf {

#if defined(HFATOM_BOUNDS_CHECK)
[[noreturn]] inline void index_out_of_range(int i, int n) {
  std::fprintf(stderr, "hfatom: internal error: index %d outside 1..%d\n", i, n);
  std::abort();
}
#endif

// N values of T, element i for i = 1..N. Indices are checked in sanitizer builds.
template <typename T, int N>
class OneBased {
 public:
  static constexpr int size = N;

  T& operator()(int i) {
    check(i);
    return data_[static_cast<std::size_t>(i - 1)];
  }
  const T& operator()(int i) const {
    check(i);
    return data_[static_cast<std::size_t>(i - 1)];
  }
  void fill(const T& value) { data_.fill(value); }
  T* data() { return data_.data(); }
  const T* data() const { return data_.data(); }
  friend bool operator==(const OneBased&, const OneBased&) = default;

 private:
  static void check([[maybe_unused]] int i) {
#if defined(HFATOM_BOUNDS_CHECK)
    if (i < 1 || i > N) index_out_of_range(i, N);
#endif
  }
  std::array<T, N> data_{};
};

// Rows x Cols values stored column by column: column(j) is a OneBased<T, Rows>
// that can be handed to a routine as a one-dimensional array and written through.
template <typename T, int Rows, int Cols>
class OneBasedColumns {
 public:
  using Column = OneBased<T, Rows>;

  Column& column(int j) { return columns_(j); }
  const Column& column(int j) const { return columns_(j); }
  T& operator()(int i, int j) { return columns_(j)(i); }
  const T& operator()(int i, int j) const { return columns_(j)(i); }
  friend bool operator==(const OneBasedColumns&, const OneBasedColumns&) = default;

 private:
  OneBased<Column, Cols> columns_{};
};

}  // namespace hf
