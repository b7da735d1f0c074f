"""Properties of the atom derived from its orbital table and report.

Every integral over r is taken on the uniform t grid, r = r0 (e^t - 1), dr = (r + r0) dt,
from the origin to the shell's extent (P is zero beyond it), with the composite rule that
integrates on each interval the polynomial through the 8 nearest points: exact for
polynomials of degree 7 in t, error O(h^8). dP/dt for the kinetic energy comes from the
polynomial through the 9 nearest points (central differences of order 8 inside, one-sided
at the ends). P(r)/r at the nucleus is the cubic through points 2 to 5, taken at r = 0.

Precision. The table prints P with nine significant digits, a relative rounding of at most
5e-9 per point. The expectation values and the nuclear attraction inherit about that
(errors of single points average out: a few 1e-10 in practice); the density at the nucleus
carries the extrapolation's amplification, up to 15 x 5e-9 (about 1e-7 relative); the
kinetic energy carries the rounding through the differences, 1/h = 84 times larger per
point but averaging over the ~800 points of an orbital: a few 1e-9 relative. The
quadrature and difference errors on this grid are far below that. The total energy comes
from the report, printed to 1e-8 hartree, so V_ee and the virial defect are known to about
1e-8 hartree and 1e-8 / |E| respectively, on top of the kinetic energy's error.
"""

from __future__ import annotations

import math
from dataclasses import dataclass
from fractions import Fraction
from functools import lru_cache

import numpy as np

from .report import Report
from .table import Table, TableShell

#: Points of the interpolating polynomial of the quadrature rule (order 8).
QUADRATURE_POINTS = 8
#: Points of the interpolating polynomial of the derivative (order 8).
DIFFERENCE_POINTS = 9
#: The powers k of <r^k>.
POWERS = (-2, -1, 1, 2)


@dataclass(frozen=True)
class Properties:
    """The atom's properties, in hartree atomic units.

    expectation[label][k] is <r^k> of one electron of that shell (bohr^k) for k = -2, -1, 1, 2,
    with the orbital normalised on the grid (`norms` gives the integral of P^2 itself).
    """

    expectation: dict[str, dict[int, float]]
    norms: dict[str, float]
    #: T, hartree.
    kinetic_energy: float
    #: V_ne = -Z sum q <1/r>, hartree.
    nuclear_attraction_energy: float
    #: V_ee = E - T - V_ne, hartree (None without a total energy).
    electron_repulsion_energy: float | None
    #: E from the report, hartree.
    total_energy: float | None
    #: -V/T with V = E - T: 2 for an exact Hartree-Fock solution.
    virial_ratio: float | None
    #: |E + T| / |E|: 0 for an exact Hartree-Fock solution.
    virial_defect: float | None
    #: rho(0), electrons per bohr^3.
    density_at_nucleus: float
    #: -epsilon of the shell with the highest orbital energy, hartree.
    koopmans_ionisation_energy: float
    #: That shell's label.
    koopmans_shell: str
    #: D(r) = sum over shells of q P(r)^2 on the grid points, electrons per bohr.
    radial_density: np.ndarray


def _lagrange_basis(nodes: int, k: int) -> list[Fraction]:
    """Coefficients (constant first, exact rationals) of the k-th Lagrange basis polynomial on
    the nodes 0 ... nodes - 1."""
    coefficients = [Fraction(1)]
    for m in range(nodes):
        if m != k:  # multiply by (x - m) / (k - m)
            shifted = [Fraction(0)] + coefficients
            coefficients = [(shifted[i] - m * (coefficients[i] if i < len(coefficients) else 0)) / (k - m)
                            for i in range(len(shifted))]
    return coefficients


def _evaluate(coefficients: list[Fraction], x: Fraction) -> Fraction:
    return sum((c * x ** i for i, c in enumerate(coefficients)), Fraction(0))


@lru_cache(maxsize=None)
def _interval_weights() -> np.ndarray:
    """W[j, k]: the integral over [j, j + 1] of the k-th Lagrange basis polynomial on the nodes
    0 ... 7, for the intervals j = 0 ... 6 (unit spacing), computed exactly."""
    weights = np.empty((QUADRATURE_POINTS - 1, QUADRATURE_POINTS))
    for k in range(QUADRATURE_POINTS):
        basis = _lagrange_basis(QUADRATURE_POINTS, k)
        antiderivative = [Fraction(0)] + [c / (i + 1) for i, c in enumerate(basis)]
        for j in range(QUADRATURE_POINTS - 1):
            weights[j, k] = float(_evaluate(antiderivative, Fraction(j + 1)) - _evaluate(antiderivative, Fraction(j)))
    return weights


@lru_cache(maxsize=None)
def quadrature_weights(points: int, step: float) -> np.ndarray:
    """Weights w such that w @ f integrates f sampled at `points` equally spaced t values
    (spacing `step`) from the first to the last: exact for polynomials of degree 7."""
    if points < QUADRATURE_POINTS:
        raise ValueError(f"at least {QUADRATURE_POINTS} points are needed, not {points}")
    local = _interval_weights()
    weights = np.zeros(points)
    half = QUADRATURE_POINTS // 2 - 1
    for j in range(points - 1):
        first = min(max(j - half, 0), points - QUADRATURE_POINTS)
        weights[first:first + QUADRATURE_POINTS] += local[j - first]
    weights *= step
    weights.flags.writeable = False
    return weights


@lru_cache(maxsize=None)
def _difference_weights() -> np.ndarray:
    """D[i, k]: the derivative at node i of the k-th Lagrange basis polynomial on nodes 0 ... 8,
    computed exactly."""
    weights = np.empty((DIFFERENCE_POINTS, DIFFERENCE_POINTS))
    for k in range(DIFFERENCE_POINTS):
        basis = _lagrange_basis(DIFFERENCE_POINTS, k)
        slope = [c * i for i, c in enumerate(basis)][1:]
        for i in range(DIFFERENCE_POINTS):
            weights[i, k] = float(_evaluate(slope, Fraction(i)))
    return weights


def derivative(values: np.ndarray, step: float) -> np.ndarray:
    """df/dt of f sampled at equally spaced t (spacing `step`), exact for polynomials of degree 8."""
    points = len(values)
    if points < DIFFERENCE_POINTS:
        raise ValueError(f"at least {DIFFERENCE_POINTS} points are needed, not {points}")
    local = _difference_weights()
    half = DIFFERENCE_POINTS // 2
    result = np.empty(points)
    inner = slice(half, points - half)
    windows = np.lib.stride_tricks.sliding_window_view(values, DIFFERENCE_POINTS)
    result[inner] = windows @ local[half]
    result[:half] = local[:half] @ values[:DIFFERENCE_POINTS]
    result[points - half:] = local[half + 1:] @ values[points - DIFFERENCE_POINTS:]
    return result / step


def value_at_origin(r: np.ndarray, p: np.ndarray) -> float:
    """R(0) = lim P(r)/r: the cubic in r through P/r at points 2 to 5, taken at r = 0."""
    nodes, ratios = r[1:5], p[1:5] / r[1:5]
    total = 0.0
    for k in range(4):
        others = np.delete(nodes, k)
        total += ratios[k] * float(np.prod(others / (others - nodes[k])))
    return total


def properties(table: Table, report: Report) -> Properties:
    """The properties of the atom of `table` (the orbitals) and `report` (Z and the total energy).

    Occupancies are those of full shells, 4l + 2. Raises ValueError when the report has no
    nuclear charge (printed as asterisks) or its shells are not the table's.
    """
    if report.nuclear_charge is None:
        raise ValueError("the report has no nuclear charge (its field overflowed)")
    if report.shells and [s.label for s in report.shells] != [s.label for s in table.shells]:
        raise ValueError("the report and the orbital table are not of the same run")
    grid = table.grid
    z = report.nuclear_charge
    expectation: dict[str, dict[int, float]] = {}
    norms: dict[str, float] = {}
    kinetic = attraction = density_at_nucleus = 0.0
    radial_density = np.zeros(grid.points)
    for shell in table.shells:
        q = 4 * shell.l + 2
        shell_values = _shell_integrals(table, shell)
        norms[shell.label] = shell_values.norm
        expectation[shell.label] = shell_values.expectation
        kinetic += q * shell_values.kinetic
        attraction -= q * z * shell_values.expectation[-1]
        if shell.l == 0:
            radius0 = value_at_origin(grid.r, shell.p) / math.sqrt(shell_values.norm)
            density_at_nucleus += q * radius0 ** 2 / (4.0 * math.pi)
        radial_density[:shell.extent] += q * shell.p[:shell.extent] ** 2 / shell_values.norm
    top = max(table.shells, key=lambda s: s.energy)
    energy = report.total_energy
    repulsion = ratio = defect = None
    if energy is not None:
        repulsion = energy - kinetic - attraction
        ratio = -(energy - kinetic) / kinetic
        defect = abs(energy + kinetic) / abs(energy)
    return Properties(expectation, norms, kinetic, attraction, repulsion, energy, ratio, defect,
                      density_at_nucleus, -top.energy, top.label, radial_density)


@dataclass(frozen=True)
class _ShellIntegrals:
    norm: float
    expectation: dict[int, float]
    kinetic: float


def _shell_integrals(table: Table, shell: TableShell) -> _ShellIntegrals:
    """The norm, <r^k> and the kinetic energy of one electron of the shell (normalised)."""
    m = shell.extent
    grid = table.grid
    weights = quadrature_weights(m, grid.step)
    r, drdt, p = grid.r[:m], grid.drdt[:m], shell.p[:m]
    density = p * p * drdt  # P^2 dr/dt
    norm = float(weights @ density)
    with np.errstate(divide="ignore", invalid="ignore"):
        powers = {k: np.where(r > 0, r ** float(k), 0.0) for k in POWERS}
    expectation = {}
    for k in POWERS:
        integrand = density * powers[k]
        if k == -2 and shell.l == 0:  # P^2 / r^2 -> R(0)^2 at the nucleus
            integrand[0] = value_at_origin(grid.r, shell.p) ** 2 * drdt[0]
        expectation[k] = float(weights @ integrand) / norm
    # T = integral of (1/2) (dP/dr)^2 + l(l+1)/2 P^2/r^2 dr, with dP/dr = (dP/dt) / (dr/dt).
    slope = derivative(p, grid.step)
    centrifugal = 0.5 * shell.l * (shell.l + 1) * density * powers[-2]
    kinetic = float(weights @ (0.5 * slope * slope / drdt + centrifugal)) / norm
    return _ShellIntegrals(norm, expectation, kinetic)
