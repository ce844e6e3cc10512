// The MIF import as the engine composes it: the MIF read into a model, then the layer set
// written with its attribute tables filled from the MID. The input is split into the MIF and
// the MID (see SplitInput).
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "dbase/attribute_table.h"
#include "dbase/table_engine.h"
#include "fuzz_support.h"
#include "mif/mif_reader.h"
#include "platform/paths.h"
#include "vxv/layer_set_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx;
    fuzz::ClearWorkFolder();
    const auto [mif, mid] = fuzz::SplitInput(data, size);
    const std::string mifPath = fuzz::WorkPath("in.mif");
    const std::string midPath = fuzz::WorkPath("in.mid");
    fuzz::WriteWhole(mifPath, mif);
    fuzz::WriteWhole(midPath, mid);

    fuzz::Silent status;
    MifReading reading = ReadMifFile(mifPath, MifReadOptions{true, false}, status);
    if (!reading.ok) return 0;
    reading.table.midPath = midPath;
    LayerModel& model = reading.model;
    const std::string out = fuzz::WorkPath("out");
    std::filesystem::create_directory(out);
    TableConnection connection;
    if (!connection.Open(out)) return 0;
    LayerStages stages;
    stages.begin = [&](int kind, const LayerFiles& files) {
        std::string error;
        const std::string table = NameOf(files.dbf);
        if (!CreateAttributeTable(connection, ShortTableName(out, table), files.dbf, reading.table,
                                  kind == kKindPoint && model.TextCount > 0, error))
            return false;
        NameLayerTable(model, table);
        return true;
    };
    stages.fill = [&](int kind, const LayerFiles& files) {
        return FillAttributeRows(files.dbf, reading.table, model.ObjectOrder, model.TextLabels,
                                 kind);
    };
    std::vector<std::string> written;
    std::string error;
    WriteLayerSet(model, JoinPath(out, "layer.vxv"), stages, written, error);
    return 0;
}
