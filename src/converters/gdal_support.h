#pragma once

#include <string>
#include <vector>

#include "model/layer_model.h"

class OGRSpatialReference;

// What every use of GDAL shares, in the converters' module and in the GDAL driver: its drivers
// registered once, and its messages kept off the console while a conversion runs so that the
// failure reason reaches the caller instead.
namespace vx {

class GdalSession {
  public:
    // Coordinate systems need no drivers: registering them all takes longer than the work.
    enum class Drivers { kRegistered, kNone };
    explicit GdalSession(Drivers drivers = Drivers::kRegistered);
    ~GdalSession();
    GdalSession(const GdalSession&) = delete;
    GdalSession& operator=(const GdalSession&) = delete;

    // The last error GDAL raised during this session; empty when there was none.
    const std::string& LastError() const { return lastError_; }
    // Forgets it, so that what follows is judged on its own errors.
    void ClearError() { lastError_.clear(); }

  private:
    std::string lastError_;
};

// How far apart, in degrees of WGS 84 longitude or latitude, two lists of points land: the
// first in `first`, the second in `second`, point by point. NaN when either system or a point
// cannot be taken to WGS 84.
double PlaceDistance(const OGRSpatialReference& first, const std::vector<Vertex>& firstPoints,
                     const OGRSpatialReference& second, const std::vector<Vertex>& secondPoints);

// A coordinate system from a CoordSys clause ("CoordSys Earth Projection ...") or from anything
// else GDAL reads as one (WKT, EPSG:n), with longitude (or easting) first. False, with the
// reason, when GDAL cannot read it.
bool ReadCrs(const std::string& text, OGRSpatialReference& crs, std::string& reason);

// The CoordSys clause, "CoordSys " included, that GDAL writes for a coordinate system. False,
// with the reason, when GDAL has none for it, or only a plane one for a system on the Earth.
bool CoordSysClauseOf(const OGRSpatialReference& crs, std::string& clause, std::string& reason);

}  // namespace vx
