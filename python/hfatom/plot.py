"""Draws the radial orbitals of an orbital table as a PNG picture; the command hfatom-plot."""

from __future__ import annotations

import argparse
import math
import os
import sys

from . import _gnuplot
from .errors import HfatomError
from .table import Table, read_table


def _visible_points(table: Table) -> list[list[tuple[float, float]]]:
    """Per shell, (r, P) from the first point after the origin to the shell's extent."""
    return [[(float(r), float(p)) for r, p in zip(table.r[1:shell.extent], shell.p[1:shell.extent])]
            for shell in table.shells]


def _x_range(curves: list[list[tuple[float, float]]]) -> tuple[float, float]:
    """From a decade below where the first orbital rises to where the last one has died away."""
    low, high = math.inf, 0.0
    for points in curves:
        if not points:
            continue
        largest = max(abs(p) for _, p in points)
        visible = [r for r, p in points if abs(p) >= 1e-2 * largest]
        low, high = min(low, visible[0]), max(high, visible[-1])
    return 10.0 ** math.floor(math.log10(low)), high


def gnuplot_script(table: Table, title: str, picture: str) -> str:
    """The gnuplot script that draws P(r) of every shell against r on a logarithmic axis."""
    curves = _visible_points(table)
    low, high = _x_range(curves)
    lines = [
        "set encoding utf8", _gnuplot.PNG_TERMINAL,
        f"set output {_gnuplot.quoted(picture)}",
        f"set title {_gnuplot.quoted(title)}",
        "set logscale x", "set format x '10^{%L}'",
        f"set xrange [{low:.6g}:{high:.6g}]",
        "set xlabel 'r (bohr)'", "set ylabel 'P(r)'",
        "set xzeroaxis linetype -1 linewidth 0.5",
        "set grid xtics ytics linecolor rgb '#dddddd'",
        # Beside the plot, so that no curve is hidden however many shells there are.
        "set key outside right top Left reverse box samplen 3 spacing 1.2",
    ]
    for k, points in enumerate(curves, start=1):
        lines.append(f"$shell{k} << EOD")
        lines.extend(f"{r:.8e} {p:.8e}" for r, p in points)
        lines.append("EOD")
    # gnuplot has eight line colours: after them the colours repeat dashed.
    plots = [f"$shell{k} using 1:2 with lines linecolor {(k - 1) % 8 + 1} dashtype {(k - 1) // 8 + 1} "
             f"linewidth 2 title {_gnuplot.quoted(f'{shell.label}   ε = {shell.energy:.6f} hartree')}"
             for k, shell in enumerate(table.shells, start=1)]
    lines.append("plot " + ", \\\n     ".join(plots))
    return "\n".join(lines) + "\n"


def main(argv: list[str] | None = None) -> int:
    parser = argparse.ArgumentParser(
        prog="hfatom-plot",
        description="Draws P(r) of every shell of an hfatom orbital table against r on a logarithmic axis, "
                    "up to the shell's extent, as a PNG picture (needs gnuplot, Debian package gnuplot-nox).")
    parser.add_argument("table", metavar="TABLE.dat")
    parser.add_argument("picture", metavar="PICTURE.png")
    args = parser.parse_args(argv)
    try:
        table = read_table(args.table)
    except (OSError, HfatomError) as error:
        print(f"hfatom-plot: {error}", file=sys.stderr)
        return 1
    symbol = os.path.basename(args.table).rsplit(".", 1)[0].strip()
    title = f"Hartree-Fock radial orbitals of {symbol}" if symbol else "Hartree-Fock radial orbitals"
    try:
        _gnuplot.draw(gnuplot_script(table, title, args.picture), args.picture)
    except RuntimeError as error:
        print(f"hfatom-plot: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
