#!/usr/bin/env python3
"""Runs a test command when what it needs is there; else exits 77, which CTest reports as skipped.

Usage: requires.py [--module NAME]... [--program NAME]... -- COMMAND [ARGS...]
Standard library only, so that it runs where numpy and pytest are missing.
"""

import importlib.util
import os
import shutil
import sys

PACKAGES = {"numpy": "python3-numpy", "pytest": "python3-pytest", "qcelemental": "python3-qcelemental",
            "gnuplot": "gnuplot-nox"}


def main(argv: list[str]) -> int:
    if "--" not in argv:
        sys.stderr.write(__doc__)
        return 2
    split = argv.index("--")
    options, command = argv[:split], argv[split + 1:]
    missing = []
    for kind, name in zip(options[::2], options[1::2]):
        present = importlib.util.find_spec(name) is not None if kind == "--module" else shutil.which(name)
        if not present:
            missing.append(f"{name} (Debian package {PACKAGES.get(name, name)})")
    if missing:
        print("skipped: missing " + ", ".join(missing))
        return 77
    os.execvp(command[0], command)
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
