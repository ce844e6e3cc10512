#include "ui/projection_catalogue.h"

#include "model/datum_catalogue.h"
#include "model/projection_catalogue.h"

namespace vx::ui {

std::int32_t ProjectionCatalogue::ProjectionCount() {
    return vx::ProjectionCount();
}

std::string ProjectionCatalogue::ProjectionName(std::int32_t index) {
    return vx::ProjectionName(index);
}

std::int32_t ProjectionCatalogue::DatumCount() {
    return vx::DatumCount();
}

std::string ProjectionCatalogue::DatumName(std::int32_t index) {
    return vx::DatumName(index);
}

std::int32_t ProjectionCatalogue::MapInfoDatum(std::int32_t index) {
    return MapInfoDatumOfCode(index);
}

}  // namespace vx::ui
