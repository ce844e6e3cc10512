#include "converters/coordsys_import.h"

#include "mif/mif_input.h"
#include "mif/mif_number_format.h"
#include "mif/mif_writer.h"
#include "model/geometry.h"

namespace vx {

bool CarryCoordSys(const std::string& clause, const LayerInfo& start, const Bounds& box,
                   const PlaceCheck& placeCheck, CoordSysReading& reading, std::string& why) {
    try {
        reading = ParseMifCoordSys(clause, start);
    } catch (const MifReadError&) {
        reading = CoordSysReading{};
        reading.failure = "GDAL gave the clause " + clause;
    }
    if (!reading.failure.empty()) {
        why = reading.failure;
        return false;
    }
    if (reading.layer.lCoordSys != 0) return true;
    const std::vector<Vertex> source = BoxPoints(box);
    std::vector<Vertex> stored = source;
    for (Vertex& v : stored) {
        v.X = v.X * reading.factor + reading.offset.X;
        v.Y = v.Y * reading.factor + reading.offset.Y;
    }
    double distance = 0.0;
    const std::string written = MifCoordSysClause(reading.layer, reading.unitCode);
    if (!placeCheck(written, source, stored, distance, why)) return false;
    if (!(distance <= kPlaceTolerance)) {
        why = "as " + written + " it would move the data by up to " + PlainNumber(distance) +
              " degrees";
        return false;
    }
    return true;
}

void KeepPlaneCoordinates(LayerModel& model) {
    model.Layer.lCoordSys = 1;
    model.Layer.lProjection = -1;
    model.Layer.lDatum = -1;
    model.LayerKind.UnitCode = 8;
}

void ApplyCoordSys(LayerModel& model, const CoordSysReading& reading) {
    model.Layer = reading.layer;
    model.LayerKind.UnitCode = reading.unitCode;
    ScaleAndShift(model, reading.factor, reading.offset);
}

}  // namespace vx
