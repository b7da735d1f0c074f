// The logarithmic radial grid r(t) = r0 (e^t - 1) of 1000 points and the starting potential.
#pragma once

namespace hf {

inline constexpr double kGridScale = 0.0002;  // r0, bohr
inline constexpr double kGridExtent = 30.0;   // nominal outer radius, bohr

// Sets grid_step = ln(30/r0)/1000, radius, drdt = r + r0 and drdt_over_r at the 1000
// points, and effective_charge = nuclear_charge everywhere (the bare nucleus), gives the
// grid a new id, then writes the grid line to the report unit.
// Reads atom.shells.nuclear_charge, atom.report.report_unit; writes atom.grid.
void build_grid();

// As build_grid, without writing the report line: for callers that need the grid alone.
void set_up_grid();

}  // namespace hf
