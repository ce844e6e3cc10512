#include "converters/gdal_support.h"

#include <cmath>
#include <limits>
#include <memory>
#include <mutex>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_spatialref.h>

#include "platform/strings.h"

namespace vx {

namespace {

constexpr std::string_view kCoordSys = "CoordSys ";

void KeepLastError(CPLErr level, CPLErrorNum, const char* message) {
    if (level < CE_Failure || message == nullptr) return;
    auto* last = static_cast<std::string*>(CPLGetErrorHandlerUserData());
    if (last != nullptr) *last = message;
}

}  // namespace

GdalSession::GdalSession(Drivers drivers) {
    static std::once_flag registered;
    if (drivers == Drivers::kRegistered) std::call_once(registered, [] { GDALAllRegister(); });
    CPLPushErrorHandlerEx(KeepLastError, &lastError_);
    CPLErrorReset();
}

GdalSession::~GdalSession() {
    CPLPopErrorHandler();
}

double PlaceDistance(const OGRSpatialReference& first, const std::vector<Vertex>& firstPoints,
                     const OGRSpatialReference& second, const std::vector<Vertex>& secondPoints) {
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    if (firstPoints.size() != secondPoints.size()) return kNone;
    OGRSpatialReference wgs84;
    wgs84.importFromEPSG(4326);
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRSpatialReference a(first);
    OGRSpatialReference b(second);
    a.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    b.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toA(OGRCreateCoordinateTransformation(&a, &wgs84));
    std::unique_ptr<OGRCoordinateTransformation> toB(OGRCreateCoordinateTransformation(&b, &wgs84));
    if (!toA || !toB) return kNone;
    double worst = 0.0;
    for (std::size_t i = 0; i < firstPoints.size(); ++i) {
        double ax = firstPoints[i].X, ay = firstPoints[i].Y;
        double bx = secondPoints[i].X, by = secondPoints[i].Y;
        if (!toA->Transform(1, &ax, &ay) || !toB->Transform(1, &bx, &by)) return kNone;
        const double d = std::max(std::fabs(ax - bx), std::fabs(ay - by));
        if (!(d <= worst)) worst = d;  // a NaN stays the worst
    }
    return worst;
}

bool ReadCrs(const std::string& text, OGRSpatialReference& crs, std::string& reason) {
    OGRErr error = OGRERR_NONE;
    if (StartsWithNoCase(text, kCoordSys)) {
        error = crs.importFromMICoordSys(text.substr(kCoordSys.size()).c_str());
    } else {
        error = crs.SetFromUserInput(text.c_str(),
                                     OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS);
    }
    if (error != OGRERR_NONE) {
        reason = "GDAL cannot read the coordinate system";
        return false;
    }
    crs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return true;
}

bool CoordSysClauseOf(const OGRSpatialReference& crs, std::string& clause, std::string& reason) {
    char* text = nullptr;
    // A system on the Earth that GDAL writes as plane coordinates has no clause either: GDAL
    // only warns that it knows no MapInfo projection for it.
    const bool earth = crs.IsGeographic() || crs.IsProjected();
    if (crs.exportToMICoordSys(&text) != OGRERR_NONE || text == nullptr ||
        (earth && StartsWithNoCase(text, "NonEarth"))) {
        CPLFree(text);
        const char* name = crs.GetName();
        reason =
            "GDAL has no CoordSys clause for " + std::string(name != nullptr ? name : "the system");
        return false;
    }
    clause = std::string(kCoordSys) + text;
    CPLFree(text);
    return true;
}

}  // namespace vx
