// The batch run: job lists, output folders, the fixed order of a run, the TAB route through
// temporary files, and the DGN and ASCII drivers it calls.
#include "engine/batch_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>

#include "platform/binary_file.h"
#include "platform/file_system.h"
#include "platform/temp_files.h"
#include "support/gdal_peer.h"
#include "support/test_support.h"
#include "vxv/layer_format.h"
#include "vxv/layer_reader.h"

namespace vx {
namespace {

class RecordingRunPrompt : public RunPrompt {
  public:
    void ShowMessage(const std::string& text, const std::string& title) override {
        messages.push_back(title + ": " + text);
    }
    bool AskYesNo(const std::string&) override { return false; }
    void EditProjection(ProjectionSettings& settings) override {
        ++projectionDialogs;
        settings = answer;
    }
    std::vector<std::string> messages;
    int projectionDialogs = 0;
    ProjectionSettings answer;
};

const char kMif[] =
    "Version 300\r\nCharset \"WindowsLatin1\"\r\nColumns 1\r\n  Name Char(10)\r\nData\r\n"
    "Point 1 2\r\n";

TEST(BatchRun, ListsDeriveOutputsOnTheFileNameAndTakeAnOutputFolder) {
    Import engine;
    BatchRun batch(engine);
    RecordingRunPrompt prompt;
    batch.SetPrompt(&prompt);
    batch.BuildImportLists(ImportFormat::kMif, {"/data/my-maps/x-y.MIF", "/data/my-maps/b.mif"});
    batch.BuildImportLists(ImportFormat::kShape, {"/data/roads.SHP"});
    EXPECT_EQ(batch.MifFiles.outputs,
              (std::vector<std::string>{"/data/my-maps/x_y.vxv", "/data/my-maps/b.vxv"}));
    EXPECT_EQ(batch.ShpFiles.outputs, (std::vector<std::string>{"/data/roads.vxv"}));
    EXPECT_EQ(batch.TotalFiles(), 3u);

    EXPECT_FALSE(batch.ApplyOutputFolder(""));
    EXPECT_EQ(prompt.messages.size(), 1u) << "an empty folder is refused with a message";
    EXPECT_EQ(batch.MifFiles.outputs[0], "/data/my-maps/x_y.vxv");
    ASSERT_TRUE(batch.ApplyOutputFolder("/out/"));
    EXPECT_EQ(batch.MifFiles.outputs[0], "/out/x_y.vxv");
    ASSERT_TRUE(batch.ApplyOutputFolder("/out2"));
    EXPECT_EQ(batch.ShpFiles.outputs[0], "/out2/roads.vxv");

    BatchRun exports(engine);
    exports.BuildExportLists(ExportFormat::kTab, {"/data/my-layer.vxv"});
    exports.BuildExportLists(ExportFormat::kMif, {"/data/my-layer.VXV"});
    EXPECT_EQ(exports.TabFiles.outputs[0], "/data/my_layer.Tab");
    EXPECT_EQ(exports.MifFiles.outputs[0], "/data/my_layer.MIF");
}

TEST(BatchRun, RunsTheListsInTheirOrderAndSaysOnceThatFilesFailed) {
    test::TempDir dir;
    test::WriteFile(dir / "ok.mif", kMif);
    test::WriteFile(dir / "ok.mid", "\"a\"\r\n");
    test::WriteFile(dir / "survey.txt", "1 2\r\n3 4\r\n");
    Import engine;
    engine.SetCreateDbf(true);
    BatchRun batch(engine);
    RecordingRunPrompt prompt;
    batch.SetPrompt(&prompt);
    std::vector<bool> results;
    batch.SetProgress([&](std::size_t done, std::size_t total, bool converted) {
        EXPECT_EQ(total, 6u);
        EXPECT_EQ(done, results.size() + 1);
        results.push_back(converted);
    });
    // Added in another order than the run takes them.
    batch.BuildImportLists(ImportFormat::kTab, {dir / "none.tab"});
    batch.BuildImportLists(ImportFormat::kAscii, {dir / "survey.txt"});
    batch.BuildImportLists(ImportFormat::kShape, {dir / "none.shp"});
    batch.BuildImportLists(ImportFormat::kDgn, {dir / "none.dgn"});
    batch.BuildImportLists(ImportFormat::kMif, {dir / "ok.mif", dir / "none.mif"});
    ASSERT_TRUE(batch.ApplyOutputFolder(dir / "out"));
    EXPECT_FALSE(batch.RunConversion(false));

    EXPECT_EQ(results, (std::vector<bool>{true, false, false, false, true, false}));
    const std::string& log = engine.JobLog();
    std::size_t at = 0;
    for (const char* line : {"Importing MIF File ok.mif", "Importing MIF File none.mif",
                             "Importing DGN File none.dgn", "Importing ShapeFile none.shp",
                             "Importing Ascii File survey.txt", "Importing TAB File none.tab"}) {
        const std::size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " after " << at << " in\n" << log;
        at = found;
    }
    EXPECT_EQ(prompt.messages,
              (std::vector<std::string>{"Import Error: One or More files were not imported"}));
    EXPECT_EQ(batch.TotalFiles(), 0u) << "a run clears the lists";
    EXPECT_TRUE(FileExists(dir / "out/ok.vxv"));
}

TEST(BatchRun, AsciiFilesGetTheProjectionAskedOnceAndTheirOwnBounds) {
    test::TempDir dir;
    test::WriteFile(dir / "a.txt", "# wells\r\n10 20\r\n30 40 5.5\r\n");
    test::WriteFile(dir / "b.TXT", "-5;7\r\n\r\n-1,9\r\n");
    Import engine;
    BatchRun batch(engine);
    RecordingRunPrompt prompt;
    prompt.answer.lProjection = 8;
    prompt.answer.lUTMZone = -43;
    prompt.answer.lScaleFactor = 0.9996;
    batch.SetPrompt(&prompt);
    batch.BuildImportLists(ImportFormat::kAscii, {dir / "a.txt", dir / "b.TXT"});
    ASSERT_TRUE(batch.RunConversion(false)) << engine.JobLog();
    EXPECT_EQ(prompt.projectionDialogs, 1);

    struct Expected {
        const char* layer;
        Bounds bounds;
    };
    for (const Expected& e :
         {Expected{"a.vxv", {10, 20, 30, 40}}, Expected{"b.vxv", {-5, 7, -1, 9}}}) {
        BinaryReader file(dir / e.layer);
        LayerFileHeader header;
        ASSERT_TRUE(ReadLayerFileHeader(file, header)) << e.layer;
        LayerInfo info;
        DecodeLayerInfo(
            file.Peek(static_cast<std::uint64_t>(header.LayerInfoOffset), kLayerInfoSize), info);
        EXPECT_EQ(info.lCoordSys, 0) << e.layer;
        EXPECT_EQ(info.lProjection, 8) << e.layer;
        EXPECT_EQ(info.lDatum, 226) << e.layer;
        EXPECT_EQ(info.lUTMZone, -43) << e.layer;
        EXPECT_EQ(info.lScaleFactor, 0.9996) << e.layer;
        EXPECT_EQ((Bounds{info.MinX, info.MinY, info.MaxX, info.MaxY}), e.bounds) << e.layer;
    }
}

TEST(BatchRun, BrokenAsciiAndRefusedOutputsFailWithTheirLines) {
    test::TempDir dir;
    test::WriteFile(dir / "bad.txt", "1 2\r\nnorth 5\r\n");
    test::WriteFile(dir / "good.txt", "1 2\r\n");
    test::WriteFile(dir / "good.vxv", "old");
    Import engine;
    EXPECT_FALSE(engine.ImportAsciiFile(dir / "bad.txt", dir / "bad.vxv"));
    EXPECT_NE(engine.JobLog().find("\r\nThere was some problem during import.\r\n"),
              std::string::npos);
    EXPECT_NE(engine.JobLog().find("2"), std::string::npos) << "the reason names the line";
    EXPECT_FALSE(engine.ImportAsciiFile(dir / "good.txt", dir / "good.vxv"));
    EXPECT_EQ(engine.StatusText(), "\r\nAscii Import Aborted");
    EXPECT_EQ(test::ReadFile(dir / "good.vxv"), "old");
    engine.SetOverwriteExistingFiles(true);
    EXPECT_TRUE(engine.ImportAsciiFile(dir / "good.txt", dir / "good.vxv")) << engine.JobLog();
    EXPECT_FALSE(engine.ImportDgnFile(dir / "good.txt", dir / "x.vxv"));
    EXPECT_EQ(engine.StatusText(), "\r\nInvalid source file.");
}

// GDAL writes the DGN from data the test makes.
std::string MakeDgn(const test::TempDir& dir) {
    test::WriteFile(dir / "in.geojson", R"({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{},"geometry":{"type":"LineString","coordinates":[[0,0],[10,10],[20,5]]}},
{"type":"Feature","properties":{},"geometry":{"type":"Polygon","coordinates":[[[0,0],[0,10],[10,10],[10,0],[0,0]]]}}]})");
    const auto r = test::RunCommand("ogr2ogr -f DGN -dsco SEED=/usr/share/gdal/seed_2d.dgn '" +
                                    (dir / "d.dgn") + "' '" + (dir / "in.geojson") + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    return dir / "d.dgn";
}

TEST(BatchRun, DgnSuffixedOutputsNeedOverwritingToo) {
    test::TempDir dir;
    const std::string dgn = MakeDgn(dir);
    Import engine;
    ASSERT_TRUE(engine.ImportDgnFile(dgn, dir / "out/d.vxv")) << engine.JobLog();
    ASSERT_TRUE(FileExists(dir / "out/d_ln.vxv"));
    ASSERT_TRUE(FileExists(dir / "out/d_rg.vxv"));
    const std::string before = test::ReadFile(dir / "out/d_ln.vxv");
    EXPECT_FALSE(engine.ImportDgnFile(dgn, dir / "out/d.vxv"));
    EXPECT_EQ(engine.StatusText(), "\r\nDGN Import Aborted");
    EXPECT_EQ(test::ReadFile(dir / "out/d_ln.vxv"), before);
    engine.SetOverwriteExistingFiles(true);
    EXPECT_TRUE(engine.ImportDgnFile(dgn, dir / "out/d.vxv")) << engine.JobLog();
}

std::set<std::string> TempMifFiles() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(TempFolder())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("mif", 0) == 0 && entry.is_regular_file()) names.insert(name);
    }
    return names;
}

TEST(BatchRun, TabRouteBothWaysLeavesNoTemporaryFiles) {
    test::TempDir dir;
    test::WriteFile(dir / "in.geojson", R"({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"name":"lot 1"},"geometry":{"type":"Polygon","coordinates":[[[0,0],[0,10],[10,10],[10,0],[0,0]],[[2,2],[4,2],[4,4],[2,4],[2,2]]]}},
{"type":"Feature","properties":{"name":"lot 2"},"geometry":{"type":"Polygon","coordinates":[[[20,0],[20,10],[30,10],[20,0]]]}}]})");
    const auto made = test::RunCommand("ogr2ogr -f \"MapInfo File\" '" + (dir / "lots.tab") +
                                       "' '" + (dir / "in.geojson") + "'");
    ASSERT_EQ(made.status, 0) << made.err;
    test::WriteFile(dir / "broken.tab", "not a table");
    // A temporary folder of the test's own: other test runs on the machine use the TAB route
    // at the same time, and their files come and go in the shared one.
    struct OwnTempFolder {
        explicit OwnTempFolder(const std::string& folder) {
            if (const char* old = std::getenv("TMPDIR")) before = old;
            CreateFolder(folder);
            setenv("TMPDIR", folder.c_str(), 1);
        }
        ~OwnTempFolder() {
            if (before) {
                setenv("TMPDIR", before->c_str(), 1);
            } else {
                unsetenv("TMPDIR");
            }
        }
        std::optional<std::string> before;
    } ownTemp(dir / "tmp");
    ASSERT_EQ(TempFolder(), dir / "tmp");
    const auto tempsBefore = TempMifFiles();

    Import engine;
    engine.SetCreateDbf(true);
    BatchRun batch(engine);
    RecordingRunPrompt prompt;
    batch.SetPrompt(&prompt);
    batch.BuildImportLists(ImportFormat::kTab, {dir / "lots.tab", dir / "broken.tab"});
    ASSERT_TRUE(batch.ApplyOutputFolder(dir / "vxv"));
    EXPECT_FALSE(batch.RunConversion(false)) << "a TAB file that cannot be converted fails";
    EXPECT_NE(engine.JobLog().find("Importing TAB File lots.tab"), std::string::npos)
        << engine.JobLog();
    ASSERT_TRUE(FileExists(dir / "vxv/lots.vxv"));

    // Back out to TAB: the second entry's output exists and is refused before anything is
    // written, and the loop goes on to the third.
    test::WriteFile(dir / "tab/taken.Tab", "someone's table");
    batch.TransType = TransferDirection::kExport;
    batch.BuildExportLists(ExportFormat::kTab,
                           {dir / "vxv/lots.vxv", dir / "vxv/lots.vxv", dir / "vxv/lots.vxv"});
    batch.TabFiles.outputs = {dir / "tab/first.Tab", dir / "tab/taken.Tab", dir / "tab/third.Tab"};
    EXPECT_FALSE(batch.RunConversion(false));
    EXPECT_EQ(test::ReadFile(dir / "tab/taken.Tab"), "someone's table");
    for (const char* name : {"tab/first.Tab", "tab/third.Tab"}) {
        const test::PeerLayer back = test::ReadWithGdal(dir / name);
        ASSERT_EQ(back.features.size(), 2u) << name;
        // The table's integer grid is laid over the data's extent: far finer than this.
        EXPECT_NEAR(back.features[0].area, 100.0 - 4.0, 1e-7) << name;
        EXPECT_EQ(back.features[1].fields.at("name"), "lot 2") << name;
    }
    EXPECT_EQ(TempMifFiles(), tempsBefore) << "every temporary file of the TAB route is removed";
}

}  // namespace
}  // namespace vx
