// The readers of a VXV layer: the whole read (objects, styles, the whole index, then the
// layer's table), and the exports' (the index, then the objects one at a time as the MIF
// writer and the shapefile writer take them). The input is split into the .vxv and the .vxs
// (see SplitInput).
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>

#include "dbase/table_engine.h"
#include "fuzz_support.h"
#include "mif/mif_writer.h"
#include "platform/paths.h"
#include "shape/shape_writer.h"
#include "vxv/layer_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx;
    fuzz::ClearWorkFolder();
    const auto [vxv, vxs] = fuzz::SplitInput(data, size);
    const std::string vxvPath = fuzz::WorkPath("in.vxv");
    const std::string vxsPath = fuzz::WorkPath("in.vxs");
    fuzz::WriteWhole(vxvPath, vxv);
    fuzz::WriteWhole(vxsPath, vxs);

    std::string error;
    {
        LayerModel model;
        TableConnection connection;
        TableRecordset recordset;
        if (ReadLayerData(model, vxvPath, vxsPath, LayerTarget::kObjects, nullptr, error) &&
            OpenAttributeTable(model, vxvPath, connection, recordset)) {
            for (; recordset.IsOpen() && !recordset.IsEOF(); recordset.MoveNext()) {
                for (int f = 0; f < recordset.FieldCount(); ++f)
                    recordset.Value(f);
            }
        }
    }

    fuzz::Silent status;
    LayerModel model;
    if (!ReadLayerData(model, vxvPath, vxsPath, LayerTarget::kIndex, &status, error)) return 0;
    const ObjectSources objects = [&] {
        return std::make_unique<LayerObjectReader>(model, vxsPath);
    };
    TextWriter mif;
    if (mif.Create(fuzz::WorkPath("out.mif"))) {
        try {
            WriteMifObjects(model, mif, 0, objects);
        } catch (const std::exception&) {
            // A damaged record, or a style a damaged object names: the export driver
            // reports either and fails the job.
        }
        mif.Close();
    }

    const std::string out = fuzz::WorkPath("out");
    std::filesystem::create_directory(out);
    ShapeExportPaths paths;
    paths.shpPath = JoinPath(out, "layer.shp");
    paths.shxPath = JoinPath(out, "layer.shx");
    paths.dbfPath = JoinPath(out, "layer.dbf");
    paths.sourceFolder = fuzz::WorkFolder();
    try {
        WriteShapeFile(model, paths, true, status, objects);
    } catch (const LayerReadError&) {
        // A damaged record: the export driver reports it and fails the job.
    }
    return 0;
}
