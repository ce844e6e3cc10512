// A job reads its sources only, and writes, deletes and copies only inside its output folder.
// Every route run on the sample set leaves each source byte for byte as it was, except the
// files that deleting the sources asks to remove, and exactly those. Whatever names a layer
// file carries in its table name list ("../x.dbf", an absolute path, a subfolder), no file
// outside the output folder is deleted when an old layer is overwritten, nor read or written
// when a layer is exported; a damaged list deletes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/engine_test_support.h"
#include "model/geometry.h"
#include "platform/endian.h"
#include "support/gdal_peer.h"
#include "vxv/layer_format.h"
#include "vxv/layer_writer.h"

namespace vx {
namespace {

namespace fs = std::filesystem;
using test::TakeTree;
using test::TreeChanges;

const struct {
    ImportFormat format;
    std::vector<std::string> files;  // in the sample set
    std::vector<std::string> gone;   // when the sources are deleted
} kImports[] = {
    {ImportFormat::kMif, {"town.mif"}, {"gone: town.mid", "gone: town.mif"}},
    // The table of a shapefile stays: other layers may share it.
    {ImportFormat::kShape,
     {"lakes.shp", "streams.shp", "wells.shp"},
     {"gone: lakes.shp", "gone: lakes.shx", "gone: streams.shp", "gone: streams.shx",
      "gone: wells.shp", "gone: wells.shx"}},
    {ImportFormat::kDgn, {"network.dgn"}, {"gone: network.dgn"}},
    {ImportFormat::kAscii, {"survey.txt"}, {"gone: survey.txt"}},
    // The TAB route deletes the temporary MIF it imported, never the TAB files.
    {ImportFormat::kTab, {"districts.tab"}, {}},
};
const ExportFormat kExports[] = {ExportFormat::kMif, ExportFormat::kShape, ExportFormat::kTab};

std::vector<std::string> In(const std::string& folder, const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back(folder + "/" + name);
    return paths;
}

// Every import, its sources deleted: exactly the converted files and their companions go, and
// every other source stays byte for byte as it was.
TEST(SourceSafety, DeletingSourcesRemovesExactlyTheConvertedFilesAndTheirCompanions) {
    for (const auto& c : kImports) {
        test::TempDir dir;
        fs::copy(test::Samples(), dir / "sources");
        const test::FileTree before = TakeTree(dir / "sources");
        test::Batch batch;
        batch.engine.SetDeleteScrFile(true);
        fs::create_directories(dir / "out");
        EXPECT_TRUE(batch.Import(c.format, In(dir / "sources", c.files), dir / "out"));
        EXPECT_EQ(TreeChanges(before, TakeTree(dir / "sources")), c.gone) << c.files[0];
        EXPECT_FALSE(fs::is_empty(dir / "out")) << c.files[0] << " wrote its output";
    }
}

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
    for (const std::string& name : tables)
        m.TableNameLengths.push_back(static_cast<std::int32_t>(name.size()));
    m.FindFontIndex("Symbol");
    // Longitude and latitude on WGS 84, which every route can describe.
    m.Layer.lProjection = 1;
    m.Layer.lDatum = 104;
    ASSERT_TRUE(ComputeLayerBounds(m, kKindPoint, 1));
    fs::create_directories(fs::path(vxvPath).parent_path());
    std::string error;
    ASSERT_TRUE(WriteLayer(m, kKindPoint, 1, vxvPath,
                           vxvPath.substr(0, vxvPath.size() - 4) + ".vxs", error))
        << error;
}

// The tree every case runs in: tables a hostile name could reach at every level around the
// job's folder "job/out", and a copy of the samples in "job/src".
class Confinement : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* victim :
             {"victim.dbf", "job/victim.dbf", "job/src/victim.dbf", "outside/abs.dbf"})
            test::WriteFile(dir / victim, test::ReadFile(test::Samples("wells.dbf")));
        fs::copy(test::Samples(), dir / "job/src");
        fs::create_directories(out);
    }
    std::vector<std::string> HostileNames() const {
        return {"../victim.dbf",
                "../../victim.dbf",
                dir / "outside/abs.dbf",
                "sub/../../victim.dbf",
                "sub/inner.dbf",
                "..",
                ".",
                ""};
    }
    test::TempDir dir;
    const std::string out = dir / "job/out";
};

TEST_F(Confinement, OverwritingALayerDeletesOnlyPlainNamedTablesInTheOutputFolder) {
    for (const auto& c : kImports) {
        if (c.format == ImportFormat::kTab) continue;  // its layers are the MIF import's
        SCOPED_TRACE(c.files[0]);
        const std::string folder = out + (c.format == ImportFormat::kShape ? "/VXV" : "");
        std::vector<std::string> names = HostileNames();
        names.push_back("stale.dbf");
        WriteLayerNaming(folder + "/" + fs::path(c.files[0]).stem().string() + ".vxv", names);
        test::WriteFile(folder + "/stale.dbf", "old table");
        test::WriteFile(folder + "/sub/inner.dbf", "a table in a subfolder");
        const test::FileTree before = TakeTree(dir.path(), out);

        test::Batch batch;
        EXPECT_TRUE(batch.Import(c.format, {dir / ("job/src/" + c.files[0])}, out, true))
            << batch.engine.JobLog();
        EXPECT_FALSE(fs::exists(folder + "/stale.dbf")) << "a plain name of the old list goes";
        EXPECT_TRUE(fs::exists(folder + "/sub/inner.dbf"));
        EXPECT_EQ(TreeChanges(before, TakeTree(dir.path(), out)), std::vector<std::string>{})
            << "nothing outside job/out changes";
        fs::remove_all(out);
    }
}

TEST_F(Confinement, ExportingALayerWithHostileTableNamesWritesOnlyIntoTheOutputFolder) {
    for (const std::string& name : HostileNames()) {
        for (ExportFormat format : kExports) {
            SCOPED_TRACE(name + " in export format " + std::to_string(static_cast<int>(format)));
            WriteLayerNaming(dir / "job/src/hostile.vxv", {name});
            const test::FileTree before = TakeTree(dir.path(), out);
            test::Batch batch;
            batch.Export(format, {dir / "job/src/hostile.vxv"}, out);
            EXPECT_EQ(TreeChanges(before, TakeTree(dir.path(), out)), std::vector<std::string>{});
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
    for (ExportFormat format : kExports) {
        SCOPED_TRACE(static_cast<int>(format));
        const std::string src = dir / "job/src";
        WriteLayerNaming(src + "/layer.vxv",
                         {"layer.dbf", "../victim.dbf", dir / "outside/abs.dbf"});
        // A table of one row beside the layer, with its code page, as an import leaves it.
        test::MakeWithGdal(R"({"type":"Feature","properties":{"Name":"well"},"geometry":null})",
                           src + "/layer.dbf", {"-f", "ESRI Shapefile", "-overwrite"});
        test::WriteFile(src + "/layer.cpg", "1252");
        const test::FileTree before = TakeTree(dir.path(), out);
        test::Batch batch;
        batch.engine.SetDeleteScrFile(true);
        ASSERT_TRUE(batch.Export(format, {src + "/layer.vxv"}, out)) << batch.engine.JobLog();
        // The shapefile export keeps the layer's table.
        std::vector<std::string> gone = {"gone: job/src/layer.cpg", "gone: job/src/layer.dbf",
                                         "gone: job/src/layer.vxs", "gone: job/src/layer.vxv"};
        if (format == ExportFormat::kShape) gone.erase(gone.begin(), gone.begin() + 2);
        EXPECT_EQ(TreeChanges(before, TakeTree(dir.path(), out)), gone);
        fs::remove_all(out);
    }
}

TEST_F(Confinement, DamagedOrMissingLayerFilesDeleteNothing) {
    test::WriteFile(out + "/a.dbf", "t");
    WriteLayerNaming(dir / "good.vxv", {"a.dbf"});
    const std::string good = test::ReadFile(dir / "good.vxv");
    auto with = [&](std::size_t at, std::int32_t value) {
        std::string bytes = good;
        StoreLE<std::int32_t>(reinterpret_cast<unsigned char*>(bytes.data()) + at, value);
        return bytes;
    };
    Import engine;
    engine.Context().outputFolder = out;
    for (const std::string& bytes :
         {good.substr(0, kTableListOffset + 6), good.substr(0, 30), with(24, 1000000000),
          with(24, -1), std::string(), with(kTableListOffset, 0x7FFFFFFF)}) {
        test::WriteFile(out + "/bad.vxv", bytes);
        engine.DeleteLayerSet(out + "/bad.vxv");
        EXPECT_TRUE(fs::exists(out + "/a.dbf")) << bytes.size() << " bytes";
    }
    engine.DeleteLayerSet(out + "/none.vxv");
    EXPECT_TRUE(fs::exists(out + "/a.dbf"));
    fs::copy(dir / "good.vxv", out + "/good.vxv");
    engine.DeleteLayerSet(out + "/good.vxv");
    EXPECT_FALSE(fs::exists(out + "/a.dbf"));
    EXPECT_TRUE(fs::exists(out + "/good.vxv")) << "the layer file itself is the caller's to delete";
}

}  // namespace
}  // namespace vx
