"""Exports a run as JSON, as a QCSchema AtomicResult and as CSV; the command hfatom-export."""

from __future__ import annotations

import argparse
import csv
import io
import json
import math
import os
import sys
from pathlib import Path
from typing import Any

import numpy as np

from . import __version__
from ._files import write_atomic
from .atoms import element
from .errors import HfatomError
from .properties import Properties, properties
from .report import Report, read_report
from .table import Table, read_table


class NoElementError(ValueError):
    """A nuclear charge that no element has (below 1 or above 118): no QCSchema molecule."""


def _plain(value: Any) -> Any:
    """JSON-ready data: arrays as lists, NaN and infinities (fields printed as asterisks) as null."""
    if isinstance(value, dict):
        return {str(key): _plain(item) for key, item in value.items()}
    if isinstance(value, (list, tuple, np.ndarray)):
        return [_plain(item) for item in value]
    if isinstance(value, (float, np.floating)):
        return float(value) if math.isfinite(value) else None
    if isinstance(value, np.integer):
        return int(value)
    if isinstance(value, Path):
        return os.fspath(value)
    return value


def grid_name(report: Report) -> str:
    """The numerical grid, named for the QCSchema basis."""
    grid = report.grid
    if grid is None:
        return "numerical radial grid"
    return f"numerical radial grid: {grid.points} points, r = {grid.r0} (exp(t) - 1) bohr, h = {grid.step!r}"


def to_json(report: Report, table: Table | None = None, props: Properties | None = None) -> dict[str, Any]:
    """Everything the readers return, the properties (computed when there is a table and
    `props` is None) and the program's version, as JSON-ready data."""
    if props is None and table is not None and report.succeeded:
        props = properties(table, report)
    table_shells = {shell.label: shell for shell in table.shells} if table is not None else {}
    document: dict[str, Any] = {
        "program": {"name": "hfatom", "version": __version__},
        "files": {"report": report.path, "table": table.path if table is not None else None},
        "symbol": report.symbol,
        "nuclear_charge": report.nuclear_charge,
        "element": element(report.nuclear_charge) if report.nuclear_charge is not None else None,
        "shell_count": report.shell_count,
        "electrons": report.electrons,
        "ion_charge": report.ion_charge,
        "succeeded": report.succeeded,
        "error": report.error,
        "grid": None if report.grid is None else
        {"r0": report.grid.r0, "step": report.grid.step, "points": report.grid.points},
        "total_energy": report.total_energy,
        "shells": [{"label": s.label, "n": s.n, "l": s.l, "occupancy": s.occupancy, "energy": s.energy,
                    "table_energy": table_shells[s.label].energy if s.label in table_shells else None,
                    "extent": table_shells[s.label].extent if s.label in table_shells else None}
                   for s in report.shells],
        "overlaps": {l: {"labels": t.labels, "deviation": t.deviation} for l, t in report.overlaps.items()},
        "hartree_iterations": report.hartree_iterations,
        "hartree_converged": report.hartree_converged,
        "hf_updates": report.hf_updates,
        "warnings": report.warnings,
    }
    if table is not None:
        document["table"] = {"r": table.r, "p": {shell.label: shell.p for shell in table.shells}}
    if props is not None:
        document["properties"] = {
            "expectation": props.expectation, "norms": props.norms,
            "kinetic_energy": props.kinetic_energy,
            "nuclear_attraction_energy": props.nuclear_attraction_energy,
            "electron_repulsion_energy": props.electron_repulsion_energy,
            "virial_ratio": props.virial_ratio, "virial_defect": props.virial_defect,
            "density_at_nucleus": props.density_at_nucleus,
            "koopmans_ionisation_energy": props.koopmans_ionisation_energy,
            "koopmans_shell": props.koopmans_shell,
            "radial_density": props.radial_density,
        }
    return _plain(document)


def to_qcschema(report: Report, props: Properties | None = None) -> dict[str, Any]:
    """A QCSchema AtomicResult (qcschema_output, version 1) of the run: the atom as a one-atom
    molecule, driver energy, method hf in the numerical grid. A failed run gives success
    false with its error line. Raises NoElementError when Z is no element."""
    z = report.nuclear_charge
    symbol = element(z) if z is not None else None
    if symbol is None:
        raise NoElementError(f"Z = {z} is no element (1 to 118), so the atom has no QCSchema molecule")
    result: dict[str, Any] = {
        "schema_name": "qcschema_output",
        "schema_version": 1,
        "molecule": {"schema_name": "qcschema_molecule", "schema_version": 2, "symbols": [symbol],
                     "geometry": [0.0, 0.0, 0.0], "molecular_charge": float(report.ion_charge or 0),
                     "molecular_multiplicity": 1},
        "driver": "energy",
        "model": {"method": "hf", "basis": grid_name(report)},
        "keywords": {},
        "provenance": {"creator": "hfatom", "version": __version__, "routine": "hfatom.export"},
    }
    electrons = report.electrons
    counts = {"calcinfo_natom": 1, "calcinfo_nalpha": electrons // 2, "calcinfo_nbeta": electrons // 2}
    if not report.succeeded or report.total_energy is None:
        message = report.error or "the run has no total energy"
        kind = "convergence_error" if "converge" in message or "too many iterations" in message else "unknown_error"
        result.update(return_result={}, properties=counts, success=False,
                      error={"error_type": kind, "error_message": message})
        return _plain(result)
    energy = report.total_energy
    values: dict[str, Any] = dict(counts, return_energy=energy, scf_total_energy=energy,
                                  nuclear_repulsion_energy=0.0, scf_iterations=report.hf_updates)
    extras: dict[str, Any] = {"orbital_energies": {s.label: s.energy for s in report.shells}}
    if props is not None:
        values["scf_one_electron_energy"] = props.kinetic_energy + props.nuclear_attraction_energy
        values["scf_two_electron_energy"] = props.electron_repulsion_energy
        extras.update(kinetic_energy=props.kinetic_energy, virial_ratio=props.virial_ratio,
                      density_at_nucleus=props.density_at_nucleus)
    result.update(return_result=energy, properties=values, success=True, extras={"hfatom": extras})
    return _plain(result)


def to_csv(table: Table) -> str:
    """r and P(r) of every shell at the grid points (P is 0 beyond the shell's extent), headed
    by r and the shell labels; r in bohr."""
    out = io.StringIO()
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(["r"] + [shell.label for shell in table.shells])
    columns = [np.where(np.arange(len(shell.p)) < shell.extent, shell.p, 0.0) for shell in table.shells]
    for i, r in enumerate(table.r):
        writer.writerow([repr(float(r))] + [repr(float(column[i])) for column in columns])
    return out.getvalue()


def json_text(document: dict[str, Any]) -> str:
    return json.dumps(document, allow_nan=False) + "\n"


def main(argv: list[str] | None = None) -> int:
    parser = argparse.ArgumentParser(
        prog="hfatom-export",
        description="Exports an hfatom run (its report and orbital table) as JSON, QCSchema and CSV. "
                    "With no output option the JSON goes to standard output; FILE - is standard output.")
    parser.add_argument("report", metavar="RUN.out", help="the report of the run")
    parser.add_argument("table", metavar="RUN.dat", nargs="?",
                        help="its orbital table (default: the .dat beside the report, if the run succeeded)")
    parser.add_argument("--json", metavar="FILE", help="everything read and derived, as JSON")
    parser.add_argument("--qcschema", metavar="FILE", help="a QCSchema AtomicResult")
    parser.add_argument("--csv", metavar="FILE", help="r and P(r) of every shell")
    args = parser.parse_args(argv)
    try:
        report = read_report(args.report)
        table_path = args.table
        if table_path is None and report.succeeded:
            beside = Path(args.report).with_suffix(".dat")
            table_path = beside if beside.exists() else None
        table = read_table(table_path) if table_path is not None else None
    except (OSError, HfatomError) as error:
        print(f"hfatom-export: {error}", file=sys.stderr)
        return 2
    props = properties(table, report) if table is not None and report.succeeded else None
    status = 0
    if args.json or not (args.qcschema or args.csv):
        write_atomic(args.json or "-", json_text(to_json(report, table, props)))
    if args.qcschema:
        try:
            write_atomic(args.qcschema, json_text(to_qcschema(report, props)))
        except NoElementError as error:
            print(f"hfatom-export: no QCSchema: {error}", file=sys.stderr)
            status = 1
    if args.csv:
        if table is None:
            print("hfatom-export: no CSV: the run has no orbital table", file=sys.stderr)
            status = 1
        else:
            write_atomic(args.csv, to_csv(table))
    return status


if __name__ == "__main__":
    sys.exit(main())
