"""The package's commands by name: hfatom-export, hfatom-series, hfatom-validate, hfatom-plot."""

from __future__ import annotations

import importlib
import sys

#: Command name (after hfatom-) and the module whose main() it runs.
COMMANDS = {"export": "hfatom.export", "series": "hfatom.batch", "validate": "hfatom.validate", "plot": "hfatom.plot"}


def main(command: str, argv: list[str] | None = None) -> int:
    """Runs hfatom-<command> with `argv` (default: the process's arguments)."""
    if command not in COMMANDS:
        sys.stderr.write(f"usage: python3 -m hfatom {{{','.join(COMMANDS)}}} [ARGS...]\n")
        return 2
    return importlib.import_module(COMMANDS[command]).main(argv)
