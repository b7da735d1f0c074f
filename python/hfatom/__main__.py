"""python3 -m hfatom COMMAND ...: the package's commands from a source tree (PYTHONPATH=python)."""

import sys

from hfatom.cli import main

sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "", sys.argv[2:]))
