#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/job_context.h"

// The CoordSys clause of a MIF header: the layer's coordinate system, projection, datum and
// unit, and the factor by which every coordinate of the file is multiplied.
namespace vx {

// Reads one `CoordSys ...` line into ctx.model.Layer, the unit code of ctx.model.LayerKind and
// ctx.coordinateFactor. An unsupported projection or unit is reported and sets the failure
// flag; a malformed clause throws MifReadError for the header stage to report.
void ReadMifCoordSys(JobContext& ctx, std::string_view line);

// Fills the layer's projection code and the parameters the MIF projection carries, from the
// blank-separated pieces of the clause (piece 3 the projection number, 4 the datum, 5 the
// unit, then the parameters). Unsupported projections get the code -1.
void ReadMifProjection(JobContext& ctx, std::int32_t mifProjection,
                       const std::vector<std::string>& pieces);

// The unit code of a MIF unit name (exact case), setting ctx.coordinateFactor to metres per
// unit. An unknown name reports "Units Not Supported", sets the failure flag and gives 0.
std::uint8_t ReadMifUnit(JobContext& ctx, std::string_view name);

// Joins a two-word unit name ("survey ft", "nautical mile") that the blank split cut in two
// back into one piece; the pieces after it move down by one.
std::vector<std::string> JoinTwoWordUnit(std::vector<std::string> pieces);

// The engine's datum code for a MapInfo datum number; -1 for numbers it has no datum for.
std::int32_t MapInfoDatumToCode(std::int32_t mapInfoDatum);

}  // namespace vx
