// The drawdown grids of every time as one netCDF time stack (CF conventions):
// a variable `drawdown` over (time, y, x), the coordinates x and y of the cell
// centres in the grid's length unit, a time coordinate in days, the CRS as a
// grid mapping when one is given, the unit and the NoData value as
// _FillValue. QGIS's temporal controller animates it; gdalinfo lists its
// times (NETCDF_DIM_time). Written by GDAL's netCDF driver in the GIS module.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "engine/drawdown_grid.h"
#include "gis/crs.h"

namespace files {
struct Target;
}  // namespace files

namespace gis {

/// The NoData value of the netCDF stack (its _FillValue), as of the other grids.
inline constexpr double kNetcdfNoData = -9999.0;

/// The date whose midnight stands for the start of pumping when the study
/// gives no calendar date: the time coordinate counts days since it, so that
/// a reader that shows dates shows 1970-01-31 for day 30. The netCDF file
/// says so in the time's long_name and the global comment.
inline constexpr std::string_view kNeutralEpoch = "1970-01-01";

/// The units of the time coordinate: "days since <date> 00:00:00", with
/// `start_date` (an ISO date, YYYY-MM-DD) or, when it is empty, kNeutralEpoch.
std::string time_units(std::string_view start_date);

/// Writes the grids of `times` (one or more times of the same grid, in order)
/// as one netCDF file at `target`, with `crs` when not null; the time
/// coordinate counts days since `start_date` (empty: kNeutralEpoch). The file
/// appears whole or not at all. Returns "" on success, or why the file was not
/// written (the reason alone; gdal_module_problem() when the GIS module,
/// which writes it, cannot be loaded).
std::string write_netcdf(const files::Target& target, std::span<const engine::EvaluatedGrid> times, const Crs* crs,
                         std::string_view start_date = {});

}  // namespace gis
