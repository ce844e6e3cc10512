#include "mif/mif_reader.h"

#include "mif/mif_header.h"
#include "mif/mif_input.h"
#include "mif/mif_objects.h"
#include "model/geometry.h"

namespace vx {

bool ReadMifFile(JobContext& ctx, const std::string& path) {
    ctx.sourcePath = path;
    // Every file starts from a clean layer description, so that parameters its projection
    // does not carry are not left over from the file before.
    ctx.model.Layer = LayerInfo{};
    ctx.model.Layer.lProjection = -1;
    ctx.model.Layer.lDatum = -1;
    ctx.model.LayerKind.UnitCode = 0;
    ctx.coordProjection = -1;
    ctx.coordDatum = -1;
    ctx.coordinateFactor = 1.0;
    ctx.coordinateOffset = {};

    MifInput in;
    if (!in.Open(path)) {
        ctx.Fail();
        return false;
    }
    try {
        in.ReadTextItem();  // the Version item
    } catch (const MifReadError&) {
        ctx.Fail();
        return false;
    }
    // The data stage applies the factor as it reads; the offset, rarely other than none,
    // moves the whole layer afterwards.
    if (ReadMifHeader(ctx, in) && ReadMifData(ctx, in))
        ScaleAndShift(ctx.model, 1.0, ctx.coordinateOffset);
    in.Close();
    return !ctx.Failed();
}

}  // namespace vx
