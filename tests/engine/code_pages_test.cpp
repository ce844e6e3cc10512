// Text in code pages other than Western on every route: sources written by GDAL in Cyrillic,
// Greek and UTF-8, imported, exported as MIF, shapefile and TAB, and read back by GDAL as
// Unicode.
#include <gtest/gtest.h>

#include "engine/batch_run.h"
#include "engine/import.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "support/gdal_peer.h"
#include "support/test_support.h"

namespace vx {
namespace {

std::string PointsJson(const std::vector<std::string>& names) {
    std::string json = R"({"type":"FeatureCollection","features":[)";
    for (std::size_t i = 0; i < names.size(); ++i) {
        json += i > 0 ? "," : "";
        json += R"({"type":"Feature","properties":{"name":")" + names[i] + R"(","n":)" +
                std::to_string(i + 1) + R"(},"geometry":{"type":"Point","coordinates":[)" +
                std::to_string(i) + ",1]}}";
    }
    return json + "]}";
}

struct Source {
    const char* file;     // the source's file name; its extension says the format
    const char* options;  // ogr2ogr options that make it
    std::vector<std::string> names;
    const char* charset;  // what our MIF export declares
    const char* cpg;      // what our shapefile export names
};

const Source kSources[] = {
    {"moscow.mif",
     "-f 'MapInfo File' -dsco FORMAT=MIF -lco ENCODING=CP1251",
     {"Москва", "Санкт-Петербург", "Oslo"},
     "WindowsCyrillic",
     "1251"},
    {"athens.mif",
     "-f 'MapInfo File' -dsco FORMAT=MIF -lco ENCODING=CP1253",
     {"Αθήνα", "Θεσσαλονίκη", "Rhodes"},
     "WindowsGreek",
     "1253"},
    {"kyiv.shp",
     "-f 'ESRI Shapefile' -lco ENCODING=CP1251",
     {"Київ", "Новосибирск", "Riga"},
     "WindowsCyrillic",
     "1251"},
    // Text MIF cannot label as UTF-8 is written in the code page that holds it.
    {"west.shp",
     "-f 'ESRI Shapefile' -lco ENCODING=UTF-8",
     {"Zürich", "São Paulo", "Ærøskøbing", "€"},
     "WindowsLatin1",
     "UTF-8"},
    {"east.shp",
     "-f 'ESRI Shapefile' -lco ENCODING=UTF-8",
     {"Ярославль", "Минск"},
     "WindowsCyrillic",
     "UTF-8"},
};

class CodePages : public ::testing::Test {
  protected:
    CodePages() { engine.SetCreateDbf(true); }

    void MakeWithGdal(const std::string& options, const std::string& json,
                      const std::string& path) {
        test::WriteFile(dir / "in.geojson", json);
        const auto made = test::RunCommand("ogr2ogr " + options + " '" + path + "' '" +
                                           (dir / "in.geojson") + "'");
        ASSERT_EQ(made.status, 0) << made.err;
    }

    // The names GDAL reads from a data set, in feature order.
    static std::vector<std::string> NamesOf(const std::string& path) {
        std::vector<std::string> names;
        for (const test::PeerFeature& f : test::ReadWithGdal(path).features) {
            auto at = f.fields.find("name");
            names.push_back(at == f.fields.end() ? "(null)" : at->second);
        }
        return names;
    }

    // The source imported into VXV; the path of its layer file.
    std::string Import(const Source& source) {
        const std::string path = dir / std::string("src/") + source.file;
        const std::string base =
            std::string(source.file).substr(0, std::string(source.file).find('.'));
        CreateFolder(dir / "src");
        MakeWithGdal(source.options, PointsJson(source.names), path);
        if (path.ends_with(".mif")) {
            EXPECT_TRUE(engine.ImportMifFile(path, dir / ("vxv/" + base + ".vxv")))
                << engine.JobLog();
            return dir / ("vxv/" + base + ".vxv");
        }
        // Shapefile imports write into a VXV folder beside the output.
        EXPECT_TRUE(engine.ImportShapeFile(path, dir / (base + ".vxv"))) << engine.JobLog();
        return dir / ("VXV/" + base + ".vxv");
    }

    test::TempDir dir;
    vx::Import engine;
};

TEST_F(CodePages, NamesReadBackThroughGdalFromEveryExport) {
    for (const Source& source : kSources) {
        SCOPED_TRACE(source.file);
        const std::string vxv = Import(source);
        const std::string base = NameOf(vxv).substr(0, NameOf(vxv).size() - 4);

        ASSERT_TRUE(engine.ExportMifFile(vxv, dir / ("mif/" + base + ".MIF"))) << engine.JobLog();
        const std::string mif = test::ReadFile(dir / ("mif/" + base + ".MIF"));
        EXPECT_NE(mif.find(std::string("Charset \"") + source.charset + "\""), std::string::npos)
            << mif.substr(0, 60);
        EXPECT_EQ(NamesOf(dir / ("mif/" + base + ".MIF")), source.names);

        ASSERT_TRUE(engine.ExportShapeFile(vxv, dir / ("out/" + base + ".shp"))) << engine.JobLog();
        EXPECT_EQ(test::ReadFile(dir / ("out/SHP/" + base + ".cpg")), source.cpg);
        EXPECT_EQ(NamesOf(dir / ("out/SHP/" + base + ".shp")), source.names);

        CreateFolder(dir / "tab");
        BatchRun batch(engine);
        batch.TransType = TransferDirection::kExport;
        batch.BuildExportLists(ExportFormat::kTab, {vxv});
        batch.TabFiles.outputs = {dir / ("tab/" + base + ".Tab")};
        ASSERT_TRUE(batch.RunConversion(true)) << engine.JobLog();
        EXPECT_EQ(NamesOf(dir / ("tab/" + base + ".Tab")), source.names);
    }
}

TEST_F(CodePages, ImportedTablesKeepTheSourceBytesAndNameTheirCodePage) {
    const std::string cyrillic = Import(kSources[0]);
    EXPECT_EQ(test::ReadFile(dir / "vxv/moscow.cpg"), "1251");
    EXPECT_EQ(NamesOf(dir / "vxv/moscow.dbf"), kSources[0].names) << "GDAL reads the table itself";
    // The MID's bytes went into the table unchanged.
    const std::string table = test::ReadFile(dir / "vxv/moscow.dbf");
    EXPECT_NE(table.find("\xCC\xEE\xF1\xEA\xE2\xE0"), std::string::npos) << "Москва in CP1251";

    // A table that names its code page by the language driver byte alone is read as well.
    CreateFolder(dir / "ldid");
    MakeWithGdal("-f 'ESRI Shapefile' -lco ENCODING=CP1253", PointsJson({"Πάτρα"}),
                 dir / "ldid/patra.shp");
    ASSERT_TRUE(DeleteFile(dir / "ldid/patra.cpg"));
    std::string dbf = test::ReadFile(dir / "ldid/patra.dbf");
    dbf[29] = static_cast<char>(0xCB);  // Windows Greek
    test::WriteFile(dir / "ldid/patra.dbf", dbf);
    ASSERT_TRUE(engine.ImportShapeFile(dir / "ldid/patra.shp", dir / "patra.vxv"));
    EXPECT_EQ(test::ReadFile(dir / "VXV/patra.cpg"), "1253");
    ASSERT_TRUE(engine.ExportMifFile(dir / "VXV/patra.vxv", dir / "mif/patra.MIF"));
    EXPECT_EQ(NamesOf(dir / "mif/patra.MIF"), (std::vector<std::string>{"Πάτρα"}));
}

TEST_F(CodePages, CharactersNoMifCodePageHoldsAreReported) {
    const Source mixed = {"mixed.shp",
                          "-f 'ESRI Shapefile' -lco ENCODING=UTF-8",
                          {"Москва", "Москва", "Zürich", "Αθήνα"},
                          "",
                          ""};
    const std::string vxv = Import(mixed);
    std::vector<std::string> statuses;
    engine.SubscribeReportStatus([&](const std::string& s) { statuses.push_back(s); });
    ASSERT_TRUE(engine.ExportMifFile(vxv, dir / "mif/mixed.MIF")) << engine.JobLog();
    const std::vector<std::string> back = NamesOf(dir / "mif/mixed.MIF");
    ASSERT_EQ(back.size(), 4u);
    // No one code page holds Cyrillic, Greek with its accents and ü; what is lost is said.
    std::size_t lost = 0;
    for (std::size_t i = 0; i < back.size(); ++i) {
        if (back[i] != mixed.names[i]) {
            EXPECT_NE(back[i].find('?'), std::string::npos) << back[i];
            lost += static_cast<std::size_t>(std::count(back[i].begin(), back[i].end(), '?'));
        }
    }
    EXPECT_GT(lost, 0u);
    const std::string line =
        "\t    " + std::to_string(lost) + (lost == 1 ? " character cannot" : " characters cannot");
    EXPECT_TRUE(std::any_of(statuses.begin(), statuses.end(), [&](const std::string& s) {
        return s.starts_with(line);
    })) << engine.JobLog();
}

}  // namespace
}  // namespace vx
