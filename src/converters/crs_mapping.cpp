#include "converters/crs_mapping.h"

#include "mif/mif_input.h"
#include "mif/mif_number_format.h"
#include "mif/mif_writer.h"
#include "model/geometry.h"

namespace vx {

namespace {

// How far a coordinate system carried into or out of a layer may place a point from where
// its source placed it, in degrees: well under a millimetre.
constexpr double kPlaceTolerance = 1e-8;

bool SamePlaces(const std::string& firstCrs, const std::vector<Vertex>& first,
                const std::string& secondCrs, const std::vector<Vertex>& second,
                std::string& whyNot) {
    double distance = 0.0;
    if (!PlaceDistance(firstCrs, first, secondCrs, second, distance, whyNot)) return false;
    if (distance <= kPlaceTolerance) return true;
    whyNot = "it would move the data by up to " + PlainNumber(distance) + " degrees";
    return false;
}

}  // namespace

CarriedCoordSys CoordSysFromWkt(const std::string& wkt, const Bounds& box) {
    CarriedCoordSys result;
    std::string clause;
    if (!PrjToCoordSys(wkt, clause, result.whyNot)) return result;
    try {
        result.reading = ParseMifCoordSys(clause);
    } catch (const MifReadError&) {
        result.whyNot = "GDAL gave the clause " + clause;
        return result;
    }
    const CoordSysReading& reading = result.reading;
    if (!reading.failure.empty()) {
        result.whyNot = reading.failure;
        return result;
    }
    if (reading.layer.lCoordSys == 0) {
        const std::vector<Vertex> source = BoxPoints(box);
        std::vector<Vertex> stored = source;
        for (Vertex& v : stored) {
            v.X = v.X * reading.factor + reading.offset.X;
            v.Y = v.Y * reading.factor + reading.offset.Y;
        }
        const std::string written = MifCoordSysClause(reading.layer, reading.unitCode);
        if (!SamePlaces(wkt, source, written, stored, result.whyNot)) {
            result.whyNot = "as " + written + " " + result.whyNot;
            return result;
        }
    }
    result.carried = true;
    return result;
}

bool PrjOfLayer(const LayerInfo& layer, std::uint8_t unitCode, const Bounds& box,
                std::string& prj, std::string& whyNot) {
    if (!MifCarriesCoordSys(layer)) {
        whyNot = "projection " + PlainNumber(layer.lProjection) + " has no .prj form";
        return false;
    }
    const std::string clause = MifCoordSysClause(layer, unitCode);
    if (!CoordSysToPrj(clause, prj, whyNot)) return false;
    const std::vector<Vertex> points = BoxPoints(box);
    if (!SamePlaces(clause, points, prj, points, whyNot)) {
        whyNot = "GDAL's .prj: " + whyNot;
        return false;
    }
    return true;
}

}  // namespace vx
