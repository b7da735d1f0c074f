"""Reading a file of the program as numbered lines, with errors that name the file and line."""

from __future__ import annotations

import os
import re
from collections.abc import Callable
from pathlib import Path
from typing import TypeVar

from ._fields import FieldError
from .errors import FormatError

T = TypeVar("T")


def read_lines(path: str | os.PathLike[str]) -> list[str]:
    """The lines of a file without their ends (CR LF as the program writes them, or LF).

    Bytes are decoded one to one (Latin-1) so that columns stay columns whatever the symbol
    holds. A last line without its line end means the file was cut short.
    """
    data = Path(path).read_bytes()
    if data and not data.endswith(b"\n"):
        raise FormatError(path, data.count(b"\n") + 1, "the file ends in the middle of a line")
    text = data.decode("latin-1")
    return [line[:-1] if line.endswith("\r") else line for line in text.split("\n")[:-1]]


class Lines:
    """A cursor over the lines of a file, up to `end` (exclusive).

    `expect` matches the next line against a pattern and raises a FormatError naming the
    line when it does not match, or `Lines.End` when no line is left: the caller decides
    whether an early end is a truncated file or the place where a failed run stopped.
    """

    class End(Exception):
        """No line is left before `end`."""

        def __init__(self, what: str) -> None:
            super().__init__(what)
            self.what = what

    def __init__(self, path: str | os.PathLike[str], lines: list[str], end: int | None = None) -> None:
        self.path = path
        self.lines = lines
        self.end = len(lines) if end is None else end
        self.index = 0

    @property
    def number(self) -> int:
        """The 1-based number of the next line."""
        return self.index + 1

    def at_end(self) -> bool:
        return self.index >= self.end

    def peek(self) -> str | None:
        return None if self.at_end() else self.lines[self.index]

    def error(self, message: str, number: int | None = None) -> FormatError:
        return FormatError(self.path, self.number if number is None else number, message)

    def expect(self, pattern: re.Pattern[str], what: str) -> re.Match[str]:
        """The match of the next line, which must be `what`; the cursor moves past it."""
        if self.at_end():
            raise Lines.End(what)
        match = pattern.fullmatch(self.lines[self.index])
        if match is None:
            raise self.error(f"expected {what}, found {self.lines[self.index]!r}")
        self.index += 1
        return match

    def expect_blank(self, what: str = "an empty line") -> None:
        self.expect(_BLANK, what)

    def field(self, convert: Callable[[str], T], text: str, number: int) -> T:
        """A field of line `number` converted, or a FormatError that names the line."""
        try:
            return convert(text)
        except FieldError as error:
            raise self.error(str(error), number) from None


_BLANK = re.compile("")
