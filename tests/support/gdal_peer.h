#pragma once

#include <map>
#include <string>
#include <vector>

// GDAL as the independent peer: what it reads from a file, to compare with ours.
namespace vx::test {

struct PeerFeature {
    std::string geometryType;  // OGR's name, e.g. "POLYGON"
    std::string wkt;
    double area = 0;                            // of polygons
    double length = 0;                          // of lines
    int pointCount = 0;                         // all vertices of the geometry
    std::map<std::string, std::string> fields;  // value as GDAL prints it; absent when null
    std::string style;
};

struct PeerLayer {
    std::string name;
    std::vector<std::string> fieldNames;
    std::vector<std::string> fieldTypes;  // OGR's type names
    std::vector<int> fieldWidths;
    std::vector<PeerFeature> features;
};

// The first layer of a data source; fails the calling test when GDAL cannot open it.
PeerLayer ReadWithGdal(const std::string& path);

}  // namespace vx::test
