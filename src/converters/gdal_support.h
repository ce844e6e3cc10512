#pragma once

#include <string>
#include <vector>

#include "model/layer_model.h"

class OGRSpatialReference;

// What every use of GDAL in the converters shares: its drivers registered once, and its
// messages kept off the console while a conversion runs so that the failure reason reaches
// the caller instead.
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


}  // namespace vx
