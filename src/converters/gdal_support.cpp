#include "converters/gdal_support.h"

#include <cmath>
#include <limits>
#include <memory>
#include <mutex>

#include <cpl_error.h>
#include <gdal.h>
#include <ogr_spatialref.h>

namespace vx {

namespace {

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


}  // namespace vx
