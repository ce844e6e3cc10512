// The shapefile import's reader: the main file read into a layer and written as VXV.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "fuzz_support.h"
#include "shape/shape_reader.h"
#include "vxv/layer_set_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx;
    fuzz::ClearWorkFolder();
    const std::string shpPath = fuzz::WorkPath("in.shp");
    fuzz::WriteWhole(shpPath, std::string_view(reinterpret_cast<const char*>(data), size));
    std::filesystem::create_directory(fuzz::WorkPath("out"));

    fuzz::Silent status;
    ShapeReading reading = ReadShapeFile(shpPath, ShapeStyleFor({}), status);
    if (!reading.ok) return 0;
    PrepareShapeLayer(reading.model, ShapeStyleFor({}));
    LayerStages stages;
    stages.kinds = {reading.model.LayerKind.ObjectKind};
    stages.asRead = true;
    std::vector<std::string> written;
    std::string error;
    WriteLayerSet(reading.model, fuzz::WorkPath("out/layer.vxv"), stages, written, error);
    return 0;
}
