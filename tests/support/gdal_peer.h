#pragma once

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

// GDAL as the independent peer: it writes what we read and reads what we write.
namespace vx::test {

using XY = std::vector<std::pair<double, double>>;

// Opens a vector data set read-only with the given drivers only (all when empty).
GDALDatasetUniquePtr OpenVector(const std::string& path,
                                const std::vector<std::string>& drivers = {});

// ogr2ogr from `source` (a path, or GeoJSON text) to `target`, with `arguments` as on its
// command line without the two paths. The output is null, with a test failure, when GDAL fails.
GDALDatasetUniquePtr Translate(const std::string& source, const std::string& target,
                               const std::vector<std::string>& arguments);
// The same into a new folder when needed, closing the output at once: for the sources the
// tests make.
void MakeWithGdal(const std::string& geojson, const std::string& target,
                  const std::vector<std::string>& arguments);

struct PeerFeature {
    std::string wkt;
    std::map<std::string, std::string> fields;  // value as GDAL prints it; absent when null
    std::string style;
};
struct PeerLayer {
    std::vector<std::string> fieldNames;
    std::vector<int> fieldWidths;
    std::vector<std::string> fieldTypes;  // GDAL's names of the types: "Integer", "Real", ...
    std::vector<PeerFeature> features;
};
// The first layer of a data set; fails the calling test when GDAL cannot open it.
PeerLayer ReadWithGdal(const std::string& path);

// Where GDAL places a file's data: every vertex of every feature, keyed by the text of a
// field, taken to WGS 84 longitude and latitude through the layer's own coordinate system,
// or left as it stands when the layer has no system on the Earth.
struct PeerPlaces {
    bool earth = false;
    std::string crsName;  // the name GDAL gives the layer's coordinate system
    std::map<std::string, XY> byKey;
};
PeerPlaces PlacesWithGdal(const std::string& path, const std::string& keyField);

// `points` in the system GDAL reads from `crs` (EPSG:n, WKT, ...), in WGS 84 longitude and
// latitude.
XY ToWgs84(const std::string& crs, const XY& points);

// GDAL's warnings and errors while an object lives, instead of on the console.
class GdalMessages {
  public:
    GdalMessages();
    ~GdalMessages();
    GdalMessages(const GdalMessages&) = delete;
    GdalMessages& operator=(const GdalMessages&) = delete;
    // Whether a message at `level` holds `part` (any message at all for an empty part).
    bool Has(CPLErr level, const std::string& part) const;
    std::string All() const;  // one a line, for failure output

  private:
    static void Keep(CPLErr level, CPLErrorNum, const char* message);
    std::vector<std::pair<CPLErr, std::string>> messages_;
};

// Whether two geometries have the same shape vertex by vertex within `tolerance` (relative to
// the coordinates' size), whatever the order of their rings, parts and starting vertices; a
// collection of one member is that member. `why` says what differs.
bool SameGeometry(const OGRGeometry* a, const OGRGeometry* b, double tolerance, std::string& why);

// Whether two coordinate systems are the same, or both absent.
bool SameCrs(const OGRSpatialReference* a, const OGRSpatialReference* b);

// Adds a failure for each difference between the features of `actual` and `expected`, in
// order: their number, their geometry and the value of every field of `expected` (found by
// name in any letter case; numbers as numbers; a missing text as an empty one, but a missing
// number or date as missing). Fields that only `actual` has are not looked at.
void ExpectSameFeatures(OGRLayer& expected, OGRLayer& actual, const std::string& what,
                        double tolerance = 1e-12);

}  // namespace vx::test
