"""The report and orbital table readers: the reference runs, every example, ions, failed runs,
asterisk fields and broken files."""

from __future__ import annotations

import math
import shutil
from pathlib import Path

import pytest

import hfatom
from hfatom import _fields
from conftest import reference


@pytest.mark.parametrize("text, value", [
    ("-3.27724428D+01", -32.7724428),
    (" 2.39793952D-06", 2.39793952e-06),
    (" 1.00000000-120", 1e-120),         # three-digit exponent: no letter
    ("-9.99999999+100", -9.99999999e100),
    ("   5.0E-01", 0.5),
    ("     -128.54709751", -128.54709751),
    ("-.500", -0.5),                     # no room for the 0
    ("      NaN", math.nan),
    ("-Infinity", -math.inf),
    ("***", math.nan),                   # overflowed its width
])
def test_real_fields(text: str, value: float) -> None:
    assert _fields.real(text) == pytest.approx(value, rel=1e-15, nan_ok=True)


@pytest.mark.parametrize("text", ["1.0D+1", "1.0D+001", "-3.2772442 D+01", "1.5 ", "", "x", "1,5", "**-*"])
def test_fields_that_are_not_numbers(text: str) -> None:
    with pytest.raises(_fields.FieldError):
        _fields.real(text)


@pytest.mark.parametrize("text, value", [("  12", 12), ("-999", -999), ("****", None)])
def test_integer_fields(text: str, value: int | None) -> None:
    assert _fields.integer(text) == value


# Values as printed in the reference files of tests/data.
REFERENCE_VALUES = {
    "He": dict(z=2, total=-2.86168000, shells=[("1s", 2, -0.917956)], hartree=43, updates=16,
               table=[("1s", -9.17955564e-01, 1000)], overlap={0: [[-3.2e-13]]}),
    "Ne": dict(z=10, total=-128.54709751, shells=[("1s", 2, -32.772443), ("2s", 2, -1.930391), ("2p", 6, -0.850410)],
               hartree=62, updates=84, table=[("1s", -3.27724428e+01, 854), ("2s", -1.93039086, 982),
                                              ("2p", -8.50409628e-01, 1000)],
               overlap={0: [[6.5e-12, 3.3e-10], [3.3e-10, 2.6e-14]], 1: [[3.8e-15]]}),
}


@pytest.mark.parametrize("symbol", sorted(REFERENCE_VALUES))
def test_reference_files(symbol: str) -> None:
    expected = REFERENCE_VALUES[symbol]
    report = hfatom.read_report(reference(symbol, ".out"))
    assert (report.symbol, report.nuclear_charge, report.electrons, report.ion_charge) == \
        (symbol, expected["z"], expected["z"], 0)
    assert report.total_energy == expected["total"] and report.error is None
    assert [(s.label, s.occupancy, s.energy) for s in report.shells] == expected["shells"]
    assert (report.hartree_iterations, report.hartree_converged, report.hf_updates) == \
        (expected["hartree"], True, expected["updates"])
    assert {l: t.deviation.tolist() for l, t in report.overlaps.items()} == expected["overlap"]
    assert report.grid.step == pytest.approx(0.01192, abs=5e-6)
    table = hfatom.read_table(reference(symbol, ".dat"))
    assert [(s.label, s.energy, s.extent) for s in table.shells] == expected["table"]
    assert table.r[0] == 0.0 and table.r[1] == pytest.approx(2.39793952e-06, rel=5e-9)
    assert table.r[-1] == pytest.approx(2.96443706e+01, rel=5e-9)


def printed_results(console: str) -> tuple[list[tuple[str, int, float]], float]:
    """The energy lines and the core energy of the console's results, split on blanks (not by columns)."""
    lines = console.splitlines()
    start = lines.index("  Shell  #el        Energy") + 1
    shells = []
    for line in lines[start:]:
        if not line.strip():
            break
        label, electrons, energy = line.split()
        shells.append((label, int(electrons), float(energy)))
    core = next(float(line.split()[-1]) for line in lines if "Ehf core" in line)
    return shells, core


def test_every_example_reads_as_printed(example_runs: dict[str, hfatom.RunResult]) -> None:
    """The report read back agrees with the results as the console prints them, and the table's
    energies (nine significant digits) agree with the report's (six decimals)."""
    assert len(example_runs) == 11
    for symbol, result in example_runs.items():
        shells, core = printed_results(result.console)
        report = result.report
        assert [(s.label, s.occupancy, s.energy) for s in report.shells] == shells, symbol
        assert report.total_energy == core and report.symbol == symbol
        assert report.ion_charge == (1 if symbol == "Cu+" else 0)
        for shell, row in zip(report.shells, result.table.shells):
            assert row.label == shell.label
            assert abs(row.energy - shell.energy) <= 5e-7 + 5e-9 * abs(shell.energy), (symbol, shell.label)
        assert set(report.overlaps) == {s.l for s in report.shells}


@pytest.mark.parametrize("symbol, shells, charge, error", [
    ("H", 1, 1, "Error in pickup: too many iterations"),                      # H-: does not bind
    ("F", 3, 7, "Error in insch: eau ="),                                       # N3-: an energy above zero
    ("Y", 12, 20, "Error in enclab: principal quantum number out of range"),   # beyond 5p
    ("S", 31, 3, "Too many input orbitals !!  shell dim =   30"),
])
def test_failed_runs(executable: Path, tmp_path: Path, symbol: str, shells: int, charge: int, error: str) -> None:
    result = hfatom.run(symbol, shells, charge, workdir=tmp_path, executable=executable)
    assert result.status == 1 and result.table is None
    assert result.error.startswith(error) and not result.report.succeeded
    assert result.report.total_energy is None and not result.report.overlaps
    assert all(shell.energy is None for shell in result.report.shells)
    assert result.report.nuclear_charge == charge
    if "computation failed" in result.stderr:  # the program's stderr line, where it writes one
        assert result.error in result.stderr


def test_an_ion_and_an_asterisk_charge(executable: Path, tmp_path: Path) -> None:
    """Na+ (10 electrons, Z = 11); Z = 1000 overflows the results title's width (Z =***) and is
    taken from the input echo."""
    sodium = hfatom.run("Na", 3, 11, workdir=tmp_path / "na", executable=executable)
    assert (sodium.report.electrons, sodium.report.ion_charge) == (10, 1)
    heavy = hfatom.run("Big", 1, 1000, workdir=tmp_path / "big", executable=executable)
    assert "Z =***" in heavy.console
    assert heavy.report.nuclear_charge == 1000 and heavy.report.ion_charge == 998


def broken(tmp_path: Path, source: Path, edit) -> Path:  # type: ignore[no-untyped-def]
    """A copy of `source` changed by `edit` (bytes -> bytes)."""
    target = tmp_path / source.name
    target.write_bytes(edit(source.read_bytes()))
    return target


def cut_lines(count: int):  # type: ignore[no-untyped-def]
    return lambda data: b"".join(data.splitlines(keepends=True)[:count])


def replace_line(number: int, text: bytes):  # type: ignore[no-untyped-def]
    def edit(data: bytes) -> bytes:
        lines = data.splitlines(keepends=True)
        lines[number - 1] = text + b"\r\n"
        return b"".join(lines)
    return edit


@pytest.mark.parametrize("reader, suffix, edit, line, message", [
    ("report", ".out", cut_lines(5), 6, "ends before"),                           # in the input echo
    ("report", ".out", cut_lines(100), 101, "ends before the Hartree-Fock"),      # in the Hartree log
    ("report", ".out", cut_lines(420), 421, "ends before"),                       # in the results
    ("report", ".out", lambda data: data[:-7], 430, "middle of a line"),
    ("report", ".out", replace_line(8, b" r0 =   0.00020     h=   0.02000"), 8, "grid"),
    ("report", ".out", replace_line(421, b"   Ehf core     -128.5470975x"), 421, "not a number"),
    ("report", ".out", replace_line(59, b"  loop   X   rel-err =  1.2E-01"), 59, "not an integer"),
    ("report", ".out", lambda data: data + b"extra\r\n", 433, "after the end"),
    ("table", ".dat", cut_lines(1500), 1501, "ends inside"),
    ("table", ".dat", replace_line(1, b" n  l"), 1, "header"),
    ("table", ".dat", replace_line(3, b" 1  0  854   1s   -3.27724428D+01    2   2.39793952D-06   1.45690024Q-04"),
     3, "not a number"),
    ("table", ".dat", replace_line(7, b" 1  0  854   1s   -3.27724428D+01    6   2.40000000D-06   1.45690024D-04"),
     7, "radius"),
    ("table", ".dat", replace_line(1002, b""), 1002, "line of one blank"),
])
def test_broken_files(tmp_path: Path, reader: str, suffix: str, edit, line: int, message: str) -> None:  # type: ignore[no-untyped-def]
    path = broken(tmp_path, reference("Ne", suffix), edit)
    read = hfatom.read_report if reader == "report" else hfatom.read_table
    with pytest.raises(hfatom.FormatError) as caught:
        read(path)
    assert (caught.value.path, caught.value.line) == (str(path), line)
    assert message in caught.value.message and f"{path}:{line}:" in str(caught.value)


def test_line_feeds_alone_and_asterisk_values(tmp_path: Path) -> None:
    """A copy with LF line ends reads the same; a P field of asterisks reads as NaN."""
    lf = broken(tmp_path, reference("Ne", ".out"), lambda data: data.replace(b"\r\n", b"\n"))
    assert hfatom.read_report(lf).shells == hfatom.read_report(reference("Ne", ".out")).shells
    stars = broken(tmp_path, reference("Ne", ".dat"),
                   replace_line(3, b" 1  0  854   1s   -3.27724428D+01    2   2.39793952D-06  " + b"*" * 15))
    p = hfatom.read_table(stars).shells[0].p
    assert math.isnan(p[1]) and p[2] == 2.93119715e-04


def test_the_reader_raises_on_a_report_given_as_table() -> None:
    with pytest.raises(hfatom.FormatError) as caught:
        hfatom.read_table(reference("He", ".out"))
    assert caught.value.line == 1
