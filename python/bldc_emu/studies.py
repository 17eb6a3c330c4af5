"""Studies of many runs: a grid over parameter boxes (Sweep), run in one process or spread
over the workers of a Dask cluster (python3-dask and python3-distributed).

    from bldc_emu import studies
    study = studies.Sweep({10: [20, 40, 60], 8: [0, 10, 20]}, zc=True)
    table = studies.run(study)                    # here, on this machine's cores
    table = studies.run(study, client=client)     # on a dask.distributed Client's workers

A study is a base scenario, what each row looks at (a RowLayout) and an ordered list of points,
each the box texts typed on top of the scenario. run() cuts the points into chunks; only the
scenario, the points and the result rows travel, never samples. The table is the same, in the
same order and with the same bytes, for any number of workers and any chunk size; a chunk
lost with a worker is run again by Dask.

Points is a study over any list of points, such as parameters drawn around their nominal
values. The tolerance study of the engine will be a study of the same kind: a subclass of
Study whose points() are its draws and whose key_columns() name them; run() needs nothing
else of it.
"""

from __future__ import annotations

import itertools
import math
import os
import warnings
from concurrent.futures import ThreadPoolExecutor
from typing import Any, Mapping, Optional, Sequence, Union

from . import _core
from ._core import EntryError, EntryWarning, RowLayout, Scenario
from ._tables import SweepTable

__all__ = ["Study", "Sweep", "Points", "run"]

Point = list  # [(tag, text), ...], typed in order


class Study:
    """What run() needs of a study: a scenario, a RowLayout, the points in table order, the
    key cells of each point and the names of those key columns."""

    scenario: Scenario
    layout: RowLayout

    def points(self) -> list[Point]:
        raise NotImplementedError

    def key_columns(self) -> list[str]:
        raise NotImplementedError

    def keys(self) -> list[tuple]:
        raise NotImplementedError

    def __len__(self) -> int:
        return len(self.points())


def _box_text(value: Union[str, int, float]) -> str:
    if isinstance(value, str):
        return value
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise TypeError(f"a box text or a number, not {value!r}")
    if isinstance(value, float) and not math.isfinite(value):
        raise ValueError(f"bad value {value!r} for a box: expected a finite number")
    return repr(value) if isinstance(value, float) else str(value)


def _checked_texts(tag: int, values: Sequence, scenario: Scenario) -> list[str]:
    texts = [_box_text(v) for v in values]
    for text in texts:
        note = _core.unread_note(int(tag), text)
        if note is not None:
            if scenario.strict:
                raise EntryError(note + " (refused under --strict)")
            warnings.warn(note, EntryWarning, stacklevel=3)
    return texts


class Sweep(Study):
    """A grid over parameter boxes: {tag: [texts or numbers to type], ...}. The rows run
    through the grid with the first box outermost; each point types its texts in the grid's
    order on top of `scenario`, read by the boxes' rules (a text read only in part warns
    once here, or is refused when the scenario is strict). The other arguments are those of
    bldc_emu.sweep; zc is on by default."""

    def __init__(self, grid: Mapping[int, Sequence[Union[str, int, float]]],
                 scenario: Optional[Scenario] = None, *, view: Optional[int] = None,
                 start: Optional[int] = None, length: Optional[int] = None, zc: bool = True,
                 sampling: str = "on", blanking: Union[float, str] = 0, filter: int = 1,
                 angle: Optional[float] = None, pwm: Optional[int] = None):
        if not grid:
            raise ValueError("a sweep needs at least one box with values")
        self.scenario = scenario.copy() if scenario is not None else Scenario()
        self.layout = RowLayout(self.scenario, view=view, start=start, length=length, zc=zc,
                            sampling=sampling, blanking=blanking, filter=filter, angle=angle,
                            pwm=pwm)
        self.grid: dict[int, list[str]] = {}
        for tag, values in grid.items():
            texts = _checked_texts(int(tag), values, self.scenario)
            if not texts:
                raise ValueError(f"box {tag} has no values")
            self.grid[int(tag)] = texts

    def points(self) -> list[Point]:
        tags = list(self.grid)
        return [list(zip(tags, texts)) for texts in itertools.product(*self.grid.values())]

    def keys(self) -> list[tuple]:
        return list(itertools.product(*self.grid.values()))

    def key_columns(self) -> list[str]:
        return [_core.box_column(tag) for tag in self.grid]

    def __len__(self) -> int:
        return math.prod(len(v) for v in self.grid.values())

    def __repr__(self) -> str:
        return f"<studies.Sweep {self.grid!r}, {len(self)} runs>"


class Points(Study):
    """A study over a list of points, each {tag: text or number} typed in the dict's order on
    top of `scenario`; every point names the same boxes. The key columns are the boxes' names,
    the rows keep the list's order. The other arguments are those of Sweep."""

    def __init__(self, points: Sequence[Mapping[int, Union[str, int, float]]],
                 scenario: Optional[Scenario] = None, **row_options: Any):
        row_options.setdefault("zc", True)
        self.scenario = scenario.copy() if scenario is not None else Scenario()
        self.layout = RowLayout(self.scenario, **row_options)
        if not points:
            raise ValueError("a study needs at least one point")
        self.tags = [int(tag) for tag in points[0]]
        columns: dict[int, list[str]] = {tag: [] for tag in self.tags}
        for point in points:
            if [int(tag) for tag in point] != self.tags:
                raise ValueError(f"every point names boxes {self.tags}, not {list(point)}")
            for tag, value in point.items():
                columns[int(tag)].append(value)
        texts = {tag: _checked_texts(tag, values, self.scenario) for tag, values in columns.items()}
        self._keys = list(zip(*texts.values()))

    def points(self) -> list[Point]:
        return [list(zip(self.tags, key)) for key in self._keys]

    def keys(self) -> list[tuple]:
        return list(self._keys)

    def key_columns(self) -> list[str]:
        return [_core.box_column(tag) for tag in self.tags]

    def __len__(self) -> int:
        return len(self._keys)


def _run_chunk(scenario: Scenario, layout: RowLayout, points: list[Point]) -> list[tuple]:
    """A chunk's rows, on whatever process runs it: the whole payload of a task."""
    return _core.sweep_rows(scenario, layout, points)


def _default_chunk(count: int, workers: int) -> int:
    # Four chunks per worker keep the workers busy to the end without many small tasks.
    return max(1, -(-count // max(1, workers * 4)))


def run(study: Study, client: Any = None, *, chunk_size: Optional[int] = None,
        jobs: Optional[int] = None) -> SweepTable:
    """Runs every point of `study` and returns its table in the study's order.

    client: a dask.distributed Client; its workers run the chunks, one per worker thread (the
    runs release the GIL, so threads and processes both use the cores; give each machine as
    many in all as it has cores). Without one the chunks run here on `jobs` threads (default:
    one per core). chunk_size: points per
    task (default: about four tasks per worker). The table is the same for every choice."""
    points = study.points()
    if chunk_size is not None and chunk_size < 1:
        raise ValueError(f"bad value {chunk_size!r} for chunk_size: expected 1 or more")
    if client is None:
        workers = jobs if jobs is not None else (os.cpu_count() or 1)
        if workers < 1:
            raise ValueError(f"bad value {jobs!r} for jobs: expected a thread count from 1")
    else:
        workers = max(1, sum(client.nthreads().values()))
    size = chunk_size or _default_chunk(len(points), workers)
    chunks = [points[i:i + size] for i in range(0, len(points), size)]
    if client is None:
        with ThreadPoolExecutor(max_workers=workers) as pool:
            parts = list(pool.map(lambda c: _run_chunk(study.scenario, study.layout, c), chunks))
    else:
        # Each task carries the scenario (a few hundred bytes) with its points, so a task
        # lost with its worker can run again anywhere.
        futures = [client.submit(_run_chunk, study.scenario, study.layout, chunk, pure=False)
                   for chunk in chunks]
        parts = client.gather(futures)
    rows = [key + row for key, row in zip(study.keys(), itertools.chain.from_iterable(parts))]
    keys = study.key_columns()
    return SweepTable(keys + study.layout.columns()[1:], rows, study.layout, keys=len(keys))
