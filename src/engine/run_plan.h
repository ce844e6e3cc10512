#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "engine/batch_run.h"

// What the files of a run will write, known before the run starts: so that two files that
// would write the same outputs are caught before either is converted, instead of the later
// one writing over the earlier one's.
namespace vx {

// The way a job list's files go through the engine, which decides where they are written.
enum class Route {
    kMifImport,
    kShapeImport,
    kConverterImport,
    kMifExport,
    kShapeExport,
    kTabExport
};

// The route of a format of the format list in a direction (TAB imports are MIF imports of a
// temporary MIF).
Route RouteOf(TransferDirection direction, int format);

// Where a file's conversion writes its main output, given the output path its job list
// holds: shapefile imports into a VXV folder beside it and shapefile exports into an SHP
// folder; with the engine's CreateVxvFolder (`subfolder`), the other imports into VXV and MIF
// exports into MIF. The drivers write there, and lists and plans show it from here.
std::string OutputTarget(Route route, const std::string& output, bool subfolder);

// The files the conversion of one file may write, given its output path as the job list
// holds it: the layer set of an import, the MIF and MID of a MIF export, the shapefile set of
// a shapefile export (its folder SHP), the table files of a TAB export. `subfolder` is the
// engine's CreateVxvFolder.
std::vector<std::string> PlannedOutputs(TransferDirection direction, int format,
                                        const std::string& output, bool subfolder);

// For each file of a list whose outputs meet an earlier file's: its position and the
// earlier file's. Paths are compared whatever their letter case, as companions are found.
std::vector<std::pair<std::size_t, std::size_t>> OutputClashes(
    const std::vector<std::vector<std::string>>& outputs);

}  // namespace vx
