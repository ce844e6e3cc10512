#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/layer_model.h"
#include "platform/status_lines.h"

// Writing a layer as a shapefile: the main file, the index file and a copy of the layer's
// attribute table. A points layer becomes a MultiPoint file, a lines layer a PolyLine file,
// a regions layer a Polygon file; one object, one record, its box the one of its entry in
// the object index.
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
// holes counter-clockwise. When the entries of the object index number the objects (see
// ObjectNumbers), an object becomes the record of its number and null records fill the
// numbers no object has, up to the rows of the copied table: record n stays with row n of
// the table. The objects are taken from `objects` one at a time (a layer read with its
// index alone, its objects read as they are written), or from the model's own Regions, Lines
// or Points when none are given. Failures are reported to `status`, but for a missing table;
// a source's failure is thrown.
ShapeWriteResult WriteShapeFile(const LayerModel& model, const ShapeExportPaths& paths,
                                bool withTable, StatusLines& status,
                                const ObjectSources& objects = {});

}  // namespace vx
