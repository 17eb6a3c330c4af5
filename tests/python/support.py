"""What the Python module's tests share: the command line to compare with, and a reader of its
Value Change Dumps, whose reals are the shortest texts that read back as the float32 values."""

import os
import subprocess

import numpy as np

CLI = os.environ.get("BLDC_EMU", "bldc-emu")


def cli(*args, check=True):
    """bldc-emu's standard output (bytes), standard error (text) and exit status."""
    done = subprocess.run([CLI, *args], capture_output=True, env={**os.environ, "LC_ALL": "C"})
    if check and done.returncode != 0:
        raise AssertionError(f"bldc-emu {' '.join(args)}: {done.stderr.decode()}")
    return done.stdout, done.stderr.decode(), done.returncode


def set_args(texts):
    """--set options for {tag: text}."""
    return [f"--set={tag}={text}" for tag, text in texts.items()]


def read_vcd(text, count):
    """{variable name ("A", "view.A"): values at samples 0 ... count - 1}, float32 for reals, int32 for wires;
    a variable keeps its value until it changes, and time stamp t stands for sample t."""
    ids, kinds, values, current, scopes = {}, {}, {}, {}, []
    body = text.split("$enddefinitions $end", 1)
    for line in body[0].splitlines():
        parts = line.split()
        if parts[:1] == ["$scope"]:
            scopes.append(parts[2])
        elif parts[:1] == ["$upscope"]:
            scopes.pop()
        elif parts[:1] == ["$var"]:
            name = ".".join(scopes[1:] + [parts[4]])  # "A", or "view.A" for a channel
            ids[parts[3]] = name
            kinds[name] = np.float32 if parts[1] == "real" else np.int32
    for name, kind in kinds.items():
        values[name] = np.zeros(count, dtype=kind)
    time = None

    def fill(until):
        for code, value in current.items():
            values[ids[code]][time:until] = value

    for line in body[1].splitlines():
        if line.startswith("#"):
            stamp = min(int(line[1:]), count)
            if time is not None:
                fill(stamp)
            time = stamp
        elif line.startswith("r"):
            number, code = line[1:].split()
            current[code] = np.float32(number)
        elif line[:1] in ("0", "1"):
            current[line[1:]] = int(line[0])
    fill(count)
    return values
