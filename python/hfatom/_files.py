"""Writing output files whole or not at all."""

from __future__ import annotations

import os
import sys
import tempfile
from pathlib import Path

# The permissions a file created with open() would get; mkstemp's are owner-only.
_UMASK = os.umask(0)
os.umask(_UMASK)


def write_atomic(path: str | os.PathLike[str], text: str) -> None:
    """Writes `text` to a temporary file beside `path`, then renames it over `path`: a reader
    sees the old file or the new one, never half of it. "-" writes to standard output."""
    if os.fspath(path) == "-":
        sys.stdout.write(text)
        sys.stdout.flush()
        return
    target = Path(path)
    handle, temporary = tempfile.mkstemp(prefix=f".{target.name}.", suffix=".tmp", dir=target.parent or ".")
    try:
        with os.fdopen(handle, "w", encoding="utf-8", newline="") as file:
            file.write(text)
        os.chmod(temporary, 0o666 & ~_UMASK)
        os.replace(temporary, target)
    except BaseException:
        os.unlink(temporary)
        raise
