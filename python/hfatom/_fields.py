"""Reading the fixed-width fields of the program's files back into numbers.

The program right-aligns every value in its field. A real is printed in fixed point
(`-128.54709751`, or `-.500` when the field has no room for the 0), or with an exponent:
`-3.27724428D+01` (letter D or E, sign, two digits) and, when the exponent has three
digits, `1.00000000-120` (sign and three digits, no letter). A value that does not fit
its width is printed as asterisks, and a value that is not finite by name (`NaN`,
`Infinity`, `-Inf`). Here an asterisk field reads as NaN (a real) or None (an integer):
the value exists but was not printed, and a caller that needs it must say so.
"""

from __future__ import annotations

import math
import re

_REAL = re.compile(
    r" *(?:(?P<fixed>-?\d*\.\d+)"
    r"|(?P<mantissa>-?\d\.\d+)(?:[DE](?P<short>[+-]\d\d)|(?P<long>[+-]\d\d\d))"
    r"|(?P<name>NaN|-?Infinity|-?Inf))"
)
_INTEGER = re.compile(r" *-?\d+")


class FieldError(ValueError):
    """A field that is neither a value of its kind nor asterisks."""


def is_overflow(field: str) -> bool:
    """True for a field printed as asterisks because its value did not fit."""
    return field != "" and field.strip("*") == ""


def real(field: str) -> float:
    """The value of a right-aligned real field; NaN for asterisks."""
    if is_overflow(field):
        return math.nan
    match = _REAL.fullmatch(field)
    if match is None:
        raise FieldError(f"{field.strip()!r} is not a number")
    if match["fixed"] is not None:
        return float(match["fixed"])
    if match["name"] is not None:
        return float(match["name"])
    return float(f"{match['mantissa']}e{match['short'] or match['long']}")


def integer(field: str) -> int | None:
    """The value of a right-aligned integer field; None for asterisks."""
    if is_overflow(field):
        return None
    if _INTEGER.fullmatch(field) is None:
        raise FieldError(f"{field.strip()!r} is not an integer")
    return int(field)
