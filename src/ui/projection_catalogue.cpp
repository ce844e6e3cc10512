#include "ui/projection_catalogue.h"

#include "model/datum_catalogue.h"
#include "model/projection_catalogue.h"

namespace vx::ui {

std::int32_t ProjectionCatalogue::ProjectionCount() {
    return vx::ProjectionCount();
}

std::string ProjectionCatalogue::ProjectionName(std::int32_t index) {
    // A projection no writer can put into a file is not offered: its layers would lose
    // their place on the Earth at the first export.
    return ProjectionWritable(index) ? vx::ProjectionName(index) : std::string();
}

std::vector<ProjectionParameter> ProjectionCatalogue::Parameters(std::int32_t index) {
    return ProjectionParametersOfCode(index);
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
