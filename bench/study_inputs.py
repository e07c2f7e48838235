#!/usr/bin/env python3
"""Large study inputs: reading many names, and schedules of many steps.

1. Reading: a study with 1,000,000 receptors from a CSV file (22 MB) and one
   with 100,000 wells from a CSV file, each read and checked (every value and
   name, names unique) by study_read_bench; the medians of the read times
   (targets: under 5 s and under 2 s).
2. Schedules against plain wells, on a 40 x 30 grid at day 30: a well with a
   schedule of 10,000 steps (one every 0.001 days, all before day 30, so every
   step is a term of the grid) against 10,000 plain wells, whole study runs.
   The time per node-term evaluation of each and their ratio (target: the
   schedule at most 1.3x the plain wells). The schedule's well is placed once
   between nodes (the plain wells are at random positions: neither reuses a
   value) and once on a node (the grid's symmetry about it lets the engine
   reuse values, so that one is cheaper).
3. A schedule of 1,000,000 steps (one every 0.0003 days, all before day 365) on
   the 40 x 30 grid at day 365: one whole study run (target: under 30 s). The
   steps are one long run of terms at one position, which the exact grid sums
   from its Chebyshev pieces (src/engine/true_run-inl.h); so are part 2's.
4. Compliance of a schedule of many steps: part 2's 10,000-step well (between
   nodes) with a receptor about 280 ft away, once without a limit, once
   limited to 20 ft (kept) and once to 2.3 ft (exceeded): whole study runs,
   the compliance's search being the difference (no target: the figures are
   to be read against the README's).

Each study run is checked to end with status 0. Medians of --runs runs.

Usage: study_inputs.py PROGRAM READ_BENCH [--runs N] [--skip-million]
"""

import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

COLUMNS, ROWS, SPACING = 40, 30, 100
NODES = COLUMNS * ROWS


def write_study(folder, name, times, wells_file=None, receptors_file=None, wells="", receptors=""):
    path = os.path.join(folder, name)
    with open(path, "w") as f:
        f.write('title = "bench"\n')
        f.write("times = [%s]\n" % ", ".join("%.1f" % t for t in times))
        if wells_file:
            f.write('wells_file = "%s"\n' % wells_file)
        if receptors_file:
            f.write('receptors_file = "%s"\n' % receptors_file)
        f.write("\n[aquifer]\ntransmissivity = 50000.0\nleakance = 0.001\nstorage = 0.0002\n")
        f.write("\n[grid]\nxll = 0.0\nyll = 0.0\nspacing = %d\ncolumns = %d\nrows = %d\n" % (SPACING, COLUMNS, ROWS))
        f.write(wells)
        f.write(receptors)
    return path


def rate(k):
    return 150000 + 10000 * (k % 10)  # never the same twice in a row: every step is a rate change


def write_schedule(path, steps, every, x, y):
    with open(path, "w") as f:
        f.write("name,x,y,start_day,rate\n")
        for k in range(steps):
            f.write("PW-1,%s,%s,%.6f,%d\n" % (x, y, k * every, rate(k)))


def write_plain_wells(path, count, rng):
    with open(path, "w") as f:
        f.write("name,x,y,rate\n")
        for k in range(count):
            f.write("W%06d,%.3f,%.3f,%d\n" % (k, rng.uniform(0, COLUMNS * SPACING), rng.uniform(0, ROWS * SPACING), rate(k)))


def write_receptors(path, count, rng):
    with open(path, "w") as f:
        f.write("name,x,y\n")
        for k in range(count):
            f.write("receptor %07d,%.3f,%.3f\n" % (k, rng.uniform(0, 40000), rng.uniform(0, 30000)))


def read_seconds(read_bench, study, runs):
    times = []
    for _ in range(runs):
        out = subprocess.run([read_bench, study], check=True, capture_output=True, text=True).stdout
        times.append(float(out.split()[1]))
    return statistics.median(times), out.strip()


def run_seconds(program, study, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        r = subprocess.run([program, "--study", study], capture_output=True, text=True)
        times.append(time.perf_counter() - start)
        if r.returncode != 0:
            sys.exit("study %s ended with status %d: %s" % (study, r.returncode, r.stderr))
    return statistics.median(times)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("program")
    ap.add_argument("read_bench")
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--skip-million", action="store_true")
    args = ap.parse_args()
    rng = random.Random(23)
    with tempfile.TemporaryDirectory() as folder:
        print("Reading large study inputs (median of %d reads):" % args.runs)
        one_well = '\n[[well]]\nname = "PW-1"\nx = 1950.0\ny = 1450.0\nrate = 250000.0\n'
        write_receptors(os.path.join(folder, "receptors.csv"), 1000000, rng)
        study = write_study(folder, "receptors.toml", [30.0], receptors_file="receptors.csv", wells=one_well)
        seconds, what = read_seconds(args.read_bench, study, args.runs)
        print("  1,000,000 receptors: %6.2f s  (target < 5 s)   %s" % (seconds, what.split(" ", 1)[1]))
        write_plain_wells(os.path.join(folder, "wells100k.csv"), 100000, rng)
        study = write_study(folder, "wells100k.toml", [30.0], wells_file="wells100k.csv")
        seconds, what = read_seconds(args.read_bench, study, args.runs)
        print("  100,000 wells:       %6.2f s  (target < 2 s)   %s" % (seconds, what.split(" ", 1)[1]))

        print("\nSchedules against plain wells, 40 x 30 nodes, day 30 (median of %d runs):" % args.runs)
        terms = 10000
        write_plain_wells(os.path.join(folder, "plain.csv"), terms, rng)
        plain = run_seconds(args.program, write_study(folder, "plain.toml", [30.0], wells_file="plain.csv"), args.runs)
        per_plain = plain / (NODES * terms) * 1e9
        print("  10,000 plain wells:              %6.2f s  %6.1f ns per node-term" % (plain, per_plain))
        for where, x, y in (("between nodes", "1234.567", "1587.321"), ("on a node", "1950.0", "1450.0")):
            csv = "schedule_%s.csv" % where.split()[0]
            write_schedule(os.path.join(folder, csv), terms, 0.001, x, y)
            seconds = run_seconds(args.program, write_study(folder, csv + ".toml", [30.0], wells_file=csv), args.runs)
            per = seconds / (NODES * terms) * 1e9
            print("  10,000 steps, well %-13s %6.2f s  %6.1f ns per node-term  %.2fx the plain wells (target <= 1.3x)"
                  % (where + ":", seconds, per, per / per_plain))

        print("\nCompliance of a schedule of 10,000 steps, a receptor 280 ft away (median of %d runs):" % args.runs)
        csv = "schedule_between.csv"
        base = None
        for label, limit in (("no limit", ""), ("limit 20 ft (kept)", "limit = 20.0\n"),
                             ("limit 2.3 ft (exceeded)", "limit = 2.3\n")):
            receptor = '\n[[receptor]]\nname = "R"\nx = 1500.0\ny = 1500.0\n' + limit
            study = write_study(folder, "compliance_%d.toml" % len(limit), [30.0], wells_file=csv, receptors=receptor)
            seconds = run_seconds(args.program, study, args.runs)
            base = seconds if base is None else base
            print("  %-24s %6.2f s  (%+.2f s)" % (label + ":", seconds, seconds - base))

        if not args.skip_million:
            print("\nA schedule of 1,000,000 steps, 40 x 30 nodes, day 365 (one run):")
            for where, x, y in (("on a node", "1950.0", "1450.0"), ("between nodes", "1234.567", "1587.321")):
                write_schedule(os.path.join(folder, "million.csv"), 1000000, 0.0003, x, y)
                seconds = run_seconds(args.program, write_study(folder, "million.toml", [365.0], wells_file="million.csv"), 1)
                print("  well %-14s %6.1f s  %6.1f ns per node-term  (target < 30 s)"
                      % (where + ":", seconds, seconds / (NODES * 1e6) * 1e9))


if __name__ == "__main__":
    main()
