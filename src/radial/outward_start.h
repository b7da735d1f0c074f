// Outward start: the solution regular at the origin, by 9-point collocation on the first 25 points.
#pragma once

#include <array>

#include "radial/report_lines.h"
#include "state/atomic_state.h"
#include "state/status.h"

namespace hf {

// Last point fixed by the collocation start; the integrator continues from the next one.
inline constexpr int kOutwardStartPoints = 25;

// First-derivative weights of the degree-8 polynomial through the equally spaced points
// 0..8, times 840: row i - 1 holds, for the derivative at point i (i = 1..8), the weights
// of points 0, 1, ..., 8 (divide by 840 times the spacing).
inline constexpr std::array<std::array<int, 9>, 8> kDerivativeWeights840{{
    {-105, -1338, 2940, -2940, 2450, -1470, 588, -140, 15},
    {15, -240, -798, 1680, -1050, 560, -210, 48, -5},
    {-5, 60, -420, -378, 1050, -420, 140, -30, 3},
    {3, -32, 168, -672, 0, 672, -168, 32, -3},
    {-3, 30, -140, 420, -1050, 378, 420, -60, 5},
    {5, -48, 210, -560, 1050, -1680, 798, 240, -15},
    {-15, 140, -588, 1470, -2450, 2940, -2940, 1338, 105},
    {105, -960, 3920, -9408, 14700, -15680, 11760, -6720, 2283},
}};

// Solution of the radial equation regular at the origin, normalised by P ~ r^(l+1) there.
// With P = r^(l+1) u, Q = r^l [(l+1) u + r v], u(0) = 1, v(0) = -Z(0)/(l+1), three blocks
// of eight points (2..9, 10..17, 18..25) solve the 16 linear collocation equations
// du/dt = drdt v, dv/dt = -2(l+1) drdt_over_r v - 2 (E drdt + Z drdt_over_r) u exactly
// (two 8x8 LU inversions per block, invert_lu); ADAMS then continues outward from point 26.
//   p, q    out: P and dP/dr at points 1..25 and, when match > 26, 26..match; nothing else.
//           p(1) = 0; q(1) = 1 for l = 0, else 0.
//   charge  in: Z(r), read at 1..max(25, match).
//   energy  in: E.   l  in: orbital angular momentum.
//   match   in: last point wanted; callers pass at least 27 (at 26 or less only 1..25 are set).
// Reads atom.grid (radius, drdt, drdt_over_r, grid_step, id) and atom.report.report_unit.
// The first of the two inverses of each block depends on l and the grid alone: for l = 0..10
// it is kept from call to call, keyed on the grid's id.
// Status::error only when a block's matrix is singular, which the grid's matrices never are:
// the line "  Error in outsch: singular collocation matrix in block" block(I2) is written and
// p, q hold no meaning.
Status OUTSCH(Radial& p, Radial& q, const Radial& charge, double energy, int l, int match);

// The collocation part of OUTSCH alone: p, q at points 1..25, its error line written through
// `lines`. OUTSCH continues with ADAMS from point 26 to match when match > 26.
Status outward_collocation(Radial& p, Radial& q, const Radial& charge, double energy, int l, ReportLines& lines);

}  // namespace hf
