#!/usr/bin/env python3
"""The Python module's figures for `make bench`:

  1. 10,000 default runs from Python, each followed by its zero-crossing summary, against the
     same work in C++ on one thread (the module's _native_runs): goal within 1.2 x.
  2. A 20,000-run study on a LocalCluster of 2 worker processes against 1: goal at least
     1.7 x faster.

Each figure is the median of --repeat measurements. Needs PYTHONPATH to hold the built
module (make bench sets it).
"""

import argparse
import statistics
import time
import warnings

import bldc_emu
from bldc_emu import _core, studies


def timed(work):
    start = time.perf_counter()
    work()
    return time.perf_counter() - start


def python_runs(scenario, count):
    for _ in range(count):
        scenario.run(threads=1).zc().summary


def runs_figure(count, repeat):
    scenario = bldc_emu.Scenario()
    python, native = [], []
    for _ in range(repeat):  # alternated, so that a busy moment hits both
        python.append(timed(lambda: python_runs(scenario, count)))
        native.append(timed(lambda: _core._native_runs(scenario, count)))
    p, n = statistics.median(python), statistics.median(native)
    print(f"{count} default runs with their zero-crossing summary: Python {p:.3f} s, "
          f"C++ {n:.3f} s, ratio {p / n:.3f} (goal <= 1.2)")
    return p / n


def study_figure(runs, repeat):
    from dask.distributed import Client, LocalCluster
    # Runs near the default one: the upper half of the duty cycles, PWM from 4 kHz up.
    duties = [str(d) for d in range(51, 101)]
    frequencies = [str(4000 + 100 * f) for f in range(max(1, runs // len(duties)))]
    study = studies.Sweep({10: duties, 6: frequencies})
    seconds, tables = {}, {}
    for workers in (1, 2):
        with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                          dashboard_address=None, host="127.0.0.1") as cluster, \
                Client(cluster) as client:
            studies.run(studies.Sweep({10: duties[:4]}), client)  # workers warmed up
            times = []
            for _ in range(repeat):
                times.append(timed(lambda: tables.__setitem__(workers,
                                                              studies.run(study, client))))
            seconds[workers] = statistics.median(times)
    same = tables[1].to_csv() == tables[2].to_csv()
    speedup = seconds[1] / seconds[2]
    print(f"{len(study)}-run study on a LocalCluster: 1 worker {seconds[1]:.2f} s, 2 workers "
          f"{seconds[2]:.2f} s, {speedup:.2f} x faster (goal >= 1.7), same table: {same}")
    return speedup


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=10000)
    parser.add_argument("--study-runs", type=int, default=20000)
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    warnings.filterwarnings("ignore", category=DeprecationWarning)
    runs_figure(args.runs, args.repeat)
    study_figure(args.study_runs, max(1, args.repeat - 2))


if __name__ == "__main__":
    main()
