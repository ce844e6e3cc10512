#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

}  // namespace vx
