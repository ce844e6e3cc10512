#pragma once

#include <string>
#include <vector>

#include "model/layer_model.h"

// The routes built on GDAL (the DGN import, the TAB conversions, the .prj mapping) live in a module of
// their own, libvx_gdal_routes.so, which the program loads the first time one of them runs:
// GDAL and the hundred libraries it brings cost every start of the program some 40 ms, and
// most conversions never use them. These are the module's entry points, looked up by name;
// dgn_converter.h and tab_converter.h give the program's side.
#define VX_GDAL_ROUTE __attribute__((visibility("default")))

extern "C" {
// DGNImport's work (dgn_converter.h).
VX_GDAL_ROUTE int VxGdalDgnImport(const std::string& source, const std::string& target,
                                  std::string* reason);
// main1's work (tab_converter.h).
VX_GDAL_ROUTE int VxGdalTabConvert(const std::string& source, const std::string& target,
                                   std::string* reason);
// The coordinate system mapping (crs_mapping.h); 0 on success.
VX_GDAL_ROUTE int VxGdalPrjToCoordSys(const std::string& prj, std::string* clause,
                                      std::string* reason);
VX_GDAL_ROUTE int VxGdalCoordSysToPrj(const std::string& clause, std::string* prj,
                                      std::string* reason);
VX_GDAL_ROUTE int VxGdalPlaceDistance(const std::string& firstCrs,
                                      const std::vector<vx::Vertex>& first,
                                      const std::string& secondCrs,
                                      const std::vector<vx::Vertex>& second, double* degrees,
                                      std::string* reason);
}
