#include "ui/projection_catalogue.h"

#include <array>

#include "model/datum_catalogue.h"

namespace vx::ui {

namespace {

// Projection names by code. Codes the MIF writer has no MapInfo projection for (3, 4, 8, 9,
// 12, 15, 16, 17, 22) still name a projection, so the list has no gaps and a list position is
// always its code less one.
constexpr std::array<const char*, 24> kProjections = {
    "Longitude / Latitude",
    "Albers Equal-Area Conic",
    "Azimuthal Equidistant",
    "Bonne",
    "Cylindrical Equal-Area",
    "Eckert IV",
    "Eckert VI",
    "Equidistant Conic",
    "Gall Stereographic",
    "Lambert Azimuthal Equal-Area",
    "Lambert Conformal Conic",
    "Hotine Oblique Mercator",
    "Miller Cylindrical",
    "Mollweide",
    "New Zealand Map Grid",
    "Orthographic",
    "Polar Stereographic",
    "Polyconic",
    "Sinusoidal",
    "Stereographic",
    "Transverse Mercator",
    "Universal Transverse Mercator",
    "Mercator",
    "Robinson",
};

}  // namespace

std::int32_t ProjectionCatalogue::ProjectionCount() {
    return static_cast<std::int32_t>(kProjections.size());
}

std::string ProjectionCatalogue::ProjectionName(std::int32_t index) {
    if (index < 1 || index > ProjectionCount()) return {};
    return kProjections[index - 1];
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
