// Whatever names a layer file carries in its table name list, a job writes, deletes and
// copies only inside the output folder it chose: tables named "../x.dbf", by an absolute path
// or through a subfolder are neither deleted when an old layer is overwritten nor used as
// places to write when a layer is exported; every file outside stays as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dbase/table_engine.h"
#include "dbase/vx_recordset.h"
#include "engine/batch_run.h"
#include "engine/file_tree.h"
#include "model/geometry.h"
#include "support/test_support.h"
#include "vxv/layer_writer.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

// A one-point layer whose table name list holds `tables`.
void WriteLayerNaming(const std::string& vxvPath, const std::vector<std::string>& tables) {
    LayerModel m;
    m.PointCount = 1;
    PointObject p;
    p.VertexCount = 1;
    p.PointStyle = 35;
    p.PointSize = 12;
    p.FontIndex = 1;
    p.Vertices = {{10.0, 20.0}};
    m.Points = {p};
    m.TableNames = tables;
    for (const std::string& name : tables) {
        m.TableNameLengths.push_back(static_cast<std::int32_t>(name.size()));
    }
    m.FindFontIndex("Symbol");
    // Longitude and latitude on WGS 84, which every route can describe.
    m.Layer.lProjection = 1;
    m.Layer.lDatum = 104;
    ASSERT_TRUE(ComputeLayerBounds(m, kKindPoint, 1));
    std::string error;
    ASSERT_TRUE(WriteLayer(m, kKindPoint, 1, vxvPath,
                           vxvPath.substr(0, vxvPath.size() - 4) + ".vxs", error))
        << error;
}

// A table of one row beside the layer, as an import leaves it.
void WriteOneRowTable(const std::string& folder, const std::string& name) {
    TableConnection connection;
    std::string error;
    fs::remove(folder + "/" + name + ".dbf");
    ASSERT_TRUE(connection.Open(folder));
    ASSERT_TRUE(connection.Execute("CREATE TABLE [" + name + "] (Name Char(10))", error)) << error;
    VXRecordset table;
    table.OpenDBF(folder + "/" + name + ".dbf");
    ASSERT_TRUE(table.HasTable());
    table.InsertRecord("well");
    table.UpdateFile();
    ASSERT_FALSE(table.WriteFailed());
}

class Silent : public RunPrompt {
  public:
    void ShowMessage(const std::string&, const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
    void EditProjection(ProjectionSettings&) override {}
};

bool RunImport(ImportFormat format, const std::string& source, const std::string& outFolder) {
    Import engine;
    engine.SetCreateDbf(true);
    BatchRun batch(engine);
    Silent prompt;
    batch.SetPrompt(&prompt);
    batch.BuildImportLists(format, {source});
    return batch.ApplyOutputFolder(outFolder) && batch.RunConversion(true);
}

// Whether the run converted, and its log.
struct RunResult {
    bool converted = false;
    std::string log;
};

RunResult RunExport(ExportFormat format, const std::string& layer, const std::string& outFolder,
                    bool deleteSources) {
    Import engine;
    engine.SetCreateDbf(true);
    engine.SetDeleteScrFile(deleteSources);
    BatchRun batch(engine);
    Silent prompt;
    batch.SetPrompt(&prompt);
    batch.TransType = TransferDirection::kExport;
    batch.BuildExportLists(format, {layer});
    fs::create_directories(outFolder);
    RunResult result;
    result.converted = batch.ApplyOutputFolder(outFolder) && batch.RunConversion(true);
    result.log = engine.JobLog();
    return result;
}

// The tree every case runs in: tables a hostile name could reach, at every level around the
// job's folder "job/out", and a copy of the samples in "job/src".
class Confinement : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string table = test::ReadFile(test::SamplesFolder() + "/wells.dbf");
        ASSERT_FALSE(table.empty());
        for (const char* victim :
             {"victim.dbf", "job/victim.dbf", "job/src/victim.dbf", "outside/abs.dbf"}) {
            test::WriteFile(dir / victim, table);
        }
        fs::copy(test::SamplesFolder(), dir / "job/src");
        fs::create_directories(dir / "job/out");
    }

    // The names of a table a layer could list that lead out of the folder it is read in.
    std::vector<std::string> HostileNames() const {
        return {"../victim.dbf",
                "../../victim.dbf",
                dir / "outside/abs.dbf",
                "sub/../../victim.dbf",
                "..",
                "."};
    }

    test::TempDir dir;
};

TEST_F(Confinement, OverwritingALayerDeletesOnlyPlainNamedTablesInTheOutputFolder) {
    struct Case {
        ImportFormat format;
        const char* source;
        const char* layer;  // the layer the import writes, under job/out
    };
    const Case cases[] = {
        {ImportFormat::kMif, "town.mif", "town.vxv"},
        {ImportFormat::kShape, "lakes.shp", "VXV/lakes.vxv"},
        {ImportFormat::kDgn, "network.dgn", "network.vxv"},
        {ImportFormat::kAscii, "survey.txt", "survey.vxv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const std::string out = dir / "job/out";
        const std::string layer = out + "/" + c.layer;
        fs::create_directories(fs::path(layer).parent_path());
        std::vector<std::string> names = HostileNames();
        names.push_back("stale.dbf");
        WriteLayerNaming(layer, names);
        const std::string stale = fs::path(layer).parent_path() / "stale.dbf";
        test::WriteFile(stale, "old table");
        const test::FileTree before = test::TakeTree(dir.path(), out);

        EXPECT_TRUE(RunImport(c.format, dir / ("job/src/" + std::string(c.source)), out));
        EXPECT_FALSE(fs::exists(stale)) << "the plain name in the old layer's list is deleted";
        EXPECT_EQ(test::TreeChanges(before, test::TakeTree(dir.path(), out)),
                  std::vector<std::string>{})
            << "nothing outside job/out changes";
        fs::remove_all(out);
    }
}

TEST_F(Confinement, ExportingALayerWithHostileTableNamesWritesOnlyIntoTheOutputFolder) {
    const std::string out = dir / "job/out";
    for (const std::string& name : HostileNames()) {
        for (ExportFormat format : {ExportFormat::kMif, ExportFormat::kShape, ExportFormat::kTab}) {
            SCOPED_TRACE(name + " in export format " + std::to_string(static_cast<int>(format)));
            const std::string layer = dir / "job/src/hostile.vxv";
            WriteLayerNaming(layer, {name});
            const test::FileTree before = test::TakeTree(dir.path(), out);
            RunExport(format, layer, out, false);
            EXPECT_EQ(test::TreeChanges(before, test::TakeTree(dir.path(), out)),
                      std::vector<std::string>{});
            // No copy of a table from outside the layer's folder lands in the output.
            for (const auto& entry : fs::recursive_directory_iterator(out)) {
                if (entry.path().extension() == ".dbf") {
                    EXPECT_NE(test::ReadFile(entry.path().string()),
                              test::ReadFile(dir / "victim.dbf"))
                        << entry.path();
                }
            }
            fs::remove_all(out);
        }
    }
}

TEST_F(Confinement, DeletingTheSourcesOfAnExportTakesOnlyTheLayerFilesBesideIt) {
    const std::string out = dir / "job/out";
    for (ExportFormat format : {ExportFormat::kMif, ExportFormat::kShape, ExportFormat::kTab}) {
        SCOPED_TRACE(static_cast<int>(format));
        const std::string layer = dir / "job/src/layer.vxv";
        WriteLayerNaming(layer, {"layer.dbf", "../victim.dbf", dir / "outside/abs.dbf"});
        WriteOneRowTable(dir / "job/src", "layer");
        const test::FileTree before = test::TakeTree(dir.path(), out);
        const RunResult run = RunExport(format, layer, out, true);
        ASSERT_TRUE(run.converted) << run.log;
        std::vector<std::string> gone = {"gone: job/src/layer.vxs", "gone: job/src/layer.vxv"};
        // The shapefile export keeps the layer's table.
        if (format != ExportFormat::kShape) gone.insert(gone.begin(), "gone: job/src/layer.dbf");
        EXPECT_EQ(test::TreeChanges(before, test::TakeTree(dir.path(), out)), gone);
        fs::remove_all(out);
    }
}

}  // namespace
}  // namespace vx
