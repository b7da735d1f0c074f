#include "radial/quadrature.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace hf {

namespace {

constexpr int kMaxOrder = 14;
constexpr int kPackedEntries = kMaxOrder * (kMaxOrder + 1) / 2;

// Denominators d(n) of the end corrections, n = 1..14.
constexpr std::array<double, kMaxOrder> kDenominators{
    2.0,      2.0,       24.0,      24.0,        1440.0,      1440.0,          120960.0,
    120960.0, 7257600.0, 7257600.0, 958003200.0, 958003200.0, 5230697644032.0, 5230697644032.0};

// Numerators w(n,k), packed by rows n = 1..14 of n entries each; within a row the
// innermost point (k = n) comes first and the end point (k = 1) last. Orders 11..14 (and
// d(13), d(14)) are single-precision values widened to double, used as they are.
constexpr std::array<double, kPackedEntries> kNumerators{
    // order 1
    1.0,
    // order 2
    2.0, 1.0,
    // order 3
    23.0, 28.0, 9.0,
    // order 4
    25.0, 20.0, 31.0, 8.0,
    // order 5
    1413.0, 1586.0, 1104.0, 1902.0, 475.0,
    // order 6
    1456.0, 1333.0, 1746.0, 944.0, 1982.0, 459.0,
    // order 7
    119585.0, 130936.0, 89437.0, 177984.0, 54851.0, 176648.0, 36799.0,
    // order 8
    122175.0, 111080.0, 156451.0, 46912.0, 220509.0, 29336.0, 185153.0, 35584.0,
    // order 9
    7200319.0, 7783754.0, 5095890.0, 12489922.0, -1020160.0, 16263486.0, 261166.0, 11532470.0, 2082753.0,
    // order 10
    7305728.0, 6767167.0, 9516362.0, 1053138.0, 18554050.0, -7084288.0, 20306238.0, -1471442.0, 11965622.0, 2034625.0,
    // order 11
    952327936.0, 1021256704.0, 636547392.0, 1942518528.0, -1065220928.0, 3897945600.0, -2145575936.0, 3373884672.0,
    -454944192.0, 1637546496.0, 262747264.0,
    // order 12
    963053824.0, 896771072.0, 1299041152.0, -196805728.0, 3609224704.0, -3398609664.0, 6231334400.0, -3812282112.0,
    4207237888.0, -732728576.0, 1693103360.0, 257696640.0,
    // order 13
    5206230695936.0, 5551687729152.0, 3283609190400.0, 12465244995584.0, -13155015065600.0, 39022894252032.0,
    -41078124183552.0, 53315211624448.0, -32865014251520.0, 28323665149952.0, -5605325012992.0, 9535909527552.0,
    1382741966848.0,
    // order 14
    5252701487104.0, 4920175493120.0, 7268021567488.0, -3009613660160.0, 28198301597696.0, -41474519465984.0,
    76782229258240.0, -78837463384064.0, 81634720219136.0, -48598070853632.0, 34616886951936.0, -7321658851328.0,
    9821965254656.0, 1360737599488.0};

// w(order, k): k-th point counted from an end, k = 1 being the end point.
constexpr double end_weight(int order, int k) {
  const int row_start = order * (order - 1) / 2;
  return kNumerators[static_cast<std::size_t>(row_start + order - k)];
}

}  // namespace

using Pair = double __attribute__((vector_size(16)));

// RINT of the values value(i), whatever gives them.
template <typename Value>
double quadrature(Value&& value, int first, int last, int order, double step) {
  double sum = 0.0;
  for (int k = 1; k <= order; ++k) {
    sum = sum + (value(first + k - 1) + value(last - k + 1)) * end_weight(order, k);
  }
  sum = sum / kDenominators[static_cast<std::size_t>(order - 1)];
  for (int i = first + order; i <= last - order; ++i) sum = sum + value(i);
  return sum * step;
}

double RINT(const Radial& values, int first, int last, int order, double step) {
  return quadrature([&](int i) { return values(i); }, first, last, order, step);
}

double rint_of_squares(const Radial& p, const Radial& weight, int first, int last, int order, double step) {
  return quadrature([&](int i) { return p(i) * p(i) * weight(i); }, first, last, order, step);
}

RintPair rint_pair(const Radial& a, int last_a, const Radial& b, int last_b, int first, int order, double step) {
  Pair sum{0.0, 0.0};
  for (int k = 1; k <= order; ++k) {
    const Pair ends = Pair{a(first + k - 1), b(first + k - 1)} + Pair{a(last_a - k + 1), b(last_b - k + 1)};
    sum = sum + ends * end_weight(order, k);
  }
  sum = sum / kDenominators[static_cast<std::size_t>(order - 1)];
  const int both = std::min(last_a, last_b) - order;
  int i = first + order;
  for (; i <= both; ++i) sum = sum + Pair{a(i), b(i)};
  double sum_a = sum[0];
  double sum_b = sum[1];
  for (int j = i; j <= last_a - order; ++j) sum_a = sum_a + a(j);
  for (int j = i; j <= last_b - order; ++j) sum_b = sum_b + b(j);
  return {sum_a * step, sum_b * step};
}

}  // namespace hf
