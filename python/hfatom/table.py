"""The orbital table (`<symbol>.dat`): P(r) of every shell at the 1000 grid points.

The file is a header line, then for each shell 1000 rows of 72 columns and a line of one
blank. A row holds n (columns 1-2), l (4-5), the shell's extent (7-10), its label
(13-16), its orbital energy (19-33), the point number (34-38), the radius (41-55) and
P(r) (58-72); the reals are exponent fields with nine significant digits.
"""

from __future__ import annotations

import os
from dataclasses import dataclass
from pathlib import Path

import numpy as np

from . import _fields
from ._lines import Lines, read_lines
from .grid import GRID, Grid
from .report import parse_label

HEADER = " n  l       name       Enl           i    R=0-30 a.u.       psi_nl"
SEPARATOR = " "
ROW_WIDTH = 72
# The radius column must be the program's grid to its nine printed digits.
_RADIUS_TOLERANCE = 6e-9


@dataclass(frozen=True)
class TableShell:
    """One shell of the table: quantum numbers, label, orbital energy (hartree), extent and P.

    `p` holds P(r) = r R(r) at all points as printed; points after `extent` (the last grid
    point the program carries the orbital to) hold whatever the program had there and are
    not part of the orbital. A field of asterisks reads as NaN.
    """

    n: int
    l: int
    label: str
    energy: float
    extent: int
    p: np.ndarray


@dataclass(frozen=True)
class Table:
    """An orbital table: the grid (r in bohr, exact; the file's radius column is checked
    against it) and the shells in the order of the file."""

    path: Path | None
    grid: Grid
    shells: tuple[TableShell, ...]

    @property
    def r(self) -> np.ndarray:
        return self.grid.r

    def shell(self, label: str) -> TableShell:
        """The shell with that label (such as '2p')."""
        for shell in self.shells:
            if shell.label == label:
                return shell
        raise KeyError(label)


def read_table(path: str | os.PathLike[str]) -> Table:
    """Reads an orbital table. Raises FormatError (file and line) if it is malformed or cut short."""
    lines = read_lines(path)
    cursor = Lines(path, lines)
    if not lines or lines[0] != HEADER:
        raise cursor.error("the first line is not the orbital table header")
    if len(lines) == 1:
        raise cursor.error("the table holds no shell", 2)
    shells = [_read_block(cursor, lines, start) for start in range(1, len(lines), GRID.points + 1)]
    return Table(Path(path), GRID, tuple(shells))


def _read_block(cursor: Lines, lines: list[str], start: int) -> TableShell:
    """The shell whose 1000 rows begin at index `start`, followed by its separator line."""
    points = GRID.points
    if start + points >= len(lines):
        raise cursor.error("the table ends inside a shell's rows", len(lines) + 1)
    first = lines[start]
    p = np.empty(points)
    for i in range(points):
        number = start + i + 1
        row = lines[start + i]
        if len(row) != ROW_WIDTH or row[2] != " " or row[5] != " " or row[10:12] != "  " or row[16:18] != "  " \
                or row[38:40] != "  " or row[55:57] != "  ":
            raise cursor.error(f"not a row of the orbital table: {row!r}", number)
        if row[:33] != first[:33]:
            raise cursor.error("a row whose shell columns differ from the shell's first row", number)
        if cursor.field(_fields.integer, row[33:38], number) != i + 1:
            raise cursor.error(f"point {row[33:38].strip()} where point {i + 1} belongs", number)
        value = cursor.field(_fields.real, row[40:55], number)
        if abs(value - GRID.r[i]) > _RADIUS_TOLERANCE * GRID.r[i]:
            raise cursor.error(f"the radius {row[40:55].strip()} is not point {i + 1} of the program's grid", number)
        p[i] = cursor.field(_fields.real, row[57:72], number)
    if lines[start + points] != SEPARATOR:
        raise cursor.error("expected the line of one blank after a shell's rows", start + points + 1)
    n = cursor.field(_fields.integer, first[0:2], start + 1)
    l = cursor.field(_fields.integer, first[3:5], start + 1)
    extent = cursor.field(_fields.integer, first[6:10], start + 1)
    label = parse_label(first[12:16])
    if label is None or label != (n, l) or extent is None or not 1 <= extent <= points:
        raise cursor.error("a shell whose n, l, label or extent do not agree", start + 1)
    energy = cursor.field(_fields.real, first[18:33], start + 1)
    p.flags.writeable = False
    return TableShell(int(n), int(l), first[12:16].strip(), energy, extent, p)  # type: ignore[arg-type]
