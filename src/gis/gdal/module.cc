// The GIS module's one exported function: the table of its functions.
#include "gis/gdal/gis_module.h"
#include "gis/gdal_module.h"

namespace {

const gis::GdalFunctions kFunctions = {
    sizeof(gis::GdalFunctions),     gis::gdal::read_crs,            gis::gdal::esri_prj_text,
    gis::gdal::geotiff_files,       gis::gdal::contour_layer_files, gis::gdal::trace_contour,
    gis::gdal::point_layers_files,  gis::gdal::netcdf_files,        gis::gdal::line_layer_files,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const gis::GdalFunctions* leaky_drawdown_gdal_functions() {
  return &kFunctions;
}
