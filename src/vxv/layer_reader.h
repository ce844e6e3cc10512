#pragma once

#include <string>

#include "model/job_context.h"

// Reading a VXV layer back into the model. Every section is reached through the offsets the
// header gives, and every count and offset is checked against the sizes of the two files
// before anything is read or reserved, so a damaged layer is refused, never trusted.
namespace vx {

enum class LayerTarget {
    kObjects,      // Points, Lines, Regions and the whole object index (the MIF export)
    kShapeExport,  // ShapePoints, ShapeLines, ShapeRegions with each object's bounds
};

// Reads the layer at `vxvPath` with its geometry from `vxsPath`: header, description, kind,
// table names, LayerObjectCount, the style tables the kind uses and the objects. False with
// a short reason in `error` when the layer is damaged; the model then holds what was read.
// When `progress` is set the kind's reading line is reported ("Reading Regions", ...).
bool ReadLayerData(JobContext& ctx, const std::string& vxvPath, const std::string& vxsPath,
                   LayerTarget target, bool progress, std::string& error);

// The message every failed layer read ends with.
void ReportLayerReadError(JobContext& ctx);

}  // namespace vx
