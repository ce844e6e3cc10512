#pragma once

#include <string>

#include "dbase/table_engine.h"
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

// Reads a layer for the MIF export: the objects, styles and index, then, when attributes are
// carried, opens the layer's table as `recordset`. On failure the job fails with "Error
// Reading VXV....".
void ReadLayerFile(JobContext& ctx, const std::string& vxvPath, TableConnection& connection,
                   TableRecordset& recordset);

// Opens the table a layer names, in the layer's own folder. A missing or unreadable table
// fails the job with "Missing or Corrupt Non-Spatial Data File"; a layer that names no table
// opens nothing and is no failure.
void OpenAttributeTable(JobContext& ctx, const std::string& vxvPath, TableConnection& connection,
                        TableRecordset& recordset);

}  // namespace vx
