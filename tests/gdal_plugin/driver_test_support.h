#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

// What the tests of the VXV driver share. They use GDAL's own API only: the driver is loaded
// as GDAL loads any plugin, from the build's gdalplugins folder.
namespace vx::test {

// Registers GDAL's drivers and the VXV plugin of this build; fails the test without it.
void UseVxvDriver();

// Opens a vector data set with the given drivers only (all when empty), read-only; GDAL says
// why when it cannot.
GDALDatasetUniquePtr OpenVector(const std::string& path,
                                const std::vector<std::string>& drivers = {});

// ogr2ogr: `arguments` as on its command line, without the two paths.
GDALDatasetUniquePtr Translate(const std::string& source, const std::string& target,
                               const std::vector<std::string>& arguments);

// GDAL's messages while an object lives, instead of on the console.
class GdalMessages {
  public:
    GdalMessages();
    ~GdalMessages();
    GdalMessages(const GdalMessages&) = delete;
    GdalMessages& operator=(const GdalMessages&) = delete;
    // The texts of the messages at `level`, in order.
    std::vector<std::string> At(CPLErr level) const;
    // Whether a message at `level` holds `part`.
    bool Has(CPLErr level, const std::string& part) const;
    // Every message, one a line, for failure output.
    std::string All() const;

  private:
    static void Keep(CPLErr level, CPLErrorNum, const char* message);
    std::vector<std::pair<CPLErr, std::string>> messages_;
};

// Whether two geometries have the same shape, vertex by vertex within `tolerance` (relative
// to the coordinates' size), whatever the order of their rings, parts and starting vertices;
// a collection of one member is that member.
// `why` says what differs.
bool SameGeometry(const OGRGeometry* a, const OGRGeometry* b, double tolerance, std::string& why);

// Whether two coordinate systems are the same, or both absent.
bool SameCrs(const OGRSpatialReference* a, const OGRSpatialReference* b);

// Compares the features of `actual` with those of `expected`, in order: their number, their
// geometry and the values of every field of `expected` (by name, in any letter case;
// numbers as numbers, a missing text as an empty one). Fields of `actual` that `expected`
// lacks are not looked at. Adds a failure for each difference.
void ExpectSameFeatures(OGRLayer& expected, OGRLayer& actual, const std::string& what);

}  // namespace vx::test
