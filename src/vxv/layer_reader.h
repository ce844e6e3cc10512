#pragma once

#include <stdexcept>
#include <string>

#include "dbase/table_engine.h"
#include "model/layer_model.h"
#include "platform/binary_file.h"
#include "platform/status_lines.h"

// Reading a VXV layer back into the model. Every section is reached through the offsets the
// header gives, and every count and offset is checked against the sizes of the two files
// before anything is read or reserved, so a damaged layer is refused, never trusted.
namespace vx {

enum class LayerTarget {
    kObjects,  // Points, Lines, Regions and the whole object index
    kIndex,    // the object index alone: a LayerObjectReader reads the objects later
};

// A layer whose files are damaged; what() is the short reason.
class LayerReadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads the layer at `vxvPath` with its geometry from `vxsPath` into `model`: header,
// description, kind, table names, LayerObjectCount, the style tables the kind uses and the
// objects. False with a short reason in `error` when the layer is damaged; the model then
// holds what was read. When `progress` is given the kind's reading line is reported to it
// ("Reading Regions", ...).
bool ReadLayerData(LayerModel& model, const std::string& vxvPath, const std::string& vxsPath,
                   LayerTarget target, StatusLines* progress, std::string& error);

// The objects of a layer read with LayerTarget::kIndex, each taken from the geometry file
// when it is asked for, into storage that the next one reuses: a writer that goes through
// them in order never holds the layer's vertices at once. Every record is checked as
// ReadLayerData checks it; a damaged one throws LayerReadError. Each object is meant to be
// read once: a reader asked for more bytes than the geometry file holds refuses the layer as
// one whose records overlap. The model must outlive the reader; one reader serves one thread.
class LayerObjectReader final : public ObjectSource {
  public:
    // Throws LayerReadError when the geometry file cannot be opened.
    LayerObjectReader(const LayerModel& model, const std::string& vxsPath);
    const RegionObject& Region(std::size_t i) override;
    const LineObject& Line(std::size_t i) override;
    const PointObject& Point(std::size_t i) override;

  private:
    template <typename Object, typename ReadRecord>
    const Object& Take(std::size_t i, Object& object, ReadRecord read);

    const LayerModel& model_;
    BinaryReader vxs_;
    std::uint64_t recordBytes_ = 0;
    RegionObject region_;
    LineObject line_;
    PointObject point_;
};

// Opens the table a layer names, in the layer's own folder, as `recordset`. A layer that
// names no table opens nothing: true. False when the table it names is missing or cannot be
// read.
bool OpenAttributeTable(const LayerModel& model, const std::string& vxvPath,
                        TableConnection& connection, TableRecordset& recordset);

}  // namespace vx
