#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/layer_model.h"

// Writing a layer set: one VXV layer per kind of object the model holds, under names made
// from one target. Every import writes its layers here, each with its own table stage.
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

// The number of objects of a kind the model holds.
std::int32_t ObjectCount(const LayerModel& model, int kind);

// The kinds the model holds objects of, in the order a set is written: regions, lines,
// points.
std::vector<int> KindsHeld(const LayerModel& model);

// What a set's writer does besides writing each layer's two files. Every stage may be left
// empty.
struct LayerStages {
    // The kinds to write; empty: KindsHeld(model). (A shapefile makes a layer of its kind
    // even when it holds no object.)
    std::vector<int> kinds;
    // Each layer is written as its reader left it: the model's LayerObjectCount objects, with
    // the bounds and ring roles of the source (a shapefile); no bounds pass, no hole check,
    // no sphere radius rule.
    bool asRead = false;
    // Before anything of a layer is written, with the model's ObjectKind set to the layer's:
    // its table is created and named in the model here. False stops the set.
    std::function<bool(int kind, const LayerFiles& files)> begin;
    // After the objects are measured, before the files are written.
    std::function<void(int kind)> measured;
    // Fills the layer's table on a second thread while the files are written; it may read
    // only what `begin` left and what the writing does not change (the object order, the
    // labels). False fails the set.
    std::function<bool(int kind, const LayerFiles& files)> fill;
    // After the layer's files are written, before its table is waited for. False fails the
    // set.
    std::function<bool(int kind, const LayerFiles& files)> written;
};

// Writes the layer set of the model at `target` with the given stages. Every file written is
// added to `written`. False with `error` on the first failure; the layers written before it
// stay, for the caller to keep or remove.
bool WriteLayerSet(LayerModel& model, const std::string& target, const LayerStages& stages,
                   std::vector<std::string>& written, std::string& error);

// Makes the model's table name list the one name of the layer's table, so that the layer
// file names it.
void NameLayerTable(LayerModel& model, const std::string& tableFileName);

// Removes the files written so far by a conversion that then failed, so that no half set is
// left looking like a finished one.
void RemoveFiles(const std::vector<std::string>& paths);

}  // namespace vx
