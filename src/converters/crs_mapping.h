#pragma once

#include <string>
#include <vector>

#include "mif/mif_coordsys.h"
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


// A coordinate system given as text GDAL reads (the ESRI WKT of a .prj, or any WKT), as a
// layer can hold it: through GDAL to a CoordSys clause, then through the MIF reading, and
// checked to place the corners and centre of `box` (in the given system) where the text
// places them. `carried` false, with the reason in `whyNot`, when it cannot be held.
struct CarriedCoordSys {
    bool carried = false;
    CoordSysReading reading;
    std::string whyNot;
};
CarriedCoordSys CoordSysFromWkt(const std::string& wkt, const Bounds& box);

// The ESRI WKT of a layer's coordinate system for a .prj: its CoordSys clause as the MIF
// export writes it, through GDAL, checked to place the corners and centre of `box` where
// the layer does. False, with the reason, when it cannot be written.
bool PrjOfLayer(const LayerInfo& layer, std::uint8_t unitCode, const Bounds& box,
                std::string& prj, std::string& whyNot);

}  // namespace vx
