#pragma once

#include "mif/mif_input.h"
#include "mif/mif_reader.h"

// The header of a MIF file: everything from the Charset line down to the line `Data`.
namespace vx {

// Reads the header with the Version item already consumed, leaving the input at the first
// line after `Data`. Sets the delimiter, the coordinate system (see ReadMifCoordSys) and,
// when attributes are carried, the column list. A malformed header reports "Error Reading MIF
// Header"; every failure sets the failure flag and gives false.
bool ReadMifHeader(MifReadState& ctx, MifInput& in);

// Reads the declarations of the `Columns n` line in the line buffer into ctx.columnList, the
// engine's SPATIAL_ID column first. Names longer than a dBASE field allows are shortened to
// unique names of 10 characters; a source `Spatial_ID` column is recorded, not carried.
// Throws MifReadError on a malformed clause.
void ReadMifColumns(MifReadState& ctx, MifInput& in);

}  // namespace vx
