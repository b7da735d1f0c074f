"""Runs hfatom, reads its report and orbital table, derives the atom's properties and exports them.

    >>> import hfatom
    >>> neon = hfatom.run("Ne", 3, 10)
    >>> neon.report.total_energy, hfatom.properties(neon.table, neon.report).virial_ratio
"""

__version__ = "1.0.0"

from .batch import Case, SeriesResult, series  # noqa: E402
from .errors import FormatError, HfatomError, ProgramError  # noqa: E402
from .export import NoElementError, to_csv, to_json, to_qcschema  # noqa: E402
from .grid import GRID, Grid  # noqa: E402
from .properties import Properties, properties  # noqa: E402
from .report import OverlapTable, Report, ReportShell, read_report  # noqa: E402
from .runner import RunResult, find_executable, run  # noqa: E402
from .table import Table, TableShell, read_table  # noqa: E402

__all__ = [
    "Case", "FormatError", "GRID", "Grid", "HfatomError", "NoElementError", "OverlapTable", "ProgramError", "Properties",
    "Report", "ReportShell", "RunResult", "SeriesResult", "Table", "TableShell", "__version__", "find_executable", "properties",
    "read_report", "read_table", "run", "series", "to_csv", "to_json", "to_qcschema",
]
