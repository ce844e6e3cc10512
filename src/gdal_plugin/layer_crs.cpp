#include "gdal_plugin/layer_crs.h"

#include <ogr_spatialref.h>

#include "converters/coordsys_import.h"
#include "converters/gdal_support.h"
#include "mif/mif_writer.h"

namespace vx {

std::unique_ptr<OGRSpatialReference> LayerSpatialRef(const LayerInfo& layer, std::uint8_t unitCode,
                                                     std::string& reason) {
    const std::string clause = MifCoordSysClause(layer, unitCode);
    if (clause.empty()) {
        reason = "the layer names no coordinate system";
        return nullptr;
    }
    auto crs = std::make_unique<OGRSpatialReference>();
    if (!ReadCrs(clause, *crs, reason)) return nullptr;
    return crs;
}

void CarrySpatialRef(const OGRSpatialReference* crs, const Bounds& box, LayerModel& model,
                     std::vector<std::string>& givenUp) {
    KeepPlaneCoordinates(model);
    if (crs == nullptr) return;
    const char* name = crs->GetName();
    auto giveUp = [&](const std::string& why) {
        givenUp.push_back("the coordinate system " + std::string(name != nullptr ? name : "") +
                          " is not carried (" + why + "): the layer keeps plane coordinates");
    };
    std::string clause;
    std::string why;
    if (!CoordSysClauseOf(*crs, clause, why)) {
        giveUp(why);
        return;
    }
    const PlaceCheck fromSource =
        [crs](const std::string& layerClause, const std::vector<Vertex>& source,
              const std::vector<Vertex>& stored, double& degrees, std::string& reason) {
            OGRSpatialReference layerCrs;
            if (!ReadCrs(layerClause, layerCrs, reason)) return false;
            degrees = PlaceDistance(*crs, source, layerCrs, stored);
            if (degrees != degrees) {
                reason = "the points cannot be taken to WGS 84";
                return false;
            }
            return true;
        };
    CoordSysReading reading;
    if (!CarryCoordSys(clause, model.Layer, box, fromSource, reading, why)) {
        giveUp(why);
        return;
    }
    ApplyCoordSys(model, reading);
    givenUp.insert(givenUp.end(), reading.givenUp.begin(), reading.givenUp.end());
}

}  // namespace vx
