"""Shared fixtures: the program under test, runs of the example inputs, the reference files."""

from __future__ import annotations

import os
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import pytest

import hfatom

REPOSITORY = Path(__file__).resolve().parents[2]
REFERENCE = REPOSITORY / "tests" / "data"


def pytest_configure(config: pytest.Config) -> None:
    config.addinivalue_line("markers", "qcschema: needs qcelemental (Debian package python3-qcelemental)")
    config.addinivalue_line("markers", "gnuplot: needs gnuplot (Debian package gnuplot-nox)")


def reference(symbol: str, suffix: str) -> Path:
    """The reference report (.out) or table (.dat) of He, Ne or Ar in tests/data."""
    return REFERENCE / symbol / f"{symbol:<4}{suffix}"


@pytest.fixture(scope="session")
def executable() -> Path:
    """The program: $HFATOM_EXECUTABLE (set by CTest), else the release build of this tree."""
    path = Path(os.environ.get("HFATOM_EXECUTABLE", REPOSITORY / "build" / "release" / "hfatom"))
    if not path.is_file():
        pytest.skip(f"no program at {path}: build it (cmake --build --preset release --target hfatom)")
    return path


def read_example(path: Path) -> tuple[str, int, int]:
    lines = path.read_text().splitlines()
    return lines[0].strip(), int(lines[1]), int(lines[2])


@pytest.fixture(scope="session")
def example_runs(executable: Path, tmp_path_factory: pytest.TempPathFactory) -> dict[str, hfatom.RunResult]:
    """Every example input run once, two at a time, by symbol."""
    cases = [read_example(path) for path in sorted((REPOSITORY / "examples").glob("*.in"))]
    root = tmp_path_factory.mktemp("examples")
    with ThreadPoolExecutor(2) as pool:
        results = pool.map(lambda case: hfatom.run(*case, workdir=root / case[0], executable=executable), cases)
        return {case[0]: result for case, result in zip(cases, results)}
