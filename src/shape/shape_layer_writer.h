#pragma once

#include "model/job_context.h"
#include "shape/shape_reader.h"

namespace vx {

// Writes the layer an imported shapefile left in the model (LayerObjectCount objects of the
// layer's kind, with their index) as the target's .vxv and .vxs. What sets it apart from a
// MIF import's layer is prepared in the model first: the bounds stay as the shapefile gave
// them (no bounds pass, no hole check, equal layer bounds widened so the layer has an
// extent), the coordinate system is the one the model holds, and the table name, font, pen
// and brush lists hold the target's one entry each. A failed write fails the job.
void WriteShapeLayer(JobContext& ctx, const ShapeLayerTarget& target);

}  // namespace vx
