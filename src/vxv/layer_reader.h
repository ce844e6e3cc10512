#pragma once

#include <string>

#include "dbase/table_engine.h"
#include "model/layer_model.h"
#include "platform/status_lines.h"

// Reading a VXV layer back into the model. Every section is reached through the offsets the
// header gives, and every count and offset is checked against the sizes of the two files
// before anything is read or reserved, so a damaged layer is refused, never trusted.
namespace vx {

enum class LayerTarget {
    kObjects,      // Points, Lines, Regions and the whole object index (the MIF export)
    kShapeExport,  // ShapePoints, ShapeLines, ShapeRegions with each object's bounds
};

// Reads the layer at `vxvPath` with its geometry from `vxsPath` into `model`: header,
// description, kind, table names, LayerObjectCount, the style tables the kind uses and the
// objects. False with a short reason in `error` when the layer is damaged; the model then
// holds what was read. When `progress` is given the kind's reading line is reported to it
// ("Reading Regions", ...).
bool ReadLayerData(LayerModel& model, const std::string& vxvPath, const std::string& vxsPath,
                   LayerTarget target, StatusLines* progress, std::string& error);

// Opens the table a layer names, in the layer's own folder, as `recordset`. A layer that
// names no table opens nothing: true. False when the table it names is missing or cannot be
// read.
bool OpenAttributeTable(const LayerModel& model, const std::string& vxvPath,
                        TableConnection& connection, TableRecordset& recordset);

}  // namespace vx
