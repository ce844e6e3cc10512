#include <cmath>

#include <cpl_conv.h>
#include <ogr_spatialref.h>

#include "converters/gdal_routes.h"
#include "converters/gdal_support.h"

namespace vx {

namespace {

int Fail(std::string* reason, const std::string& text, const GdalSession& session) {
    if (reason != nullptr) {
        *reason = text;
        if (!session.LastError().empty()) *reason += ": " + session.LastError();
    }
    return 1;
}

}  // namespace

}  // namespace vx

extern "C" VX_GDAL_ROUTE int VxGdalPrjToCoordSys(const std::string& prj, std::string* clause,
                                                 std::string* reason) {
    using namespace vx;
    GdalSession session(GdalSession::Drivers::kNone);
    OGRSpatialReference crs;
    std::string why;
    if (!ReadCrs(prj, crs, why)) return Fail(reason, why, session);
    if (!CoordSysClauseOf(crs, *clause, why)) return Fail(reason, why, session);
    return 0;
}

extern "C" VX_GDAL_ROUTE int VxGdalCoordSysToPrj(const std::string& clause, std::string* prj,
                                                 std::string* reason) {
    using namespace vx;
    GdalSession session(GdalSession::Drivers::kNone);
    OGRSpatialReference crs;
    std::string why;
    if (!ReadCrs(clause, crs, why)) return Fail(reason, why, session);
    const char* const options[] = {"FORMAT=WKT1_ESRI", nullptr};
    char* text = nullptr;
    if (crs.exportToWkt(&text, options) != OGRERR_NONE || text == nullptr) {
        CPLFree(text);
        return Fail(reason, "GDAL cannot write the coordinate system as ESRI WKT", session);
    }
    *prj = text;
    CPLFree(text);
    return 0;
}

extern "C" VX_GDAL_ROUTE int VxGdalPlaceDistance(const std::string& firstCrs,
                                                 const std::vector<vx::Vertex>& first,
                                                 const std::string& secondCrs,
                                                 const std::vector<vx::Vertex>& second,
                                                 double* degrees, std::string* reason) {
    using namespace vx;
    GdalSession session(GdalSession::Drivers::kNone);
    OGRSpatialReference a;
    OGRSpatialReference b;
    std::string why;
    if (!ReadCrs(firstCrs, a, why) || !ReadCrs(secondCrs, b, why))
        return Fail(reason, why, session);
    const double worst = PlaceDistance(a, first, b, second);
    if (std::isnan(worst)) return Fail(reason, "the points cannot be taken to WGS 84", session);
    *degrees = worst;
    return 0;
}
