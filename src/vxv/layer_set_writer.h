#pragma once

#include <string>

#include "dbase/table_engine.h"
#include "model/job_context.h"

// Writing the layer set of an import: one layer per kind the model holds (regions, then
// lines, then points), each with its attribute table when attributes are carried.
namespace vx {

struct LayerFileNames {
    std::string vxvPath;
    std::string vxsPath;
    std::string shortTableName;
};

// The files of the layer of `kind`: the output name, with "_rg", "_ln" or "_pt" before its
// ".vxv" when the model holds more than one kind, in the output folder. Sets the job's
// attribute table file name.
LayerFileNames MakeLayerFileNames(JobContext& ctx, int kind);

// Writes every layer of the model. On failure the job's failure flag is set and the failure
// reported; layers already written stay.
void WriteLayerSet(JobContext& ctx, TableConnection& connection);

// One layer: the bounds pass (and hole check for regions), the layer files, then the table's
// rows. Throws on failure; WriteLayerSet reports it.
void WriteLayerFiles(JobContext& ctx, int kind, const LayerFileNames& names);

}  // namespace vx
