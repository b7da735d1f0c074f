"""The QCSchema AtomicResult export, validated by qcelemental."""

from __future__ import annotations

from pathlib import Path

import pytest

import hfatom
from conftest import reference

qcelemental = pytest.importorskip("qcelemental", reason="qcelemental is not installed (python3-qcelemental)")
pytestmark = pytest.mark.qcschema


@pytest.mark.parametrize("symbol", ["He", "Ne", "Ar"])
def test_reference_atoms_validate(symbol: str) -> None:
    report, table = hfatom.read_report(reference(symbol, ".out")), hfatom.read_table(reference(symbol, ".dat"))
    props = hfatom.properties(table, report)
    result = qcelemental.models.AtomicResult(**hfatom.to_qcschema(report, props))
    assert result.success and result.driver == "energy" and result.model.method == "hf"
    assert result.molecule.symbols.tolist() == [symbol] and result.molecule.molecular_charge == 0
    assert result.return_result == report.total_energy == result.properties.return_energy
    parts = result.properties.scf_one_electron_energy + result.properties.scf_two_electron_energy
    assert parts == pytest.approx(report.total_energy, abs=1e-9)


@pytest.mark.parametrize("symbol, shells, charge, ion", [("Na", 3, 11, 1), ("F", 3, 9, -1), ("H", 1, 1, -1)])
def test_ions_and_a_failed_run_validate(executable: Path, tmp_path: Path, symbol: str, shells: int, charge: int,
                                        ion: int) -> None:
    run = hfatom.run(symbol, shells, charge, workdir=tmp_path, executable=executable)
    props = hfatom.properties(run.table, run.report) if run.table is not None else None
    result = qcelemental.models.AtomicResult(**hfatom.to_qcschema(run.report, props))
    assert result.molecule.molecular_charge == ion and result.molecule.molecular_multiplicity == 1
    assert result.success == run.report.succeeded
    if not result.success:  # H-: the anion does not bind
        assert result.error.error_message == "Error in pickup: too many iterations"
