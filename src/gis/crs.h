// The coordinate reference system (CRS) of the GIS outputs: read from any
// text GDAL's OGRSpatialReference::SetFromUserInput takes (EPSG:2264, a WKT,
// a PROJ string, a .prj file), checked once when the command line is read, and
// kept as WKT for the writers.
#pragma once

#include <string>
#include <string_view>

namespace gis {

/// A CRS GDAL knows, in feet.
struct Crs {
  std::string text;  ///< as the user gave it
  std::string wkt;   ///< GDAL's WKT2 of it, for the writers
};

/// Reads `text` as a CRS into `crs`. Returns "" when it is one GDAL knows and
/// its coordinates are in feet (international or US survey: the grid's
/// coordinates are feet), else why not, in words that follow the CRS's text
/// ("is not a CRS GDAL knows", ...). No network is asked. Read by GDAL in the
/// GIS module (gis/gdal_module.h), loaded here: when it cannot be loaded,
/// the reason is its problem.
std::string read_crs(std::string_view text, Crs& crs);

/// The CRS as the one-line ESRI WKT of a .prj file, as GDAL's AAIGrid driver
/// writes it beside an ESRI ASCII grid (no line end); "" when GDAL cannot
/// write it or the GIS module cannot be loaded.
std::string esri_prj_text(const Crs& crs);

}  // namespace gis
