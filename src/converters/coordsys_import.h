#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mif/mif_coordsys.h"
#include "model/layer_model.h"

// Taking a coordinate system that GDAL describes into a layer. GDAL gives it as a CoordSys
// clause, which is read as a MIF file's clause is; what the layer would then hold is checked
// to place the data where the source places it. The shapefile import (a .prj) and the GDAL
// driver (the spatial reference of a layer written through GDAL) both come this way.
namespace vx {

// How far apart, in degrees of WGS 84 longitude or latitude, points land: `source` where the
// source's own system places them, `stored` as the layer holds them under `layerClause`.
// False, with the reason, when that cannot be told.
using PlaceCheck =
    std::function<bool(const std::string& layerClause, const std::vector<Vertex>& source,
                       const std::vector<Vertex>& stored, double& degrees, std::string& reason)>;

// How far a carried coordinate system may place a point from where its source placed it, in
// degrees: well under a millimetre.
inline constexpr double kPlaceTolerance = 1e-8;

// Reads `clause` for data that lies within `box` in the source's coordinates; `start` gives
// the layer fields a clause does not set. False, with why, when the layer cannot hold the
// system: the clause is malformed or names what no layer can hold, or the layer would move
// the corners or the centre of the box by more than the tolerance.
bool CarryCoordSys(const std::string& clause, const LayerInfo& start, const Bounds& box,
                   const PlaceCheck& placeCheck, CoordSysReading& reading, std::string& why);

// What a layer keeps when no coordinate system is carried: plane coordinates in metres.
void KeepPlaneCoordinates(LayerModel& model);

// Gives the model the reading's description and unit and takes every coordinate to the
// layer's (the reading's factor and offset).
void ApplyCoordSys(LayerModel& model, const CoordSysReading& reading);

}  // namespace vx
