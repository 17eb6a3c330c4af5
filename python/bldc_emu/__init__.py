"""bldc_emu: the sensorless brushless-DC controller emulation for Python.

    import bldc_emu
    s = bldc_emu.Scenario()
    s.set(6, "8000")            # box 6 (PWM frequency) typed as "8000"
    r = s.run()                 # one electrical revolution in 1 us steps
    r.time, r.phase_v           # read-only numpy views of the engine's samples
    r.zc().summary              # the zero-crossing analysis
    bldc_emu.sweep("10=10:100:10", s, zc=True).to_pandas()

Studies over many runs, locally or on a Dask cluster: bldc_emu.studies.
"""

from __future__ import annotations

from concurrent.futures import ThreadPoolExecutor
from typing import Optional, Union
import os

from ._core import (  # noqa: F401
    EntryError,
    EntryWarning,
    Error,
    FileWriteError,
    Result,
    RowLayout,
    RunError,
    RunSummary,
    Scenario,
    ScenarioError,
)
from . import _core
from ._core import DIODE_DROP, INDUCTANCE  # noqa: F401  the circuit's values in sweeps and studies
from ._tables import Measurements, SweepTable, Table, ZcTable  # noqa: F401

__all__ = [
    "Scenario", "Result", "RunSummary", "RowLayout", "Table", "ZcTable", "SweepTable",
    "Measurements", "sweep", "Error", "RunError", "ScenarioError", "FileWriteError",
    "EntryError", "EntryWarning", "INDUCTANCE", "DIODE_DROP",
]


def _chunks(items: list, count: int) -> list[list]:
    size = max(1, -(-len(items) // max(count, 1)))
    return [items[i:i + size] for i in range(0, len(items), size)]


def sweep(text: str, scenario: Optional[Scenario] = None, *, view: Optional[int] = None,
          start: Optional[int] = None, length: Optional[int] = None, zc: bool = False,
          sampling: str = "on", blanking: Union[float, str] = 0, filter: int = 1,
          angle: Optional[float] = None, pwm: Optional[int] = None,
          jobs: Optional[int] = None) -> SweepTable:
    """bldc-emu --sweep N=FROM:TO:STEP: one run per value typed into box N on top of
    `scenario` (default: the default boxes), with the same rows as the command line.

    view, start/length (the window), zc and the detector (sampling, blanking, filter), angle
    and pwm act as --view, --view-window, --zc, --zc-sampling, --zc-blanking, --zc-filter,
    --angle and --pwm. The runs spread over `jobs` threads (default: one per core); the rows
    keep the order of the values. A refused run has only its ERROR cell."""
    base = scenario if scenario is not None else Scenario()
    row_layout = RowLayout(base, view=view, start=start, length=length, zc=zc, sampling=sampling,
                       blanking=blanking, filter=filter, angle=angle, pwm=pwm)
    tag, values = _core.parse_sweep(text)
    points = [[(tag, typed)] for _, typed in values]
    workers = jobs if jobs is not None else (os.cpu_count() or 1)
    if workers < 1:
        raise ValueError(f"bad value {jobs!r} for jobs: expected a thread count from 1")
    chunks = _chunks(points, workers * 4)
    with ThreadPoolExecutor(max_workers=workers) as pool:
        parts = list(pool.map(lambda c: _core.sweep_rows(base, row_layout, c), chunks))
    rows = [(value,) + row for (value, _), row in zip(values, (r for p in parts for r in p))]
    return SweepTable(row_layout.columns(tag), rows, row_layout, keys=1, tag=tag)
