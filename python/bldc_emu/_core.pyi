"""Type stubs of the compiled part of bldc_emu (the engine); use the package bldc_emu."""

from typing import Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

from ._tables import Measurements, ZcTable

BOX_NAMES: list[str]
INDUCTANCE: int
"""The tag studies and sweeps use for the winding inductance (circuit model)."""
DIODE_DROP: int
"""The tag studies and sweeps use for the body diodes' drop (circuit model)."""

class Error(Exception):
    """Base of the errors bldc_emu raises for a run or a file."""

class RunError(Error, RuntimeError):
    """A run that cannot be done; the message is bldc-emu's."""

class ScenarioError(Error, ValueError):
    """A scenario file that cannot be read; nothing was changed."""

class FileWriteError(Error, OSError):
    """A file that could not be written whole."""

class EntryError(Error, ValueError):
    """A box text its box reads only in part, refused by strict entry."""

class EntryWarning(UserWarning):
    """A box text its box reads only in part: the box keeps what it read."""

class RunSummary:
    """What a run reports when it ends, as the graph's header shows it."""
    @property
    def rpm(self) -> float: ...
    @property
    def timing(self) -> float:
        """The timing advance in degrees."""
    @property
    def text(self) -> str:
        """"RPM = 13892;   Timing = 25.0 deg"."""
    @property
    def model(self) -> str: ...
    @property
    def warm_ups(self) -> int:
        """Circuit model: the revolutions run before the recorded one."""
    @property
    def settled(self) -> bool:
        """Circuit model: whether the start currents settled."""

class Scenario:
    """The ten parameter boxes (tags 1 to 10), the two track bars, the bridge settings and the
    view, changed by the window's rules. strict: refuse texts read only in part."""
    strict: bool
    high_side_pwm: bool
    low_side_pwm: bool
    driver: int
    """0 "2 Non Inv", 1 "Inv+Non Inv"."""
    mosfets: int
    """0 "N + N", 1 "P + N"."""
    pattern: int
    """120 or 180 (degrees)."""
    view: int
    """0 battery, 1 to 3 the comparator views, 4 the currents (circuit model)."""
    model: str
    """"static" or "circuit"."""
    inductance_uh: float
    """The winding inductance per phase, 0 to 10000 uH (circuit model)."""
    diode_drop: float
    """The body diodes' forward drop, 0 to 5 V (circuit model)."""
    def __init__(self, strict: bool = False) -> None: ...
    def set(self, tag: int, text: str) -> None:
        """Types `text` into box `tag` as bldc-emu --set TAG=TEXT does: a text read only in
        part warns (EntryWarning) or, strict, raises EntryError and changes nothing."""
    def current_scale(self, position: int) -> None:
        """Moves the maximum-current track bar to `position` (1 to 10)."""
    def duty_scale(self, position: int) -> None:
        """Moves the duty-cycle track bar to `position` (0 to 10)."""
    def text(self, tag: int) -> str:
        """The text box `tag` shows."""
    def value(self, tag: int) -> float:
        """The value the emulation uses for box `tag`."""
    @property
    def texts(self) -> dict[int, str]: ...
    @staticmethod
    def load(path: str, strict: bool = False) -> Scenario:
        """Reads a scenario file onto the default boxes; ScenarioError for a bad file."""
    def save(self, path: str) -> None:
        """Writes the scenario file; FileWriteError when it cannot."""
    def scenario_text(self) -> str: ...
    def copy(self) -> Scenario: ...
    def run(self, threads: int = 0) -> Result:
        """One electrical revolution in 1 us steps, with the GIL released; RunError with
        bldc-emu's message for a run that cannot be done."""
    def run_angle(self, degrees: float, pwm: Optional[int] = None, threads: int = 0) -> Result:
        """The single-angle run at `degrees`, PWM output held at `pwm` (default: on with
        "H-Side PWM"), as bldc-emu --angle."""

class Result:
    """One run's samples: the arrays are read-only views of the engine's records (no copy),
    each keeping the result alive through its base."""
    @property
    def time(self) -> npt.NDArray[np.float32]:
        """Microseconds since the start of the run."""
    @property
    def angle(self) -> npt.NDArray[np.float32]:
        """Electrical degrees."""
    @property
    def switches(self) -> npt.NDArray[np.int32]:
        """HA, LA, HB, LB, HC, LC levels, samples x 6."""
    @property
    def phase_v(self) -> npt.NDArray[np.float32]:
        """Terminal voltages A, B, C, samples x 3."""
    @property
    def vbatt(self) -> npt.NDArray[np.float32]: ...
    @property
    def vzero(self) -> npt.NDArray[np.float32]:
        """The star-point voltage."""
    @property
    def drive(self) -> npt.NDArray[np.int32]:
        """1 while phase k is driven high with the PWM output on, samples x 3."""
    @property
    def currents(self) -> Optional[npt.NDArray[np.float32]]:
        """Phase currents A, B, C in amperes, samples x 3; None without the circuit model."""
    @property
    def ibatt(self) -> Optional[npt.NDArray[np.float32]]:
        """The battery current in amperes; None without the circuit model."""
    @property
    def samples(self) -> np.ndarray:
        """Every record as one structured array."""
    @property
    def sample_count(self) -> int: ...
    @property
    def summary(self) -> RunSummary: ...
    @property
    def scenario(self) -> Scenario: ...
    @property
    def single_angle(self) -> bool: ...
    @property
    def address(self) -> int:
        """The address of the engine's first record."""
    def __len__(self) -> int: ...
    def channels(self, view: Optional[int] = None) -> dict[str, npt.NDArray[np.float32]]:
        """The channels of `view` (default: the scenario's) by name ("CompA+", ...)."""
    def zc(self, view: Optional[int] = None, sampling: str = "on",
           blanking: Union[float, str] = 0, filter: int = 1, start: Optional[int] = None,
           length: Optional[int] = None) -> ZcTable:
        """The zero-crossing table, as bldc-emu --zc."""
    def measure(self, start: Optional[int] = None, length: Optional[int] = None,
                view: Optional[int] = None) -> Measurements:
        """The window's measurements, as bldc-emu --measure."""
    def log_bytes(self, sep: str = ".") -> bytes:
        """The sample log's bytes, as bldc-emu --log writes them."""

class RowLayout:
    """What each row of a sweep or study looks at besides its box texts."""
    view: int
    zc: bool
    def __init__(self, scenario: Optional[Scenario] = None, *, view: Optional[int] = None,
                 start: Optional[int] = None, length: Optional[int] = None, zc: bool = False,
                 sampling: str = "on", blanking: Union[float, str] = 0, filter: int = 1,
                 angle: Optional[float] = None, pwm: Optional[int] = None) -> None: ...
    def columns(self, tag: int = 0) -> list[str]:
        """The columns of bldc-emu --sweep on box `tag`: the value's, then RPM ... ERROR."""

def sweep_rows(scenario: Scenario, layout: RowLayout,
               points: Sequence[Sequence[tuple[int, str]]]) -> list[tuple]: ...
def box_column(tag: int) -> str: ...
def sweep_text(layout: RowLayout, tag: int, values: Sequence[str], rows: Sequence[tuple],
               format: str = "csv", sep: str = ".") -> str: ...
def parse_sweep(text: str) -> tuple[int, list[tuple[str, str]]]: ...
def unread_note(tag: int, text: str) -> Optional[str]: ...
def _native_runs(scenario: Scenario, count: int) -> float: ...
