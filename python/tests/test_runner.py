"""Running the program: results, file names, diagnostics, finding the program, one run per directory."""

from __future__ import annotations

import os
import stat
import threading
from pathlib import Path

import pytest

import hfatom
from hfatom.runner import output_names


@pytest.mark.parametrize("symbol, names", [
    ("He", ("He  .out", "He  .dat")),
    ("Helium", ("Heli.out", "Heli.dat")),   # the first four characters
    (" Ne", ("Ne .out", "Ne .dat")),        # leading blanks dropped, inner ones kept
    ("H", ("H   .out", "H   .dat")),
])
def test_output_names(symbol: str, names: tuple[str, str]) -> None:
    assert output_names(symbol) == names


def test_a_run_in_a_directory_of_its_own(executable: Path, tmp_path: Path) -> None:
    result = hfatom.run("Ne", 3, 10, workdir=tmp_path / "neon", executable=executable)
    assert result.status == 0 and result.error is None and result.stderr == ""
    assert sorted(os.listdir(tmp_path / "neon")) == ["Ne  .dat", "Ne  .out"]
    assert result.report.path == tmp_path / "neon" / "Ne  .out" and result.table.path == tmp_path / "neon" / "Ne  .dat"
    assert "Ehf core     -128.54709751" in result.console and result.wall_seconds > 0


def test_a_diagnostic_raises_with_the_programs_message(executable: Path, tmp_path: Path) -> None:
    with pytest.raises(hfatom.ProgramError) as caught:
        hfatom.run("a/b", 1, 2, workdir=tmp_path, executable=executable)
    assert caught.value.status == 2
    assert caught.value.diagnostic.startswith("hfatom: ") and str(caught.value) == caught.value.diagnostic
    assert os.listdir(tmp_path) == []


def test_finding_the_program(tmp_path: Path, monkeypatch: pytest.MonkeyPatch, executable: Path) -> None:
    with pytest.raises(hfatom.ProgramError):
        hfatom.find_executable(tmp_path / "missing")
    monkeypatch.setenv("PATH", str(executable.parent))
    assert hfatom.find_executable() == executable.resolve()       # the source tree has none beside the package
    assert hfatom.find_executable("hfatom") == executable.resolve()
    monkeypatch.setenv("PATH", str(tmp_path))
    with pytest.raises(hfatom.ProgramError):
        hfatom.find_executable()


def slow_program(tmp_path: Path, log: Path) -> Path:
    """A stand-in that logs its start and end around a pause and writes the files of a real run."""
    script = tmp_path / "slow-hfatom"
    data = Path(__file__).resolve().parents[2] / "tests" / "data" / "He"
    script.write_text(f"""#!/bin/sh
echo start >> '{log}'
sleep 0.3
cp '{data}/He  .out' '{data}/He  .dat' .
echo end >> '{log}'
""")
    script.chmod(script.stat().st_mode | stat.S_IXUSR)
    return script


def test_one_run_per_directory_at_a_time(tmp_path: Path) -> None:
    """Three runs started together in one directory follow each other; the lock adds no file."""
    log = tmp_path / "log"
    program = slow_program(tmp_path, log)
    shared = tmp_path / "shared"
    results: list[hfatom.RunResult] = []
    threads = [threading.Thread(target=lambda: results.append(hfatom.run("He", 1, 2, workdir=shared,
                                                                        executable=program)))
               for _ in range(3)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert log.read_text().split() == ["start", "end"] * 3
    assert len(results) == 3 and all(result.report.total_energy == -2.86168 for result in results)
    assert sorted(os.listdir(shared)) == ["He  .dat", "He  .out"]
