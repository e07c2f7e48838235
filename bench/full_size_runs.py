#!/usr/bin/env python3
"""Whole-process timing of full-size runs: the default evaluation against the
reference evaluation (LEAKY_EVALUATION=reference).

Generates three inputs on a 300 x 300 grid with a leaky aquifer whose u stays
below 6 over the whole grid (every node integrates):
  (a) 999 wells at whole- and half-node positions in and around the grid,
  (b) 999 wells at random fractional positions,
  (c) 50 wells at random fractional positions.
Runs the program on each, default and reference interleaved, checks that the
two give byte-identical reports and ARCFILEs, and prints the medians, the
ratios and the peak memory (maximum resident set) of the default runs.
Then runs the default evaluation of each input once with LEAKY_THREADS set to
each of 1, 2, 64 and 256 and prints the peak memory of each run, which must
not grow with the thread count (and stay within 100 MiB); their outputs must
be the same bytes too.

Usage: full_size_runs.py PROGRAM [--fast-runs N] [--reference-runs A,B,C] [--only a,b,c]
                         [--peak-threads 1,2,64,256] [--peak-only]
"""

import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

T, LEAK, S, TIME, SPACING = 50000, 0.001, 0.0002, 30, 100
NX = NY = 300


def write_input(path, wells):
    lines = [NX, NY, 2150000, 730000, T, LEAK, S, TIME, SPACING, 2, len(wells)]
    with open(path, "w") as f:
        for v in lines:
            f.write(f"{v}\n")
        for x, y, q in wells:
            f.write(f"{x}\n{y}\n{q}\n")


def rate(rng):
    q = rng.uniform(1e4, 1e6)
    return round(-q if rng.random() < 0.2 else q)


def lattice_wells(rng, n):
    wells = []
    while len(wells) < n:
        # Half-node steps from 20 nodes outside the grid to 20 beyond it.
        x = rng.randint(-40, 2 * NX + 40) / 2
        y = rng.randint(-40, 2 * NY + 40) / 2
        if x == 0:  # a zero x would end the well list
            continue
        wells.append((x, y, rate(rng)))
    return wells


def random_wells(rng, n):
    return [(round(rng.uniform(1, NX), 4), round(rng.uniform(1, NY), 4), rate(rng)) for _ in range(n)]


def run(program, folder, name, reference, threads=None):
    env = dict(os.environ)
    if reference:
        env["LEAKY_EVALUATION"] = "reference"
    else:
        env.pop("LEAKY_EVALUATION", None)
    if threads is None:
        env.pop("LEAKY_THREADS", None)
    else:
        env["LEAKY_THREADS"] = str(threads)
    start = time.perf_counter()
    proc = subprocess.Popen([program], cwd=folder, env=env, stdin=subprocess.PIPE,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    proc.stdin.write(f"{name}.dat\n{name}.rpt\n".encode())
    proc.stdin.close()
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    err = proc.stderr.read().decode()
    proc.stderr.close()
    if status != 0:
        sys.exit(f"{name}: the program failed ({status}): {err}")
    with open(os.path.join(folder, f"{name}.rpt"), "rb") as f:
        report = f.read()
    with open(os.path.join(folder, "ARCFILE"), "rb") as f:
        raster = f.read()
    return elapsed, usage.ru_maxrss / 1024.0, report + raster


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("program")
    parser.add_argument("--fast-runs", type=int, default=9)
    parser.add_argument("--reference-runs", default="3,3,5")
    parser.add_argument("--only", default="a,b,c")
    parser.add_argument("--peak-threads", default="1,2,64,256")
    parser.add_argument("--peak-only", action="store_true", help="only the peak memory by thread count")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    reference_runs = dict(zip("abc", (int(n) for n in args.reference_runs.split(","))))

    rng = random.Random(20240605)
    inputs = {"a": lattice_wells(rng, 999), "b": random_wells(rng, 999), "c": random_wells(rng, 50)}
    targets = {"a": 150, "b": 25, "c": 10}
    titles = {"a": "999 wells on whole and half nodes", "b": "999 wells at random positions",
              "c": "50 wells at random positions"}
    results = {}
    peak_threads = [int(n) for n in args.peak_threads.split(",")] if args.peak_threads else []
    with tempfile.TemporaryDirectory() as folder:
        for name in args.only.split(","):
            write_input(os.path.join(folder, f"{name}.dat"), inputs[name])
        peaks = peak_memory(program, folder, args.only.split(","), peak_threads)
        if args.peak_only:
            return report_peaks(peaks, titles, peak_threads)
        for name in args.only.split(","):
            write_input(os.path.join(folder, f"{name}.dat"), inputs[name])
            fast, reference, memory = [], [], []
            expected = None
            n_ref = reference_runs[name]
            # Interleave: one reference run after every few default runs.
            for i in range(max(args.fast_runs, n_ref)):
                if i < args.fast_runs:
                    t, rss, out = run(program, folder, name, reference=False)
                    fast.append(t)
                    memory.append(rss)
                    if expected is not None and out != expected:
                        sys.exit(f"{name}: the default run's outputs differ from the reference run's")
                    expected = expected or out
                if i < n_ref:
                    t, _, out = run(program, folder, name, reference=True)
                    reference.append(t)
                    if expected is not None and out != expected:
                        sys.exit(f"{name}: the reference run's outputs differ from the default run's")
                    expected = expected or out
                print(f"  ({name}) run {i + 1}: default {fast[-1]:.3f} s"
                      + (f", reference {reference[-1]:.2f} s" if i < n_ref else ""), flush=True)
            results[name] = (statistics.median(fast),
                             statistics.median(reference) if reference else float("nan"), max(memory))

    print()
    print(f"{'input':<40} {'default':>9} {'reference':>10} {'ratio':>8} {'target':>7} {'peak memory':>12}")
    ok = True
    for name, (f, r, m) in results.items():
        ratio = r / f
        ok = ok and ratio >= targets[name] and m <= 100
        print(f"({name}) {titles[name]:<36} {f:8.3f}s {r:9.2f}s {ratio:7.1f}x {targets[name]:6d}x {m:9.1f} MiB")
    print()
    print("outputs of default and reference runs identical; "
          + ("all targets met" if ok else "NOT all targets met"))
    if peak_threads:
        print()
        report_peaks(peaks, titles, peak_threads)
    return 0


def peak_memory(program, folder, names, thread_counts):
    """Peak memory (MiB) of one default run per input and thread count; checks
    that every thread count gives the same outputs."""
    peaks = {}
    for name in names:
        outputs = None
        for threads in thread_counts:
            t, rss, out = run(program, folder, name, reference=False, threads=threads)
            if outputs is not None and out != outputs:
                sys.exit(f"{name}: the outputs with LEAKY_THREADS={threads} differ from those with "
                         f"{thread_counts[0]}")
            outputs = out
            peaks[(name, threads)] = rss
            print(f"  ({name}) LEAKY_THREADS={threads}: {t:.3f} s, peak memory {rss:.1f} MiB", flush=True)
    return peaks


def report_peaks(peaks, titles, thread_counts):
    names = sorted({name for name, _ in peaks})
    print(f"{'peak memory by LEAKY_THREADS':<40}" + "".join(f"{n:>10}" for n in thread_counts))
    ok = True
    for name in names:
        row = [peaks[(name, n)] for n in thread_counts]
        ok = ok and max(row) <= 100
        print(f"({name}) {titles[name]:<36}" + "".join(f"{m:6.1f} MiB" for m in row))
    print()
    print("outputs identical for every thread count; "
          + ("peak memory within 100 MiB at every thread count" if ok else "peak memory NOT within 100 MiB"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
