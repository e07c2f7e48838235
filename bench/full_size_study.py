#!/usr/bin/env python3
"""Whole-process timing of a full-size study against the input-file run.

Generates a study of 300 x 300 nodes and 999 wells at random map coordinates
(rates 1e4 to 1e6 gpd, a fifth negative) evaluated at 30, 90 and 365 days,
and the three input-file runs of the same grid and wells at those times (each
well at the node-unit position the study gives it, written with the digits
that bring back the same single). Runs the study and the three runs in turn
several times, checks that each study grid file is byte for byte the --grid
file of the input-file run of its time, and prints the time per node-well-time
evaluation of each, their ratio (target: the study within 1.3x of the
input-file runs) and the peak memory (maximum resident set). The study runs
twice in each round: by the rule (well_function = "rule", the one compared with
the input-file runs) and by the true well function (the default), whose time
is compared with the rule's (target: within 1.2x).

Usage: full_size_study.py PROGRAM [--runs N]
"""

import argparse
import os
import random
import statistics
import struct
import subprocess
import sys
import tempfile
import time

T, LEAK, S, SPACING = 50000, 0.001, 0.0002, 100
NX = NY = 300
WELLS = 999
TIMES = (30, 90, 365)
XLL, YLL = 2150000.0, 730000.0  # the study's corner: the input-file run's XLL, YLL plus half a spacing
TARGET = 1.3
EXACT_TARGET = 1.2


def single(v):
    """v rounded to the nearest single, as a Python float."""
    return struct.unpack("f", struct.pack("f", v))[0]


def node_position(coordinate, corner):
    return single((coordinate - corner) / SPACING + 0.5)


def make_wells(rng):
    wells = []
    while len(wells) < WELLS:
        x = round(rng.uniform(XLL - 500, XLL + NX * SPACING + 500), 2)
        y = round(rng.uniform(YLL - 500, YLL + NY * SPACING + 500), 2)
        q = round(rng.uniform(1e4, 1e6))
        if rng.random() < 0.2:
            q = -q
        if node_position(x, XLL) == 0.0:  # a zero x would end the input-file run's well list
            continue
        wells.append((x, y, q))
    return wells


def write_study(path, wells, well_function, folder):
    with open(path, "w") as f:
        f.write('title = "full-size study"\n')
        f.write("times = [%s]\n\n" % ", ".join(f"{t}.0" for t in TIMES))
        f.write(f"[aquifer]\ntransmissivity = {T}\nleakance = {LEAK}\nstorage = {S}\n\n")
        f.write(f"[grid]\nxll = {XLL}\nyll = {YLL}\nspacing = {SPACING}\ncolumns = {NX}\nrows = {NY}\n\n")
        for k, (x, y, q) in enumerate(wells):
            f.write(f'[[well]]\nname = "W{k + 1}"\nx = {x!r}\ny = {y!r}\nrate = {q}\n\n')
        f.write(f'[output]\nfolder = "{folder}"\ngrid = "drawdown.asc"\nwell_function = "{well_function}"\n')


def write_input(path, wells, days):
    lines = [NX, NY, int(XLL - SPACING / 2), int(YLL - SPACING / 2), T, LEAK, S, days, SPACING, 2, len(wells)]
    with open(path, "w") as f:
        for v in lines:
            f.write(f"{v}\n")
        for x, y, q in wells:
            f.write("%.9g\n%.9g\n%d\n" % (node_position(x, XLL), node_position(y, YLL), q))


def timed(arguments, folder):
    env = dict(os.environ)
    env.pop("LEAKY_EVALUATION", None)
    start = time.perf_counter()
    proc = subprocess.Popen(arguments, cwd=folder, env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    err = proc.stderr.read().decode()
    proc.stderr.close()
    if status != 0:
        sys.exit(f"{' '.join(arguments)}: the program failed ({status}): {err}")
    return elapsed, usage.ru_maxrss / 1024.0


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("program")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    program = os.path.abspath(args.program)

    wells = make_wells(random.Random(20241207))
    study_times, study_memory, exact_times, exact_memory = [], [], [], []
    run_times = {t: [] for t in TIMES}
    run_memory = []
    with tempfile.TemporaryDirectory() as folder:
        write_study(os.path.join(folder, "study.toml"), wells, "rule", "study-out")
        write_study(os.path.join(folder, "exact.toml"), wells, "exact", "exact-out")
        for t in TIMES:
            write_input(os.path.join(folder, f"run{t}.dat"), wells, t)
        for i in range(args.runs):
            line = f"  run {i + 1}:"
            for t in TIMES:
                elapsed, rss = timed([program, "--grid", f"run{t}.asc", f"run{t}.dat", f"run{t}.rpt"], folder)
                run_times[t].append(elapsed)
                run_memory.append(rss)
                line += f" day {t} {elapsed:.2f} s,"
            elapsed, rss = timed([program, "--study", "study.toml"], folder)
            study_times.append(elapsed)
            study_memory.append(rss)
            line += f" study {elapsed:.2f} s,"
            elapsed, rss = timed([program, "--study", "exact.toml"], folder)
            exact_times.append(elapsed)
            exact_memory.append(rss)
            print(f"{line} exact study {elapsed:.2f} s", flush=True)
            for t in TIMES:
                if read(os.path.join(folder, "study-out", f"drawdown_{t}d.asc")) != read(os.path.join(folder, f"run{t}.asc")):
                    sys.exit(f"the study's grid at day {t} differs from the input-file run's")

    evaluations = NX * NY * WELLS * len(TIMES)
    runs = sum(statistics.median(run_times[t]) for t in TIMES)
    study = statistics.median(study_times)
    ratio = study / runs
    print()
    print(f"{'':<44} {'median':>9} {'per evaluation':>15} {'peak memory':>12}")
    print(f"{'three input-file runs (days ' + ', '.join(map(str, TIMES)) + ')':<44} {runs:8.2f}s "
          f"{runs / evaluations * 1e9:12.2f} ns {max(run_memory):8.1f} MiB")
    print(f"{'one study of the three times':<44} {study:8.2f}s "
          f"{study / evaluations * 1e9:12.2f} ns {max(study_memory):8.1f} MiB")
    exact = statistics.median(exact_times)
    print(f"{'one study of the three times, true W':<44} {exact:8.2f}s "
          f"{exact / evaluations * 1e9:12.2f} ns {max(exact_memory):8.1f} MiB")
    print()
    exact_ratios = [e / r for e, r in zip(exact_times, study_times)]
    exact_ratio = statistics.median(exact_ratios)
    print(f"true W / rule study, run by run: {', '.join(f'{x:.3f}' for x in exact_ratios)}; median {exact_ratio:.3f}x "
          f"(target: within {EXACT_TARGET}x); " + ("target met" if exact_ratio <= EXACT_TARGET else "target NOT met"))
    print(f"study / input-file runs: {ratio:.3f}x (target: within {TARGET}x); grids identical byte for byte; "
          + ("target met" if ratio <= TARGET else "target NOT met"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
