#pragma once

#include <string>
#include <vector>

#include "model/layer_model.h"

// Coordinate systems between a layer's MapInfo CoordSys clause and the ESRI WKT of a
// shapefile's .prj, on GDAL's spatial reference support. GDAL lives in the converters' module,
// loaded the first time one of these runs; without it each call fails with the reason.
namespace vx {

// The CoordSys clause ("CoordSys Earth Projection ..." or "CoordSys NonEarth Units ...")
// that the text of a .prj stands for. False, with the reason, when GDAL cannot read the text
// or has no clause for it.
bool PrjToCoordSys(const std::string& prj, std::string& clause, std::string& reason);

// The ESRI WKT of a CoordSys clause, for a .prj. False, with the reason, when GDAL cannot
// take the clause.
bool CoordSysToPrj(const std::string& clause, std::string& prj, std::string& reason);

// How far apart, in degrees of WGS 84 longitude or latitude, two sets of coordinates land:
// `first` in the coordinate system `firstCrs`, `second` in `secondCrs`, point by point. Each
// system is a CoordSys clause or any text GDAL reads as a coordinate system (WKT). False,
// with the reason, when either system or a point cannot be taken to WGS 84.
bool PlaceDistance(const std::string& firstCrs, const std::vector<Vertex>& first,
                   const std::string& secondCrs, const std::vector<Vertex>& second,
                   double& degrees, std::string& reason);


}  // namespace vx
