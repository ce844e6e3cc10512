#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/layer_model.h"

// The CoordSys clause of a MIF header: the layer's coordinate system, projection, datum and
// unit, and how every coordinate of the file becomes a stored one.
//
// What a layer stores: longitude and latitude in degrees; an Earth projection's coordinates,
// false easting and false northing in metres (the written clause then says "m"); plane
// (NonEarth) coordinates in their own unit, whose code the layer keeps. The same reading
// serves MIF and TAB files and the .prj of shapefiles, whose coordinate systems come here as
// a clause.
namespace vx {

class MifReadState;

// What a clause says, in the terms a layer can hold.
struct CoordSysReading {
    LayerInfo layer;  // lCoordSys, lProjection, lDatum and the projection's parameters
    std::uint8_t unitCode = 0;
    // A stored coordinate is the file's coordinate times the factor plus the offset. The
    // offset is the fraction of a false easting or northing that the layer's whole metres
    // cannot hold, moved into the coordinates so that every point keeps its place.
    double factor = 1.0;
    Vertex offset;
    // What the layer cannot hold of the clause, as status texts; the reading goes on with
    // the nearest it can hold.
    std::vector<std::string> givenUp;
    // Why the clause cannot be taken at all ("Projection Not Supported. Aborting", "Units Not
    // Supported"); empty when it can.
    std::string failure;
};

// Reads one `CoordSys ...` clause. `start` gives the layer fields a clause does not set.
// Throws MifReadError when the clause is malformed (a missing or non-numeric piece).
CoordSysReading ParseMifCoordSys(std::string_view line, const LayerInfo& start = {});

// Reads one clause of a file being read into its layer description, unit code, coordinate
// factor and offset, and reports what was given up. An
// unsupported projection or unit is reported and sets the failure flag; a malformed clause
// throws MifReadError for the header stage to report.
void ReadMifCoordSys(MifReadState& ctx, std::string_view line);

// Fills the layer's projection code and the parameters the MIF projection carries, from the
// blank-separated pieces of the clause (piece 3 the projection number, 4 the datum, 5 the
// unit, then the parameters). Unsupported projections get the code -1.
void ReadMifProjection(CoordSysReading& reading, std::int32_t mifProjection,
                       const std::vector<std::string>& pieces);

// The unit code of a MIF unit name (exact case), setting the reading's factor to metres per
// unit. An unknown name sets the failure "Units Not Supported" and gives 0.
std::uint8_t ReadMifUnit(CoordSysReading& reading, std::string_view name);

// The MIF name of a unit code; empty for a code the unit table lacks.
std::string_view MifUnitName(std::uint8_t code);

// Metres per unit of a unit code; 0 for a code the unit table lacks.
double MifUnitFactor(std::uint8_t code);

// Joins a two-word unit name ("survey ft", "nautical mile") that the blank split cut in two
// back into one piece; the pieces after it move down by one.
std::vector<std::string> JoinTwoWordUnit(std::vector<std::string> pieces);

// The engine's datum code for a MapInfo datum number; -1 for numbers it has no datum for.
std::int32_t MapInfoDatumToCode(std::int32_t mapInfoDatum);

}  // namespace vx
