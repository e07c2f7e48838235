#!/usr/bin/python3
"""Loads the --grid file of leaky-drawdown with GDAL, the library behind QGIS
and rasterio, and checks it: size and georeference against the same run's
ARCFILE, and every value against the drawdown model's own (computed node by
node by REFERENCE, bit for bit) and against ARCFILE's rounded one. Then the
GIS outputs of a run with a CRS: the GeoTIFF (--grid .tif) with GDAL and
gdalinfo (size, geotransform, CRS, NoData, band description, every value bit
for bit), the .prj beside an .asc (as GDAL's own AAIGrid driver writes it), and
the contour layer (--contours) with ogrinfo and OGR (the requested levels
exactly, the two attributes, the CRS, and every vertex where the grid's linear
interpolation puts its level).

usage: gdal_grid_test.py PROGRAM REFERENCE EXAMPLE_INPUT
"""
import decimal
import os
import shutil
import subprocess
import sys
import tempfile

import json

import numpy as np
from osgeo import gdal, ogr, osr

gdal.UseExceptions()
ogr.UseExceptions()

CRS = "EPSG:2264"  # NAD83 / North Carolina (ftUS)

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


def run_case(name, program, reference, input_path, levels):
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

        check_gis_outputs(name, program, expected_values, input_path, levels, folder)
        return wide
    finally:
        shutil.rmtree(folder)


def on_the_level(values, x, y, level, xll, yll, cellsize):
    """'' when the map point (x, y) lies on a cell edge of `values` (top row
    first) where the linear interpolation between the edge's nodes gives
    `level`, within a millionth of a node; else what is wrong."""
    nrow, ncol = values.shape
    c = (x - xll) / cellsize          # node units: node (c, r) at XLL + c * cellsize
    r = (y - yll) / cellsize
    tol = 1e-9
    where = f"vertex ({x}, {y}) = node ({c}, {r}), level {level}"
    if c < 1 - tol or c > ncol + tol or r < 1 - tol or r > nrow + tol:
        return where + ": outside the nodes"
    node = lambda cc, rr: float(values[nrow - rr, cc - 1])
    if abs(r - round(r)) < tol:
        rr = round(r)
        i = max(1, min(int(np.floor(c + tol)), ncol - 1))
        a, b, t = node(i, rr), node(i + 1, rr), c - i
    elif abs(c - round(c)) < tol:
        cc = round(c)
        j = max(1, min(int(np.floor(r + tol)), nrow - 1))
        a, b, t = node(cc, j), node(cc, j + 1), r - j
    else:
        return where + ": inside a cell, not on an edge"
    if not min(a, b) <= level <= max(a, b):
        return where + f": the level is not between the edge's nodes {a}, {b}"
    if abs((level - a) / (b - a) - t) > 1e-6:
        return where + f": the interpolation puts it at {(level - a) / (b - a)} along the edge, not {t}"
    return ""


def check_gis_outputs(name, program, expected_values, input_path, levels, folder):
    """A run with --grid .tif, --contours .gpkg and --crs; then one with --grid .asc and --crs."""
    days = float(answers(input_path)[7])
    levels_text = ",".join(levels)
    run = subprocess.run([program, "--grid", "drawdown.tif", "--crs", CRS, "--contours", "contours.gpkg",
                          "--levels", levels_text, "in.dat", "gis.rpt"], cwd=folder,
                         stdin=subprocess.DEVNULL, capture_output=True)
    check(run.returncode == 0 and run.stderr == b"", f"{name}: GIS run: {run.returncode} {run.stderr!r}")
    if run.returncode != 0:
        return
    ncol, nrow, xll, yll, cellsize, _ = read_arcfile(os.path.join(folder, "ARCFILE"))
    expected_crs = osr.SpatialReference()
    expected_crs.SetFromUserInput(CRS)

    # The GeoTIFF, with GDAL ...
    tif = os.path.join(folder, "drawdown.tif")
    dataset = gdal.Open(tif)
    check(dataset.GetDriver().ShortName == "GTiff", f"{name}: driver {dataset.GetDriver().ShortName}")
    check((dataset.RasterXSize, dataset.RasterYSize, dataset.RasterCount) == (ncol, nrow, 1),
          f"{name}: GeoTIFF size {dataset.RasterXSize} x {dataset.RasterYSize} x {dataset.RasterCount}")
    geotransform = (xll + cellsize / 2, cellsize, 0.0, yll + cellsize / 2 + nrow * cellsize, 0.0, -cellsize)
    check(dataset.GetGeoTransform() == geotransform, f"{name}: GeoTIFF geotransform {dataset.GetGeoTransform()}")
    check(dataset.GetSpatialRef() is not None and dataset.GetSpatialRef().IsSame(expected_crs),
          f"{name}: GeoTIFF CRS {dataset.GetProjection()[:60]}")
    check(dataset.GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE") == "DEFLATE", f"{name}: not DEFLATE")
    band = dataset.GetRasterBand(1)
    check(band.DataType == gdal.GDT_Float32, f"{name}: GeoTIFF type {gdal.GetDataTypeName(band.DataType)}")
    check(band.GetNoDataValue() == -9999, f"{name}: GeoTIFF no-data value {band.GetNoDataValue()}")
    check(band.GetDescription() == f"{days:g} d", f"{name}: band description {band.GetDescription()!r}")
    check(band.GetBlockSize()[0] == band.GetBlockSize()[1] == 256, f"{name}: not tiled: {band.GetBlockSize()}")
    values = band.ReadAsArray()
    check(values.dtype == np.float32 and values.shape == expected_values.shape,
          f"{name}: GeoTIFF values {values.dtype} {values.shape}")
    if values.shape == expected_values.shape:
        differ = np.flatnonzero(values.view(np.uint32) != expected_values.view(np.uint32))
        check(differ.size == 0, f"{name}: {differ.size} GeoTIFF values differ from the model's")
    dataset = None

    # ... and gdalinfo, as a user would look.
    info = json.loads(subprocess.run(["gdalinfo", "-json", tif], capture_output=True, check=True).stdout)
    check(info["size"] == [ncol, nrow], f"{name}: gdalinfo size {info['size']}")
    check(tuple(info["geoTransform"]) == geotransform, f"{name}: gdalinfo geotransform {info['geoTransform']}")
    check(info["bands"][0]["noDataValue"] == -9999, f"{name}: gdalinfo no-data {info['bands'][0].get('noDataValue')}")
    check('ID["EPSG",2264]' in info["coordinateSystem"]["wkt"], f"{name}: gdalinfo CRS")
    check(info["files"] == [tif], f"{name}: gdalinfo files {info['files']} (no .aux.xml)")

    # The contour layer, with ogrinfo ...
    gpkg = os.path.join(folder, "contours.gpkg")
    summary = subprocess.run(["ogrinfo", "-ro", "-so", "-al", gpkg], capture_output=True, check=True).stdout.decode()
    for text in ("Geometry: Line String", "drawdown_ft: Real", "days: Real", 'ID["EPSG",2264]'):
        check(text in summary, f"{name}: ogrinfo does not show {text!r}")

    # ... and OGR: the levels exactly as requested, every vertex on its level.
    source = ogr.Open(gpkg)
    check(source.GetLayerCount() == 1, f"{name}: {source.GetLayerCount()} layers")
    layer = source.GetLayer(0)
    check(layer.GetSpatialRef().IsSame(expected_crs), f"{name}: layer CRS")
    fields = [layer.GetLayerDefn().GetFieldDefn(k).GetName() for k in range(layer.GetLayerDefn().GetFieldCount())]
    check(fields == ["drawdown_ft", "days"], f"{name}: fields {fields}")
    found = set()
    vertices = 0
    problems = []
    for feature in layer:
        level = feature.GetField("drawdown_ft")
        found.add(level)
        check(feature.GetField("days") == days, f"{name}: days {feature.GetField('days')}")
        geometry = feature.GetGeometryRef()
        check(geometry.GetGeometryName() == "LINESTRING", f"{name}: geometry {geometry.GetGeometryName()}")
        for x, y in geometry.GetPoints():
            vertices += 1
            problem = on_the_level(expected_values, x, y, level, xll, yll, cellsize)
            if problem:
                problems.append(problem)
    check(found == {float(text) for text in levels}, f"{name}: levels {sorted(found)}, asked for {levels_text}")
    check(not problems, f"{name}: {len(problems)} vertices off their level, first: {problems[:1]}")
    lines = layer.GetFeatureCount()
    layer = None
    source = None  # the layer goes with its source: not used after this
    print(f"{name}: GeoTIFF {ncol} x {nrow} bit for bit; {lines} contour lines at "
          f"{len(found)} levels, {vertices} vertices on their levels")

    # The .asc with a CRS: the .prj GDAL's own AAIGrid driver writes.
    run = subprocess.run([program, "--grid", "drawdown.asc", "--crs", CRS, "in.dat", "gis.rpt"], cwd=folder,
                         stdin=subprocess.DEVNULL, capture_output=True)
    check(run.returncode == 0, f"{name}: .asc run: {run.returncode} {run.stderr!r}")
    gdal.Translate(os.path.join(folder, "by-gdal.asc"), os.path.join(folder, "drawdown.tif"), format="AAIGrid")
    with open(os.path.join(folder, "drawdown.prj"), "rb") as ours, open(os.path.join(folder, "by-gdal.prj"), "rb") as theirs:
        check(ours.read() == theirs.read(), f"{name}: the .prj differs from GDAL's")
    dataset = gdal.Open(os.path.join(folder, "drawdown.asc"))
    check(dataset.GetSpatialRef() is not None and dataset.GetSpatialRef().IsSame(expected_crs),
          f"{name}: GDAL does not find the CRS beside the .asc")


def main():
    program, reference, example = sys.argv[1], sys.argv[2], sys.argv[3]
    cases = 0
    failed = 0
    # Contour levels inside each grid's range (2.37 to 13.06 ft; -37.6 to
    # 111.6 ft), one of them not a binary fraction.
    for name, text, levels in (("example", None, ["3.3", "5", "7.5", "10", "12.5"]),
                               ("strong wells", STRONG_WELLS, ["-20", "-2.5", "0", "0.1", "25", "100"])):
        before = len(failures)
        if text is None:
            run_case(name, program, reference, example, levels)
        else:
            with tempfile.NamedTemporaryFile("w", suffix=".dat", delete=False) as f:
                f.write(text)
            try:
                wide = run_case(name, program, reference, f.name, levels)
                check(bool(wide), f"{name}: no ARCFILE field fills its six columns")
            finally:
                os.unlink(f.name)
        cases += 1
        failed += len(failures) > before
    print(f"{cases - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
