// The MIF import from end to end: checks and their messages, output naming, and layer sets
// compared one to one with GDAL's reading of the same MIF.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/import.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "support/gdal_peer.h"
#include "support/test_support.h"
#include "vxv/layer_reader.h"

namespace vx {
namespace {

const char kSmallMif[] =
    "Version 300\r\nCharset \"WindowsLatin1\"\r\nDelimiter \",\"\r\nColumns 2\r\n"
    "  Name Char(20)\r\n  Size Integer\r\nData\r\n\r\n"
    "Point 1 2\r\n"
    "Region 1\r\n  4\r\n0 0\r\n4 0\r\n0 4\r\n0 0\r\n"
    "Pline 2\r\n0 0\r\n5 5\r\n";
const char kSmallMid[] = "\"a\",1\r\n\"b\",2\r\n\"c\",3\r\n";

struct JobRun {
    bool ok = false;
    std::string log;
    std::vector<std::string> statuses;
};

JobRun ImportWith(Import& engine, const std::string& mif, const std::string& vxv) {
    JobRun run;
    const std::size_t before = engine.JobLog().size();
    const auto token =
        engine.SubscribeReportStatus([&](const std::string& s) { run.statuses.push_back(s); });
    run.ok = engine.ImportMifFile(mif, vxv);
    engine.UnsubscribeReportStatus(token);
    run.log = engine.JobLog().substr(before);
    return run;
}

class MifImport : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(dir / "src/roads.mif", kSmallMif);
        test::WriteFile(dir / "src/roads.mid", kSmallMid);
        engine.SetCreateDbf(true);
    }
    test::TempDir dir;
    Import engine;
};

TEST_F(MifImport, RefusalsAreReportedBareAndFailTheJob) {
    struct Case {
        const char* what;
        std::string source;
        const char* message;
    };
    test::WriteFile(dir / "src/roads.txt", "x");
    for (const Case& c : {Case{"missing", dir / "src/none.mif", "Source file does not exist."},
                          Case{"extension", dir / "src/roads.txt", "Invalid source file."}}) {
        Import fresh;
        const JobRun run = ImportWith(fresh, c.source, dir / "out/roads.vxv");
        EXPECT_FALSE(run.ok) << c.what;
        EXPECT_EQ(run.log, "Importing MIF File " + NameOf(c.source) +
                               "\r\n\tChecking Input Files...\r\n" + c.message)
            << c.what;
        EXPECT_EQ(run.statuses.back(), c.message) << c.what;
        EXPECT_FALSE(FolderExists(dir / "out")) << c.what;
    }
}

TEST_F(MifImport, MissingMidHasItsTwoSpellings) {
    DeleteFile(dir / "src/roads.mid");
    const JobRun run = ImportWith(engine, dir / "src/roads.mif", dir / "out/roads.vxv");
    EXPECT_FALSE(run.ok);
    EXPECT_NE(run.log.find("\tDBF File does not exist. MIF Import Aborted\r\n"), std::string::npos);
    EXPECT_EQ(run.statuses.back(), "\tDBF file does not exist. MIF Import Aborted\r\n");
    EXPECT_FALSE(FileExists(dir / "out/roads_pt.vxv"));
    // Without attributes the MID is not needed.
    engine.SetCreateDbf(false);
    EXPECT_TRUE(ImportWith(engine, dir / "src/roads.mif", dir / "out/roads.vxv").ok);
    EXPECT_TRUE(FileExists(dir / "out/roads_pt.vxv"));
    EXPECT_FALSE(FileExists(dir / "out/roads_pt.dbf"));
}

TEST_F(MifImport, ExistingOutputsNeedOverwriting) {
    ASSERT_TRUE(ImportWith(engine, dir / "src/roads.mif", dir / "out/roads.vxv").ok);
    const std::string firstPoints = test::ReadFile(dir / "out/roads_pt.vxv");
    // Every layer of the set is an output, the suffixed ones included.
    const JobRun refused = ImportWith(engine, dir / "src/roads.mif", dir / "out/roads.vxv");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.statuses.back(), "MIF Import Aborted");
    EXPECT_EQ(refused.log.substr(refused.log.size() - 18), "MIF Import Aborted");
    EXPECT_EQ(test::ReadFile(dir / "out/roads_pt.vxv"), firstPoints);

    // A table in the way is refused the same way.
    test::WriteFile(dir / "out2/roads.dbf", "old table");
    EXPECT_FALSE(ImportWith(engine, dir / "src/roads.mif", dir / "out2/roads.vxv").ok);
    EXPECT_EQ(test::ReadFile(dir / "out2/roads.dbf"), "old table");

    // With overwriting on, the tables the old layers name go first, then the layers.
    test::WriteFile(dir / "out/stale.dbf", "named by the old layer only");
    engine.SetOverwriteExistingFiles(true);
    const JobRun replaced = ImportWith(engine, dir / "src/roads.mif", dir / "out/roads.vxv");
    EXPECT_TRUE(replaced.ok) << replaced.log;
    EXPECT_TRUE(FileExists(dir / "out/roads_pt.dbf"));
    EXPECT_TRUE(FileExists(dir / "out/stale.dbf")) << "not named by any layer";
}

TEST_F(MifImport, NamesChangeTheFileNameOnly) {
    test::WriteFile(dir / "my-data.mif/my-map.MIF", kSmallMif);
    test::WriteFile(dir / "my-data.mif/my-map.MID", kSmallMid);  // MID in another case
    engine.SetCreateVxvFolder(true);
    const JobRun run =
        ImportWith(engine, dir / "my-data.mif/my-map.MIF", dir / "my-data.mif/my-map.vxv");
    ASSERT_TRUE(run.ok) << run.log;
    EXPECT_TRUE(FileExists(dir / "my-data.mif/VXV/my_map_rg.vxv"));
    EXPECT_TRUE(FileExists(dir / "my-data.mif/VXV/my_map_ln.dbf"));
    EXPECT_TRUE(FileExists(dir / "my-data.mif/VXV/my_map_pt.vxs"));
}

TEST_F(MifImport, UnwritableOutputFailsTheJobWithALine) {
    test::WriteFile(dir / "blocker", "a file where a folder should be");
    const JobRun run = ImportWith(engine, dir / "src/roads.mif", dir / "blocker/roads.vxv");
    EXPECT_FALSE(run.ok);
    EXPECT_TRUE(engine.JobFailed());
    EXPECT_FALSE(run.statuses.empty());
    EXPECT_NE(run.statuses.back().find('\t'), std::string::npos) << run.statuses.back();
}

TEST_F(MifImport, DeleteSourceRemovesMifAndMidOnSuccessOnly) {
    engine.SetDeleteScrFile(true);
    DeleteFile(dir / "src/roads.mid");
    EXPECT_FALSE(ImportWith(engine, dir / "src/roads.mif", dir / "out/roads.vxv").ok);
    EXPECT_TRUE(FileExists(dir / "src/roads.mif"));
    test::WriteFile(dir / "src/roads.mid", kSmallMid);
    EXPECT_TRUE(ImportWith(engine, dir / "src/roads.mif", dir / "out/roads.vxv").ok);
    EXPECT_FALSE(FileExists(dir / "src/roads.mif"));
    EXPECT_FALSE(FileExists(dir / "src/roads.mid"));
}

TEST_F(MifImport, ExportNeedsTheLayersTableOnlyWithAttributes) {
    ASSERT_TRUE(ImportWith(engine, dir / "src/roads.mif", dir / "out/roads.vxv").ok);
    DeleteFile(dir / "out/roads_rg.dbf");
    Import exporter;
    exporter.SetCreateDbf(true);
    EXPECT_FALSE(exporter.ExportMifFile(dir / "out/roads_rg.vxv", dir / "mif/a.mif"));
    EXPECT_NE(exporter.JobLog().find(
                  "\tMissing or Corrupt Non-Spatial Data File\r\nError Reading VXV....\r\n"),
              std::string::npos)
        << exporter.JobLog();
    exporter.SetCreateDbf(false);
    EXPECT_TRUE(exporter.ExportMifFile(dir / "out/roads_rg.vxv", dir / "mif/b.mif"))
        << exporter.JobLog();
    exporter.SetCreateDbf(true);
    ASSERT_TRUE(exporter.ExportMifFile(dir / "out/roads_pt.vxv", dir / "mif/c.mif"))
        << exporter.JobLog();
    EXPECT_EQ(test::ReadFile(dir / "mif/c.mid").substr(0, 5), "1,\"a\"");
}

// --- One to one with GDAL -------------------------------------------------------------

std::vector<Vertex> PeerRing(const std::string& wktRing) {
    std::vector<Vertex> out;
    std::size_t at = 0;
    while (at < wktRing.size()) {
        std::size_t end = wktRing.find(',', at);
        if (end == std::string::npos) end = wktRing.size();
        const std::string pair = wktRing.substr(at, end - at);
        Vertex v;
        std::sscanf(pair.c_str(), "%lf %lf", &v.X, &v.Y);
        out.push_back(v);
        at = end + 1;
    }
    return out;
}

// The innermost coordinate lists of a WKT text, in order.
std::vector<std::vector<Vertex>> PeerParts(const std::string& wkt) {
    std::vector<std::vector<Vertex>> parts;
    std::size_t at = 0;
    while ((at = wkt.find('(', at)) != std::string::npos) {
        const std::size_t open = wkt.find_last_of('(', wkt.find(')', at));
        const std::size_t close = wkt.find(')', open);
        if (open < at) break;
        parts.push_back(PeerRing(wkt.substr(open + 1, close - open - 1)));
        at = close + 1;
    }
    return parts;
}

template <typename Part>
void ExpectSameParts(const std::vector<Part>& ours, const std::vector<std::vector<Vertex>>& peer,
                     const std::string& what) {
    ASSERT_EQ(ours.size(), peer.size()) << what;
    for (std::size_t p = 0; p < ours.size(); ++p) {
        ASSERT_EQ(ours[p].Vertices.size(), peer[p].size()) << what << " part " << p;
        for (std::size_t v = 0; v < peer[p].size(); ++v) {
            EXPECT_NEAR(ours[p].Vertices[v].X, peer[p][v].X, 1e-9) << what;
            EXPECT_NEAR(ours[p].Vertices[v].Y, peer[p][v].Y, 1e-9) << what;
        }
    }
}

TEST(MifImportAgainstGdal, LayerSetsMatchGdalsReadingOneToOne) {
    test::TempDir dir;
    test::WriteFile(dir / "in.geojson", R"({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"name":"well, north","depth":42,"rate":1.25,"day":"2024-05-01"},"geometry":{"type":"Point","coordinates":[512300.5,4640120.25]}},
{"type":"Feature","properties":{"name":"creek","depth":3,"rate":-0.5,"day":"2023-12-31"},"geometry":{"type":"MultiLineString","coordinates":[[[0,0],[10,5]],[[11,6],[12,9],[15,9]]]}},
{"type":"Feature","properties":{"name":"lake \"big\"","depth":17,"rate":1e6,"day":"2020-02-29"},"geometry":{"type":"Polygon","coordinates":[[[0,0],[100,0],[100,100],[0,100],[0,0]],[[10,10],[20,10],[20,20],[10,20],[10,10]],[[60,60],[70,60],[70,70],[60,70],[60,60]]]}},
{"type":"Feature","properties":{"name":"pond","depth":2,"rate":0,"day":"2019-01-01"},"geometry":{"type":"Polygon","coordinates":[[[200,200],[210,200],[205,210],[200,200]]]}},
{"type":"Feature","properties":{"name":"spring","depth":0,"rate":3.75,"day":"2018-07-04"},"geometry":{"type":"Point","coordinates":[-5,7]}}
]})");
    auto converted = test::RunCommand("ogr2ogr -f \"MapInfo File\" -dsco FORMAT=MIF '" +
                                      (dir / "src.mif") + "' '" + (dir / "in.geojson") + "'");
    ASSERT_EQ(converted.status, 0) << converted.err;
    const test::PeerLayer peer = test::ReadWithGdal(dir / "src.mif");
    ASSERT_EQ(peer.features.size(), 5u);

    Import engine;
    engine.SetCreateDbf(true);
    ASSERT_TRUE(engine.ImportMifFile(dir / "src.mif", dir / "out/src.vxv")) << engine.JobLog();

    // Read every layer back and pair its objects with GDAL's features of that kind, in order.
    std::map<std::string, LayerModel> layers;
    for (const char* kind : {"rg", "ln", "pt"}) {
        std::string error;
        const std::string base = dir / ("out/src_" + std::string(kind));
        ASSERT_TRUE(ReadLayerData(layers[kind], base + ".vxv", base + ".vxs", LayerTarget::kObjects,
                                  nullptr, error))
            << error;
    }
    std::size_t regions = 0, lines = 0, points = 0;
    std::map<std::string, std::vector<const test::PeerFeature*>> byKind;
    for (const auto& f : peer.features) {
        const std::string what = f.wkt;
        if (f.geometryType == "Polygon") {
            const RegionObject& r = layers["rg"].Regions.at(regions++);
            ExpectSameParts(r.Parts, PeerParts(f.wkt), what);
            // The hole check compares each ring with the one just before it only: the second
            // ring is a hole of the first, the third is not inside the second.
            if (r.Parts.size() > 1) {
                EXPECT_EQ(r.Parts[1].IsHole, 1) << what;
            }
            if (r.Parts.size() > 2) {
                EXPECT_EQ(r.Parts[2].IsHole, 0) << what;
            }
            byKind["rg"].push_back(&f);
        } else if (f.geometryType == "Multi Line String" || f.geometryType == "Line String") {
            ExpectSameParts(layers["ln"].Lines.at(lines++).Parts, PeerParts(f.wkt), what);
            byKind["ln"].push_back(&f);
        } else {
            ASSERT_EQ(f.geometryType, "Point");
            const PointObject& p = layers["pt"].Points.at(points++);
            ASSERT_EQ(p.Vertices.size(), 1u);
            EXPECT_EQ(PeerParts(f.wkt).at(0).at(0).X, p.Vertices[0].X);
            byKind["pt"].push_back(&f);
        }
    }
    EXPECT_EQ(layers["rg"].LayerObjectCount, static_cast<std::int32_t>(regions));
    EXPECT_EQ(layers["ln"].LayerObjectCount, static_cast<std::int32_t>(lines));
    EXPECT_EQ(layers["pt"].LayerObjectCount, static_cast<std::int32_t>(points));
    // All layers carry the same job-wide style tables.
    EXPECT_EQ(layers["rg"].Pens.Entries(), layers["ln"].Pens.Entries());
    for (const char* kind : {"ln", "pt"}) {
        EXPECT_EQ(layers[kind].FileHeader.PenCount, layers["rg"].FileHeader.PenCount);
        EXPECT_EQ(layers[kind].FileHeader.BrushCount, layers["rg"].FileHeader.BrushCount);
        EXPECT_EQ(layers[kind].FileHeader.FontCount, layers["pt"].FileHeader.FontCount);
    }

    // Each table: one row per object of its kind, SPATIAL_ID 1..n, the MID values.
    for (const char* kind : {"rg", "ln", "pt"}) {
        const test::PeerLayer table =
            test::ReadWithGdal(dir / ("out/src_" + std::string(kind) + ".dbf"));
        ASSERT_EQ(table.features.size(), byKind[kind].size()) << kind;
        ASSERT_FALSE(table.fieldNames.empty());
        EXPECT_EQ(table.fieldNames[0], "SPATIAL_ID");
        for (std::size_t row = 0; row < table.features.size(); ++row) {
            const auto& values = table.features[row].fields;
            EXPECT_EQ(std::stod(values.at("SPATIAL_ID")), static_cast<double>(row + 1)) << kind;
            const test::PeerFeature& source = *byKind[kind][row];
            for (const auto& [name, value] : source.fields) {
                ASSERT_TRUE(values.count(name)) << kind << " lacks " << name;
                if (name == "rate") {
                    EXPECT_DOUBLE_EQ(std::stod(values.at(name)), std::stod(value)) << kind;
                } else {
                    EXPECT_EQ(values.at(name), value) << kind << " " << name;
                }
            }
        }
    }
}

TEST_F(MifImport, EveryObjectKeepsItsRowThroughTheLayersAndBack) {
    // Each kind of object line between two points, and a collection with a part of each
    // layer kind. Its row goes to all three layers; every other row stays with its object.
    test::WriteFile(dir / "src/kinds.mif",
                    "Version 300\r\nCharset \"WindowsLatin1\"\r\nColumns 1\r\n  Name Char(10)\r\n"
                    "Data\r\nPoint 1 1\r\nMultiPoint 2\r\n10 10\r\n11 11\r\nPoint 2 2\r\n"
                    "Roundrect 0 0 5 5\r\n  1\r\nPoint 3 3\r\nCollection 3\r\n  Region 1\r\n"
                    "  4\r\n0 0\r\n4 0\r\n0 4\r\n0 0\r\n  Pline 2\r\n0 0\r\n5 5\r\n"
                    "  Multipoint 2\r\n20 20\r\n21 21\r\nPoint 4 4\r\nNone\r\nPoint 5 5\r\n"
                    "Doughnut 0 0 5 5\r\nPoint 6 6\r\n");
    test::WriteFile(dir / "src/kinds.mid",
                    "p1\r\nmulti\r\np2\r\nrounded\r\np3\r\ncoll\r\np4\r\nnothing\r\np5\r\n"
                    "doughnut\r\np6\r\n");
    const JobRun run = ImportWith(engine, dir / "src/kinds.mif", dir / "vxv/kinds.vxv");
    ASSERT_TRUE(run.ok) << run.log;
    EXPECT_NE(run.log.find("\tSkipped 1 object of a kind not read (DOUGHNUT), with its row\r\n"),
              std::string::npos)
        << run.log;

    ASSERT_TRUE(engine.ExportMifFile(dir / "vxv/kinds_pt.vxv", dir / "mif/kinds_pt.mif"));
    const test::PeerLayer points = test::ReadWithGdal(dir / "mif/kinds_pt.mif");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"p1", "POINT (1 1)"},
        {"multi", "MULTIPOINT (10 10,11 11)"},
        {"p2", "POINT (2 2)"},
        {"p3", "POINT (3 3)"},
        {"coll", "MULTIPOINT (20 20,21 21)"},
        {"p4", "POINT (4 4)"},
        {"p5", "POINT (5 5)"},
        {"p6", "POINT (6 6)"}};
    ASSERT_EQ(points.features.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(points.features[i].fields.at("Name"), expected[i].first) << i;
        EXPECT_EQ(points.features[i].wkt, expected[i].second) << i;
    }
    for (const char* layer : {"kinds_rg", "kinds_ln"}) {
        ASSERT_TRUE(engine.ExportMifFile(dir / ("vxv/" + std::string(layer) + ".vxv"),
                                         dir / ("mif/" + std::string(layer) + ".mif")));
        const test::PeerLayer back =
            test::ReadWithGdal(dir / ("mif/" + std::string(layer) + ".mif"));
        ASSERT_EQ(back.features.size(), 1u) << layer;
        EXPECT_EQ(back.features[0].fields.at("Name"), "coll") << layer;
    }
}

}  // namespace
}  // namespace vx
