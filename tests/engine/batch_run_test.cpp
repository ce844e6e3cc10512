// The batch run: job lists and output folders, the fixed order of a run and its one summary,
// the projection of text files, the converter imports' refusals, the TAB route through
// temporary files, and the saved log.
#include "engine/batch_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "engine/engine_test_support.h"
#include "platform/file_system.h"
#include "platform/temp_files.h"
#include "support/gdal_peer.h"
#include "vxv/layer_reader.h"

namespace vx {
namespace {

TEST(BatchRun, ListsDeriveOutputsOnTheFileNameAndTakeAnOutputFolder) {
    test::Batch batch;
    BatchRun& run = batch.run;
    run.BuildImportLists(ImportFormat::kMif, {"/data/my-maps/x-y.MIF", "/data/my-maps/b.mif"});
    run.BuildImportLists(ImportFormat::kShape, {"/data/roads.SHP"});
    EXPECT_EQ(run.MifFiles.outputs,
              (std::vector<std::string>{"/data/my-maps/x_y.vxv", "/data/my-maps/b.vxv"}));
    EXPECT_EQ(run.ShpFiles.outputs, (std::vector<std::string>{"/data/roads.vxv"}));
    EXPECT_EQ(run.TotalFiles(), 3u);

    EXPECT_FALSE(run.ApplyOutputFolder(""));
    EXPECT_EQ(batch.prompt.messages.size(), 1u) << "an empty folder is refused with a message";
    EXPECT_EQ(run.MifFiles.outputs[0], "/data/my-maps/x_y.vxv");
    ASSERT_TRUE(run.ApplyOutputFolder("/out/"));
    EXPECT_EQ(run.MifFiles.outputs[0], "/out/x_y.vxv");
    ASSERT_TRUE(run.ApplyOutputFolder("/out2"));
    EXPECT_EQ(run.ShpFiles.outputs[0], "/out2/roads.vxv");

    run.ClearJobLists();
    run.BuildExportLists(ExportFormat::kTab, {"/data/my-layer.vxv"});
    run.BuildExportLists(ExportFormat::kMif, {"/data/my-layer.VXV"});
    EXPECT_EQ(run.TabFiles.outputs[0], "/data/my_layer.Tab");
    EXPECT_EQ(run.MifFiles.outputs[0], "/data/my_layer.MIF");
}

TEST(BatchRun, RunsTheListsInTheirOrderAndSaysOnceThatFilesFailed) {
    test::TempDir dir;
    test::WriteFile(dir / "ok.mif",
                    "Version 300\r\nCharset \"WindowsLatin1\"\r\nColumns 1\r\n"
                    "  Name Char(10)\r\nData\r\nPoint 1 2\r\n");
    test::WriteFile(dir / "ok.mid", "\"a\"\r\n");
    test::WriteFile(dir / "survey.txt", "1 2\r\n3 4\r\n");
    test::Batch batch;
    std::vector<bool> results;
    batch.run.SetProgress(
        [&](std::size_t done, std::size_t total, bool converted, const std::string& folder) {
            EXPECT_EQ(total, 6u);
            EXPECT_EQ(done, results.size() + 1);
            EXPECT_EQ(folder, converted ? dir / "out" : "");
            results.push_back(converted);
        });
    // Added in another order than the run takes them.
    batch.run.BuildImportLists(ImportFormat::kTab, {dir / "none.tab"});
    batch.run.BuildImportLists(ImportFormat::kAscii, {dir / "survey.txt"});
    batch.run.BuildImportLists(ImportFormat::kShape, {dir / "none.shp"});
    batch.run.BuildImportLists(ImportFormat::kDgn, {dir / "none.dgn"});
    EXPECT_FALSE(batch.Import(ImportFormat::kMif, {dir / "ok.mif", dir / "none.mif"}, dir / "out"));

    EXPECT_EQ(results, (std::vector<bool>{true, false, false, false, true, false}));
    const std::string& log = batch.engine.JobLog();
    std::size_t at = 0;
    for (const char* line : {"Importing MIF File ok.mif", "Importing MIF File none.mif",
                             "Importing DGN File none.dgn", "Importing ShapeFile none.shp",
                             "Importing Ascii File survey.txt", "Importing TAB File none.tab"}) {
        at = log.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << " in order in\n" << log;
    }
    // The one message names the failed files, in the run's order.
    std::string failed = "Import Error: One or More files were not imported";
    for (const char* name : {"none.mif", "none.dgn", "none.shp", "none.tab"})
        failed += "\n    " + (dir / name);
    EXPECT_EQ(batch.prompt.messages, (std::vector<std::string>{failed}));
    EXPECT_EQ(batch.run.TotalFiles(), 0u) << "a run clears the lists";
    EXPECT_TRUE(FileExists(dir / "out/ok.vxv"));
}

TEST(BatchRun, AsciiFilesGetTheProjectionAskedOnceAndTheirOwnBounds) {
    test::TempDir dir;
    test::WriteFile(dir / "a.txt", "# wells\r\n10 20\r\n30 40 5.5\r\n");
    test::WriteFile(dir / "b.TXT", "-5;7\r\n\r\n-1,9\r\n");
    test::Batch batch;
    batch.prompt.projection.emplace();
    batch.prompt.projection->lProjection = 8;
    batch.prompt.projection->lUTMZone = -43;
    batch.prompt.projection->lScaleFactor = 0.9996;
    ASSERT_TRUE(batch.Import(ImportFormat::kAscii, {dir / "a.txt", dir / "b.TXT"}))
        << batch.engine.JobLog();
    EXPECT_EQ(batch.prompt.projectionDialogs, 1);
    for (const auto& [layer, bounds] :
         {std::pair{"a", Bounds{10, 20, 30, 40}}, {"b", {-5, 7, -1, 9}}}) {
        LayerModel m;
        std::string error;
        ASSERT_TRUE(ReadLayerData(m, dir / (layer + std::string(".vxv")),
                                  dir / (layer + std::string(".vxs")), LayerTarget::kObjects,
                                  nullptr, error))
            << error;
        const LayerInfo& info = m.Layer;
        EXPECT_EQ(info.lCoordSys, 0) << layer;
        EXPECT_EQ(info.lProjection, 8) << layer;
        EXPECT_EQ(info.lDatum, 226) << layer;
        EXPECT_EQ(info.lUTMZone, -43) << layer;
        EXPECT_EQ(info.lScaleFactor, 0.9996) << layer;
        EXPECT_EQ((Bounds{info.MinX, info.MinY, info.MaxX, info.MaxY}), bounds) << layer;
    }
}

TEST(BatchRun, ABrokenTextFileFailsNamingItsLine) {
    test::TempDir dir;
    test::WriteFile(dir / "bad.txt", "1 2\r\nnorth 5\r\n");
    Import engine;
    EXPECT_FALSE(engine.ImportAsciiFile(dir / "bad.txt", dir / "bad.vxv"));
    EXPECT_NE(engine.JobLog().find("\r\nThere was some problem during import.\r\n"),
              std::string::npos);
    EXPECT_NE(engine.JobLog().find("2"), std::string::npos) << "the reason names the line";
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
    test::WriteFile(dir / "broken.tab", "not a table");
    // A temporary folder of the test's own: other test runs on the machine use the TAB route
    // at the same time, and their files come and go in the shared one.
    struct OwnTempFolder {
        explicit OwnTempFolder(const std::string& folder) {
            CreateFolder(folder);
            setenv("TMPDIR", folder.c_str(), 1);
        }
        ~OwnTempFolder() {
            if (before.empty()) unsetenv("TMPDIR");
            if (!before.empty()) setenv("TMPDIR", before.c_str(), 1);
        }
        const std::string before = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    } ownTemp(dir / "tmp");
    ASSERT_EQ(TempFolder(), dir / "tmp");
    const auto tempsBefore = TempMifFiles();

    test::Batch batch;
    EXPECT_FALSE(batch.Import(ImportFormat::kTab,
                              {test::Samples("districts.tab"), dir / "broken.tab"}, dir / "vxv"))
        << "a TAB file that cannot be converted fails";
    EXPECT_NE(batch.engine.JobLog().find("Importing TAB File districts.tab"), std::string::npos);
    ASSERT_TRUE(FileExists(dir / "vxv/districts.vxv")) << batch.engine.JobLog();

    // Back out to TAB: the second entry's output exists and is refused before anything is
    // written, and the loop goes on to the third.
    test::WriteFile(dir / "tab/taken.Tab", "someone's table");
    batch.run.TransType = TransferDirection::kExport;
    batch.run.BuildExportLists(ExportFormat::kTab,
                               std::vector<std::string>(3, dir / "vxv/districts.vxv"));
    batch.run.TabFiles.outputs = {dir / "tab/first.Tab", dir / "tab/taken.Tab",
                                  dir / "tab/third.Tab"};
    EXPECT_FALSE(batch.run.RunConversion(false));
    EXPECT_EQ(test::ReadFile(dir / "tab/taken.Tab"), "someone's table");
    GDALDatasetUniquePtr source = test::OpenVector(test::Samples("districts.tab"));
    ASSERT_TRUE(source);
    for (const char* name : {"tab/first.Tab", "tab/third.Tab"}) {
        GDALDatasetUniquePtr back = test::OpenVector(dir / name);
        ASSERT_TRUE(back) << name;
        // The table's integer grid is laid over the data's extent: far finer than this.
        test::ExpectSameFeatures(*source->GetLayer(0), *back->GetLayer(0), name, 1e-9);
    }
    EXPECT_EQ(TempMifFiles(), tempsBefore) << "every temporary file of the TAB route is removed";
}

TEST(SaveImportLog, TheLogOfEveryJobAfterTheHeaderReplacingAnOlderFile) {
    test::TempDir dir;
    Import engine;
    engine.ResetJob();
    engine.Context().ReportStage("first job");
    engine.ResetJob();
    engine.Context().ReportStage("second job");
    test::WriteFile(dir / "a.log", std::string(5000, 'z'));
    ASSERT_TRUE(engine.SaveImportLog(dir / "a.log"));
    const std::string saved = test::ReadFile(dir / "a.log");
    const std::string body = "\r\n\r\n\tfirst job\r\n\tsecond job\r\n\r\n";
    EXPECT_TRUE(saved.ends_with(std::string(54, '-') + body)) << saved;
    EXPECT_NE(saved.find("Created : "), std::string::npos);
    EXPECT_FALSE(engine.SaveImportLog(dir / "missing/folder/a.log"));
    EXPECT_FALSE(engine.SaveImportLog(dir.path()));
}

}  // namespace
}  // namespace vx
