"""A series of atoms and ions run in parallel, with a summary table: hfatom.series and the
command hfatom-series.

Each case runs in its own subdirectory of the output directory, named after the case
(`Ne-3-10`: symbol, shells, nuclear charge). DIR/summary.csv and DIR/summary.json hold one
row per finished case and are rewritten whole (a temporary file renamed) after every case,
so that an interrupted series keeps what it finished and `--resume` runs only the rest.
"""

from __future__ import annotations

import argparse
import csv
import io
import json
import math
import multiprocessing
import os
import re
import signal
import sys
import time
from collections.abc import Callable, Iterable
from dataclasses import dataclass
from pathlib import Path
from typing import Any, TextIO

from . import _gnuplot
from ._files import write_atomic
from .atoms import CLOSED_SHELLS, ELEMENTS, SHELL_ORDER, element, neutral_shells, shell_label
from .errors import HfatomError, ProgramError
from .properties import properties
from .runner import run

SUMMARY_CSV = "summary.csv"
SUMMARY_JSON = "summary.json"
#: Columns before and after the orbital energies, one energy_<label> per shell between them.
LEADING_COLUMNS = ("symbol", "shells", "Z", "ion_charge", "status", "total_energy")
TRAILING_COLUMNS = ("virial_defect", "hartree_iterations", "hf_updates", "wall_seconds", "error")
ENERGY_COLUMNS = tuple(f"energy_{shell_label(n, l)}" for n, l in SHELL_ORDER)


@dataclass(frozen=True)
class Case:
    """One run of a series: the symbol typed, the number of shells and the nuclear charge."""

    symbol: str
    shells: int
    charge: int

    @property
    def name(self) -> str:
        """The case's subdirectory: symbol (characters other than letters, digits, + and -
        replaced by _), shells and nuclear charge."""
        return f"{re.sub(r'[^A-Za-z0-9+-]', '_', self.symbol)}-{self.shells}-{self.charge}"


@dataclass(frozen=True)
class SeriesResult:
    """The summary rows of the series in the order of its cases (finished cases only when it was
    interrupted), and the rows of the failed cases."""

    rows: list[dict[str, Any]]
    interrupted: bool = False

    @property
    def failed(self) -> list[dict[str, Any]]:
        return [row for row in self.rows if row["status"] != 0]


def sequence(shells: int, first: int, last: int) -> list[Case]:
    """The isoelectronic sequence of `shells` shells for Z = first ... last, each named by its
    element (Z<charge> where there is none)."""
    return [Case(element(z) or f"Z{z}", shells, z) for z in range(first, last + 1)]


def atoms(symbols: Iterable[str]) -> list[Case]:
    """Neutral closed-shell atoms by element symbol; ValueError names the ones that are not."""
    cases, unknown = [], []
    for symbol in symbols:
        shells = neutral_shells(symbol)
        if shells is None:
            unknown.append(symbol)
        else:
            cases.append(Case(symbol, shells, ELEMENTS.index(symbol) + 1))
    if unknown:
        allowed = ", ".join(ELEMENTS[z - 1] for z in CLOSED_SHELLS)
        raise ValueError(f"not a closed-shell atom: {', '.join(unknown)} (the closed-shell atoms are {allowed})")
    return cases


def read_cases(path: str | os.PathLike[str]) -> list[Case]:
    """The cases of an input file: lines of `symbol shells charge`; # starts a comment."""
    cases = []
    for number, line in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), start=1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        try:
            if len(words) != 3:
                raise ValueError
            cases.append(Case(words[0], int(words[1]), int(words[2])))
        except ValueError:
            raise ValueError(f"{path}:{number}: expected 'symbol shells charge', found {line.strip()!r}") from None
    return cases


def _run_case(case: Case, directory: str, executable: str | None) -> dict[str, Any]:
    """Runs one case in its directory (in a worker process) and returns its summary row."""
    row: dict[str, Any] = dict.fromkeys(LEADING_COLUMNS + TRAILING_COLUMNS)
    row.update(symbol=case.symbol, shells=case.shells, Z=case.charge)
    try:
        result = run(case.symbol, case.shells, case.charge, workdir=directory, executable=executable)
    except ProgramError as error:
        if error.status == -signal.SIGINT:  # interrupted with the series: not finished
            raise
        row.update(status=error.status if error.status is not None else 2, error=str(error))
        return row
    except HfatomError as error:
        row.update(status=2, error=str(error))
        return row
    report = result.report
    row.update(ion_charge=report.ion_charge, status=result.status, total_energy=report.total_energy,
               hartree_iterations=report.hartree_iterations, hf_updates=report.hf_updates,
               wall_seconds=round(result.wall_seconds, 4), error=result.error)
    for shell in report.shells:
        row[f"energy_{shell.label}"] = shell.energy
    if result.table is not None:
        row["virial_defect"] = properties(result.table, report).virial_defect
    return row


def _worker_start() -> None:
    # Ctrl-C is for the main process, which stops the workers itself.
    signal.signal(signal.SIGINT, signal.SIG_IGN)


def _columns(rows: list[dict[str, Any]]) -> list[str]:
    energies = [column for column in ENERGY_COLUMNS if any(row.get(column) is not None for row in rows)]
    return list(LEADING_COLUMNS) + energies + list(TRAILING_COLUMNS)


def _csv_value(value: Any) -> str:
    if value is None or (isinstance(value, float) and not math.isfinite(value)):
        return ""
    return repr(value) if isinstance(value, float) else str(value)


def write_summary(directory: Path, rows: list[dict[str, Any]]) -> None:
    """Writes DIR/summary.csv and DIR/summary.json, each whole or not at all."""
    columns = _columns(rows)
    out = io.StringIO()
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(columns)
    writer.writerows([_csv_value(row.get(column)) for column in columns] for row in rows)
    write_atomic(directory / SUMMARY_CSV, out.getvalue())
    plain = [{column: (None if isinstance(row.get(column), float) and not math.isfinite(row[column])
                       else row.get(column)) for column in columns} for row in rows]
    write_atomic(directory / SUMMARY_JSON, json.dumps(plain, indent=1) + "\n")


def read_summary(directory: str | os.PathLike[str]) -> list[dict[str, Any]]:
    """The rows of DIR/summary.json (none when there is no summary yet)."""
    path = Path(directory) / SUMMARY_JSON
    return json.loads(path.read_text()) if path.exists() else []


def series(cases: Iterable[Case | tuple[str, int, int]], out: str | os.PathLike[str], *, jobs: int | None = None,
           resume: bool = False, executable: str | os.PathLike[str] | None = None,
           progress: Callable[[dict[str, Any], int, int], None] | None = None) -> SeriesResult:
    """Runs the cases in `jobs` worker processes (default: the number of cores), each in its own
    subdirectory of `out`, and writes the summary after every case.

    `out` must be new or empty unless `resume` is set, which keeps the rows of the cases its
    summary already holds and runs the rest. `progress(row, done, total)` is called as each
    case finishes. On Ctrl-C the workers are stopped and the result holds the finished cases
    with `interrupted` set. Raises ValueError for a case listed twice or a refused directory.
    """
    cases = [case if isinstance(case, Case) else Case(*case) for case in cases]
    names = [case.name for case in cases]
    twice = sorted({name for name in names if names.count(name) > 1})
    if twice:
        raise ValueError(f"cases listed more than once: {', '.join(twice)}")
    directory = Path(out)
    if directory.exists() and any(directory.iterdir()) and not resume:
        raise ValueError(f"{directory} exists and is not empty (--resume to finish an interrupted series)")
    directory.mkdir(parents=True, exist_ok=True)
    key = lambda row: (row["symbol"], row["shells"], row["Z"])  # noqa: E731
    done = {key(row): row for row in read_summary(directory)} if resume else {}
    finished = {case.name: done[(case.symbol, case.shells, case.charge)] for case in cases
                if (case.symbol, case.shells, case.charge) in done}
    pending = [case for case in cases if case.name not in finished]
    program = None if executable is None else os.fspath(Path(executable).resolve())

    def ordered() -> list[dict[str, Any]]:
        return [finished[case.name] for case in cases if case.name in finished]

    write_summary(directory, ordered())
    interrupted = False
    workers = max(1, min(jobs or os.cpu_count() or 1, len(pending) or 1))
    context = multiprocessing.get_context("fork")
    pool = context.Pool(workers, initializer=_worker_start)
    try:
        tasks = [(case, os.fspath(directory / case.name), program) for case in pending]
        for row in pool.imap_unordered(_run_task, tasks):
            if row is None:  # the program was interrupted: the case is not finished
                continue
            name = Case(row["symbol"], row["shells"], row["Z"]).name
            finished[name] = row
            write_summary(directory, ordered())
            if progress is not None:
                progress(row, len(finished), len(cases))
        pool.close()
    except KeyboardInterrupt:
        interrupted = True
        pool.terminate()
    finally:
        pool.join()
    return SeriesResult(ordered(), interrupted or len(finished) < len(cases))


def _run_task(task: tuple[Case, str, str | None]) -> dict[str, Any] | None:
    """A case's row, or None when its run was interrupted by Ctrl-C."""
    try:
        return _run_case(*task)
    except ProgramError:
        return None


def plot_script(rows: list[dict[str, Any]], picture: str, by_atom: bool) -> str:
    """The gnuplot script of -epsilon (hartree, logarithmic axis) of every shell against Z, or
    against the atom (one tick per case) when `by_atom`; one labelled line per shell."""
    succeeded = [row for row in rows if row["status"] == 0]
    shells = [column for column in ENERGY_COLUMNS if any(row.get(column) is not None for row in succeeded)]
    lines = [
        "set encoding utf8", _gnuplot.PNG_TERMINAL,
        f"set output {_gnuplot.quoted(picture)}",
        "set title 'Hartree-Fock orbital energies'",
        "set logscale y", "set format y '10^{%L}'",
        "set ylabel '−ε (hartree)'",
        "set grid xtics ytics linecolor rgb '#dddddd'",
        "set key outside right top Left reverse box samplen 3 spacing 1.2",
    ]
    if by_atom:
        ticks = ", ".join(f"{_gnuplot.quoted(row['symbol'])} {k}" for k, row in enumerate(succeeded))
        lines += [f"set xtics ({ticks})", f"set xrange [-0.5:{len(succeeded) - 0.5}]", "set xlabel 'atom'"]
    else:
        lines += ["set xlabel 'Z'", "set xtics nomirror"]
    plots = []
    for k, column in enumerate(shells, start=1):
        lines.append(f"$shell{k} << EOD")
        for index, row in enumerate(succeeded):
            energy = row.get(column)
            if energy is not None and energy < 0:
                lines.append(f"{index if by_atom else row['Z']} {-energy:.10e}")
        lines.append("EOD")
        plots.append(f"$shell{k} using 1:2 with linespoints linecolor {(k - 1) % 8 + 1} dashtype {(k - 1) // 8 + 1} "
                     f"pointtype 7 pointsize 0.6 linewidth 2 title {_gnuplot.quoted(column[len('energy_'):])}")
    lines.append("plot " + ", \\\n     ".join(plots))
    return "\n".join(lines) + "\n"


class _Progress:
    """Progress on a terminal (a bar redrawn in place), one line per case elsewhere, or nothing."""

    def __init__(self, stream: TextIO, total: int, quiet: bool) -> None:
        self.stream, self.total, self.quiet = stream, total, quiet
        self.terminal = stream.isatty()
        self.start = time.monotonic()
        self.failed = 0
        self.ran = 0

    def __call__(self, row: dict[str, Any], done: int, total: int) -> None:
        self.failed += row["status"] != 0
        self.ran += 1
        if self.quiet:
            return
        elapsed = time.monotonic() - self.start
        if self.terminal:
            remaining = elapsed / self.ran * (total - done)
            width = 30
            filled = width * done // total
            self.stream.write(f"\r[{'#' * filled}{'.' * (width - filled)}] {done}/{total} done, {self.failed} failed, "
                              f"{elapsed:.1f} s elapsed, {remaining:.1f} s remaining ")
            if done == total:
                self.stream.write("\n")
        else:
            name = Case(row["symbol"], row["shells"], row["Z"]).name
            outcome = (f"E = {row['total_energy']!r} hartree" if row["status"] == 0
                       else f"failed: {row['error']}")
            self.stream.write(f"{done}/{total} {name}: {outcome} ({row['wall_seconds'] or 0:.2f} s)\n")
        self.stream.flush()


def _charge_range(text: str) -> tuple[int, int]:
    match = re.fullmatch(r"(-?\d+):(-?\d+)", text)
    if match is None or int(match[1]) > int(match[2]):
        raise argparse.ArgumentTypeError(f"{text!r} is not A:B with A <= B")
    return int(match[1]), int(match[2])


def _positive(text: str) -> int:
    if not text.isdigit() or int(text) < 1:
        raise argparse.ArgumentTypeError(f"{text!r} is not a positive number")
    return int(text)


def main(argv: list[str] | None = None) -> int:
    parser = argparse.ArgumentParser(
        prog="hfatom-series",
        description="Runs a series of atoms and ions with hfatom in parallel, each in its own subdirectory of "
                    "--out, and writes DIR/summary.csv and DIR/summary.json. Exit status: 0 when every case "
                    "succeeded, 1 when a computation failed, 2 for refused arguments, 130 when interrupted.")
    what = parser.add_argument_group("what to run (one of)")
    what.add_argument("--shells", type=int, metavar="N", help="with --charge: the isoelectronic sequence of N shells")
    what.add_argument("--charge", type=_charge_range, metavar="A:B", help="with --shells: Z = A ... B")
    what.add_argument("--atoms", metavar="LIST", help="neutral closed-shell atoms by symbol, e.g. He,Ne,Ar")
    what.add_argument("--input", metavar="FILE", help="lines of 'symbol shells charge' (# comments)")
    parser.add_argument("--out", required=True, metavar="DIR", help="the series' directory (new or empty)")
    parser.add_argument("--resume", action="store_true", help="keep the finished cases of DIR and run the rest")
    parser.add_argument("--jobs", type=_positive, default=os.cpu_count() or 1, help="worker processes (default: cores)")
    parser.add_argument("--quiet", action="store_true", help="no progress")
    parser.add_argument("--plot", metavar="FILE.png", help="draw -ε of every shell against Z or the atom (gnuplot)")
    parser.add_argument("--executable", metavar="PATH", help="the program (default: beside the package, else PATH)")
    args = parser.parse_args(argv)
    chosen = [args.charge is not None or args.shells is not None, args.atoms is not None, args.input is not None]
    if sum(chosen) != 1:
        parser.error("give one of --shells N --charge A:B, --atoms LIST or --input FILE")
    try:
        if chosen[0]:
            if args.shells is None or args.charge is None:
                parser.error("--shells and --charge go together")
            cases = sequence(args.shells, *args.charge)
        elif chosen[1]:
            cases = atoms(symbol.strip() for symbol in args.atoms.split(",") if symbol.strip())
        else:
            cases = read_cases(args.input)
        if not cases:
            parser.error("no cases to run")
        progress = _Progress(sys.stdout, len(cases), args.quiet)
        result = series(cases, args.out, jobs=args.jobs, resume=args.resume, executable=args.executable,
                        progress=progress)
    except (ValueError, OSError) as error:
        print(f"hfatom-series: {error}", file=sys.stderr)
        return 2
    for row in result.failed:
        print(f"failed: {Case(row['symbol'], row['shells'], row['Z']).name}: {row['error']}", file=sys.stderr)
    if result.interrupted:
        print(f"hfatom-series: interrupted after {len(result.rows)} of {len(cases)} cases; "
              f"--resume finishes the series", file=sys.stderr)
        return 130
    if not args.quiet:
        print(f"{len(cases)} cases: {len(cases) - len(result.failed)} succeeded, {len(result.failed)} failed, "
              f"{time.monotonic() - progress.start:.1f} s; summary in {Path(args.out) / SUMMARY_CSV}")
    if args.plot:
        try:
            _gnuplot.draw(plot_script(result.rows, args.plot, by_atom=not chosen[0]), args.plot)
        except RuntimeError as error:
            print(f"hfatom-series: {error}", file=sys.stderr)
            return 1
    return 1 if result.failed else 0


if __name__ == "__main__":
    sys.exit(main())
