#!/usr/bin/env python3
"""How well does a sensorless drive find its zero crossings? A notebook-style study with
bldc_emu: one run looked at closely, a duty-cycle sweep of the detection error, and a
tolerance histogram of the same error over motors drawn around their nominal values.

    python3 examples/zc_study.py --out /tmp/zc             # here, on this machine's cores
    python3 examples/zc_study.py --scheduler tcp://host:8786   # on a Dask cluster

Each step writes one PNG into --out. In a notebook, run the cells of main() one by one.
"""

import argparse
import os

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import bldc_emu  # noqa: E402
from bldc_emu import studies  # noqa: E402


def column(table, *words):
    """The values of the table's column whose name holds every word (names carry units)."""
    name = next(c for c in table.columns
                if all(w in c.upper().replace("_", " ") for w in words))
    return table.column(name)


def one_run(scenario, out):
    """The terminal voltages and the comparator inputs of one revolution."""
    r = scenario.run()
    fig, (top, bottom) = plt.subplots(2, 1, sharex=True, figsize=(9, 6))
    for k, phase in enumerate("ABC"):
        top.plot(r.angle, r.phase_v[:, k], lw=0.6, label=phase)
    top.plot(r.angle, r.vzero, lw=0.8, color="k", label="star point")
    top.set_ylabel("V")
    top.legend(loc="upper right")
    for name, values in r.channels(view=2).items():
        bottom.plot(r.angle, values, lw=0.6, label=name)
    bottom.set_xlabel("electrical degrees")
    bottom.set_ylabel("V")
    bottom.legend(loc="upper right", fontsize="small")
    fig.suptitle(str(r.summary))
    fig.savefig(os.path.join(out, "one_run.png"), dpi=90)
    plt.close(fig)
    return r


def duty_sweep(scenario, out):
    """The mean and the largest detection error against the duty cycle (box 10)."""
    table = bldc_emu.sweep("10=10:100:5", scenario, zc=True)
    duty = [float(v) for v in table.column(table.columns[0])]
    fig, ax = plt.subplots(figsize=(8, 4))
    for label, words in [("mean", ("ZC", "MEAN")), ("largest", ("ZC", "MAX"))]:
        values = [np.nan if v is None else v for v in column(table, *words)]
        ax.plot(duty, values, marker="o", label=label)
    ax.set_xlabel("PWM duty cycle (%)")
    ax.set_ylabel("detection error (electrical degrees)")
    ax.legend()
    fig.savefig(os.path.join(out, "duty_sweep.png"), dpi=90)
    plt.close(fig)
    return table


def tolerance_histogram(scenario, out, draws, client=None, seed=1):
    """Motors drawn around the nominal ones: RPM/V within 3 %, resistance within 10 % (one
    standard deviation), each typed into its box with the digits the box keeps."""
    rng = np.random.default_rng(seed)
    rpm_per_volt = scenario.value(3) * rng.normal(1, 0.03, draws)
    resistance = scenario.value(4) * rng.normal(1, 0.10, draws)
    points = [{3: f"{k:.0f}", 4: f"{r:.4f}"} for k, r in zip(rpm_per_volt, resistance)]
    table = studies.run(studies.Points(points, scenario), client)
    errors = [e for e in column(table, "ZC", "MEAN") if e is not None]
    fig, ax = plt.subplots(figsize=(8, 4))
    ax.hist(errors, bins=30)
    ax.set_xlabel("mean detection error (electrical degrees)")
    ax.set_ylabel(f"motors of {draws}")
    fig.savefig(os.path.join(out, "tolerance.png"), dpi=90)
    plt.close(fig)
    return table


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=".", help="folder of the pictures")
    parser.add_argument("--draws", type=int, default=500, help="motors in the histogram")
    parser.add_argument("--scheduler", help="a Dask scheduler's address (default: run here)")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)

    scenario = bldc_emu.Scenario()
    scenario.set(6, "8000")  # 8 kHz PWM
    r = one_run(scenario, args.out)
    print(f"one run: {len(r)} samples, {r.summary}, zero crossings {r.zc().summary}")
    sweep = duty_sweep(scenario, args.out)
    print(f"duty sweep: {len(sweep)} runs, {len(sweep.failures)} refused")
    client = None
    if args.scheduler:
        from dask.distributed import Client
        client = Client(args.scheduler)
    tolerance = tolerance_histogram(scenario, args.out, args.draws, client)
    print(f"tolerance: {len(tolerance)} motors")


if __name__ == "__main__":
    main()
