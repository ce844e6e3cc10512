// The MIF export from end to end: every check and its message, the sources deleted on
// success, and GDAL's MIF files brought in and written out again.
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <cmath>

#include "engine/batch_run.h"
#include "engine/import.h"
#include "platform/file_system.h"
#include "support/gdal_peer.h"
#include "support/test_support.h"

namespace vx {
namespace {

const char kRoads[] =
    "Version 300\r\nCharset \"WindowsLatin1\"\r\nDelimiter \",\"\r\n"
    "CoordSys Earth Projection 8, 104, \"m\", 9, 0, 0.9996, 500000, 0\r\n"
    "Columns 2\r\n  Name Char(20)\r\n  Size Integer\r\nData\r\n\r\n"
    "Pline 3\r\n500000 4000000\r\n500010 4000010.5\r\n500020 4000000\r\n    Pen (2,2,255)\r\n";

struct JobRun {
    bool ok = false;
    std::string log;
    std::vector<std::string> statuses;
};

JobRun Export(Import& engine, const std::string& vxv, const std::string& mif) {
    JobRun run;
    const std::size_t before = engine.JobLog().size();
    const auto token =
        engine.SubscribeReportStatus([&](const std::string& s) { run.statuses.push_back(s); });
    run.ok = engine.ExportMifFile(vxv, mif);
    engine.UnsubscribeReportStatus(token);
    run.log = engine.JobLog().substr(before);
    return run;
}

class MifExport : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(dir / "src/roads.mif", kRoads);
        test::WriteFile(dir / "src/roads.mid", "\"main \"\"high\"\" street\",7\r\n");
        engine.SetCreateDbf(true);
        ASSERT_TRUE(engine.ImportMifFile(dir / "src/roads.mif", dir / "vxv/roads.vxv"));
    }
    test::TempDir dir;
    Import engine;
};

TEST_F(MifExport, EveryRefusalWithItsWording) {
    const std::string start = "Exporting VXV To MIF File \r\n\tChecking Input Files...\r\n";
    test::WriteFile(dir / "vxv/roads.txt", "x");
    for (auto [source, message] : {std::pair(dir / "vxv/none.vxv", "Source file does not exist."),
                                   std::pair(dir / "vxv/roads.txt", "Invalid source file.")}) {
        const JobRun run = Export(engine, source, dir / "out/roads.MIF");
        EXPECT_FALSE(run.ok);
        EXPECT_EQ(run.log, start + message);
        EXPECT_EQ(run.statuses.front(), "Exporting VXV To MIF File roads.MIF\r\n");
        EXPECT_EQ(run.statuses.back(), message);
    }

    // An existing MIF, in any letter case, stops the export; so does an existing MID.
    test::WriteFile(dir / "out/roads.mif", "old");
    JobRun run = Export(engine, dir / "vxv/roads.vxv", dir / "out/roads.MIF");
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.log, start + "VXV to MIF Export Aborted");
    EXPECT_EQ(run.statuses.back(), "VXV to MIF Export Aborted");
    DeleteFile(dir / "out/roads.mif");
    test::WriteFile(dir / "out/roads.MID", "old");
    run = Export(engine, dir / "vxv/roads.vxv", dir / "out/roads.MIF");
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.statuses.back(), "VXV To MIF Export Aborted");
    EXPECT_FALSE(FileExists(dir / "out/roads.MIF"));

    // The TAB route owns the MIF at its temporary path, not the MID; its lines name the TAB.
    engine.SetTabMode(true);
    engine.SetCurrentFile(dir / "maps/roads.tab");
    test::WriteFile(dir / "out/roads.MIF", "temporary");
    run = Export(engine, dir / "vxv/roads.vxv", dir / "out/roads.MIF");
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.log,
              "Exporting TAB To MIF File \r\n\tChecking Input Files...\r\n"
              "VXV To MIF Export Aborted");
    EXPECT_EQ(run.statuses.front(), "Exporting TAB To MIF File roads.tab\r\n");
    DeleteFile(dir / "out/roads.MID");
    EXPECT_TRUE(Export(engine, dir / "vxv/roads.vxv", dir / "out/roads.MIF").ok);
    engine.SetTabMode(false);

    // With overwriting on, both go and are written again.
    engine.SetOverwriteExistingFiles(true);
    run = Export(engine, dir / "vxv/roads.vxv", dir / "out/roads.MIF");
    EXPECT_TRUE(run.ok) << run.log;
    EXPECT_EQ(run.statuses.back(), "\r\n\tExport Successfully Completed.\r\n\r\n");
}

TEST_F(MifExport, ReaderAndWriterFailuresEndTheJob) {
    // A layer that cannot be read: its geometry file is cut short.
    test::WriteFile(dir / "vxv/roads.vxs", "cut");
    JobRun run = Export(engine, dir / "vxv/roads.vxv", dir / "out/roads.MIF");
    EXPECT_FALSE(run.ok);
    EXPECT_NE(run.log.find("Error Reading VXV....\r\n"), std::string::npos) << run.log;
    EXPECT_EQ(run.statuses.back(), "\r\nThere was some problem during export.\r\n");

    // A MIF that cannot be created: a folder stands at its path.
    ASSERT_TRUE(engine.ImportMifFile(dir / "src/roads.mif", dir / "v2/roads.vxv"));
    ASSERT_TRUE(CreateFolder(dir / "out/roads.MIF"));
    run = Export(engine, dir / "v2/roads.vxv", dir / "out/roads.MIF");
    EXPECT_FALSE(run.ok);
    EXPECT_TRUE(engine.JobFailed());
    EXPECT_NE(run.statuses.back().find("out/roads.MIF"), std::string::npos);
}

TEST_F(MifExport, SubfolderAndDeletedSources) {
    engine.SetCreateVxvFolder(true);
    engine.SetDeleteScrFile(true);
    const JobRun run = Export(engine, dir / "vxv/roads.vxv", dir / "out/roads.MIF");
    ASSERT_TRUE(run.ok) << run.log;
    EXPECT_EQ(test::ReadFile(dir / "out/MIF/roads.MID"), "1,\"main \"\"high\"\" street\",7\r\n");
    for (const char* gone : {"roads.vxv", "roads.vxs", "roads.dbf"})
        EXPECT_FALSE(FileExists(dir / "vxv/" + std::string(gone))) << gone;
}

// --- GDAL's MIF in, ours out, GDAL reads both -------------------------------------------

std::string SrsOf(const std::string& path) {
    GDALAllRegister();
    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR));
    const OGRSpatialReference* srs = ds ? ds->GetLayer(0)->GetSpatialRef() : nullptr;
    char* text = nullptr;
    if (srs == nullptr || srs->exportToProj4(&text) != OGRERR_NONE) return "";
    std::string proj4 = text;
    CPLFree(text);
    return proj4;
}

// Every coordinate of a WKT text, to compare at 15 significant digits.
std::vector<double> Coordinates(const std::string& wkt) {
    std::vector<double> out;
    for (const char* p = wkt.c_str(); *p;) {
        char* end = nullptr;
        const double v = std::strtod(p, &end);
        if (end != p && (std::isdigit(static_cast<unsigned char>(*p)) || *p == '-')) {
            out.push_back(v);
            p = end;
        } else {
            ++p;
        }
    }
    return out;
}

TEST(MifExportRoundTrip, GdalMifInAndOutKeepsFeaturesAttributesAndProjection) {
    test::TempDir dir;
    test::WriteFile(dir / "in.geojson", R"json({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"name":"well \"north\", 1","depth":42,"rate":1.25,"day":"2024-05-01","OGR_STYLE":"SYMBOL(id:\"mapinfo-sym-35\",c:#FF0000,s:12pt)"},"geometry":{"type":"Point","coordinates":[512300.123456789,4640120.25]}},
{"type":"Feature","properties":{"name":"creek","depth":3,"rate":-0.5,"day":null,"OGR_STYLE":"PEN(c:#0000FF,w:2px)"},"geometry":{"type":"MultiLineString","coordinates":[[[500000,4600000],[500010.5,4600005]],[[500011,4600006],[500012,4600009],[500015,4600009]]]}},
{"type":"Feature","properties":{"name":"lake","depth":17,"rate":1e6,"day":"2020-02-29","OGR_STYLE":"BRUSH(fc:#00FF00);PEN(c:#FF0000)"},"geometry":{"type":"Polygon","coordinates":[[[500000,4600000],[500100,4600000],[500100,4600100],[500000,4600100],[500000,4600000]],[[500010,4600010],[500020,4600010],[500020,4600020],[500010,4600020],[500010,4600010]]]}},
{"type":"Feature","properties":{"name":"spring","depth":0,"rate":3.75,"day":"2018-07-04"},"geometry":{"type":"Point","coordinates":[499999.5,4600001]}}
]})json");
    const auto made =
        test::RunCommand("ogr2ogr -f \"MapInfo File\" -dsco FORMAT=MIF -a_srs EPSG:32633 '" +
                         (dir / "src.mif") + "' '" + (dir / "in.geojson") + "'");
    ASSERT_EQ(made.status, 0) << made.err;

    Import engine;
    engine.SetCreateDbf(true);
    ASSERT_TRUE(engine.ImportMifFile(dir / "src.mif", dir / "vxv/src.vxv")) << engine.JobLog();
    BatchRun batch(engine);
    batch.TransType = TransferDirection::kExport;
    batch.BuildExportLists(ExportFormat::kMif, {dir / "vxv/src_pt.vxv", dir / "vxv/src_ln.vxv",
                                                dir / "vxv/src_rg.vxv"});
    batch.ApplyOutputFolder(dir / "mif");
    ASSERT_TRUE(batch.RunConversion(false)) << engine.JobLog();

    // GDAL's features of each kind, in source order, against ours of that kind.
    const test::PeerLayer source = test::ReadWithGdal(dir / "src.mif");
    std::map<std::string, std::vector<const test::PeerFeature*>> byKind;
    for (const auto& f : source.features)
        byKind[f.geometryType == "Point"     ? "pt"
               : f.geometryType == "Polygon" ? "rg"
                                             : "ln"]
            .push_back(&f);
    for (const char* kind : {"pt", "ln", "rg"}) {
        const std::string ours = dir / ("mif/src_" + std::string(kind) + ".MIF");
        const auto info = test::RunCommand("ogrinfo -ro -al -q '" + ours + "'");
        EXPECT_EQ(info.err, "") << kind << ": GDAL warned";
        EXPECT_EQ(SrsOf(ours), SrsOf(dir / "src.mif")) << kind;
        const test::PeerLayer back = test::ReadWithGdal(ours);
        ASSERT_EQ(back.features.size(), byKind[kind].size()) << kind;
        for (std::size_t i = 0; i < back.features.size(); ++i) {
            const test::PeerFeature& was = *byKind[kind][i];
            const test::PeerFeature& now = back.features[i];
            EXPECT_EQ(now.geometryType, was.geometryType) << kind;
            const auto a = Coordinates(was.wkt), b = Coordinates(now.wkt);
            ASSERT_EQ(a.size(), b.size()) << kind;
            for (std::size_t k = 0; k < a.size(); ++k)
                EXPECT_NEAR(a[k], b[k], std::fabs(a[k]) * 1e-15) << kind;
            for (const auto& [name, value] : was.fields) {
                if (name == "OGR_STYLE") continue;
                ASSERT_TRUE(now.fields.count(name)) << kind << " lacks " << name;
                if (name == "name" || name == "day") {
                    EXPECT_EQ(now.fields.at(name), value) << kind << " " << name;
                } else {
                    EXPECT_DOUBLE_EQ(std::stod(now.fields.at(name)), std::stod(value)) << name;
                }
            }
            EXPECT_EQ(now.fields.count("day"), was.fields.count("day")) << "nulls stay null";
        }
    }
    // Colours and widths come back; the patterns through the two tables only where they meet.
    const test::PeerLayer lines = test::ReadWithGdal(dir / "mif/src_ln.MIF");
    EXPECT_NE(lines.features.at(0).style.find("c:#0000ff"), std::string::npos)
        << lines.features.at(0).style;
    EXPECT_NE(lines.features.at(0).style.find("w:2px"), std::string::npos);
    const test::PeerLayer regions = test::ReadWithGdal(dir / "mif/src_rg.MIF");
    EXPECT_NE(regions.features.at(0).style.find("fc:#00ff00"), std::string::npos);
    EXPECT_NE(regions.features.at(0).style.find("c:#ff0000"), std::string::npos);
    const test::PeerLayer points = test::ReadWithGdal(dir / "mif/src_pt.MIF");
    EXPECT_NE(points.features.at(0).style.find("c:#ff0000"), std::string::npos);
    EXPECT_NE(points.features.at(0).style.find("s:12pt"), std::string::npos);
}

}  // namespace
}  // namespace vx
