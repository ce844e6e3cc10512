// The MIF import and export from end to end: every check and its wording, output names, the
// sources deleted on success, and GDAL's MIF brought in and written out again.
#include <gtest/gtest.h>

#include "engine/engine_test_support.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "support/gdal_peer.h"

namespace vx {
namespace {

using test::JobRun;
using test::Watch;

const char kMif[] =
    "Version 300\r\nCharset \"WindowsLatin1\"\r\nDelimiter \",\"\r\nColumns 2\r\n"
    "  Name Char(20)\r\n  Size Integer\r\nData\r\n\r\nPoint 1 2\r\n"
    "Region 1\r\n  4\r\n0 0\r\n4 0\r\n0 4\r\n0 0\r\nPline 2\r\n0 0\r\n5 5\r\n";
const char kMid[] = "\"a\",1\r\n\"b\",2\r\n\"main \"\"high\"\" street\",3\r\n";

class MifJobs : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(dir / "src/roads.mif", kMif);
        test::WriteFile(dir / "src/roads.mid", kMid);
        engine.SetCreateDbf(true);
    }
    JobRun Import(const std::string& mif, const std::string& vxv) {
        return Watch(engine, [&] { return engine.ImportMifFile(mif, vxv); });
    }
    JobRun Export(const std::string& vxv, const std::string& mif) {
        return Watch(engine, [&] { return engine.ExportMifFile(vxv, mif); });
    }
    test::TempDir dir;
    vx::Import engine;
};

TEST_F(MifJobs, ImportNamesSourcesGoneOnSuccessOnlyAndUnwritableOutputs) {
    test::WriteFile(dir / "my-data.mif/my-map.MIF", kMif);
    test::WriteFile(dir / "my-data.mif/my-map.MID", kMid);  // the MID in another case
    engine.SetCreateVxvFolder(true);
    engine.SetDeleteScrFile(true);
    const JobRun run = Import(dir / "my-data.mif/my-map.MIF", dir / "my-data.mif/my-map.vxv");
    ASSERT_TRUE(run.ok) << run.log;
    for (const char* file : {"my_map_rg.vxv", "my_map_ln.dbf", "my_map_pt.vxs"})
        EXPECT_TRUE(FileExists(dir / "my-data.mif/VXV/" + std::string(file))) << file;
    EXPECT_FALSE(FileExists(dir / "my-data.mif/my-map.MIF"));
    EXPECT_FALSE(FileExists(dir / "my-data.mif/my-map.MID"));

    DeleteFile(dir / "src/roads.mid");
    EXPECT_FALSE(Import(dir / "src/roads.mif", dir / "out/roads.vxv").ok);
    EXPECT_TRUE(FileExists(dir / "src/roads.mif")) << "a failed job deletes nothing";

    // An output that cannot be written fails the job with a line.
    test::WriteFile(dir / "src/roads.mid", kMid);
    test::WriteFile(dir / "blocker", "a file where a folder should be");
    const JobRun blocked = Import(dir / "src/roads.mif", dir / "blocker/roads.vxv");
    EXPECT_FALSE(blocked.ok);
    EXPECT_TRUE(engine.JobFailed());
    EXPECT_NE(blocked.statuses.back().find('\t'), std::string::npos) << blocked.statuses.back();
}

// The TAB route owns the MIF at its temporary path, not the MID; its lines name the TAB.
TEST_F(MifJobs, ExportLinesNameTheMifOrInTheTabRouteTheTab) {
    ASSERT_TRUE(Import(dir / "src/roads.mif", dir / "vxv/roads.vxv").ok);
    const std::string layer = dir / "vxv/roads_ln.vxv", out = dir / "out/roads.MIF";
    JobRun run = Export(layer, out);
    EXPECT_TRUE(run.ok) << run.log;
    EXPECT_EQ(run.statuses.front(), "Exporting VXV To MIF File roads.MIF\r\n");
    EXPECT_EQ(run.statuses.back(), "\r\n\tExport Successfully Completed.\r\n\r\n");

    engine.SetTabMode(true);
    engine.SetCurrentFile(dir / "maps/roads.tab");
    DeleteFile(out);
    test::WriteFile(out, "temporary");
    run = Export(layer, out);
    EXPECT_FALSE(run.ok) << "the MID is there";
    EXPECT_EQ(
        run.log,
        "Exporting TAB To MIF File \r\n\tChecking Input Files...\r\nVXV To MIF Export Aborted");
    EXPECT_EQ(run.statuses.front(), "Exporting TAB To MIF File roads.tab\r\n");
    DeleteFile(dir / "out/roads.MID");
    EXPECT_TRUE(Export(layer, out).ok);
}

// (A layer that cannot be read is the claimed-counts tests'.)
TEST_F(MifJobs, ExportFailureOfTheWriterEndsTheJob) {
    ASSERT_TRUE(Import(dir / "src/roads.mif", dir / "vxv/roads.vxv").ok);
    // A MIF that cannot be created: a folder stands at its path.
    ASSERT_TRUE(CreateFolder(dir / "mif/d.MIF"));
    const JobRun run = Export(dir / "vxv/roads_ln.vxv", dir / "mif/d.MIF");
    EXPECT_FALSE(run.ok);
    EXPECT_TRUE(engine.JobFailed());
    EXPECT_NE(run.statuses.back().find("mif/d.MIF"), std::string::npos);
}

TEST_F(MifJobs, ExportIntoASubfolderDeletesTheLayerOnSuccess) {
    ASSERT_TRUE(Import(dir / "src/roads.mif", dir / "vxv/roads.vxv").ok);
    engine.SetCreateVxvFolder(true);
    engine.SetDeleteScrFile(true);
    const JobRun run = Export(dir / "vxv/roads_ln.vxv", dir / "out/roads.MIF");
    ASSERT_TRUE(run.ok) << run.log;
    EXPECT_EQ(test::ReadFile(dir / "out/MIF/roads.MID"), "1,\"main \"\"high\"\" street\",3\r\n");
    for (const char* gone : {"roads_ln.vxv", "roads_ln.vxs", "roads_ln.dbf"})
        EXPECT_FALSE(FileExists(dir / "vxv/" + std::string(gone))) << gone;
}

// GDAL writes a MIF of every kind, with styles, holes and full precision; the export of each
// layer the import makes reads in GDAL as the source.
TEST(MifWithGdal, ImportedLayersHoldGdalsObjectsAndExportBackTheSame) {
    test::TempDir dir;
    test::MakeWithGdal(
        R"json({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"name":"well \"north\", 1","depth":42,"rate":1.25,"day":"2024-05-01","OGR_STYLE":"SYMBOL(id:\"mapinfo-sym-35\",c:#FF0000,s:12pt)"},"geometry":{"type":"Point","coordinates":[512300.123456789,4640120.25]}},
{"type":"Feature","properties":{"name":"creek","depth":3,"rate":-0.5,"day":null,"OGR_STYLE":"PEN(c:#0000FF,w:2px)"},"geometry":{"type":"MultiLineString","coordinates":[[[500000,4600000],[500010.5,4600005]],[[500011,4600006],[500012,4600009],[500015,4600009]]]}},
{"type":"Feature","properties":{"name":"lake","depth":17,"rate":1e6,"day":"2020-02-29","OGR_STYLE":"BRUSH(fc:#00FF00);PEN(c:#FF0000)"},"geometry":{"type":"Polygon","coordinates":[[[500000,4600000],[500100,4600000],[500100,4600100],[500000,4600100],[500000,4600000]],[[500010,4600010],[500020,4600010],[500020,4600020],[500010,4600020],[500010,4600010]],[[500060,4600060],[500070,4600060],[500070,4600070],[500060,4600070],[500060,4600060]]]}},
{"type":"Feature","properties":{"name":"spring","depth":0,"rate":3.75,"day":"2018-07-04"},"geometry":{"type":"Point","coordinates":[499999.5,4600001]}}]})json",
        dir / "src.mif", {"-f", "MapInfo File", "-dsco", "FORMAT=MIF", "-a_srs", "EPSG:32633"});
    test::Batch batch;
    ASSERT_TRUE(batch.Import(ImportFormat::kMif, {dir / "src.mif"}, dir / "vxv"))
        << batch.engine.JobLog();

    ASSERT_TRUE(batch.Export(
        ExportFormat::kMif,
        {dir / "vxv/src_pt.vxv", dir / "vxv/src_ln.vxv", dir / "vxv/src_rg.vxv"}, dir / "mif"))
        << batch.engine.JobLog();
    GDALDatasetUniquePtr source = test::OpenVector(dir / "src.mif");
    ASSERT_TRUE(source);
    OGRLayer& from = *source->GetLayer(0);
    for (const auto& [kind, geometry] : {std::pair{"pt", "'POINT'"},
                                         {"ln", "'LINESTRING','MULTILINESTRING'"},
                                         {"rg", "'POLYGON'"}}) {
        test::GdalMessages messages;
        GDALDatasetUniquePtr ours =
            test::OpenVector(dir / ("mif/src_" + std::string(kind) + ".MIF"));
        ASSERT_TRUE(ours) << kind;
        OGRLayer& to = *ours->GetLayer(0);
        EXPECT_TRUE(test::SameCrs(from.GetSpatialRef(), to.GetSpatialRef())) << kind;
        from.SetAttributeFilter((std::string("OGR_GEOMETRY IN (") + geometry + ")").c_str());
        // Every coordinate to 15 significant digits; nulls stay null.
        test::ExpectSameFeatures(from, to, kind, 1e-15);
        // Each table: SPATIAL_ID 1..n first.
        to.ResetReading();
        for (int row = 1; OGRFeatureUniquePtr feature{to.GetNextFeature()}; ++row)
            EXPECT_EQ(feature->GetFieldAsInteger(0), row) << kind;
        EXPECT_STREQ(to.GetLayerDefn()->GetFieldDefn(0)->GetNameRef(), "SPATIAL_ID");
        EXPECT_EQ(messages.All(), "") << kind << ": GDAL warned";
    }
    // Colours and widths come back; the patterns through the two tables only where they meet.
    const std::pair<const char*, std::vector<const char*>> styles[] = {
        {"ln", {"c:#0000ff", "w:2px"}},
        {"rg", {"fc:#00ff00", "c:#ff0000"}},
        {"pt", {"c:#ff0000", "s:12pt"}}};
    for (const auto& [kind, parts] : styles) {
        const std::string style =
            test::ReadWithGdal(dir / ("mif/src_" + std::string(kind) + ".MIF"))
                .features.at(0)
                .style;
        for (const char* part : parts)
            EXPECT_NE(style.find(part), std::string::npos) << kind << ": " << style;
    }
}

TEST_F(MifJobs, EveryObjectKeepsItsRowThroughTheLayersAndBack) {
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
    const JobRun run = Import(dir / "src/kinds.mif", dir / "vxv/kinds.vxv");
    ASSERT_TRUE(run.ok) << run.log;
    for (const char* line : {"\tSkipped 1 object of a kind not read (DOUGHNUT), with its row\r\n",
                             "\tSkipped 1 object without geometry (NONE), with its row\r\n"})
        EXPECT_NE(run.log.find(line), std::string::npos) << run.log;

    const std::vector<std::pair<const char*, std::vector<std::string>>> layers = {
        {"kinds_pt",
         {"p1 POINT (1 1)", "multi MULTIPOINT (10 10,11 11)", "p2 POINT (2 2)", "p3 POINT (3 3)",
          "coll MULTIPOINT (20 20,21 21)", "p4 POINT (4 4)", "p5 POINT (5 5)", "p6 POINT (6 6)"}},
        {"kinds_rg", {"coll POLYGON ((0 0,4 0,0 4,0 0))"}},
        {"kinds_ln", {"coll LINESTRING (0 0,5 5)"}}};
    for (const auto& [layer, expected] : layers) {
        const std::string mif = dir / ("mif/" + std::string(layer) + ".mif");
        ASSERT_TRUE(engine.ExportMifFile(dir / ("vxv/" + std::string(layer) + ".vxv"), mif));
        std::vector<std::string> back;
        for (const test::PeerFeature& f : test::ReadWithGdal(mif).features)
            back.push_back(f.fields.at("Name") + " " + f.wkt);
        EXPECT_EQ(back, expected) << layer;
    }
}

}  // namespace
}  // namespace vx
