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

// Where GDAL places a file's data: every vertex of every feature, taken to WGS 84 longitude
// and latitude through the layer's own coordinate system, or left as it stands when the
// layer has no coordinate system on the Earth. Features are keyed by the text of a field.
struct PeerPlaces {
    bool earth = false;  // the layer has a geographic or projected coordinate system
    std::string crsName;
    std::string unitName;  // the linear unit of a layer without an Earth system; may be empty
    std::map<std::string, std::vector<std::pair<double, double>>> byKey;
};
PeerPlaces PlacesWithGdal(const std::string& path, const std::string& keyField);

// `points` in the coordinate system GDAL reads from `crs` (EPSG:n, WKT, ...), in WGS 84
// longitude and latitude.
std::vector<std::pair<double, double>> ToWgs84(const std::string& crs,
                                               const std::vector<std::pair<double, double>>& points);

}  // namespace vx::test
