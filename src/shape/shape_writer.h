#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/job_context.h"

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

// Copies the attribute table when the job carries attributes (the table must be listed in
// the layer and exist in its folder), then writes the .shp and .shx as new files. Rings are
// written as shapefiles require: closed, outer rings clockwise and holes counter-clockwise.
// When the model's object index holds the objects' numbers (ReadObjectNumbers), an object
// becomes the record of its number and null records fill the numbers no object has, up to
// the rows of the copied table: record n stays with row n of the table. False, with the job
// failed and its line reported, when anything could not be done.
bool WriteShapeFile(JobContext& ctx, const ShapeExportPaths& paths);

// The ObjectNo of every entry of the object index of the layer file at `vxvPath`, into the
// model's object index (reading a layer for the export keeps only the entries' bounds). A
// layer imported from a shapefile numbers its objects by record, with gaps where records
// were null. False when the index cannot be read whole.
bool ReadObjectNumbers(const std::string& vxvPath, LayerModel& model);

}  // namespace vx
