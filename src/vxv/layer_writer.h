#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/layer_model.h"
#include "platform/binary_file.h"

// Writing one VXV layer: a .vxv file (header, description, name lists, style tables, object
// index) and a .vxs file (the geometry records back to back). Every writer of layers goes
// through WriteLayer; what differs between them (the bounds pass and hole check of a MIF
// import, model/geometry.h; the one-entry tables and record numbers of a shapefile import) is
// prepared in the model before it is called.
namespace vx {

// A layer on a sphere with no believable radius gets the one of the WGS 84 ellipsoid.
void ApplySphereRadiusRule(LayerInfo& layer);

// Writes objects 1..count of `kind` from the model with the model's tables, description and
// object index (whose entries must already hold ObjectNo, ObjectKind and bounds; their
// DataOffset is set here). Both files are made anew. False with `error` on any failure.
bool WriteLayer(LayerModel& model, int kind, std::int32_t count, const std::string& vxvPath,
                const std::string& vxsPath, std::string& error);

// The sections of the .vxv before the index, from the format number at offset 0 on; the
// header's offsets and counts are recorded in the model as they are written.
void WriteLayerHeader(LayerModel& model, BinaryWriter& vxv);

// The records of objects 1..count into the .vxs file, each object's DataOffset set first.
bool WriteGeometryRecords(LayerModel& model, int kind, std::int32_t count, BinaryWriter& vxs,
                          std::string& error);
void WritePointRecord(const PointObject& point, ByteBuffer& out);
void WriteLineRecord(const LineObject& line, ByteBuffer& out);
void WriteRegionRecord(const RegionObject& region, ByteBuffer& out);

}  // namespace vx
