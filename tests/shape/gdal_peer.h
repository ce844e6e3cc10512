#pragma once

#include <string>
#include <vector>

#include "model/layer_model.h"

// GDAL as the independent peer of the shapefile tests: it writes the shapefiles we import and
// reads back the ones we write.
namespace vx::test {

struct GdalFeature {
    bool hasGeometry = false;
    std::string wkt;
    double area = 0;
    double length = 0;
    int pointCount = 0;
    // Every ring or line string in GDAL's order; for polygons whether it is an inner ring.
    std::vector<std::vector<Vertex>> parts;
    std::vector<bool> inner;
    std::vector<std::string> fields;  // attribute values as strings
};

// All features of the first layer of a data set, in order; fails the test when GDAL cannot
// open it.
std::vector<GdalFeature> ReadWithGdal(const std::string& path);

// Writes `geojson` to a file and converts it with ogr2ogr into the shapefile `shpPath`.
void ShapefileFromGeoJson(const std::string& geojson, const std::string& shpPath,
                          const std::string& extraOptions = "");

}  // namespace vx::test
