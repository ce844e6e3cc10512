// Text in code pages other than Western on every route: sources written by GDAL in Cyrillic,
// Greek and UTF-8, imported, exported as MIF, shapefile and TAB, and read back by GDAL as
// Unicode.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/engine_test_support.h"
#include "platform/file_system.h"
#include "support/gdal_peer.h"

namespace vx {
namespace {

std::string PointsJson(const std::vector<std::string>& names) {
    std::string json = R"({"type":"FeatureCollection","features":[)";
    for (std::size_t i = 0; i < names.size(); ++i) {
        json += (i > 0 ? "," : "") + std::string(R"({"type":"Feature","properties":{"name":")") +
                names[i] + R"(","n":)" + std::to_string(i + 1) +
                R"(},"geometry":{"type":"Point","coordinates":[)" + std::to_string(i) + ",1]}}";
    }
    return json + "]}";
}

struct Source {
    std::string file;      // its extension says the format
    const char* encoding;  // what GDAL writes it in
    std::vector<std::string> names;
    const char* charset;  // what our MIF export declares
    const char* cpg;      // what our shapefile export names
};

const Source kSources[] = {
    {"moscow.mif", "CP1251", {"Москва", "Санкт-Петербург", "Oslo"}, "WindowsCyrillic", "1251"},
    {"athens.mif", "CP1253", {"Αθήνα", "Θεσσαλονίκη", "Rhodes"}, "WindowsGreek", "1253"},
    {"kyiv.shp", "CP1251", {"Київ", "Новосибирск", "Riga"}, "WindowsCyrillic", "1251"},
    // Text MIF cannot label as UTF-8 is written in the code page that holds it.
    {"west.shp", "UTF-8", {"Zürich", "São Paulo", "Ærøskøbing", "€"}, "WindowsLatin1", "UTF-8"},
    {"east.shp", "UTF-8", {"Ярославль", "Минск"}, "WindowsCyrillic", "UTF-8"},
};

// The names GDAL reads from a data set, in feature order.
std::vector<std::string> NamesOf(const std::string& path) {
    std::vector<std::string> names;
    for (const test::PeerFeature& f : test::ReadWithGdal(path).features)
        names.push_back(f.fields.count("name") ? f.fields.at("name") : "(null)");
    return names;
}

class CodePages : public ::testing::Test {
  protected:
    // The source made by GDAL and imported; the path of its layer file, in a VXV folder as
    // the shapefile import makes one.
    std::string Import(const Source& source) {
        const std::string path = dir / ("src/" + source.file);
        const bool mif = source.file.ends_with(".mif");
        std::vector<std::string> options = {"-f", mif ? "MapInfo File" : "ESRI Shapefile", "-lco",
                                            std::string("ENCODING=") + source.encoding};
        if (mif) options.insert(options.end(), {"-dsco", "FORMAT=MIF"});
        test::MakeWithGdal(PointsJson(source.names), path, options);
        EXPECT_TRUE(batch.Import(mif ? ImportFormat::kMif : ImportFormat::kShape, {path},
                                 mif ? dir / "VXV" : dir.path()))
            << batch.engine.JobLog();
        return dir / ("VXV/" + source.file.substr(0, source.file.size() - 4) + ".vxv");
    }

    test::TempDir dir;
    test::Batch batch;
};

TEST_F(CodePages, NamesReadBackThroughGdalFromEveryExport) {
    for (const Source& source : kSources) {
        SCOPED_TRACE(source.file);
        const std::string vxv = Import(source);
        const std::string name = source.file.substr(0, source.file.size() - 4);
        const std::string base = dir / ("out/" + name);
        ASSERT_TRUE(batch.Export(ExportFormat::kMif, {vxv}, dir / "out")) << batch.engine.JobLog();
        EXPECT_NE(
            test::ReadFile(base + ".MIF").find("Charset \"" + std::string(source.charset) + "\""),
            std::string::npos);
        EXPECT_EQ(NamesOf(base + ".MIF"), source.names);
        ASSERT_TRUE(batch.Export(ExportFormat::kShape, {vxv}, dir / "out"))
            << batch.engine.JobLog();
        EXPECT_EQ(test::ReadFile(dir / ("out/SHP/" + name + ".cpg")), source.cpg);
        EXPECT_EQ(NamesOf(dir / ("out/SHP/" + name + ".shp")), source.names);
        ASSERT_TRUE(batch.Export(ExportFormat::kTab, {vxv}, dir / "out")) << batch.engine.JobLog();
        EXPECT_EQ(NamesOf(base + ".Tab"), source.names);
    }
}

TEST_F(CodePages, ImportedTablesKeepTheSourceBytesAndNameTheirCodePage) {
    Import(kSources[0]);
    EXPECT_EQ(test::ReadFile(dir / "VXV/moscow.cpg"), "1251");
    EXPECT_EQ(NamesOf(dir / "VXV/moscow.dbf"), kSources[0].names) << "GDAL reads the table itself";
    // The MID's bytes went into the table unchanged.
    EXPECT_NE(test::ReadFile(dir / "VXV/moscow.dbf").find("\xCC\xEE\xF1\xEA\xE2\xE0"),
              std::string::npos)
        << "Москва in CP1251";

    // A table that names its code page by the language driver byte alone is read as well.
    test::MakeWithGdal(PointsJson({"Πάτρα"}), dir / "ldid/patra.shp",
                       {"-f", "ESRI Shapefile", "-lco", "ENCODING=CP1253"});
    ASSERT_TRUE(DeleteFile(dir / "ldid/patra.cpg"));
    std::string dbf = test::ReadFile(dir / "ldid/patra.dbf");
    dbf[29] = static_cast<char>(0xCB);  // Windows Greek
    test::WriteFile(dir / "ldid/patra.dbf", dbf);
    ASSERT_TRUE(batch.Import(ImportFormat::kShape, {dir / "ldid/patra.shp"}));
    EXPECT_EQ(test::ReadFile(dir / "ldid/VXV/patra.cpg"), "1253");
    ASSERT_TRUE(batch.Export(ExportFormat::kMif, {dir / "ldid/VXV/patra.vxv"}, dir / "out"));
    EXPECT_EQ(NamesOf(dir / "out/patra.MIF"), (std::vector<std::string>{"Πάτρα"}));
}

TEST_F(CodePages, CharactersNoMifCodePageHoldsAreReported) {
    const Source mixed = {"mixed.shp", "UTF-8", {"Москва", "Москва", "Zürich", "Αθήνα"}, "", ""};
    const std::string vxv = Import(mixed);
    const test::JobRun run = test::Watch(
        batch.engine, [&] { return batch.engine.ExportMifFile(vxv, dir / "out/mixed.MIF"); });
    ASSERT_TRUE(run.ok) << run.log;
    const std::vector<std::string> back = NamesOf(dir / "out/mixed.MIF");
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
    EXPECT_TRUE(std::any_of(run.statuses.begin(), run.statuses.end(), [&](const std::string& s) {
        return s.starts_with(line);
    })) << run.log;
}

}  // namespace
}  // namespace vx
