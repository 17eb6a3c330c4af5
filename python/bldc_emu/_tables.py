"""The tables bldc_emu hands back: columns, rows of plain Python values, and a pandas
DataFrame on request when pandas is installed (it is never required)."""

from __future__ import annotations

import csv
import io
import json
from typing import Any, Iterator, Optional, Sequence


class Table:
    """Named columns and rows of exact values (float, int, str or None for an empty cell)."""

    def __init__(self, columns: Sequence[str], rows: Sequence[Sequence[Any]]):
        self.columns: list[str] = list(columns)
        self.rows: list[tuple] = [tuple(row) for row in rows]

    def __len__(self) -> int:
        return len(self.rows)

    def __iter__(self) -> Iterator[tuple]:
        return iter(self.rows)

    def __getitem__(self, index: int) -> tuple:
        return self.rows[index]

    def __eq__(self, other: object) -> bool:
        return (isinstance(other, Table) and self.columns == other.columns
                and self.rows == other.rows)

    def column(self, name: str) -> list:
        """The values of one column, in row order."""
        at = self.columns.index(name)
        return [row[at] for row in self.rows]

    def records(self) -> list[dict]:
        """One dict per row, from column name to value."""
        return [dict(zip(self.columns, row)) for row in self.rows]

    def to_csv(self) -> str:
        """CSV with every value written as Python's repr reads it back exactly."""
        out = io.StringIO()
        writer = csv.writer(out, lineterminator="\r\n")
        writer.writerow(self.columns)
        for row in self.rows:
            writer.writerow(["" if v is None else repr(v) if isinstance(v, float) else v
                             for v in row])
        return out.getvalue()

    def to_pandas(self):
        """The table as a pandas DataFrame (ImportError without pandas)."""
        try:
            import pandas
        except ImportError as error:
            raise ImportError("to_pandas() needs pandas (Debian: python3-pandas)") from error
        return pandas.DataFrame.from_records(self.rows, columns=self.columns)

    def __repr__(self) -> str:
        return f"<{type(self).__name__} {len(self.rows)} rows x {len(self.columns)} columns>"


class ZcTable(Table):
    """The zero-crossing table of a run (bldc-emu --zc): one row per floating interval.

    summary: detected, already, missed, early, undetected, mean/max error in deg and us (None
    without a detection). reason: why the table is empty, in the window's words, or None."""

    def __init__(self, columns, rows, summary: dict, reason: Optional[str]):
        super().__init__(columns, rows)
        self.summary: dict = summary
        self.reason: Optional[str] = reason


class Measurements:
    """The measurements of a window of a run (bldc-emu --measure).

    first, samples: the window measured; channels: name -> min, max, mean, rms; switches:
    name -> duty (0 to 1), edges; pwm_period_us, commutation_period_us and
    commutation_period_deg: None where the window does not show them. table: the long table
    SIGNAL, QUANTITY, VALUE, UNIT exactly as the command line writes it."""

    def __init__(self, first, samples, channels, switches, pwm_period_us,
                 commutation_period_us, commutation_period_deg, table_json):
        self.first: int = first
        self.samples: int = samples
        self.channels: dict = channels
        self.switches: dict = switches
        self.pwm_period_us: Optional[float] = pwm_period_us
        self.commutation_period_us: Optional[float] = commutation_period_us
        self.commutation_period_deg: Optional[float] = commutation_period_deg
        records = json.loads(table_json)
        columns = list(records[0].keys()) if records else []
        self.table = Table(columns, [tuple(r[c] for c in columns) for r in records])

    def to_pandas(self):
        """The long table as a pandas DataFrame."""
        return self.table.to_pandas()

    def __repr__(self) -> str:
        return f"<Measurements {self.samples} samples from {self.first}>"


class SweepTable(Table):
    """The rows of a sweep or a study: the point's own columns, then RPM ... ERROR as
    bldc-emu --sweep has them, with exact values. text() writes a one-box sweep exactly as
    the command line prints it."""

    def __init__(self, columns, rows, layout=None, keys: int = 1, tag: int = 0):
        super().__init__(columns, rows)
        self._layout = layout
        self._keys = keys
        self._tag = tag

    def text(self, format: str = "csv", sep: str = ".") -> str:
        """The table as bldc-emu --sweep ... --format FORMAT prints it (tsv, csv or json)."""
        from . import _core
        if self._keys != 1 or self._layout is None or not self._tag:
            raise ValueError("text() writes tables with one VALUE column; use to_csv()")
        values = [row[0] for row in self.rows]
        return _core.sweep_text(self._layout, self._tag, values, [row[1:] for row in self.rows],
                                format, sep)

    @property
    def failures(self) -> list[tuple]:
        """The rows whose run was refused."""
        return [row for row in self.rows if row[-1] is not None]
