#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/layer_model.h"
#include "platform/status_lines.h"

// Writing the layer GetDataset left in the model (ShapePoints, ShapeLines or ShapeRegions
// with their bounds) as a shapefile: the main file, the index file and a copy of the layer's
// attribute table. A points layer becomes a MultiPoint file, a lines layer a PolyLine file,
// a regions layer a Polygon file; one object, one record.
namespace vx {

struct ShapeExportPaths {
    std::string shpPath;
    std::string shxPath;
    std::string dbfPath;       // where the attribute table is copied to
    std::string sourceFolder;  // the layer file's folder, where its table lives
};

enum class ShapeWriteResult {
    kWritten,
    kFailed,        // reported
    kTableMissing,  // the layer's table is not in its folder; the caller reports it
};
// Copies the attribute table `withTable` (the table must be listed in the layer and exist in
// its folder), with a .cpg naming the code page of its text, then writes the .shp and .shx
// as new files. Rings are written as shapefiles require: closed, outer rings clockwise and
// holes counter-clockwise. When the model's object index holds the objects' numbers
// (ReadObjectNumbers), an object becomes the record of its number and null records fill the
// numbers no object has, up to the rows of the copied table: record n stays with row n of
// the table. Failures are reported to `status`, but for a missing table.
ShapeWriteResult WriteShapeFile(const LayerModel& model, const ShapeExportPaths& paths,
                                bool withTable, StatusLines& status);

// The ObjectNo of every entry of the object index of the layer file at `vxvPath`, into the
// model's object index (reading a layer for the export keeps only the entries' bounds). A
// layer imported from a shapefile numbers its objects by record, with gaps where records
// were null. False when the index cannot be read whole.
bool ReadObjectNumbers(const std::string& vxvPath, LayerModel& model);

}  // namespace vx
