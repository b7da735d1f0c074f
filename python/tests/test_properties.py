"""The atom's properties against exact quadrature, hydrogen-like closed forms, an independent
Hartree-Fock calculation of helium, published Hartree-Fock energies and the virial theorem."""

from __future__ import annotations

import math
from pathlib import Path

import numpy as np
import pytest

import hfatom
from hfatom.properties import derivative, quadrature_weights
from conftest import reference
from hydrogenic import write_table


@pytest.mark.parametrize("points", [8, 9, 27, 1000])
def test_quadrature_and_differences_are_exact_for_polynomials(points: int) -> None:
    """Degree 7 integrates exactly, degree 8 differentiates exactly: the rules are of order 8."""
    step = 0.0119
    t = np.arange(points) * step
    length = t[-1]
    weights = quadrature_weights(points, step)
    for degree in range(8):
        assert weights @ t ** degree == pytest.approx(length ** (degree + 1) / (degree + 1), rel=1e-12)
    if points >= 9:
        for degree in range(9):
            assert derivative(t ** degree, step) == pytest.approx(degree * t ** max(degree - 1, 0), rel=1e-7, abs=1e-9)


def hydrogenic_report(z: int, shells: list[tuple[int, int]]) -> hfatom.Report:
    """The report of non-interacting electrons in full hydrogen-like shells: E = sum q (-z^2 / 2n^2)."""
    energy = sum((4 * l + 2) * -z * z / (2.0 * n * n) for n, l in shells)
    return hfatom.Report(None, "X", z, len(shells),
                         tuple(hfatom.ReportShell(f"{n}{'spdf'[l]}", n, l, 4 * l + 2) for n, l in shells),
                         hfatom.GRID, energy)


SHELLS = [(1, 0), (2, 0), (2, 1), (3, 0), (3, 1), (3, 2)]


@pytest.mark.parametrize("z, extents, beyond", [
    (10, None, None),                # every shell carried to point 1000: P reaches 1e-120 and below
    (10, [760, 860, 860, 930, 930, 930], 0.37),  # values beyond the extent are not the orbital's
    (54, None, None),                # Xe's nuclear charge: the 1s orbital lives in the first 600 points
])
def test_hydrogen_like_closed_forms(tmp_path: Path, z: int, extents: list[int] | None, beyond: float | None) -> None:
    """<r^k>, T, rho(0) and D(r) of hydrogen-like orbitals printed to nine digits, against
    <r> = (3n^2 - l(l+1)) / 2Z, <r^2> = n^2 (5n^2 + 1 - 3l(l+1)) / 2Z^2, <1/r> = Z/n^2,
    <1/r^2> = Z^2 / (n^3 (l + 1/2)), T = Z^2 / 2n^2 per electron and rho(0) = q Z^3 / (pi n^3)."""
    table = hfatom.read_table(write_table(tmp_path / "X   .dat", z, SHELLS, extents, beyond))
    props = hfatom.properties(table, hydrogenic_report(z, SHELLS))
    for n, l in SHELLS:
        values = props.expectation[f"{n}{'spd'[l]}"]
        centrifugal = l * (l + 1)
        assert values[1] == pytest.approx((3 * n * n - centrifugal) / (2 * z), rel=2e-9)
        assert values[2] == pytest.approx(n * n * (5 * n * n + 1 - 3 * centrifugal) / (2 * z * z), rel=2e-9)
        assert values[-1] == pytest.approx(z / n ** 2, rel=2e-9)
        assert values[-2] == pytest.approx(z * z / (n ** 3 * (l + 0.5)), rel=2e-8)
    electrons = sum(4 * l + 2 for _, l in SHELLS)
    kinetic = sum((4 * l + 2) * z * z / (2.0 * n * n) for n, l in SHELLS)
    assert props.kinetic_energy == pytest.approx(kinetic, rel=2e-9)
    assert props.nuclear_attraction_energy == pytest.approx(-2 * kinetic, rel=2e-9)
    assert props.electron_repulsion_energy == pytest.approx(0.0, abs=2e-9 * kinetic)
    assert props.virial_ratio == pytest.approx(2.0, rel=2e-9)
    density = sum(2 * z ** 3 / (math.pi * n ** 3) for n, l in SHELLS if l == 0)
    assert props.density_at_nucleus == pytest.approx(density, rel=1e-7)
    assert quadrature_weights(1000, table.grid.step) @ (props.radial_density * table.grid.drdt) == \
        pytest.approx(electrons, rel=2e-9)
    assert (props.koopmans_shell, props.koopmans_ionisation_energy) == ("3s", pytest.approx(z * z / 18, rel=1e-8))


# Helium computed independently: Roothaan-Hartree-Fock in an even-tempered basis of 30 1s Slater
# functions (exponents 0.2 x 1.33^k, all integrals in closed form); its energy reproduces the
# published numerical Hartree-Fock limit below to all ten digits.
HELIUM_ROOTHAAN = {"r": 0.9272734048, "r2": 1.1848284807, "1/r": 1.6872822153, "rho0": 3.5959209}

# Numerical Hartree-Fock total energies (hartree): C. F. Bunge, J. A. Barrientos, A. V. Bunge
# and J. A. Cogordan, Phys. Rev. A 46, 3691 (1992). By the virial theorem T = -E.
PUBLISHED_ENERGY = {"He": -2.8616799956, "Ne": -128.5470981, "Ar": -526.8175128}


def test_helium_against_an_independent_calculation() -> None:
    props = hfatom.properties(hfatom.read_table(reference("He", ".dat")), hfatom.read_report(reference("He", ".out")))
    shell = props.expectation["1s"]
    assert shell[1] == pytest.approx(HELIUM_ROOTHAAN["r"], rel=1e-8)
    assert shell[2] == pytest.approx(HELIUM_ROOTHAAN["r2"], rel=1e-8)
    assert shell[-1] == pytest.approx(HELIUM_ROOTHAAN["1/r"], rel=1e-8)
    assert props.density_at_nucleus == pytest.approx(HELIUM_ROOTHAAN["rho0"], rel=1e-6)


@pytest.mark.parametrize("symbol", sorted(PUBLISHED_ENERGY))
def test_kinetic_energy_against_published_energies(symbol: str) -> None:
    props = hfatom.properties(hfatom.read_table(reference(symbol, ".dat")),
                              hfatom.read_report(reference(symbol, ".out")))
    assert props.kinetic_energy == pytest.approx(-PUBLISHED_ENERGY[symbol], rel=1e-8)
    assert props.electron_repulsion_energy == pytest.approx(
        props.total_energy - props.kinetic_energy - props.nuclear_attraction_energy, abs=1e-12)


def test_virial_theorem_on_every_example(example_runs: dict[str, hfatom.RunResult]) -> None:
    for symbol, result in example_runs.items():
        props = hfatom.properties(result.table, result.report)
        assert props.virial_defect <= 1e-6, symbol
        assert abs(props.virial_ratio - 2.0) <= 2e-6, symbol
        # The Koopmans energy is that of the least bound shell.
        assert props.koopmans_ionisation_energy == -max(shell.energy for shell in result.table.shells)


def test_properties_refuse_a_report_of_another_run() -> None:
    with pytest.raises(ValueError):
        hfatom.properties(hfatom.read_table(reference("Ne", ".dat")), hfatom.read_report(reference("Ar", ".out")))
