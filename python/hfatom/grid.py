"""The program's radial grid: 1000 points uniform in t, r = r0 (e^t - 1), in bohr."""

from __future__ import annotations

import math
from dataclasses import dataclass
from functools import cached_property

import numpy as np

#: The grid's radial scale r0, in bohr.
R0 = 0.0002
#: The nominal outer radius from which the step is derived, in bohr.
OUTER_RADIUS = 30.0
#: The number of grid points.
POINTS = 1000
#: The step in t: ln(30 / 0.0002) / 1000 (one thousandth, not 1/999, as the program has it).
STEP = math.log(OUTER_RADIUS / R0) * 0.001


@dataclass(frozen=True)
class Grid:
    """A radial grid r(i) = r0 (exp((i - 1) h) - 1), i = 1 ... points.

    The report prints r0 and h to five decimals only; the exact values are the program's
    built-in constants, which the readers check the printed ones against.
    """

    r0: float = R0
    step: float = STEP
    points: int = POINTS

    @cached_property
    def t(self) -> np.ndarray:
        """t(i) = (i - 1) h, dimensionless."""
        return _frozen(np.arange(self.points, dtype=float) * self.step)

    @cached_property
    def drdt(self) -> np.ndarray:
        """dr/dt = r + r0 = r0 e^t, in bohr."""
        return _frozen(self.r0 * np.exp(self.t))

    @cached_property
    def r(self) -> np.ndarray:
        """The radii in bohr, formed as the program forms them: (r0 e^t) - r0, with r(1) = 0."""
        return _frozen(self.drdt - self.r0)


def _frozen(values: np.ndarray) -> np.ndarray:
    """The array made read-only: a grid's arrays are shared by everything that reads them."""
    values.flags.writeable = False
    return values


#: The grid every run of the program uses.
GRID = Grid()
