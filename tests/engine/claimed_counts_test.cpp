// Memory in proportion to the file: a small file that claims a billion objects, parts,
// vertices or records is refused with its format's message instead of making room for them.
// That the tests finish at all (they run under the sanitizer build too) is the proof that
// nothing is reserved or walked a billion times.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/file_tree.h"
#include "engine/import.h"
#include "support/test_support.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kBillion = 1000000000;

void PutLE32(std::string& bytes, std::size_t at, std::int32_t value) {
    ASSERT_LE(at + 4, bytes.size());
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutBE32(std::string& bytes, std::size_t at, std::int32_t value) {
    ASSERT_LE(at + 4, bytes.size());
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
}

const char kMifHead[] =
    "Version 300\r\nCharset \"WindowsLatin1\"\r\nColumns 1\r\n  Name Char(10)\r\nData\r\n";

TEST(ClaimedCounts, MifObjectsClaimingABillionPartsOrVerticesAreRefused) {
    const char* bodies[] = {
        "Region 1000000000\r\n  4\r\n0 0\r\n1 0\r\n1 1\r\n0 0\r\n",
        "Region 1\r\n  1000000000\r\n0 0\r\n1 0\r\n1 1\r\n",
        "Point 1 2\r\nRegion 2\r\n  4\r\n0 0\r\n1 0\r\n1 1\r\n0 0\r\n  1000000000\r\n5 5\r\n",
    };
    for (const char* body : bodies) {
        SCOPED_TRACE(body);
        test::TempDir dir;
        test::WriteFile(dir / "big.mif", std::string(kMifHead) + body);
        test::WriteFile(dir / "big.mid", "\"a\"\r\n\"b\"\r\n");
        Import engine;
        engine.SetCreateDbf(true);
        EXPECT_FALSE(engine.ImportMifFile(dir / "big.mif", dir / "out/big.vxv"));
        EXPECT_NE(engine.JobLog().find("Error Reading MIF Data"), std::string::npos)
            << engine.JobLog();
    }
}

TEST(ClaimedCounts, MifPolylinesClaimingABillionKeepOnlyWhatTheFileHolds) {
    // A broken polyline is kept as far as the file holds it, and the file goes on.
    const char* bodies[] = {
        "Pline 1000000000\r\n0 0\r\n1 0\r\n",
        "Pline Multiple 1000000000\r\n  2\r\n0 0\r\n1 0\r\n",
    };
    for (const char* body : bodies) {
        SCOPED_TRACE(body);
        test::TempDir dir;
        test::WriteFile(dir / "big.mif", std::string(kMifHead) + body);
        test::WriteFile(dir / "big.mid", "\"a\"\r\n");
        Import engine;
        engine.SetCreateDbf(true);
        engine.ImportMifFile(dir / "big.mif", dir / "out/big.vxv");
        const LayerModel& model = engine.Model();
        ASSERT_EQ(model.LineCount, 1);
        ASSERT_LE(model.Lines.at(0).Parts.size(), 2u);
        EXPECT_EQ(model.Lines.at(0).Parts.at(0).Vertices.size(), 2u);
        EXPECT_LE(model.Lines.at(0).Parts.at(0).Vertices.capacity(), 2u);
    }
}

// A layer made from the samples' regions (town_rg) with one of its counts raised.
class ClaimedLayerCounts : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy(test::SamplesFolder() + "/town.mif", dir / "town.mif");
        fs::copy(test::SamplesFolder() + "/town.mid", dir / "town.mid");
        Import engine;
        engine.SetCreateDbf(true);
        ASSERT_TRUE(engine.ImportMifFile(dir / "town.mif", dir / "layers/town.vxv"))
            << engine.JobLog();
        vxv = test::ReadFile(dir / "layers/town_rg.vxv");
        vxs = test::ReadFile(dir / "layers/town_rg.vxs");
        dbf = test::ReadFile(dir / "layers/town_rg.dbf");
        ASSERT_LT(vxv.size() + vxs.size(), 1024u) << "a layer of well under a kilobyte";
    }

    // Writes the layer as big.vxv/.vxs with its table and exports it to MIF, which must fail
    // with `message` in its log.
    void ExpectMifExportRefused(const std::string& message) {
        test::WriteFile(dir / "layers/big.vxv", vxv);
        test::WriteFile(dir / "layers/big.vxs", vxs);
        // The table the layer names.
        test::WriteFile(dir / "layers/town_rg.dbf", dbf);
        Import mif;
        mif.SetCreateDbf(true);
        mif.SetOverwriteExistingFiles(true);
        EXPECT_FALSE(mif.ExportMifFile(dir / "layers/big.vxv", dir / "out/big.MIF"));
        EXPECT_NE(mif.JobLog().find(message), std::string::npos) << mif.JobLog();
    }

    // The same for both exports.
    void ExpectRefused(const std::string& message) {
        ExpectMifExportRefused(message);
        Import shp;
        shp.SetCreateDbf(true);
        shp.SetOverwriteExistingFiles(true);
        EXPECT_FALSE(shp.ExportShapeFile(dir / "layers/big.vxv", dir / "out/big.shp"));
        EXPECT_NE(shp.JobLog().find(message), std::string::npos) << shp.JobLog();
    }

    test::TempDir dir;
    std::string vxv, vxs, dbf;
};

TEST_F(ClaimedLayerCounts, HeaderCountsOfABillionAreRefused) {
    // Table names, pens, brushes and objects: the header's count fields a region layer
    // reads (it has no fonts).
    for (std::size_t at : {24u, 40u, 48u, 56u}) {
        SCOPED_TRACE(at);
        const std::string original = vxv;
        PutLE32(vxv, at, kBillion);
        ExpectRefused("Error Reading VXV....");
        vxv = original;
    }
}

TEST_F(ClaimedLayerCounts, GeometryRecordsClaimingABillionRingsOrVerticesAreRefused) {
    // The first region record: its ring count, then its first ring's vertex count (after the
    // pen and brush and the ring's hole flag).
    for (std::size_t at : {0u, 13u}) {
        SCOPED_TRACE(at);
        const std::string original = vxs;
        PutLE32(vxs, at, kBillion);
        ExpectRefused("Error Reading VXV....");
        vxs = original;
    }
}

TEST_F(ClaimedLayerCounts, ATableClaimingABillionRecordsIsRefusedAndNeverPadded) {
    PutLE32(dbf, 4, kBillion);
    ExpectMifExportRefused("Missing or Corrupt Non-Spatial Data File");
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

// The samples' lakes, a polygon shapefile of under half a kilobyte.
class ClaimedShapeCounts : public ::testing::Test {
  protected:
    void SetUp() override {
        shp = test::ReadFile(test::SamplesFolder() + "/lakes.shp");
        shx = test::ReadFile(test::SamplesFolder() + "/lakes.shx");
        dbf = test::ReadFile(test::SamplesFolder() + "/lakes.dbf");
        ASSERT_LT(shp.size(), 1024u);
    }

    std::string Import(const std::string& shpBytes, const std::string& dbfBytes) {
        test::TempDir dir;
        test::WriteFile(dir / "big.shp", shpBytes);
        test::WriteFile(dir / "big.shx", shx);
        test::WriteFile(dir / "big.dbf", dbfBytes);
        vx::Import engine;
        engine.SetCreateDbf(true);
        EXPECT_FALSE(engine.ImportShapeFile(dir / "big.shp", dir / "out/big.vxv"));
        return engine.JobLog();
    }

    std::string shp, shx, dbf;
};

TEST_F(ClaimedShapeCounts, RecordsClaimingABillionPartsPointsOrWordsAreRefused) {
    // The first record: its content length in 16-bit words (big-endian, in the record
    // header), then the parts and points of the polygon after its type and box.
    struct Claim {
        std::size_t at;
        bool bigEndian;
    };
    for (const Claim claim : {Claim{104, true}, Claim{144, false}, Claim{148, false}}) {
        SCOPED_TRACE(claim.at);
        std::string bytes = shp;
        if (claim.bigEndian) {
            PutBE32(bytes, claim.at, kBillion);
        } else {
            PutLE32(bytes, claim.at, kBillion);
        }
        const std::string log = Import(bytes, dbf);
        EXPECT_NE(log.find("There was some problem during import."), std::string::npos) << log;
    }
}

TEST_F(ClaimedShapeCounts, ATableClaimingABillionRecordsIsRefused) {
    std::string table = dbf;
    PutLE32(table, 4, kBillion);
    const std::string log = Import(shp, table);
    EXPECT_NE(log.find("The table big.dbf cannot be read"), std::string::npos) << log;
}

}  // namespace
}  // namespace vx
