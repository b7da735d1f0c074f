#include "radial/outward_start.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "radial/adams_moulton.h"
#include "radial/integer_power.h"
#include "radial/lu_inverse.h"
#include "report/line_layout.h"

namespace hf {

namespace {

constexpr int kBlock = kLuOrder;
using Vector8 = std::array<double, kBlock>;

// M(i, j): weight of block point j in the derivative at block point i.
constexpr double weight(int i, int j) {
  return kDerivativeWeights840[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j)];
}

// m_0(i): weight of block point 0 in the derivative at block point i.
constexpr double weight0(int i) { return weight(i, 0); }

// Replaces a block's matrix by its inverse; a singular one is reported and ends the start.
Status invert(Matrix8& a, int block, ReportLines& lines) {
  if (invert_lu(a)) return Status::ok;
  return lines.fail(report::Line().text("  Error in outsch: singular collocation matrix in block").integer(block, 2));
}

// G = (M - diag(cV))^-1 of each block depends only on l and the grid (grid_step and
// drdt_over_r at 2..25), not on the energy or the charge: it is inverted once per l and grid
// and kept, keyed on the grid's id, for l = 0..kCachedL (the letters s to l of the shell
// labels, and one more); a larger l has its inverses computed on each call.
constexpr int kCachedL = 10;
struct BlockInverses {
  std::uint64_t grid_id = 0;  // the grid the inverses belong to
  std::array<bool, kCachedL + 1> ready{};
  std::array<std::array<Matrix8, 3>, kCachedL + 1> g{};
};
BlockInverses inverses;

// G of block 1..3 for angular momentum l.
Status block_inverse(Matrix8& g, int block, int l, ReportLines& lines) {
  const auto& grid = atom.grid;
  const double h = grid.grid_step;
  const double lp1 = static_cast<double>(l) + 1.0;
  const int base = kBlock * block - 7;
  Vector8 cv{};
  for (int i = 1; i <= kBlock; ++i)
    cv[static_cast<std::size_t>(i - 1)] = -lp1 * 1680.0 * h * grid.drdt_over_r(base + i);
  for (int j = 1; j <= kBlock; ++j) {
    for (int i = 1; i <= kBlock; ++i) element(g, i, j) = weight(i, j);
    element(g, j, j) = weight(j, j) - cv[static_cast<std::size_t>(j - 1)];
  }
  return invert(g, block, lines);
}

}  // namespace

Status OUTSCH(Radial& p, Radial& q, const Radial& charge, double energy, int l, int match) {
  ReportLines lines;
  if (outward_collocation(p, q, charge, energy, l, lines) == Status::error) return Status::error;
  if (match > kOutwardStartPoints + 1) ADAMS(p, q, charge, energy, l, kOutwardStartPoints + 1, match);
  return Status::ok;
}

Status outward_collocation(Radial& p, Radial& q, const Radial& charge, double energy, int l, ReportLines& lines) {
  const auto& grid = atom.grid;
  const double h = grid.grid_step;
  const double lp1 = static_cast<double>(l) + 1.0;  // l + 1, exact for every int l
  const std::int64_t power = static_cast<std::int64_t>(l) + 1;

  double u0 = 1.0;
  double v0 = -charge(1) / lp1;
  p(1) = 0.0;
  q(1) = l == 0 ? 1.0 : 0.0;

  const bool cached = l >= 0 && l <= kCachedL;
  if (cached && inverses.grid_id != grid.id) {
    inverses.ready.fill(false);
    inverses.grid_id = grid.id;
  }
  if (cached && !inverses.ready[static_cast<std::size_t>(l)]) {
    for (int block = 1; block <= 3; ++block)
      if (block_inverse(inverses.g[static_cast<std::size_t>(l)][static_cast<std::size_t>(block - 1)], block, l,
                        lines) == Status::error)
        return Status::error;
    inverses.ready[static_cast<std::size_t>(l)] = true;
  }

  Vector8 cp{};
  Vector8 cq{};
  Vector8 s{};
  Vector8 u{};
  Vector8 v{};
  Matrix8 own_g{};
  Matrix8 b{};
  for (int block = 1; block <= 3; ++block) {
    const int base = kBlock * block - 7;  // block point 0: the origin or the previous block's last
    for (int i = 1; i <= kBlock; ++i) {
      const int pt = base + i;
      const auto k = static_cast<std::size_t>(i - 1);
      cp[k] = 840.0 * h * grid.drdt(pt);
      cq[k] = -1680.0 * h * (energy * grid.drdt(pt) + charge(pt) * grid.drdt_over_r(pt));
    }

    // G = (M - diag(cV))^-1, from the equations for v: the kept one, or one of its own.
    if (!cached && block_inverse(own_g, block, l, lines) == Status::error) return Status::error;
    const Matrix8& g = cached ? inverses.g[static_cast<std::size_t>(l)][static_cast<std::size_t>(block - 1)] : own_g;

    // B u = s after eliminating v from the equations for u.
    for (int i = 1; i <= kBlock; ++i) {
      const auto ki = static_cast<std::size_t>(i - 1);
      s[ki] = -weight0(i) * u0;
      for (int j = 1; j <= kBlock; ++j) {
        const auto kj = static_cast<std::size_t>(j - 1);
        element(b, i, j) = weight(i, j) - cp[ki] * element(g, i, j) * cq[kj];
        s[ki] = s[ki] - weight0(j) * (cp[ki] * element(g, i, j)) * v0;
      }
    }
    if (invert(b, block, lines) == Status::error) return Status::error;  // H

    for (int i = 1; i <= kBlock; ++i) {
      double sum = 0.0;
      for (int j = 1; j <= kBlock; ++j) sum = sum + element(b, i, j) * s[static_cast<std::size_t>(j - 1)];
      u[static_cast<std::size_t>(i - 1)] = sum;
    }
    for (int i = 1; i <= kBlock; ++i) {
      double sum = 0.0;
      for (int j = 1; j <= kBlock; ++j) {
        const auto kj = static_cast<std::size_t>(j - 1);
        sum = sum + element(g, i, j) * (cq[kj] * u[kj] - weight0(j) * v0);
      }
      v[static_cast<std::size_t>(i - 1)] = sum;
    }

    for (int i = 1; i <= kBlock; ++i) {
      const int pt = base + i;
      const auto k = static_cast<std::size_t>(i - 1);
      const double r = grid.radius(pt);
      p(pt) = integer_power(r, power) * u[k];
      q(pt) = integer_power(r, power - 1) * (lp1 * u[k] + r * v[k]);
    }
    u0 = u[kBlock - 1];
    v0 = v[kBlock - 1];
  }
  return Status::ok;
}

}  // namespace hf
