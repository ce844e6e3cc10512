#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/layer_model.h"

// The output side the DGN and ASCII converters share: where each layer of a set goes and how
// one layer of the model is written there.
namespace vx {

// The three files of one layer.
struct LayerFiles {
    std::string vxv;
    std::string vxs;
    std::string dbf;
};

// The files of the layer of `kind` in a set whose main file is `target` (a path whose name
// ends in ".vxv", in any letter case). A set of one kind keeps the plain name; with several
// kinds each layer carries "_rg", "_ln" or "_pt" before the extension. False when the target
// is not a .vxv path.
bool LayerFilesFor(const std::string& target, int kind, bool suffixed, LayerFiles& files);

// Every file a layer set at `target` can consist of: the plain layer and the three suffixed
// ones, each with its .vxv, .vxs and .dbf. Empty when the target is not a .vxv path.
std::vector<std::string> LayerSetFiles(const std::string& target);

// Writes objects 1..count of `kind`: the bounds pass, the hole check for regions, the sphere
// radius rule, then the two layer files. False with `error` on any failure.
bool WriteModelLayer(LayerModel& model, int kind, std::int32_t count, const LayerFiles& files,
                     std::string& error);

// Makes the model's table name list the one name of the layer's table, so that the layer
// file names it.
void NameLayerTable(LayerModel& model, const LayerFiles& files);

// Writes the attribute table of a layer of `rows` objects: a SPATIAL_ID column numbering them
// 1, 2, 3 ..., then `columns` (column definitions as CREATE TABLE takes them, after a comma;
// empty for none), each row's values given by `rowValues` (1-based, comma-separated, each
// value as AppendRowValue quotes it). An existing table is replaced. False with `error`.
bool WriteLayerTable(const std::string& dbfPath, const std::string& columns, std::int64_t rows,
                     const std::function<std::string(std::int64_t)>& rowValues, std::string& error);

// Removes the files written so far by a conversion that then failed, so that no half set is
// left looking like a finished one.
void RemoveFiles(const std::vector<std::string>& paths);

}  // namespace vx
