"""The exceptions of the package: one for files that do not read, one for runs that do not start."""

from __future__ import annotations

import os


class HfatomError(Exception):
    """Base of every error this package raises on purpose."""


class FormatError(HfatomError, ValueError):
    """A report or orbital table that is malformed or truncated.

    `path` is the file and `line` the 1-based number of the offending line (the line
    after the last one when the file ends too soon).
    """

    def __init__(self, path: str | os.PathLike[str], line: int, message: str) -> None:
        self.path = os.fspath(path)
        self.line = line
        self.message = message
        super().__init__(f"{self.path}:{line}: {message}")


class ProgramError(HfatomError):
    """The program could not be run, or ended with a diagnostic (exit status 2) or a signal.

    `status` is the exit status (None when the program never ran) and `diagnostic` the
    program's one-line message on standard error, when it wrote one.
    """

    def __init__(self, message: str, status: int | None = None, diagnostic: str | None = None) -> None:
        self.status = status
        self.diagnostic = diagnostic
        super().__init__(message)
