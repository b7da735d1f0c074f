"""python3 -m hfatom COMMAND ...: the package's commands from a source tree (PYTHONPATH=python)."""

import importlib
import sys

COMMANDS = {"export": "export", "validate": "validate", "plot": "plot"}

if len(sys.argv) < 2 or sys.argv[1] not in COMMANDS:
    sys.stderr.write(f"usage: python3 -m hfatom {{{','.join(COMMANDS)}}} [ARGS...]\n")
    sys.exit(2)
sys.exit(importlib.import_module(f"hfatom.{COMMANDS[sys.argv[1]]}").main(sys.argv[2:]))
