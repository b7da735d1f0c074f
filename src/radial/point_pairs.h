// Element-wise loops over grid points, two points at a time, in the lanes of one SSE2 register.
#pragma once

#include <cstring>

#include "state/atomic_state.h"

namespace hf {

// Two doubles processed together. Every lane does exactly the scalar operation (IEEE
// arithmetic, no contraction), so results are bit for bit those of the scalar loop.
using PointPair = double __attribute__((vector_size(16)));

template <typename T>
inline T at_point(const Radial& a, int i) {
  T v;
  std::memcpy(&v, a.data() + (i - 1), sizeof v);
  return v;
}

template <typename T>
inline void set_point(Radial& a, int i, T v) {
  std::memcpy(a.data() + (i - 1), &v, sizeof v);
}

// Calls body.operator()<PointPair>(i) for the pairs (i, i+1) and body.operator()<double>(i)
// for a last single point, over first..last in increasing order. The body must treat each
// point independently of the others.
template <typename Body>
inline void for_point_pairs(int first, int last, Body&& body) {
  int i = first;
  for (; i + 1 <= last; i += 2) body.template operator()<PointPair>(i);
  for (; i <= last; ++i) body.template operator()<double>(i);
}

}  // namespace hf
