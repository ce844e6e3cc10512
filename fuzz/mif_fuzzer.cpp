// The MIF import as the engine runs it: the MIF read into the model, then the layer set
// written with its attribute tables filled from the MID. The input is split into the MIF and
// the MID (see SplitInput).
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "dbase/attribute_table.h"
#include "dbase/table_engine.h"
#include "fuzz_support.h"
#include "mif/mif_reader.h"
#include "model/job_context.h"
#include "vxv/layer_set_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx;
    fuzz::ClearWorkFolder();
    const auto [mif, mid] = fuzz::SplitInput(data, size);
    const std::string mifPath = fuzz::WorkPath("in.mif");
    const std::string midPath = fuzz::WorkPath("in.mid");
    fuzz::WriteWhole(mifPath, mif);
    fuzz::WriteWhole(midPath, mid);

    JobContext ctx;
    ctx.options.CreateDbf = true;
    ctx.outputFolder = fuzz::WorkPath("out");
    std::filesystem::create_directory(ctx.outputFolder);
    ctx.outputName = "layer.vxv";
    ctx.midPath = midPath;
    ctx.midPresent = true;
    ctx.shortTableName = ShortTableName(ctx.outputFolder, "layer.dbf");

    if (!ReadMifFile(ctx, mifPath) || ctx.Failed()) return 0;
    TableConnection connection;
    WriteLayerSet(ctx, connection);
    return 0;
}
