"""Compares the program's total energies with published numerical Hartree-Fock limits and
checks the virial theorem; the command hfatom-validate.

Runs the program on each input file (three lines: symbol, shells, nuclear charge) in a
scratch directory of its own and prints a markdown table of published against computed
energies with the virial defect |E + T| / |E| of each run. Exits 1 when a relative
difference exceeds 1e-7, a virial defect exceeds 1e-6 or a run gives no energy, else 0.
"""

from __future__ import annotations

import argparse
import sys
import tempfile
from pathlib import Path

from .errors import HfatomError
from .properties import properties
from .runner import find_executable, run

TOLERANCE = 1e-7
VIRIAL_TOLERANCE = 1e-6

# Numerical Hartree-Fock limits of the closed-shell ground states, in hartree, by
# (symbol, shells, Z). Ne to Xe: the 10-digit numerical Hartree-Fock energies of C. F. Bunge,
# J. A. Barrientos, A. V. Bunge and J. A. Cogordan, Phys. Rev. A 46, 3691 (1992). He and Be,
# to 1e-10 hartree: M. Cinal, J. Math. Chem. 58, 1571 (2020), doi:10.1007/s10910-020-01144-z,
# rounded.
PUBLISHED = {
    ("He", 1, 2): "-2.8616799956",
    ("Be", 2, 4): "-14.5730231683",
    ("Ne", 3, 10): "-128.5470981",
    ("Mg", 4, 12): "-199.6146364",
    ("Ar", 5, 18): "-526.8175128",
    ("Zn", 7, 30): "-1777.848116",
    ("Kr", 8, 36): "-2752.054977",
    ("Pd", 9, 46): "-4937.921024",
    ("Cd", 10, 48): "-5465.133143",
    ("Xe", 11, 54): "-7232.138364",
}


def read_input(path: str | Path) -> tuple[str, int, int]:
    """The symbol, shell count and nuclear charge of an input file of three lines."""
    lines = Path(path).read_text(encoding="ascii").splitlines()
    return lines[0].strip(), int(lines[1].split()[0]), int(lines[2].split()[0])


def _row(executable: Path, symbol: str, shells: int, charge: int) -> tuple[list[str], list[str]]:
    """The table row of one input and the reasons it fails (none when it passes)."""
    published = PUBLISHED.get((symbol, shells, charge))
    with tempfile.TemporaryDirectory(prefix="hfatom-validate-") as scratch:
        try:
            result = run(symbol, shells, charge, workdir=scratch, executable=executable)
        except (HfatomError, OSError) as error:
            return [symbol, str(shells), str(charge), published or "—", "no result", "", "", ""], [f"{symbol}: {error}"]
    energy = result.report.total_energy
    if result.table is None or energy is None:
        return ([symbol, str(shells), str(charge), published or "—", "no result", "", "", ""],
                [f"{symbol}: {result.error or 'no total energy'}"])
    defect = properties(result.table, result.report).virial_defect or 0.0
    failures = []
    if defect > VIRIAL_TOLERANCE:
        failures.append(f"{symbol}: virial defect {defect:.1e} exceeds {VIRIAL_TOLERANCE:.0e}")
    row = [symbol, str(shells), str(charge), published or "—", f"{energy:.8f}", "", "", f"{defect:.1e}"]
    if published is not None:
        difference = abs(energy - float(published))
        relative = difference / abs(float(published))
        row[5:7] = [f"{difference:.1e}", f"{relative:.1e}"]
        if relative > TOLERANCE:
            failures.append(f"{symbol}: relative difference {relative:.1e} exceeds {TOLERANCE:.0e}")
    return row, failures


def main(argv: list[str] | None = None, source_tree: Path | None = None) -> int:
    """`source_tree` (set by tools/validate) makes build/release/hfatom and examples/*.in of
    that tree the defaults; otherwise the installed program and examples are."""
    parser = argparse.ArgumentParser(
        prog="hfatom-validate", description=__doc__.split("\n\n")[1].replace("\n", " "))
    parser.add_argument("hfatom", nargs="?", help="the program (default: "
                        + ("build/release/hfatom" if source_tree else "the one installed beside the package") + ")")
    parser.add_argument("inputs", nargs="*", metavar="INPUT", help="input files (default: every example input)")
    args = parser.parse_args(argv)
    package = Path(__file__).resolve().parent
    if source_tree is not None:
        examples = source_tree / "examples"
        default_program: Path | None = source_tree / "build" / "release" / "hfatom"
    else:
        # <prefix>/lib/python3/dist-packages/hfatom -> <prefix>/share/doc/hfatom/examples
        examples = package.parents[3] / "share" / "doc" / "hfatom" / "examples" if len(package.parents) > 3 else package
        default_program = None
    try:
        executable = find_executable(args.hfatom or default_program)
    except HfatomError as error:
        print(f"hfatom-validate: {error}; build it or pass its path", file=sys.stderr)
        return 2
    inputs = args.inputs or sorted(str(path) for path in examples.glob("*.in"))
    if not inputs:
        print("hfatom-validate: no input files", file=sys.stderr)
        return 2
    # In the order the configurations fill up: by shell count, then nuclear charge.
    runs = sorted((shells, charge, symbol) for symbol, shells, charge in map(read_input, inputs))
    print("| input | shells | Z | published (hartree) | computed (hartree) | difference | relative | virial defect |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    failed = False
    for shells, charge, symbol in runs:
        row, failures = _row(executable, symbol, shells, charge)
        print("| " + " | ".join(row) + " |", flush=True)
        for failure in failures:
            print(failure, file=sys.stderr)
        failed = failed or bool(failures)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
