#!/usr/bin/python3
"""Loads the --grid file of leaky-drawdown with GDAL, the library behind QGIS
and rasterio, and checks it: size and georeference against the same run's
ARCFILE, and every value against the drawdown model's own (computed node by
node by REFERENCE, bit for bit) and against ARCFILE's rounded one.

usage: gdal_grid_test.py PROGRAM REFERENCE EXAMPLE_INPUT
"""
import decimal
import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np
from osgeo import gdal

gdal.UseExceptions()

# Drawdowns of 100 feet and more, and of -10 and less: ARCFILE's six-column
# fields touch here ("  1.07100.25"), which is where a reader splitting on
# blanks goes wrong.
STRONG_WELLS = """12
9
500000
4000000
5000
0.1
0.0001
10
50
1
3
3.5
4.0
1500000
9.0
6.5
-700000
2.0
8.0
400000
"""

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def read_arcfile(path):
    with open(path, "rb") as f:
        lines = f.read().decode("ascii").split("\r\n")
    ncol = int(lines[0][4:])
    nrow = int(lines[1][4:])
    xll = int(lines[2][9:])
    yll = int(lines[3][9:])
    cellsize = int(lines[4][8:])
    rows = []
    for line in lines[6:6 + nrow]:
        # Six columns per value, with no separator of their own.
        rows.append([line[6 * c:6 * c + 6] for c in range(ncol)])
    return ncol, nrow, xll, yll, cellsize, rows


def answers(path):
    """The first value of every line that holds one, as the program reads its input."""
    with open(path) as f:
        return [line.split()[0] for line in f if line.strip()]


def reference_values(reference, input_path):
    """The model's drawdowns for the input, as float32, top row first."""
    a = answers(input_path)
    nx, ny, t, leak, s, time, spacing, nwell = a[0], a[1], a[4], a[5], a[6], a[7], a[8], int(a[10])
    wells = a[11:11 + 3 * nwell]
    out = subprocess.run([reference, nx, ny, t, leak, s, time, spacing] + wells, capture_output=True, check=True)
    return np.array([line.split() for line in out.stdout.decode().splitlines()], dtype=np.float64).astype(np.float32)


def hundredths(value):
    """The value's exact binary value rounded to two decimals, a half away from zero."""
    return decimal.Decimal(float(value)).quantize(decimal.Decimal("0.01"), rounding=decimal.ROUND_HALF_UP)


def run_case(name, program, reference, input_path):
    folder = tempfile.mkdtemp(prefix="gdal-grid-")
    try:
        shutil.copy(input_path, os.path.join(folder, "in.dat"))
        run = subprocess.run([program, "--grid", "drawdown.asc", "in.dat", "out.rpt"], cwd=folder,
                             stdin=subprocess.DEVNULL, capture_output=True)
        check(run.returncode == 0, f"{name}: exit status {run.returncode}: {run.stderr!r}")
        check(run.stderr == b"", f"{name}: standard error {run.stderr!r}")
        if run.returncode != 0:
            return

        ncol, nrow, xll, yll, cellsize, arc_rows = read_arcfile(os.path.join(folder, "ARCFILE"))
        grid_path = os.path.join(folder, "drawdown.asc")
        dataset = gdal.Open(grid_path)
        check(dataset.GetDriver().ShortName == "AAIGrid", f"{name}: driver {dataset.GetDriver().ShortName}")
        check((dataset.RasterXSize, dataset.RasterYSize) == (ncol, nrow),
              f"{name}: size {dataset.RasterXSize} x {dataset.RasterYSize}, ARCFILE {ncol} x {nrow}")
        # Node (c, r) lies at XLL + c * cellsize, the centre of its cell.
        expected = (xll + cellsize / 2, cellsize, 0.0, yll + cellsize / 2 + nrow * cellsize, 0.0, -cellsize)
        check(dataset.GetGeoTransform() == expected,
              f"{name}: geotransform {dataset.GetGeoTransform()}, expected {expected}")
        band = dataset.GetRasterBand(1)
        check(band.DataType == gdal.GDT_Float32, f"{name}: data type {gdal.GetDataTypeName(band.DataType)}")
        check(band.GetNoDataValue() == -9999, f"{name}: no-data value {band.GetNoDataValue()}")
        values = band.ReadAsArray()

        # GDAL reads each value exactly as written ...
        with open(grid_path) as f:
            texts = [line.split() for line in f.read().splitlines()[6:]]
        written = np.array(texts, dtype=np.float32)
        check(written.shape == values.shape, f"{name}: {written.shape} values written, GDAL read {values.shape}")
        if written.shape == values.shape:
            check(np.array_equal(written.view(np.uint32), values.astype(np.float32).view(np.uint32)),
                  f"{name}: GDAL's values differ from the written ones")

        # ... each is the model's drawdown, bit for bit ...
        expected_values = reference_values(reference, input_path)
        check(expected_values.shape == values.shape, f"{name}: reference shape {expected_values.shape}")
        if expected_values.shape == values.shape:
            differ = np.flatnonzero(expected_values.view(np.uint32) != values.astype(np.float32).view(np.uint32))
            check(differ.size == 0, f"{name}: {differ.size} values differ from the model's, first at "
                                    f"{np.unravel_index(differ[0], values.shape) if differ.size else None}")

        # ... and ARCFILE shows it rounded.
        compared = 0
        wide = 0
        for r in range(nrow):
            for c in range(ncol):
                field = arc_rows[r][c]
                if "*" in field:
                    continue
                wide += field[0] != " "
                compared += 1
                check(hundredths(values[r, c]) == decimal.Decimal(field.strip()),
                      f"{name}: row {r + 1} column {c + 1}: grid {values[r, c]!r}, ARCFILE {field!r}")
        print(f"{name}: {nrow} x {ncol} grid, {compared} values agree with ARCFILE "
              f"({wide} of them fill their six columns there)")
        check(compared > 0, f"{name}: no value compared")
        return wide
    finally:
        shutil.rmtree(folder)


def main():
    program, reference, example = sys.argv[1], sys.argv[2], sys.argv[3]
    cases = 0
    failed = 0
    for name, text in (("example", None), ("strong wells", STRONG_WELLS)):
        before = len(failures)
        if text is None:
            run_case(name, program, reference, example)
        else:
            with tempfile.NamedTemporaryFile("w", suffix=".dat", delete=False) as f:
                f.write(text)
            try:
                wide = run_case(name, program, reference, f.name)
                check(bool(wide), f"{name}: no ARCFILE field fills its six columns")
            finally:
                os.unlink(f.name)
        cases += 1
        failed += len(failures) > before
    print(f"{cases - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
