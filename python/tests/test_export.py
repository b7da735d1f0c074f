"""The JSON and CSV exports and the command hfatom-export."""

from __future__ import annotations

import csv
import json
import os
import shutil
from pathlib import Path

import numpy as np
import pytest

import hfatom
from hfatom import export
from conftest import reference


def test_json_holds_the_readers_and_the_properties() -> None:
    report, table = hfatom.read_report(reference("Ne", ".out")), hfatom.read_table(reference("Ne", ".dat"))
    document = json.loads(export.json_text(hfatom.to_json(report, table)))
    assert document["program"] == {"name": "hfatom", "version": hfatom.__version__}
    assert (document["element"], document["nuclear_charge"], document["ion_charge"]) == ("Ne", 10, 0)
    assert document["total_energy"] == -128.54709751 and document["succeeded"] and document["error"] is None
    assert [(s["label"], s["energy"], s["table_energy"], s["extent"]) for s in document["shells"]] == \
        [("1s", -32.772443, -32.7724428, 854), ("2s", -1.930391, -1.93039086, 982), ("2p", -0.85041, -0.850409628, 1000)]
    assert document["overlaps"]["0"]["deviation"] == [[6.5e-12, 3.3e-10], [3.3e-10, 2.6e-14]]
    assert document["table"]["p"]["2p"] == table.shell("2p").p.tolist() and len(document["table"]["r"]) == 1000
    properties = hfatom.properties(table, report)
    assert document["properties"]["kinetic_energy"] == properties.kinetic_energy
    assert document["properties"]["expectation"]["2p"]["1"] == properties.expectation["2p"][1]
    assert document["hf_updates"] == 84 and document["hartree_iterations"] == 62


def test_json_of_a_failed_run_and_of_asterisk_values(tmp_path: Path) -> None:
    """A failed run has its error and no results; NaN (an asterisk field) becomes null."""
    failed = tmp_path / "H   .out"
    lines = reference("He", ".out").read_bytes().split(b"\r\n")
    start = lines.index(b"    Hartree-Fock Iteration for He  ")
    failed.write_bytes(b"\r\n".join(lines[:start + 2] + [b"  Error in pickup: too many iterations",
                                                          b"  Error exit in HF Program", b""]))
    document = hfatom.to_json(hfatom.read_report(failed))
    assert document["succeeded"] is False and document["error"] == "Error in pickup: too many iterations"
    assert document["total_energy"] is None and "properties" not in document and "table" not in document
    assert export._plain({"a": float("nan"), "b": np.array([1.0, np.inf])}) == {"a": None, "b": [1.0, None]}


def test_csv_has_r_and_each_shells_orbital() -> None:
    table = hfatom.read_table(reference("Ne", ".dat"))
    rows = list(csv.reader(hfatom.to_csv(table).splitlines()))
    assert rows[0] == ["r", "1s", "2s", "2p"] and len(rows) == 1001
    values = np.array(rows[1:], dtype=float)
    np.testing.assert_array_equal(values[:, 0], table.r)
    one_s = table.shell("1s")
    np.testing.assert_array_equal(values[:854, 1], one_s.p[:854])
    assert not values[854:, 1].any()  # beyond the shell's extent


def command(*args: str) -> tuple[int, str]:
    """hfatom-export's status and standard error."""
    import contextlib
    import io
    errors = io.StringIO()
    with contextlib.redirect_stderr(errors):
        status = export.main(list(args))
    return status, errors.getvalue()


def test_the_export_command(tmp_path: Path, executable: Path) -> None:
    run = tmp_path / "Ne"
    shutil.copytree(reference("Ne", ".out").parent, run)
    status, _ = command(str(run / "Ne  .out"), "--json", str(tmp_path / "ne.json"), "--csv", str(tmp_path / "ne.csv"))
    assert status == 0 and json.loads((tmp_path / "ne.json").read_text())["properties"]["virial_ratio"] > 1.99
    assert (tmp_path / "ne.csv").read_text().startswith("r,1s,2s,2p\n")
    assert not [name for name in os.listdir(tmp_path) if name.endswith(".tmp")]
    # Z = 130 is no element: the JSON is written, the QCSchema refused with the reason.
    heavy = hfatom.run("Uh", 1, 130, workdir=tmp_path / "heavy", executable=executable)
    status, message = command(str(heavy.report.path), "--json", str(tmp_path / "uh.json"),
                              "--qcschema", str(tmp_path / "uh.qcschema.json"))
    assert status == 1 and "Z = 130 is no element" in message
    assert json.loads((tmp_path / "uh.json").read_text())["element"] is None
    assert not (tmp_path / "uh.qcschema.json").exists()
    # A file that does not read: status 2 and the file and line.
    status, message = command(str(reference("Ne", ".dat")))
    assert status == 2 and "Ne  .dat:1:" in message


def test_the_version_is_the_projects() -> None:
    """CTest passes the CMake project version; without one set, the release is 1.0.0."""
    assert hfatom.__version__ == (os.environ.get("HFATOM_PROJECT_VERSION") or "1.0.0")
