"""hfatom-series: sequences against single runs, failures, resume after an interruption,
refused arguments and the plot."""

from __future__ import annotations

import contextlib
import io
import json
import os
import signal
import subprocess
import sys
import time
from pathlib import Path

import pytest

import hfatom
from hfatom import batch as series

PYTHON_PATH = str(Path(__file__).resolve().parents[1])


def command(*args: str) -> tuple[int, str, str]:
    """hfatom-series run in this process: status, standard output, standard error."""
    out, err = io.StringIO(), io.StringIO()
    with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
        try:
            status = series.main(list(args))
        except SystemExit as exit:  # argparse's refusals
            status = exit.code
    return status, out.getvalue(), err.getvalue()


def test_a_sequence_agrees_with_single_runs(executable: Path, tmp_path: Path) -> None:
    """F-, Ne, Na+, Mg2+ in two workers: every row is what a separate run of the case reports."""
    result = hfatom.series(series.sequence(3, 9, 12), tmp_path / "series", jobs=2, executable=executable)
    assert not result.interrupted and not result.failed
    assert [row["symbol"] for row in result.rows] == ["F", "Ne", "Na", "Mg"]
    assert json.loads((tmp_path / "series" / "summary.json").read_text()) == result.rows
    for row in result.rows:
        single = hfatom.run(row["symbol"], 3, row["Z"], workdir=tmp_path / "single" / row["symbol"],
                            executable=executable)
        report = single.report
        assert (row["status"], row["ion_charge"], row["total_energy"]) == (0, row["Z"] - 10, report.total_energy)
        assert [row[f"energy_{shell.label}"] for shell in report.shells] == [s.energy for s in report.shells]
        assert (row["hartree_iterations"], row["hf_updates"]) == (report.hartree_iterations, report.hf_updates)
        assert row["virial_defect"] == hfatom.properties(single.table, report).virial_defect
        assert (tmp_path / "series" / f"{row['symbol']}-3-{row['Z']}" / f"{row['symbol']:<4}.out").is_file()
    header = (tmp_path / "series" / "summary.csv").read_text().splitlines()[0]
    assert header == ("symbol,shells,Z,ion_charge,status,total_energy,energy_1s,energy_2s,energy_2p,"
                      "virial_defect,hartree_iterations,hf_updates,wall_seconds,error")


def test_a_failing_case_is_reported_and_counted(executable: Path, tmp_path: Path) -> None:
    """H- between He and Be does not bind: listed with its error line, exit status 1."""
    cases = tmp_path / "cases.txt"
    cases.write_text("# two atoms and an anion\nHe 1 2\nH 1 1   # H-\n\nBe 2 4\n")
    status, out, err = command("--input", str(cases), "--out", str(tmp_path / "out"), "--jobs", "2",
                               "--executable", str(executable))
    assert status == 1
    assert "failed: H-1-1: Error in pickup: too many iterations" in err
    assert len([line for line in out.splitlines() if line.startswith(("1/3", "2/3", "3/3"))]) == 3
    assert "3 cases: 2 succeeded, 1 failed" in out
    rows = series.read_summary(tmp_path / "out")
    assert [(row["symbol"], row["status"]) for row in rows] == [("He", 0), ("H", 1), ("Be", 0)]
    assert rows[1]["total_energy"] is None and rows[1]["error"] == "Error in pickup: too many iterations"
    summary = (tmp_path / "out" / "summary.csv").read_text().splitlines()
    assert summary[2].startswith("H,1,1,-1,1,,") and summary[2].endswith(",Error in pickup: too many iterations")
    status, out, _ = command("--atoms", "He", "--out", str(tmp_path / "quiet"), "--quiet", "--executable", str(executable))
    assert (status, out) == (0, "")


def comparable(directory: Path) -> list[dict]:
    """The summary without the wall times, which differ from run to run."""
    return [{key: value for key, value in row.items() if key != "wall_seconds"} for row in series.read_summary(directory)]


@pytest.mark.parametrize("stop", [signal.SIGINT, signal.SIGKILL])
def test_an_interrupted_series_resumes_to_the_same_summary(executable: Path, tmp_path: Path, stop: int) -> None:
    """Stopped after a few cases (Ctrl-C, or killed outright), resumed, it gives the summary of a
    series that ran through."""
    arguments = ["--shells", "3", "--charge", "8:19", "--jobs", "1", "--executable", str(executable), "--quiet"]
    whole = tmp_path / "whole"
    assert command(*arguments, "--out", str(whole))[0] == 1  # O2- does not bind
    interrupted = tmp_path / "interrupted"
    environment = dict(os.environ, PYTHONPATH=PYTHON_PATH)
    process = subprocess.Popen([sys.executable, "-m", "hfatom", "series", *arguments, "--out", str(interrupted)],
                               env=environment, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 30
    while len(series.read_summary(interrupted) if (interrupted / "summary.json").exists() else []) < 3:
        assert time.monotonic() < deadline and process.poll() is None
        time.sleep(0.01)
    process.send_signal(stop)
    _, err = process.communicate(timeout=30)
    finished = comparable(interrupted)
    assert 3 <= len(finished) < 12 and finished == comparable(whole)[:len(finished)]
    if stop == signal.SIGINT:
        assert process.returncode == 130 and "--resume finishes the series" in err
    assert command(*arguments, "--out", str(interrupted))[0] == 2  # not without --resume
    assert command(*arguments, "--out", str(interrupted), "--resume")[0] == 1
    assert comparable(interrupted) == comparable(whole)


@pytest.mark.parametrize("arguments, message", [
    ([], "give one of"),
    (["--atoms", "He,Li,Na"], "not a closed-shell atom: Li, Na (the closed-shell atoms are He, Be, Ne, Mg, Ar, Ni, Zn, "
                              "Kr, Pd, Cd, Xe)"),
    (["--shells", "3"], "--shells and --charge go together"),
    (["--shells", "3", "--charge", "12:10"], "is not A:B with A <= B"),
    (["--atoms", "He", "--input", "x"], "give one of"),
    (["--atoms", "He", "--jobs", "0"], "is not a positive number"),
    (["--input", "{cases}"], "cases.txt:2: expected 'symbol shells charge'"),
    (["--input", "{twice}"], "cases listed more than once: He-1-2"),
    (["--atoms", "He", "--out", "{full}"], "exists and is not empty"),
])
def test_refused_arguments(tmp_path: Path, arguments: list[str], message: str) -> None:
    (tmp_path / "cases.txt").write_text("He 1 2\nNe three 10\n")
    (tmp_path / "twice.txt").write_text("He 1 2\nHe 1 2\n")
    (tmp_path / "full").mkdir()
    (tmp_path / "full" / "something").write_text("")
    names = {"cases": tmp_path / "cases.txt", "twice": tmp_path / "twice.txt", "full": tmp_path / "full"}
    arguments = [argument.format(**names) for argument in arguments]
    if "--out" not in arguments:
        arguments += ["--out", str(tmp_path / "out")]
    status, _, err = command(*arguments)
    assert status == 2 and message in err
    assert not (tmp_path / "out").exists() or not any((tmp_path / "out").iterdir())


@pytest.mark.gnuplot
@pytest.mark.parametrize("what", [["--atoms", "He,Ne,Ar"], ["--shells", "1", "--charge", "2:6"]])
def test_the_plot_is_a_png(executable: Path, tmp_path: Path, what: list[str]) -> None:
    picture = tmp_path / "energies.png"
    status, _, _ = command(*what, "--out", str(tmp_path / "out"), "--plot", str(picture), "--quiet",
                           "--executable", str(executable))
    assert status == 0 and picture.read_bytes().startswith(b"\x89PNG\r\n\x1a\n")
