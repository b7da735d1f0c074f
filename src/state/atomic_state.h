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
  } hf;

  // Orbitals of the Hartree stage, normalised to 1.
  struct HartreeOrbitals {
    ShellRadials hartree_p;
    ShellRadials hartree_q;
  } hartree;

  // Radial grid r(t) = r0 (e^t - 1) and the local potential -Z(r)/r.
  struct Grid {
    Radial effective_charge;  // Z(r) at each point
    Radial radius;            // r(i); radius(1) = 0
    Radial drdt;              // dr/dt = r + r0
    Radial drdt_over_r;       // drdt(i)/radius(i); 0 at point 1
    double grid_step = 0.0;   // h, the step in t
  } grid;

  struct ShellEnergies {
    OneBased<double, kMaxShells> shell_energy_guess;  // estimate, later the Hartree eigenvalue
    OneBased<double, kMaxShells> shell_energy;        // current orbital energy (hartree)
  } energies;

  struct LabelBuffer {
    Text4 label_buffer = kBlank4;  // the label last built by ENCLAB
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
  } shells;

  struct Names {
    Text4 atom_symbol = kBlank4;
    OneBased<Text4, kMaxShells> shell_label;
  } names;

  struct Report {
    std::int32_t report_unit = 0;  // unit every report line goes to (8 once DATAIN opened it)
  } report;

  AtomicState();
};

// The one instance, reached directly by every routine.
extern AtomicState atom;

// Returns the atomic state and the private state of every routine that keeps
// some between calls to their process-start values. Tests call it before each run.
void reset_run_state();

// Routines with private state register how to reset it (at static initialisation).
struct RunStateReset {
  explicit RunStateReset(void (*reset)());
};

}  // namespace hf
