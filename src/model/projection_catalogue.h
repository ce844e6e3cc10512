#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/layer_model.h"

// The projections a layer can name. A projection code is the 1-based index of this catalogue;
// it is what a layer file stores and what the projection dialog lists. The MIF reader and
// writer (and through them the .prj of shapefiles) translate it to and from MapInfo's
// projection numbers by the forms below, so that a projection read is the projection written.
namespace vx {

// A parameter a MapInfo projection clause carries after its unit, in clause order.
enum class ProjectionParameter {
    kLongitude,  // lOriginLongitude
    kLatitude,   // lOriginLatitude
    kParallel1,  // lStdParellel1
    kParallel2,  // lStdParellel2
    kScale,      // lScaleFactor
    kEasting,    // lFalseEasting
    kNorthing,   // lFalseNorthing
    kRange,      // lRange
};

// How a catalogue projection stands in a MapInfo clause.
struct MapInfoProjectionForm {
    std::int32_t mapInfo;  // MapInfo's projection number
    std::int32_t code;     // the catalogue entry
    std::vector<ProjectionParameter> parameters;
    // A form the reader takes for the code but the writer does not write: the Danish and
    // Finnish variants of transverse Mercator, read as the plain one.
    bool readOnly = false;
};

std::int32_t ProjectionCount();

// The entry's name; empty for a code outside 1..ProjectionCount().
std::string ProjectionName(std::int32_t code);

// The form a MapInfo projection number is read by; null for a number no entry stands for.
const MapInfoProjectionForm* ProjectionFormOfMapInfo(std::int32_t mapInfo);

// The forms a code is written by, its usual one first; empty for a code MIF has no form for.
std::vector<const MapInfoProjectionForm*> ProjectionFormsOfCode(std::int32_t code);

// The parameters a layer of the code needs, over every form it is written by; none for
// universal transverse Mercator, whose parameters follow from its zone.
std::vector<ProjectionParameter> ProjectionParametersOfCode(std::int32_t code);

// Universal transverse Mercator and the transverse Mercator it is written as.
inline constexpr std::int32_t kUtmProjection = 22;
inline constexpr std::int32_t kTransverseMercator = 21;
inline constexpr std::int32_t kUtmZoneCount = 60;

// True for a code a layer can be written with (MIF, TAB, .prj): one with a MapInfo form, and
// universal transverse Mercator.
bool ProjectionWritable(std::int32_t code);

// A UTM layer's description as the transverse Mercator it stands for: the zone's central
// meridian (zone * 6 - 183), latitude of origin 0, scale 0.9996, false easting 500000 and
// false northing 0, or 10000000 in the south (lUTMZone negative). Nothing for a zone outside
// 1..60.
std::optional<LayerInfo> UtmAsTransverseMercator(const LayerInfo& layer);

}  // namespace vx
