"""Hydrogen-like orbitals in closed form, written as an orbital table of the program's format."""

from __future__ import annotations

import math
from pathlib import Path

import numpy as np

from hfatom.grid import GRID

LETTERS = "spdfghijkl"


def radial_p(z: float, n: int, l: int, r: np.ndarray) -> np.ndarray:
    """P(r) = r R_nl(r) of the hydrogen-like ion of charge z, normalised: with rho = 2zr/n,
    R = N rho^l e^(-rho/2) L_(n-l-1)^(2l+1)(rho), N^2 = (2z/n)^3 (n-l-1)! / (2n (n+l)!)."""
    rho = 2.0 * z * r / n
    k, alpha = n - l - 1, 2 * l + 1
    laguerre = sum((-1) ** i * math.comb(k + alpha, k - i) * rho ** i / math.factorial(i) for i in range(k + 1))
    norm = math.sqrt((2.0 * z / n) ** 3 * math.factorial(k) / (2.0 * n * math.factorial(n + l)))
    return r * norm * rho ** l * np.exp(-rho / 2.0) * laguerre


def exponent_field(value: float) -> str:
    """A value as the table prints it: 15 columns, 8 decimals, letter D for a two-digit exponent,
    sign and three digits without the letter otherwise."""
    if value == 0.0:
        return " 0.00000000D+00"
    mantissa, exponent = f"{value:.8E}".split("E")
    power = int(exponent)
    text = f"{mantissa}D{power:+03d}" if -99 <= power <= 99 else f"{mantissa}{power:+04d}"
    return f"{text:>15}"


def write_table(path: Path, z: float, shells: list[tuple[int, int]], extents: list[int] | None = None,
                beyond: float | None = None) -> Path:
    """Writes the orbital table of hydrogen-like shells (n, l) of charge z. Each shell is carried
    to its extent (default 1000); after it P holds `beyond` when given (as the program may leave
    values of an earlier solution there), else the closed form."""
    r = GRID.r
    rows = [" n  l       name       Enl           i    R=0-30 a.u.       psi_nl"]
    for k, (n, l) in enumerate(shells):
        extent = extents[k] if extents else GRID.points
        p = radial_p(z, n, l, r)
        if beyond is not None:
            p[extent:] = beyond
        energy = -z * z / (2.0 * n * n)
        head = f"{n:2d} {l:2d} {extent:4d}  {n:>2}{LETTERS[l]}   {exponent_field(energy)}"
        rows.extend(f"{head}{i + 1:5d}  {exponent_field(r[i])}  {exponent_field(p[i])}" for i in range(GRID.points))
        rows.append(" ")
    path.write_bytes(("\r\n".join(rows) + "\r\n").encode("ascii"))
    return path
