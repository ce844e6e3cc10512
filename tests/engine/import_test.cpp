#include "engine/import.h"

#include <gtest/gtest.h>

#include "platform/binary_file.h"
#include "platform/file_system.h"
#include "support/test_support.h"
#include "vxv/layer_format.h"

namespace vx {
namespace {

const std::string kRule(54, '-');

// Everything of a saved log after its header.
std::string LogBody(const std::string& saved) {
    auto end = saved.find(kRule + "\r\n\r\n", kRule.size());
    EXPECT_NE(end, std::string::npos);
    return saved.substr(end + kRule.size() + 4);
}

TEST(SaveImportLog, HeaderThenTheLogOfEveryJob) {
    test::TempDir dir;
    Import engine;
    engine.ResetJob();
    engine.Context().ReportStage("first job");
    engine.ResetJob();
    engine.Context().ReportStage("second job");
    ASSERT_TRUE(engine.SaveImportLog(dir / "a.log"));
    std::string saved = test::ReadFile(dir / "a.log");
    ASSERT_EQ(saved.rfind(kRule + "\r\n" + std::string(11, ' '), 0), 0u);
    EXPECT_NE(saved.find("\r\n\r\n           Created : "), std::string::npos);
    EXPECT_EQ(LogBody(saved), "\tfirst job\r\n\tsecond job\r\n\r\n");

    // Saving again writes the same body; an existing file is replaced, not appended to.
    test::WriteFile(dir / "b.log", std::string(5000, 'z'));
    ASSERT_TRUE(engine.SaveImportLog(dir / "b.log"));
    EXPECT_EQ(LogBody(test::ReadFile(dir / "b.log")), LogBody(saved));
}

TEST(SaveImportLog, UnwritablePathIsAFailureNotACrash) {
    test::TempDir dir;
    Import engine;
    engine.Context().ReportStage("x");
    EXPECT_FALSE(engine.SaveImportLog(dir / "missing/folder/a.log"));
    EXPECT_FALSE(engine.SaveImportLog(dir.path()));
    EXPECT_EQ(engine.JobLog(), "\tx\r\n");
}

TEST(Import, CreateContoursIsOffAfterEveryReset) {
    Import engine;
    engine.SetCreateContours(true);
    engine.SetCreateDbf(true);
    engine.ResetJob();
    EXPECT_FALSE(engine.CreateContours());
    EXPECT_TRUE(engine.CreateDbf());
}

TEST(Import, StatusEventReachesEverySubscriberSynchronously) {
    Import engine;
    std::string seen;
    engine.SubscribeReportStatus([&](const std::string& s) { seen += "[" + s + "]"; });
    engine.Context().ReportStage("a");
    EXPECT_EQ(seen, "[\ta\r\n]") << "delivered before Report returns";
    EXPECT_EQ(engine.StatusText(), "\ta\r\n");
}

// A layer file whose table name list holds the given names, written the way the layer
// writer lays it out: header, description, kind, then the list at offset 250.
std::string LayerFileNaming(const std::vector<std::string>& names, std::int32_t count) {
    LayerFileHeader header;
    header.FormatNumber = kLayerFormatNumber;
    header.LayerInfoOffset = kLayerInfoOffset;
    header.LayerInfoSize = kLayerInfoSize;
    header.KindInfoOffset = kKindInfoOffset;
    header.KindInfoSize = kKindInfoSize;
    header.TableListOffset = kTableListOffset;
    header.TableCount = count;
    ByteBuffer bytes;
    EncodeLayerFileHeader(header, bytes);
    bytes.PutZeros(kLayerInfoSize + kKindInfoSize);
    for (const auto& name : names) {
        bytes.PutLE<std::int32_t>(static_cast<std::int32_t>(name.size()));
        bytes.PutText(name);
    }
    return std::string(bytes.Bytes().begin(), bytes.Bytes().end());
}

TEST(DeleteLayerSet, DeletesPlainNamesInTheOutputFolderOnly) {
    test::TempDir dir;
    const std::string out = dir / "out";
    test::WriteFile(out + "/roads.dbf", "t");
    test::WriteFile(out + "/sub/inner.dbf", "t");
    test::WriteFile(dir / "outside.dbf", "t");
    const std::vector<std::string> names{
        "../outside.dbf", dir / "outside.dbf", "sub/inner.dbf", "..", "", "roads.dbf"};
    test::WriteFile(out + "/roads.vxv",
                    LayerFileNaming(names, static_cast<std::int32_t>(names.size())));
    Import engine;
    engine.Context().outputFolder = out;
    engine.DeleteLayerSet(out + "/roads.vxv");
    EXPECT_FALSE(FileExists(out + "/roads.dbf"));
    EXPECT_TRUE(FileExists(dir / "outside.dbf"));
    EXPECT_TRUE(FileExists(out + "/sub/inner.dbf"));
    EXPECT_TRUE(FolderExists(out + "/sub"));
    EXPECT_TRUE(FileExists(out + "/roads.vxv"))
        << "the layer file itself is the caller's to delete";
}

TEST(DeleteLayerSet, DamagedOrMissingLayerFilesDeleteNothing) {
    test::TempDir dir;
    test::WriteFile(dir / "a.dbf", "t");
    Import engine;
    engine.Context().outputFolder = dir.path();
    std::string good = LayerFileNaming({"a.dbf"}, 1);
    const std::vector<std::pair<std::string, std::string>> cases{
        {"truncated list", good.substr(0, good.size() - 2)},
        {"truncated header", good.substr(0, 30)},
        {"billion entries", LayerFileNaming({"a.dbf"}, 1000000000)},
        {"negative count", LayerFileNaming({"a.dbf"}, -1)},
        {"empty file", ""},
    };
    for (const auto& [what, bytes] : cases) {
        test::WriteFile(dir / "bad.vxv", bytes);
        engine.DeleteLayerSet(dir / "bad.vxv");
        EXPECT_TRUE(FileExists(dir / "a.dbf")) << what;
    }
    engine.DeleteLayerSet(dir / "none.vxv");
    EXPECT_TRUE(FileExists(dir / "a.dbf"));

    // A name length that points far past the end of the file.
    std::string lying = good;
    StoreLE<std::int32_t>(reinterpret_cast<unsigned char*>(lying.data()) + kTableListOffset,
                          0x7FFFFFFF);
    test::WriteFile(dir / "bad.vxv", lying);
    engine.DeleteLayerSet(dir / "bad.vxv");
    EXPECT_TRUE(FileExists(dir / "a.dbf"));

    test::WriteFile(dir / "good.vxv", good);
    engine.DeleteLayerSet(dir / "good.vxv");
    EXPECT_FALSE(FileExists(dir / "a.dbf"));
}

}  // namespace
}  // namespace vx
