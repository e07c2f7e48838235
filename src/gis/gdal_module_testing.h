// For tests only: whether this process has loaded the GIS module.
#pragma once

namespace gis {

/// True once the GIS module has been loaded into this process (a failed
/// attempt leaves it false).
bool gdal_module_loaded();

}  // namespace gis
