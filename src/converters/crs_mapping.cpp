#include "converters/crs_mapping.h"

#include "converters/coordsys_import.h"

#include "mif/mif_number_format.h"
#include "mif/mif_writer.h"
#include "model/geometry.h"

namespace vx {

namespace {

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
    const PlaceCheck fromWkt = [&wkt](const std::string& written, const std::vector<Vertex>& source,
                                      const std::vector<Vertex>& stored, double& degrees,
                                      std::string& why) {
        return PlaceDistance(wkt, source, written, stored, degrees, why);
    };
    result.carried =
        CarryCoordSys(clause, LayerInfo{}, box, fromWkt, result.reading, result.whyNot);
    return result;
}

bool PrjOfLayer(const LayerInfo& layer, std::uint8_t unitCode, const Bounds& box, std::string& prj,
                std::string& whyNot) {
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
