// A damaged layer set is refused with a GDAL error, never read half or trusted: whatever
// bytes a layer holds, GDAL's host program goes on.
#include <filesystem>
#include <optional>

#include "gdal_plugin/driver_test_support.h"
#include "platform/endian.h"

namespace vx::test {
namespace {

class DamagedLayers : public ::testing::Test {
  protected:
    void SetUp() override {
        UseVxvDriver();
        ASSERT_TRUE(Translate(Sample("lakes.shp"), dir / "lakes.vxv", {"-f", "VXV"}));
        vxv = ReadFile(dir / "lakes.vxv");
        vxs = ReadFile(dir / "lakes.vxs");
        dbf = ReadFile(dir / "lakes.dbf");
        ASSERT_GT(vxv.size(), 250u);
    }

    // Writes a layer set of the given files (a missing one left out) and opens it, reading
    // every feature of what opens. False when it did not open; then GDAL must have said why.
    bool Opens(const std::string& layer, const std::optional<std::string>& geometry,
               const std::optional<std::string>& table, GdalMessages& messages) {
        const std::string base = dir / "case/lakes";
        WriteFile(base + ".vxv", layer);
        std::filesystem::remove(base + ".vxs");
        std::filesystem::remove(base + ".dbf");
        if (geometry) WriteFile(base + ".vxs", *geometry);
        if (table) WriteFile(base + ".dbf", *table);
        GDALDatasetUniquePtr dataset = OpenVector(base + ".vxv", {"VXV"});
        if (!dataset) {
            EXPECT_TRUE(messages.Has(CE_Failure, "")) << "refused without a word";
            return false;
        }
        for (OGRLayer* opened : dataset->GetLayers()) {
            OGREnvelope extent;
            [[maybe_unused]] const OGRErr none = opened->GetExtent(&extent);  // none when empty
            for (auto& feature : *opened) {
                if (feature->GetGeometryRef() != nullptr) feature->GetGeometryRef()->IsValid();
            }
        }
        return true;
    }

    static std::string WithI32(std::string bytes, std::size_t at, std::int32_t value) {
        StoreLE<std::int32_t>(reinterpret_cast<unsigned char*>(bytes.data()) + at, value);
        return bytes;
    }

    TempDir dir;
    std::string vxv, vxs, dbf;
};

TEST_F(DamagedLayers, DamageIsAGdalErrorNotACrash) {
    const auto indexAt = static_cast<std::size_t>(
        LoadLE<std::int32_t>(reinterpret_cast<const unsigned char*>(vxv.data()) + 52));
    const struct {
        const char* what;
        std::string layer;
        std::optional<std::string> geometry;
    } damaged[] = {
        {"layer file cut in its description", vxv.substr(0, 100), vxs},
        {"layer file cut in its index", vxv.substr(0, vxv.size() - 1), vxs},
        {"geometry file cut", vxv, vxs.substr(0, vxs.size() / 2)},
        {"geometry file empty", vxv, ""},
        {"no geometry file", vxv, std::nullopt},
        {"object count past the index", WithI32(vxv, 56, 0x7FFFFFFF), vxs},
        {"negative object count", WithI32(vxv, 56, -1), vxs},
        {"index past the end", WithI32(vxv, 52, 0x7FFFFFF0), vxs},
        {"pen table past the end", WithI32(vxv, 36, static_cast<std::int32_t>(vxv.size())), vxs},
        {"table name list without end", WithI32(vxv, 24, 1 << 30), vxs},
        {"description past the end", WithI32(vxv, 4, 1 << 30), vxs},
        {"object outside the geometry file", WithI32(vxv, indexAt + 6, 1 << 30), vxs},
        {"ring count beyond the file", vxv, WithI32(vxs, 0, 0x7FFFFFFF)},
        {"vertex count beyond the file", vxv, WithI32(vxs, 13, 0x7FFFFFFF)},
        {"negative vertex count", vxv, WithI32(vxs, 13, -5)},
    };
    for (const auto& item : damaged) {
        GdalMessages messages;
        EXPECT_FALSE(Opens(item.layer, item.geometry, dbf, messages)) << item.what;
        EXPECT_TRUE(!item.geometry || messages.Has(CE_Failure, "VXV")) << item.what << "\n"
                                                                       << messages.All();
    }
}

// A missing or broken table leaves the geometry readable, with a warning.
TEST_F(DamagedLayers, ALostTableLeavesTheGeometry) {
    for (const std::optional<std::string>& table : {std::optional<std::string>(), {vxs}}) {
        GdalMessages messages;
        EXPECT_TRUE(Opens(vxv, vxs, table, messages)) << messages.All();
        EXPECT_TRUE(messages.Has(CE_Warning, "has no attributes")) << messages.All();
    }
}

}  // namespace
}  // namespace vx::test
