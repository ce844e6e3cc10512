#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/layer_model.h"

class OGRSpatialReference;

// A layer's coordinate system as GDAL's spatial reference, both ways, through the CoordSys
// clause that the layer's MIF export writes and its shapefile export turns into a .prj.
namespace vx {

// The spatial reference of a layer's description and unit: an Earth layer's projection and
// datum, a plane layer's local system in its unit. Null, with the reason, when GDAL cannot
// read the layer's clause.
std::unique_ptr<OGRSpatialReference> LayerSpatialRef(const LayerInfo& layer, std::uint8_t unitCode,
                                                     std::string& reason);

// Gives the model the description of `crs` for data lying in `box` (the source's
// coordinates), and takes every coordinate to the layer's unit. Without a spatial reference,
// or when the layer cannot hold it where the data lies, the layer keeps plane coordinates in
// metres. What is given up is added to `givenUp`.
void CarrySpatialRef(const OGRSpatialReference* crs, const Bounds& box, LayerModel& model,
                     std::vector<std::string>& givenUp);

}  // namespace vx
