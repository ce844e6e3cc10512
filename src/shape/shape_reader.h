#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/layer_model.h"
#include "platform/binary_file.h"
#include "platform/status_lines.h"
#include "shape/shape_style.h"

// Reading the main file (.shp) of a shapefile into one layer of the model. The index file is not
// needed: records are taken one after the other. Every length and count in the file is checked
// against the file and its record before it is used, so a damaged file fails the import instead of
// being trusted.
namespace vx {

// A length or count of a .shp that does not fit its file or record.
class ShapeFormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The record loop the four kind readers share: the position in the file, the end of the data
// that the header gives, and the content of the current record.
class ShapeRecordCursor {
  public:
    // Records start at `position`; reading stops at `end` (the header's file length, in
    // bytes), which must lie inside the file.
    ShapeRecordCursor(BinaryReader& file, std::uint64_t position, std::uint64_t end);

    // Moves to the next record that holds a shape, skipping null records. False at the end
    // of the data; throws ShapeFormatError when a record header or content leaves the data.
    bool NextShape();

    std::int32_t RecordNumber() const { return recordNumber_; }
    std::uint64_t ContentLength() const { return contentLength_; }

    // Fields of the current record's content, at byte offsets from its start (the shape type
    // is at 0); each read is checked against the content length.
    std::int32_t Int(std::uint64_t at) const;
    double Double(std::uint64_t at) const;
    // `count` X, Y pairs from `at`.
    void Vertices(std::uint64_t at, std::int32_t count, std::vector<Vertex>& out) const;
    // The box of a multipoint, polyline or polygon record (the four doubles after the type).
    Bounds Box() const;

  private:
    const unsigned char* Field(std::uint64_t at, std::uint64_t length) const;

    BinaryReader& file_;
    std::uint64_t position_;
    std::uint64_t end_;
    std::int32_t recordNumber_ = 0;
    std::uint64_t contentLength_ = 0;
    const unsigned char* content_ = nullptr;
};

// Read every remaining record as objects of one kind into the model (Points for points and
// multipoints, Lines, Regions), with an index entry each whose ObjectNo is the record
// number. Points get the symbol of `style` and font 1; lines pen 1; regions pen 1 and
// brush 1. Throw ShapeFormatError on a damaged record.
void ReadShapePoints(ShapeRecordCursor& records, LayerModel& model,
                     const ShapeStyleDefaults& style);
void ReadShapeMultiPoints(ShapeRecordCursor& records, LayerModel& model,
                          const ShapeStyleDefaults& style);
void ReadShapePlines(ShapeRecordCursor& records, LayerModel& model);
void ReadShapeRegions(ShapeRecordCursor& records, LayerModel& model);

// What a shapefile import read: one layer of the model, its objects of one kind with their
// index, their record numbers, their bounds and the layer's, in the file's own coordinates.
struct ShapeReading {
    bool ok = false;  // false: the failure has been reported, or is the caller's to report
    LayerModel model;
};

// Reads the .shp at `shpPath`; points get the symbol of `style`. A wrong file code or
// version is reported to `status`; a damaged file gives ok false without a line (the driver
// reports it). A shape type other than point, multipoint, polyline and polygon gives an
// empty layer.
ShapeReading ReadShapeFile(const std::string& shpPath, const ShapeStyleDefaults& style,
                           StatusLines& status);

// What a shapefile layer takes from the import rather than from the file: the style tables
// hold the style's one pen, brush and font, and a layer whose bounds are flat in x or y is
// widened a little, so that it has an extent.
void PrepareShapeLayer(LayerModel& model, const ShapeStyleDefaults& style);

// The box of all shapes that a .shp's header gives; nullopt when the file is no shapefile.
std::optional<Bounds> ReadShapeBox(const std::string& shpPath);

}  // namespace vx
