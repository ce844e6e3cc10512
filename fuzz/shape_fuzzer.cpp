// The shapefile import's reader: the main file read into a layer and written as VXV.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "fuzz_support.h"
#include "model/job_context.h"
#include "shape/shape_layer_writer.h"
#include "shape/shape_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx;
    fuzz::ClearWorkFolder();
    const std::string shpPath = fuzz::WorkPath("in.shp");
    fuzz::WriteWhole(shpPath, std::string_view(reinterpret_cast<const char*>(data), size));
    std::filesystem::create_directory(fuzz::WorkPath("out"));

    JobContext ctx;
    ShapeLayerTarget target;
    target.vxvPath = fuzz::WorkPath("out/layer.vxv");
    target.vxsPath = fuzz::WorkPath("out/layer.vxs");
    target.tableFileName = "layer.dbf";
    ReadShapeFile(ctx, shpPath, target);
    if (!ctx.Failed()) WriteShapeLayer(ctx, target);
    return 0;
}
