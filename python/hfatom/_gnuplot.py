"""Drawing PNG pictures with gnuplot (Debian package gnuplot-nox)."""

from __future__ import annotations

import os
import shutil
import subprocess
from pathlib import Path

#: The terminal line every picture starts with.
PNG_TERMINAL = "set terminal pngcairo size 1100,600 font 'sans,12' linewidth 1.5"


def quoted(text: str) -> str:
    """A gnuplot single-quoted string."""
    return "'" + text.replace("'", "''") + "'"


def available() -> bool:
    return shutil.which("gnuplot") is not None


def draw(script: str, picture: str | os.PathLike[str]) -> None:
    """Runs gnuplot on `script` (which sets the output to `picture`); raises RuntimeError with
    gnuplot's message when no picture results."""
    if not available():
        raise RuntimeError("gnuplot not found (Debian package gnuplot-nox)")
    done = subprocess.run(["gnuplot"], input=script, text=True, capture_output=True, check=False)
    target = Path(picture)
    if done.returncode != 0 or not target.is_file() or target.stat().st_size == 0:
        raise RuntimeError(f"gnuplot did not draw {picture}\n{done.stderr}")
