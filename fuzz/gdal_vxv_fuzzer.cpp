// The GDAL driver's read path, as a GDAL host program drives it: the layer opened through
// GDAL, every feature with its geometry, fields and style read, counts, extents and a
// spatial filter asked for, the coordinate system written out; then what was read written
// again through the driver as a new layer set. The input holds the .vxv, the .vxs and the
// layer's table (see SplitInput, used twice); the table is stored under the name the layer
// gives it.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include "fuzz_support.h"
#include "platform/paths.h"
#include "vxv/layer_format.h"

extern "C" void RegisterOGRVXV();

namespace {

void ReadLayer(OGRLayer& layer) {
    OGREnvelope extent;
    const bool hasExtent = layer.GetExtent(&extent) == OGRERR_NONE;
    layer.GetFeatureCount();
    if (const OGRSpatialReference* crs = layer.GetSpatialRef()) {
        char* wkt = nullptr;
        crs->exportToWkt(&wkt);
        CPLFree(wkt);
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (auto& feature : layer) {
            if (const OGRGeometry* geometry = feature->GetGeometryRef()) {
                geometry->exportToWkt();
            }
            for (int i = 0; i < feature->GetFieldCount(); ++i)
                feature->GetFieldAsString(i);
            if (feature->GetStyleString() != nullptr) {
                OGRStyleMgr styles;
                styles.InitFromFeature(feature.get());
            }
        }
        if (!hasExtent) break;
        layer.SetSpatialFilterRect(extent.MinX, extent.MinY, (extent.MinX + extent.MaxX) / 2,
                                   (extent.MinY + extent.MaxY) / 2);
        layer.GetFeatureCount();
    }
    layer.SetSpatialFilter(nullptr);
}

// Writes the layer again, field by field and feature by feature, as ogr2ogr would.
void WriteLayer(GDALDataset& out, OGRLayer& layer) {
    OGRLayer* copy = out.CreateLayer(layer.GetName(), layer.GetSpatialRef(), layer.GetGeomType());
    if (copy == nullptr) return;
    OGRFeatureDefn* defn = layer.GetLayerDefn();
    for (int i = 0; i < defn->GetFieldCount(); ++i) {
        if (copy->CreateField(defn->GetFieldDefn(i)) != OGRERR_NONE) return;
    }
    for (auto& feature : layer) {
        OGRFeature written(copy->GetLayerDefn());
        written.SetFrom(feature.get());
        if (copy->CreateFeature(&written) != OGRERR_NONE) return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx;
    static const bool registered = [] {
        CPLSetErrorHandler(CPLQuietErrorHandler);
        RegisterOGRVXV();
        return true;
    }();
    (void)registered;
    fuzz::ClearWorkFolder();
    const auto [vxv, rest] = fuzz::SplitInput(data, size);
    const auto [vxs, dbf] =
        fuzz::SplitInput(reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());
    const std::string vxvPath = fuzz::WorkPath("in.vxv");
    fuzz::WriteWhole(vxvPath, vxv);
    fuzz::WriteWhole(fuzz::WorkPath("in.vxs"), vxs);
    std::vector<std::string> tables;
    if (ReadLayerTableNames(vxvPath, tables) && !tables.empty() && IsPlainFileName(tables[0]) &&
        tables[0] != "in.vxv" && tables[0] != "in.vxs") {
        fuzz::WriteWhole(fuzz::WorkPath(tables[0]), dbf);
    }

    const char* const drivers[] = {"VXV", nullptr};
    GDALDatasetUniquePtr in(
        GDALDataset::Open(vxvPath.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers));
    if (!in) return 0;
    for (OGRLayer* layer : in->GetLayers())
        ReadLayer(*layer);

    const std::string outFolder = fuzz::WorkPath("out");
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("VXV");
    GDALDatasetUniquePtr out(driver->Create(outFolder.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!out) return 0;
    for (OGRLayer* layer : in->GetLayers())
        WriteLayer(*out, *layer);
    return 0;
}
