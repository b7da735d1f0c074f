// The shared atomic state: shell table, radial grid, potential, orbitals and report handle.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "state/one_based.h"

namespace hf {

inline constexpr int kGridPoints = 1000;  // points of the radial grid
inline constexpr int kMaxShells = 30;     // capacity of the shell table

// Four characters, blank-padded on the right, not terminated.
using Text4 = std::array<char, 4>;
inline constexpr Text4 kBlank4{' ', ' ', ' ', ' '};
inline std::string_view view(const Text4& text) { return {text.data(), text.size()}; }

// One radial function: a value at each grid point 1..1000.
using Radial = OneBased<double, kGridPoints>;
// One radial function per shell, column j for shell j.
using ShellRadials = OneBasedColumns<double, kGridPoints, kMaxShells>;

struct AtomicState {
  // Orbitals of the Hartree-Fock stage: P = r R(r) and Q = dP/dr.
  struct HartreeFockOrbitals {
    ShellRadials orbital_p;
    ShellRadials orbital_q;
    bool operator==(const HartreeFockOrbitals&) const = default;
  } hf;

  // Orbitals of the Hartree stage, normalised to 1.
  struct HartreeOrbitals {
    ShellRadials hartree_p;
    ShellRadials hartree_q;
    bool operator==(const HartreeOrbitals&) const = default;
  } hartree;

  // Radial grid r(t) = r0 (e^t - 1) and the local potential -Z(r)/r.
  struct Grid {
    Radial effective_charge;  // Z(r) at each point
    Radial radius;            // r(i); radius(1) = 0
    Radial drdt;              // dr/dt = r + r0
    Radial drdt_over_r;       // drdt(i)/radius(i); 0 at point 1
    double grid_step = 0.0;   // h, the step in t
    // Names the contents of radius, drdt, drdt_over_r and grid_step: whoever writes them gives
    // the grid a new id (set_up_grid does). Values derived from the grid alone are kept
    // between calls keyed on it. 0 for a grid never built.
    std::uint64_t id = 0;
    bool operator==(const Grid&) const = default;
  } grid;

  struct ShellEnergies {
    OneBased<double, kMaxShells> shell_energy_guess;  // estimate, later the Hartree eigenvalue
    OneBased<double, kMaxShells> shell_energy;        // current orbital energy (hartree)
    bool operator==(const ShellEnergies&) const = default;
  } energies;

  struct LabelBuffer {
    Text4 label_buffer = kBlank4;  // the label last built by ENCLAB
    bool operator==(const LabelBuffer&) const = default;
  } labels;

  struct ShellTable {
    std::int32_t shell_count = 0;
    std::int32_t nuclear_charge = 0;
    std::int32_t core_count = 0;
    OneBased<std::int32_t, kMaxShells> shell_n;
    OneBased<std::int32_t, kMaxShells> shell_l;
    OneBased<std::int32_t, kMaxShells> shell_occupancy;
    OneBased<std::int32_t, kMaxShells> shell_extent;      // practical infinity of the orbital
    OneBased<std::int32_t, kMaxShells> shell_iterations;  // trial energies of the last search
    bool operator==(const ShellTable&) const = default;
  } shells;

  struct Names {
    Text4 atom_symbol = kBlank4;
    OneBased<Text4, kMaxShells> shell_label;
    bool operator==(const Names&) const = default;
  } names;

  struct Report {
    std::int32_t report_unit = 0;  // unit every report line goes to (8 once DATAIN opened it)
    bool operator==(const Report&) const = default;
  } report;

  AtomicState();
  // Equal when every item is (a NaN anywhere makes two states unequal).
  bool operator==(const AtomicState&) const = default;
};

// The one instance, reached directly by every routine.
extern AtomicState atom;

// Returns atom to its process-start value: zeroed, labels blank. Part of start_fresh_run.
void reset_atomic_state();

// A grid id never handed out before in this process (1, 2, ...). Not reset between runs, so
// that a value kept for one grid is never taken for another's.
std::uint64_t new_grid_id();

}  // namespace hf
