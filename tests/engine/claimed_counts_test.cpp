// Memory in proportion to the file: a small file that claims a billion objects, parts,
// vertices or records is refused with its format's message instead of making room for them.
// That the tests finish at all (they run under the sanitizer build too) is the proof that
// nothing is reserved or walked a billion times.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/engine_test_support.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

// `bytes` with a billion written at `at`.
std::string Claiming(std::string bytes, std::size_t at, bool bigEndian = false) {
    constexpr std::int32_t kBillion = 1000000000;
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<char>((kBillion >> (bigEndian ? 24 - 8 * i : 8 * i)) & 0xFF);
    return bytes;
}

// A layer made from the samples' regions (town_rg), exported after one of its counts is raised.
class ClaimedLayerCounts : public ::testing::Test {
  protected:
    void SetUp() override {
        test::Batch batch;
        ASSERT_TRUE(batch.Import(ImportFormat::kMif, {test::Samples("town.mif")}, dir / "layers"))
            << batch.engine.JobLog();
        vxv = test::ReadFile(dir / "layers/town_rg.vxv");
        vxs = test::ReadFile(dir / "layers/town_rg.vxs");
        dbf = test::ReadFile(dir / "layers/town_rg.dbf");
        ASSERT_LT(vxv.size() + vxs.size(), 1024u) << "a layer of well under a kilobyte";
    }

    // Writes the layer as big.vxv and .vxs with the table it names, and exports it as MIF.
    // (The shapefile export reads through the same record checks; the layer reader's own
    // tests run the damaged layers through both of its targets.)
    std::string Export(const std::string& layer, const std::string& geometry,
                       const std::string& table) {
        test::WriteFile(dir / "layers/big.vxv", layer);
        test::WriteFile(dir / "layers/big.vxs", geometry);
        test::WriteFile(dir / "layers/town_rg.dbf", table);
        Import engine;
        engine.SetCreateDbf(true);
        engine.SetOverwriteExistingFiles(true);
        EXPECT_FALSE(engine.ExportMifFile(dir / "layers/big.vxv", dir / "out/big.MIF"));
        return engine.JobLog();
    }

    test::TempDir dir;
    std::string vxv, vxs, dbf;
};

TEST_F(ClaimedLayerCounts, HeaderAndRecordCountsOfABillionAreRefused) {
    // The header's counts of table names, pens, brushes and objects (a region layer has no
    // fonts); the first region record's ring count, then its first ring's vertex count.
    const std::pair<std::string, std::string> claims[] = {
        {Claiming(vxv, 24), vxs}, {Claiming(vxv, 40), vxs}, {Claiming(vxv, 48), vxs},
        {Claiming(vxv, 56), vxs}, {vxv, Claiming(vxs, 0)},  {vxv, Claiming(vxs, 13)}};
    for (const auto& [layer, geometry] : claims) {
        const std::string log = Export(layer, geometry, dbf);
        EXPECT_NE(log.find("Error Reading VXV...."), std::string::npos) << log;
    }
}

TEST_F(ClaimedLayerCounts, ATableClaimingABillionRecordsIsRefusedAndNeverPadded) {
    const std::string log = Export(vxv, vxs, Claiming(dbf, 4));
    EXPECT_NE(log.find("Missing or Corrupt Non-Spatial Data File"), std::string::npos) << log;
    // The shapefile export copies the table as it is; the null records that keep rows and
    // shapes together follow only the rows a table really holds.
    Import shp;
    shp.SetCreateDbf(true);
    shp.ExportShapeFile(dir / "layers/big.vxv", dir / "out/big.shp");
    for (const auto& entry : fs::recursive_directory_iterator(dir / "out")) {
        if (entry.is_regular_file()) {
            EXPECT_LT(entry.file_size(), 4096u) << entry.path();
        }
    }
}

// A shapefile's table that claims a billion records (its records' own claims are the shapefile
// reader's tests).
TEST(ClaimedCounts, AShapefileTableClaimingABillionRecordsIsRefused) {
    test::TempDir dir;
    for (const char* ext : {".shp", ".shx", ".dbf"})
        test::WriteFile(dir / ("big" + std::string(ext)),
                        test::ReadFile(test::Samples("lakes") + ext));
    test::WriteFile(dir / "big.dbf", Claiming(test::ReadFile(dir / "big.dbf"), 4));
    Import engine;
    engine.SetCreateDbf(true);
    EXPECT_FALSE(engine.ImportShapeFile(dir / "big.shp", dir / "out/big.vxv"));
    EXPECT_NE(engine.JobLog().find("The table big.dbf cannot be read"), std::string::npos)
        << engine.JobLog();
}

}  // namespace
}  // namespace vx
