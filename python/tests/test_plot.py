"""hfatom-plot: the orbital picture."""

from __future__ import annotations

import contextlib
import io
from pathlib import Path

import pytest

from hfatom import plot
from conftest import reference

pytestmark = pytest.mark.gnuplot

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def test_plot_draws_a_png_and_refuses_a_report(tmp_path: Path) -> None:
    picture = tmp_path / "argon.png"
    assert plot.main([str(reference("Ar", ".dat")), str(picture)]) == 0
    assert picture.read_bytes().startswith(PNG_SIGNATURE)
    errors = io.StringIO()
    with contextlib.redirect_stderr(errors):
        assert plot.main([str(reference("Ar", ".out")), str(tmp_path / "no.png")]) == 1
    assert "Ar  .out:1:" in errors.getvalue() and not (tmp_path / "no.png").exists()
