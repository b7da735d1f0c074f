"""Running the program on one atom or ion and reading what it wrote."""

from __future__ import annotations

import fcntl
import os
import shutil
import subprocess
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

from .errors import ProgramError
from .report import Report, read_report
from .table import Table, read_table

#: The name of the program on PATH.
PROGRAM = "hfatom"


@dataclass(frozen=True)
class RunResult:
    """One run: its exit status (0 success, 1 the computation failed), standard output and
    error, the report and the orbital table read back (`table` is None for a failed run),
    the directory it ran in and its wall time in seconds."""

    status: int
    console: str
    stderr: str
    report: Report
    table: Table | None
    workdir: Path
    wall_seconds: float

    @property
    def error(self) -> str | None:
        """The report's error line of a failed computation, else None."""
        return self.report.error


def output_names(symbol: str) -> tuple[str, str]:
    """The names of the report and the orbital table of a run: the symbol's first four
    characters (bytes), blank-padded, leading blanks dropped, then .out and .dat."""
    stem = symbol.encode()[:4].ljust(4).lstrip(b" ")
    return os.fsdecode(stem + b".out"), os.fsdecode(stem + b".dat")


def find_executable(executable: str | os.PathLike[str] | None = None) -> Path:
    """The program to run: `executable` when given (a path, or a name looked up on PATH), else
    the one installed beside this package (<prefix>/bin/hfatom for a package installed in
    <prefix>/lib/python3/dist-packages), else hfatom on PATH."""
    if executable is not None:
        candidate = Path(executable)
        if candidate.parent == Path(".") and not candidate.exists():
            found = shutil.which(str(executable))
            candidate = Path(found) if found else candidate
        if not (candidate.is_file() and os.access(candidate, os.X_OK)):
            raise ProgramError(f"{executable} is not an executable program")
        return candidate.resolve()
    package = Path(__file__).resolve().parent
    if len(package.parents) > 3 and package.parents[2].name == "lib":
        beside = package.parents[3] / "bin" / PROGRAM
        if beside.is_file() and os.access(beside, os.X_OK):
            return beside
    found = shutil.which(PROGRAM)
    if found is None:
        raise ProgramError(f"no {PROGRAM} program: none installed beside the package and none on PATH")
    return Path(found).resolve()


def _lock_directory(directory: Path) -> int:
    """Takes the lock that keeps runs through this package out of each other's directory and
    returns its descriptor (close it to release)."""
    identity = directory.stat()
    name = f"hfatom-run-{identity.st_dev}-{identity.st_ino}.lock"
    lock = os.open(Path(tempfile.gettempdir()) / name, os.O_RDWR | os.O_CREAT | os.O_CLOEXEC, 0o666)
    fcntl.flock(lock, fcntl.LOCK_EX)
    return lock


def run(symbol: str, shells: int, charge: int, *, workdir: str | os.PathLike[str] | None = None,
        executable: str | os.PathLike[str] | None = None, timeout: float | None = None) -> RunResult:
    """Runs the program for `symbol` with `shells` shells and nuclear charge `charge` in `workdir`.

    `workdir` is created if needed; None makes a new temporary directory, which is left in
    place with the files. Runs in one directory wait for each other, since they would write
    the same files: an exclusive lock on a file named after the directory's device and inode
    in the system's temporary directory (the program itself locks the directory while it
    installs its files, so a lock on the directory would make it wait for ever). Returns the result of a
    finished or failed computation; raises ProgramError when the program ends with a
    diagnostic (status 2, with its message), a signal or an unknown status, or cannot be
    started, and FormatError when a file it wrote does not read.
    """
    if any(c in symbol for c in "\r\n"):
        raise ValueError("the symbol must be one line")
    program = find_executable(executable)
    directory = Path(tempfile.mkdtemp(prefix="hfatom-")) if workdir is None else Path(workdir)
    directory.mkdir(parents=True, exist_ok=True)
    report_name, table_name = output_names(symbol)
    dialogue = f"{symbol}\n{int(shells)}\n{int(charge)}\n".encode()
    lock = _lock_directory(directory)
    try:
        start = time.perf_counter()
        try:
            done = subprocess.run([str(program)], input=dialogue, cwd=directory, capture_output=True,
                                  timeout=timeout, check=False)
        except subprocess.TimeoutExpired:
            raise ProgramError(f"{program} did not finish within {timeout} s") from None
        except OSError as error:
            raise ProgramError(f"cannot run {program}: {error.strerror}") from None
        wall = time.perf_counter() - start
        stderr = done.stderr.decode(errors="replace")
        if done.returncode not in (0, 1):
            diagnostic = stderr.strip().splitlines()[0] if stderr.strip() else None
            reason = f"status {done.returncode}" if done.returncode >= 0 else f"signal {-done.returncode}"
            raise ProgramError(diagnostic or f"{program} ended with {reason}", done.returncode, diagnostic)
        report = read_report(directory / report_name)
        table = read_table(directory / table_name) if done.returncode == 0 and report.succeeded else None
    finally:
        os.close(lock)
    return RunResult(done.returncode, done.stdout.decode(errors="replace"), stderr, report, table,
                     directory, wall)
