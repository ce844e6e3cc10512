#include "shape/shape_layer_writer.h"

#include "vxv/layer_writer.h"

namespace vx {

namespace {

constexpr double kWidening = 0.00001;

void PrepareModel(LayerModel& model, const ShapeLayerTarget& target) {
    LayerInfo& layer = model.Layer;
    if (layer.MinX == layer.MaxX) {
        layer.MinX -= kWidening;
        layer.MaxX += kWidening;
    }
    if (layer.MinY == layer.MaxY) {
        layer.MinY -= kWidening;
        layer.MaxY += kWidening;
    }

    model.TableNames = {target.tableFileName};
    model.TableNameLengths = {static_cast<std::int32_t>(target.tableFileName.size())};
    model.Fonts.Clear();
    model.Fonts.Append(target.style.FontName, target.style.FontNameLength);
    model.Pens.Clear();
    model.Pens.Append({target.style.PenSize, target.style.PenPattern, target.style.PenColor});
    model.Brushes.Clear();
    model.Brushes.Append(
        {target.style.BrushPattern, target.style.BrushForeColor, target.style.BrushBackColor});
}

}  // namespace

void WriteShapeLayer(JobContext& ctx, const ShapeLayerTarget& target) {
    LayerModel& model = ctx.model;
    PrepareModel(model, target);
    const int kind = model.LayerKind.ObjectKind;
    if (kind == kKindPoint) {
        ctx.ReportStage("Writing Shape Points");
    } else if (kind == kKindLine) {
        ctx.ReportStage("Writing Shape Plines");
    } else if (kind == kKindRegion) {
        ctx.ReportStage("Writing Shape Region");
    }
    std::string error;
    if (!WriteLayer(model, kind, model.LayerObjectCount, target.vxvPath, target.vxsPath, error)) {
        // A layer that was not written whole must not pass for an imported file.
        ctx.ReportStage(error);
        ctx.Fail();
    }
}

}  // namespace vx
