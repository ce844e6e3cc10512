#include "model/projection_catalogue.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace vx {

namespace {

// Projection names by code. Codes MapInfo has no projection for (3, 4, 8, 9, 12, 15, 16, 17)
// still name a projection, so that a layer that holds one can say which; they are not
// offered for new layers (ProjectionWritable).
constexpr std::array<const char*, 24> kNames = {
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

using P = ProjectionParameter;

const std::vector<MapInfoProjectionForm>& Forms() {
    static const std::vector<P> kLongitudeOnly = {P::kLongitude};
    static const std::vector<P> kConic = {P::kLongitude, P::kLatitude, P::kParallel1,
                                          P::kParallel2, P::kEasting,  P::kNorthing};
    static const std::vector<P> kScaled = {P::kLongitude, P::kLatitude, P::kScale, P::kEasting,
                                           P::kNorthing};
    static const std::vector<MapInfoProjectionForm> forms = {
        {1, 1, {}},
        {9, 2, kConic},
        // The layer files keep the one parallel of the cylindrical equal-area projection as
        // the second.
        {2, 5, {P::kLongitude, P::kParallel2}},
        {14, 6, kLongitudeOnly},
        {15, 7, kLongitudeOnly},
        {4, 10, {P::kLongitude, P::kLatitude, P::kRange}},
        {3, 11, kConic},
        {11, 13, kLongitudeOnly},
        {13, 14, kLongitudeOnly},
        {27, 18, {P::kLongitude, P::kLatitude, P::kEasting, P::kNorthing}},
        {16, 19, kLongitudeOnly},
        {20, 20, kScaled},
        {8, 21, kScaled},
        {21, 21, kScaled, true},
        {22, 21, kScaled, true},
        {23, 21, kScaled, true},
        {24, 21, kScaled, true},
        // Mercator; MapInfo's regional form adds the parallel of true scale.
        {10, 23, kLongitudeOnly},
        {26, 23, {P::kLongitude, P::kParallel1}},
        {12, 24, kLongitudeOnly},
    };
    return forms;
}

}  // namespace

std::int32_t ProjectionCount() {
    return static_cast<std::int32_t>(kNames.size());
}

std::string ProjectionName(std::int32_t code) {
    if (code < 1 || code > ProjectionCount()) return {};
    return kNames[static_cast<std::size_t>(code - 1)];
}

const MapInfoProjectionForm* ProjectionFormOfMapInfo(std::int32_t mapInfo) {
    for (const MapInfoProjectionForm& form : Forms()) {
        if (form.mapInfo == mapInfo) return &form;
    }
    return nullptr;
}

std::vector<const MapInfoProjectionForm*> ProjectionFormsOfCode(std::int32_t code) {
    std::vector<const MapInfoProjectionForm*> forms;
    for (const MapInfoProjectionForm& form : Forms()) {
        if (form.code == code && !form.readOnly) forms.push_back(&form);
    }
    return forms;
}

std::vector<ProjectionParameter> ProjectionParametersOfCode(std::int32_t code) {
    std::vector<ProjectionParameter> parameters;
    for (const MapInfoProjectionForm* form : ProjectionFormsOfCode(code)) {
        for (ProjectionParameter parameter : form->parameters) {
            if (std::find(parameters.begin(), parameters.end(), parameter) == parameters.end())
                parameters.push_back(parameter);
        }
    }
    return parameters;
}

bool ProjectionWritable(std::int32_t code) {
    return code == kUtmProjection || !ProjectionFormsOfCode(code).empty();
}

std::optional<LayerInfo> UtmAsTransverseMercator(const LayerInfo& layer) {
    const std::int32_t zone = std::abs(layer.lUTMZone);
    if (zone < 1 || zone > kUtmZoneCount) return std::nullopt;
    LayerInfo tm = layer;
    tm.lProjection = kTransverseMercator;
    tm.lOriginLongitude = zone * 6 - 183;
    tm.lOriginLatitude = 0;
    tm.lScaleFactor = 0.9996;
    tm.lFalseEasting = 500000;
    tm.lFalseNorthing = layer.lUTMZone < 0 ? 10000000 : 0;
    return tm;
}

}  // namespace vx
