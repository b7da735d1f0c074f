#include "scf/exchange_update.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <type_traits>

#include "potentials/angular_coefficients.h"
#include "potentials/driven_solution.h"
#include "potentials/multipole_potential.h"
#include "radial/point_pairs.h"
#include "radial/quadrature.h"
#include "scf/hartree_iteration.h"
#include "state/atomic_state.h"
#include "state/error_line.h"

namespace hf {

namespace {

constexpr int kOrder = 7;
constexpr double kDirectScale = 2.0;
constexpr double kHalf = 0.5;  // damping weight and energy-estimate factor
constexpr double kEnergyTolerance = 1e-12;
constexpr int kMaxNormIterations = 30;  // SOLVE calls of one norm loop

// Kept from one call to the next for the whole run: the run state of the exchange update.
struct ExchangeState {
  bool direct_potential_ready = false;
  Radial direct_potential;
  OneBased<bool, kMaxShells> driving_term_stored{};
  ShellRadials stored_driving_term;
};
ExchangeState state;

// Work arrays: nothing in them outlives a call.
Radial driving;         // the driving term S
Radial core_density;    // sum of N_j P_j^2 over the Hartree orbitals
Radial density_change;  // P_new^2 - P_i^2
Radial potential;       // a multipole potential
Radial new_p;
Radial new_q;
Radial integrand;
Radial second_integrand;

// Copies the Hartree orbitals into the Hartree-Fock ones and builds the direct potential of
// their density.
Status start_hartree_fock() {
  auto& shells = atom.shells;
  state.direct_potential_ready = true;
  int largest_extent = 0;
  for (int k = 1; k <= kGridPoints; ++k) core_density(k) = 0.0;
  for (int j = 1; j <= shells.core_count; ++j) {
    const int mj = shells.shell_extent(j);
    largest_extent = std::max(largest_extent, mj);
    const double occupancy = shells.shell_occupancy(j);
    const Radial& hp = atom.hartree.hartree_p.column(j);
    const Radial& hq = atom.hartree.hartree_q.column(j);
    for (int k = 1; k <= mj; ++k) core_density(k) = core_density(k) + (occupancy * hp(k)) * hp(k);
    Radial& p = atom.hf.orbital_p.column(j);
    Radial& q = atom.hf.orbital_q.column(j);
    for (int k = 1; k <= kGridPoints; ++k) {
      p(k) = hp(k);
      q(k) = hq(k);
    }
  }
  return YFUN(core_density, state.direct_potential, 0, largest_extent);
}

}  // namespace

void reset_exchange_update() {
  // Made afresh in place (about 250 kB): no fresh copy to build, touch and copy.
  static_assert(std::is_trivially_destructible_v<ExchangeState>);
  ::new (static_cast<void*>(&state)) ExchangeState();
}

Status EXCHAN(int shell_index, double norm_tolerance, bool final_sweep) {
  auto& shells = atom.shells;
  const auto& grid = atom.grid;
  const int i = shell_index;
  const int l = shells.shell_l(i);
  const int m = shells.shell_extent(i);

  if (!state.direct_potential_ready && start_hartree_fock() == Status::error) return Status::error;
  const Radial& pi = atom.hf.orbital_p.column(i);
  Radial& direct = state.direct_potential;

  // Direct part: twice (HF direct potential - reference potential) times P_i.
  const double nuclear = shells.nuclear_charge;
  for (int k = 1; k <= kGridPoints; ++k) driving(k) = 0.0;
  for_point_pairs(2, m, [&]<typename T>(int k) {
    const T r = at_point<T>(grid.radius, k);
    const T charge = at_point<T>(grid.effective_charge, k);
    set_point<T>(
        driving, k,
        kDirectScale * (at_point<T>(direct, k) + ((charge - nuclear) - extra_charge(r)) / r) * at_point<T>(pi, k));
  });

  // Exchange with every core shell, the shell itself included.
  for (int j = 1; j <= shells.core_count; ++j) {
    const int lj = shells.shell_l(j);
    const int mj = shells.shell_extent(j);
    const int common = std::min(m, mj);
    const Radial& pj = atom.hf.orbital_p.column(j);
    const double occupancy = shells.shell_occupancy(j);
    for (int order = std::abs(l - lj); order <= l + lj; ++order) {
      if ((l + lj + order) % 2 != 0) continue;
      const double c = CLAM(l, lj, order);
      const double weight = c * c * occupancy;
      // driving - weight V P_j at 1..mj, V the potential of order `order` of P_j P_i.
      if (subtract_potential_term(pj, pi, order, common, mj, weight, pj, driving) == Status::error)
        return Status::error;
    }
  }

  // Damping against the driving term of the previous update.
  Radial& stored = state.stored_driving_term.column(i);
  if (!state.driving_term_stored(i)) {
    state.driving_term_stored(i) = true;
    for (int k = 1; k <= m; ++k) stored(k) = driving(k);
  } else if (!final_sweep) {
    for_point_pairs(1, m, [&]<typename T>(int k) {
      const T damped = kHalf * (at_point<T>(driving, k) + at_point<T>(stored, k));
      set_point<T>(stored, k, damped);
      set_point<T>(driving, k, damped);
    });
  }

  // First-order energy estimate from the Hartree orbital and its eigenvalue.
  const Radial& reference = atom.hartree.hartree_p.column(i);
  for_point_pairs(1, m, [&]<typename T>(int k) {
    const T ref = at_point<T>(reference, k);
    set_point<T>(integrand, k, ref * at_point<T>(driving, k) * at_point<T>(grid.drdt, k));
    set_point<T>(second_integrand, k, ref * at_point<T>(pi, k) * at_point<T>(grid.drdt, k));
  });
  const RintPair ab = rint_pair(integrand, m, second_integrand, m, 1, kOrder, grid.grid_step);
  double energy = (kHalf * ab.a) / ab.b + atom.energies.shell_energy_guess(i);

  // Norm loop: SOLVE moves the energy towards norm 1 until it stops moving.
  bool settled = false;
  for (int it = 1; it <= kMaxNormIterations && !settled; ++it) {
    const double previous = energy;
    if (SOLVE(new_p, new_q, grid.effective_charge, driving, energy, i, norm_tolerance) == Status::error)
      return Status::error;
    settled = std::abs((energy - previous) / energy) < kEnergyTolerance;
  }
  if (!settled) return error_line("  Error in fock:  norm loop fails to converge");

  // Direct potential: add the potential of this shell's density change.
  if (!final_sweep) {
    for_point_pairs(1, m, [&]<typename T>(int k) {
      const T p_new = at_point<T>(new_p, k);
      const T p_old = at_point<T>(pi, k);
      set_point<T>(density_change, k, p_new * p_new - p_old * p_old);
    });
    if (YFUN(density_change, potential, 0, m) == Status::error) return Status::error;
    const double occupancy = shells.shell_occupancy(i);
    for_point_pairs(1, kGridPoints, [&]<typename T>(int k) {
      set_point<T>(direct, k, occupancy * at_point<T>(potential, k) + at_point<T>(direct, k));
    });
  }

  atom.energies.shell_energy(i) = energy;
  Radial& p = atom.hf.orbital_p.column(i);
  Radial& q = atom.hf.orbital_q.column(i);
  for (int k = 1; k <= m; ++k) {
    p(k) = new_p(k);
    q(k) = new_q(k);
  }
  return Status::ok;
}

}  // namespace hf
