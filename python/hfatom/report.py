"""The report file (`<symbol>.out`): the input echo, the grid line, the iteration logs and the results.

`read_report` reads every part the program writes, field by field at its columns, and
checks the literal text around the fields, so that a report that is not one, or one
cut short, raises a FormatError naming the line.
"""

from __future__ import annotations

import math
import os
import re
from collections.abc import Callable
from dataclasses import dataclass, field
from pathlib import Path
from typing import TypeVar

import numpy as np

from . import _fields
from ._lines import Lines, read_lines
from .atoms import ANGULAR_LETTERS
from .grid import GRID, Grid

# The lines of the report, column by column; (.{w}) is a field of width w.
_TITLE = re.compile(r"   Input data for (.{4})")
_COUNTS = re.compile(r"(.{4})(.{4})(.{4})(.{4})")
_OVERFLOW = re.compile(r" Too many input orbitals !!  shell dim =(.{4})")
_SHELL_ECHO = re.compile(r"    (.{4})    (.{4})    (.{16})")
_GRID = re.compile(r" r0 =(.{10})     h=(.{10})")
_DAMPING = re.compile(r" damping factor =(.{8})")
_G_FACTOR = re.compile(r" gI = (.{10})")
_HARTREE_HEADER = re.compile(r" Start Hartree Iteration for (.{4})")
_HARTREE_SHELL = re.compile(r"  E\((.{4})\) =(.{16})(.{16})      k =(.{3})")
_HARTREE_LOOP = re.compile(r"  loop (.{3})   rel-err =(.{9})")
_HF_HEADER = re.compile(r"    Hartree-Fock Iteration for (.{4})")
_HF_UPDATE = re.compile(r"  (.{4})(.{16})    (.{10})    (initial |iterate |final   )(.{4})")
_WARNING = re.compile(r" *Warning.*")
_WRONSKIAN_TITLE = re.compile(r" Constancy of the wronskian :")
_WRONSKIAN_ROW = re.compile(r"(.{6})(.{20})")
_LEVELS_TITLE = re.compile(r"  Hartree-Fock Energy Levels for (.{4})  Z =(.{3})")
_LEVELS_HEADER = re.compile(r"  Shell  #el        Energy")
_LEVEL = re.compile(r"   (.{4})(.{4})(.{16})")
_CORE_ENERGY = re.compile(r"   Ehf core(.{18})")
_PRODUCTS = re.compile(r"  \*\*\*\*\*  scalar products   \*\*\*\*\*")
_OVERLAP_HEADER = re.compile(r" {11}((?:    .{4}> )+)(?:    )?")
_OVERLAP_ROW = re.compile(r"  <(.{4})\|   ((?:.{10})+)")
_ERROR_EXIT = "  Error exit in HF Program"
_LABEL = re.compile(r"([ 1-9]\d)([a-z]) ")
T = TypeVar("T")

# Lines that a log writes on its own: the line just before the error exit is the failing
# stage's message unless it is one of these.
_LOG_LINES = (_SHELL_ECHO, _G_FACTOR, _HARTREE_HEADER, _HARTREE_SHELL, _HARTREE_LOOP, _HF_HEADER,
              _HF_UPDATE, _WARNING, _WRONSKIAN_TITLE)


@dataclass(frozen=True)
class ReportShell:
    """One shell of the run: label (such as 2p), quantum numbers, electrons and orbital energy
    (hartree, as the results print it: 6 decimals; None when the run has no results)."""

    label: str
    n: int
    l: int
    occupancy: int
    energy: float | None = None


@dataclass(frozen=True)
class OverlapTable:
    """The overlaps <a|b> of the final orbitals of one l, as the report prints them.

    `deviation[i, j]` is <a_i|a_j> for i != j and <a_i|a_i> - 1 on the diagonal (symmetric,
    filled from the printed lower triangle), two significant digits.
    """

    l: int
    labels: tuple[str, ...]
    deviation: np.ndarray


@dataclass(frozen=True)
class Report:
    """What the report of one run says.

    A run that failed has `error` (its message line, trimmed) and whatever the report
    holds up to it; its `total_energy`, shell energies and overlaps are absent. A field
    printed as asterisks (a value too wide for it) reads as None.
    """

    path: Path | None
    symbol: str
    nuclear_charge: int | None
    shell_count: int | None
    shells: tuple[ReportShell, ...] = ()
    grid: Grid | None = None
    total_energy: float | None = None
    overlaps: dict[int, OverlapTable] = field(default_factory=dict)
    hartree_iterations: int = 0
    hartree_converged: bool | None = None
    hf_updates: int = 0
    warnings: tuple[str, ...] = ()
    error: str | None = None

    @property
    def succeeded(self) -> bool:
        return self.error is None

    @property
    def electrons(self) -> int:
        """The electrons of the shells set up (all shells are full)."""
        return sum(shell.occupancy for shell in self.shells)

    @property
    def ion_charge(self) -> int | None:
        """Z minus the electrons: 0 for a neutral atom, positive for a cation."""
        return None if self.nuclear_charge is None else self.nuclear_charge - self.electrons


def parse_label(text: str) -> tuple[int, int] | None:
    """n and l of a four-character shell label such as ' 2p ', or None if it is not one."""
    match = _LABEL.fullmatch(text)
    if match is None or match[2] not in ANGULAR_LETTERS:
        return None
    return int(match[1]), ANGULAR_LETTERS.index(match[2])


def read_report(path: str | os.PathLike[str]) -> Report:
    """Reads a report file. Raises FormatError (file and line) if it is malformed or cut short."""
    lines = read_lines(path)
    failed = bool(lines) and lines[-1] == _ERROR_EXIT
    end = len(lines) - 1 if failed else len(lines)
    error = None
    if failed:
        before = lines[end - 1] if end > 0 else ""
        if before.strip() and not any(pattern.fullmatch(before) for pattern in _LOG_LINES):
            error, end = before.strip(), end - 1
        else:
            error = _ERROR_EXIT.strip()
    parser = _ReportParser(path, Lines(path, lines, end))
    try:
        parser.parse()
    except Lines.End as stop:
        if not failed:
            raise parser.cursor.error(f"the report ends before {stop.what}") from None
    if not failed and not parser.cursor.at_end():
        raise parser.cursor.error("a line after the end of the results")
    return parser.result(error)


class _ReportParser:
    """Reads the parts of a report in order; `Lines.End` stops it where the lines run out."""

    def __init__(self, path: str | os.PathLike[str], cursor: Lines) -> None:
        self.path = Path(path)
        self.cursor = cursor
        self.symbol = ""
        self.nuclear_charge: int | None = None
        self.shell_count: int | None = None
        self.shells: list[ReportShell] = []
        self.grid: Grid | None = None
        self.total_energy: float | None = None
        self.overlaps: dict[int, OverlapTable] = {}
        self.hartree_iterations = 0
        self.hartree_converged: bool | None = None
        self.hf_updates = 0
        self.warnings: list[str] = []

    def result(self, error: str | None) -> Report:
        shells = tuple(self.shells)
        if error is not None:  # energies only come with the results
            shells = tuple(ReportShell(s.label, s.n, s.l, s.occupancy) for s in shells)
        return Report(self.path, self.symbol, self.nuclear_charge, self.shell_count, shells, self.grid,
                      self.total_energy, self.overlaps, self.hartree_iterations, self.hartree_converged,
                      self.hf_updates, tuple(self.warnings), error)

    def number(self, convert: Callable[[str], T], text: str) -> T:
        """A field of the line just read, converted."""
        return self.cursor.field(convert, text, self.cursor.number - 1)

    def label(self, text: str) -> tuple[str, int, int]:
        quantum = parse_label(text)
        if quantum is None:
            raise self.cursor.error(f"{text!r} is not a shell label", self.cursor.number - 1)
        return text.strip(), quantum[0], quantum[1]

    def parse(self) -> None:
        self.echo()
        self.hartree_log()
        self.hartree_fock_log()
        self.results()

    def echo(self) -> None:
        c = self.cursor
        self.symbol = c.expect(_TITLE, "the title 'Input data for'")[1].strip()
        c.expect_blank()
        counts = c.expect(_COUNTS, "the line of symbol, shells, charge and core shells")
        self.shell_count = self.number(_fields.integer, counts[2])
        self.nuclear_charge = self.number(_fields.integer, counts[3])
        if c.peek() is not None and _OVERFLOW.fullmatch(c.peek() or ""):
            c.expect(_OVERFLOW, "the shell overflow line")
        while c.peek() is not None and _SHELL_ECHO.fullmatch(c.peek() or ""):
            echo = c.expect(_SHELL_ECHO, "a shell line")
            label, n, l = self.label(echo[1])
            occupancy = self.number(_fields.integer, echo[2])
            self.number(_fields.real, echo[3])
            self.shells.append(ReportShell(label, n, l, 4 * l + 2 if occupancy is None else occupancy))
        c.expect_blank()
        grid = c.expect(_GRID, "the grid line 'r0 = ... h= ...'")
        r0, step = self.number(_fields.real, grid[1]), self.number(_fields.real, grid[2])
        if not (math.isclose(r0, round(GRID.r0, 5)) and math.isclose(step, round(GRID.step, 5))):
            raise c.error(f"a grid (r0 = {r0}, h = {step}) other than the program's", c.number - 1)
        self.grid = GRID
        c.expect_blank()
        c.expect(_DAMPING, "the damping factor line")
        c.expect_blank()
        c.expect(_G_FACTOR, "the gI line")

    def hartree_log(self) -> None:
        c = self.cursor
        c.expect_blank()
        c.expect(_HARTREE_HEADER, "the line 'Start Hartree Iteration for'")
        c.expect_blank()
        while not _HF_HEADER.fullmatch(self.next_line("the Hartree-Fock iteration")):
            if (loop := _HARTREE_LOOP.fullmatch(c.peek() or "")) is not None:
                c.index += 1
                number = self.number(_fields.integer, loop[1])
                if number != self.hartree_iterations + 1:
                    raise c.error(f"Hartree iteration {number} after {self.hartree_iterations}", c.number - 1)
                self.hartree_iterations += 1
                self.number(_fields.real, loop[2])
            elif (shell := _HARTREE_SHELL.fullmatch(c.peek() or "")) is not None:
                c.index += 1
                self.label(shell[1])
                for text in (shell[2], shell[3]):
                    self.number(_fields.real, text)
            else:
                self.log_line("the Hartree log")
        self.hartree_converged = not any("hartree" in warning for warning in self.warnings)

    def hartree_fock_log(self) -> None:
        c = self.cursor
        c.expect(_HF_HEADER, "the line 'Hartree-Fock Iteration for'")
        c.expect_blank()
        while not _LEVELS_TITLE.fullmatch(self.next_line("the results")):
            if (update := _HF_UPDATE.fullmatch(c.peek() or "")) is not None:
                c.index += 1
                self.label(update[1])
                self.number(_fields.real, update[2])
                self.number(_fields.integer, update[5])
                self.hf_updates += 1
            else:
                self.log_line("the Hartree-Fock log")

    def next_line(self, what: str) -> str:
        line = self.cursor.peek()
        if line is None:
            raise Lines.End(what)
        return line

    def log_line(self, where: str) -> None:
        """A line a log may hold besides its own: an empty line, a warning or a Wronskian table."""
        c = self.cursor
        line = c.peek() or ""
        c.index += 1
        if line == "":
            return
        if _WARNING.fullmatch(line):
            self.warnings.append(line.strip())
            return
        if _WRONSKIAN_TITLE.fullmatch(line):
            self.warnings.append(line.strip().rstrip(" :"))
            while c.peek() is not None and (row := _WRONSKIAN_ROW.fullmatch(c.peek() or "")) is not None:
                c.index += 1
                self.number(_fields.integer, row[1])
                self.number(_fields.real, row[2])
            return
        raise c.error(f"unexpected line in {where}: {line!r}", c.number - 1)

    def results(self) -> None:
        c = self.cursor
        title = c.expect(_LEVELS_TITLE, "the title 'Hartree-Fock Energy Levels for'")
        title_charge = self.number(_fields.integer, title[2])
        if self.nuclear_charge is None:
            self.nuclear_charge = title_charge
        c.expect_blank()
        c.expect(_LEVELS_HEADER, "the energy table header")
        for k, shell in enumerate(self.shells):
            level = c.expect(_LEVEL, f"the energy line of {shell.label}")
            if self.label(level[1])[0] != shell.label:
                raise c.error(f"the energy line of {level[1].strip()} where {shell.label} belongs", c.number - 1)
            self.shells[k] = ReportShell(shell.label, shell.n, shell.l, shell.occupancy,
                                         self.number(_fields.real, level[3]))
        c.expect_blank()
        self.total_energy = self.number(_fields.real, c.expect(_CORE_ENERGY, "the line 'Ehf core'")[1])
        c.expect_blank()
        c.expect(_PRODUCTS, "the scalar products title")
        for l in sorted({shell.l for shell in self.shells if shell.l <= 4}):
            self.overlap_table(l, [shell.label for shell in self.shells if shell.l == l])
        c.expect_blank()
        c.expect_blank()

    def overlap_table(self, l: int, labels: list[str]) -> None:
        c = self.cursor
        c.expect_blank()
        header = c.expect(_OVERLAP_HEADER, f"the overlap table header of l = {l}")
        printed = [group[4:8].strip() for group in re.findall(r"    .{4}> ", header[1])]
        if printed != labels:
            raise c.error(f"an overlap table of {printed} where {labels} belong", c.number - 1)
        deviation = np.zeros((len(labels), len(labels)))
        for row_index, label in enumerate(labels):
            row = c.expect(_OVERLAP_ROW, f"the overlap row of {label}")
            values = [row[2][k:k + 10] for k in range(0, len(row[2]), 10)]
            if row[1].strip() != label or len(values) != row_index + 1:
                raise c.error(f"the overlap row of {label} with {row_index + 1} values expected", c.number - 1)
            for column, text in enumerate(values):
                deviation[row_index, column] = deviation[column, row_index] = self.number(_fields.real, text)
        self.overlaps[l] = OverlapTable(l, tuple(labels), deviation)
