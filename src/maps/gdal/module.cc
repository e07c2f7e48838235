// The GIS module's one exported function: the table of its functions.
#include "maps/gdal/gis_module.h"
#include "maps/gdal_module.h"

namespace {

const maps::GdalFunctions kFunctions = {
    sizeof(maps::GdalFunctions),     maps::gdal::read_crs,            maps::gdal::esri_prj_text,
    maps::gdal::geotiff_files,       maps::gdal::contour_layer_files, maps::gdal::trace_contour,
    maps::gdal::point_layers_files,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const maps::GdalFunctions* leaky_drawdown_gdal_functions() {
  return &kFunctions;
}
