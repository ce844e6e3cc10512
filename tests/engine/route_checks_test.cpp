// The checks every route makes before it writes, in the words users and scripts see: a missing
// source, one of another format, the outputs of an earlier run (refused and left as they are
// unless overwriting is on, when only the job's own files are replaced), and the table that
// carrying attributes needs.
#include <gtest/gtest.h>

#include "engine/engine_test_support.h"
#include "platform/file_system.h"
#include "support/gdal_peer.h"

namespace vx {
namespace {

enum class Job { kMifIn, kMifOut, kShpIn, kShpOut, kAsciiIn, kDgnIn };

bool RunJob(Import& engine, Job job, const std::string& in, const std::string& out) {
    switch (job) {
        case Job::kMifIn:
            return engine.ImportMifFile(in, out);
        case Job::kMifOut:
            return engine.ExportMifFile(in, out);
        case Job::kShpIn:
            return engine.ImportShapeFile(in, out);
        case Job::kShpOut:
            return engine.ExportShapeFile(in, out);
        case Job::kAsciiIn:
            return engine.ImportAsciiFile(in, out);
        case Job::kDgnIn:
            return engine.ImportDgnFile(in, out);
    }
    return false;
}

struct Route {
    Job job;
    std::string source, output;  // under the test's folder
    std::string head;            // how the log of a refused source starts, when it says
    std::string missing;         // the status for a source that is not there
    std::string invalid;         // ... and for a source of another format
    // Files of an earlier run, each of which alone refuses the job, with the status it gets.
    std::vector<std::pair<std::string, std::string>> earlier;
    std::string table;  // the table needed with attributes; empty: none
    std::string noTableLog, noTableStatus;
    std::string plainOnly;  // an output that a run without attributes does not write
};

const std::string kMissing = "Source file does not exist.", kInvalid = "Invalid source file.";
const std::string kFailedExport = "\r\nThere was some problem during export.\r\n";

// clang-format off
const Route kRoutes[] = {
    {Job::kMifIn, "src/roads.mif", "out/roads.vxv",
     "Importing MIF File NAME\r\n\tChecking Input Files...\r\n", kMissing, kInvalid,
     // Every layer of the set is an output, the suffixed ones and the tables included.
     {{"out/roads_pt.vxv", "MIF Import Aborted"}, {"out/roads.dbf", "MIF Import Aborted"}},
     "src/roads.mid", "\tDBF File does not exist. MIF Import Aborted\r\n",
     "\tDBF file does not exist. MIF Import Aborted\r\n", "out/roads_pt.dbf"},
    {Job::kMifOut, "layers/roads_ln.vxv", "out/roads.MIF",
     "Exporting VXV To MIF File \r\n\tChecking Input Files...\r\n", kMissing, kInvalid,
     // The MIF in any letter case; the MID has its own spelling.
     {{"out/roads.mif", "VXV to MIF Export Aborted"}, {"out/roads.MID", "VXV To MIF Export Aborted"}},
     "layers/roads_ln.dbf", "\tMissing or Corrupt Non-Spatial Data File\r\nError Reading VXV....\r\n",
     kFailedExport, ""},
    {Job::kShpIn, "src/pts.shp", "out/pts.vxv", "", "\r\n" + kMissing, "\r\n" + kInvalid,
     {{"out/VXV/pts.vxv", "\r\nShape Import Aborted"}, {"out/VXV/pts.vxs", "\r\nShape Import Aborted"}},
     "src/pts.dbf", "\tDBF File does not exist. Shape Import Aborted\r\n",
     "\tDBF file does not exist. Shape Import Aborted\r\n", ""},
    {Job::kShpOut, "layers/roads_ln.vxv", "out/roads.shp", "", "\r\n" + kMissing, "\r\n" + kInvalid,
     {{"out/SHP/roads.shx", "\r\nShape Export Aborted"}, {"out/SHP/roads.shp", "\r\nShape Export Aborted"}},
     "layers/roads_ln.dbf", "\tDBF File does not exist. Shape Export Aborted\r\n" + kFailedExport,
     kFailedExport, ""},
    {Job::kAsciiIn, "src/survey.txt", "out/survey.vxv", "", "\r\n" + kMissing, "",
     {{"out/survey.vxv", "\r\nAscii Import Aborted"}}, "", "", "", ""},
    // Every layer of a drawing's set is an output.
    {Job::kDgnIn, "src/d.dgn", "out/d.vxv", "", "\r\n" + kMissing, "\r\n" + kInvalid,
     {{"out/d_ln.vxv", "\r\nDGN Import Aborted"}, {"out/d_rg.vxv", "\r\nDGN Import Aborted"}},
     "", "", "", ""},
};
// clang-format on

// How the route's log starts for a source.
std::string Head(const Route& route, const std::string& source) {
    std::string head = route.head;
    if (const auto at = head.find("NAME"); at != std::string::npos)
        head.replace(at, 4, source.substr(source.rfind('/') + 1));
    return head;
}

class RouteChecks : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(
            dir / "src/roads.mif",
            "Version 300\r\nCharset \"WindowsLatin1\"\r\nColumns 1\r\n  Name Char(20)\r\n"
            "Data\r\nPoint 1 2\r\nPline 2\r\n0 0\r\n5 5\r\n");
        test::WriteFile(dir / "src/roads.mid", "\"a\"\r\n\"b\"\r\n");
        test::WriteFile(dir / "src/survey.txt", "1 2\r\n3 4\r\n");
        test::WriteFile(dir / "src/roads.txt", "x");
        test::MakeWithGdal(
            R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{"n":1},)"
            R"("geometry":{"type":"Point","coordinates":[1,2]}}]})",
            dir / "src/pts.shp", {"-f", "ESRI Shapefile"});
        test::MakeWithGdal(R"({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{},"geometry":{"type":"LineString","coordinates":[[0,0],[10,10],[20,5]]}},
{"type":"Feature","properties":{},"geometry":{"type":"Polygon","coordinates":[[[0,0],[0,10],[10,10],[10,0],[0,0]]]}}]})",
                           dir / "src/d.dgn",
                           {"-f", "DGN", "-dsco", "SEED=/usr/share/gdal/seed_2d.dgn"});
        Import engine;
        engine.SetCreateDbf(true);
        ASSERT_TRUE(engine.ImportMifFile(dir / "src/roads.mif", dir / "layers/roads.vxv"));
    }
    test::TempDir dir;
};

TEST_F(RouteChecks, EveryRouteRefusesWhatItCannotDoInItsOwnWords) {
    for (const Route& route : kRoutes) {
        SCOPED_TRACE(route.source);
        std::filesystem::remove_all(dir / "out");
        Import engine;
        engine.SetCreateDbf(true);
        auto run = [&](const std::string& source) {
            return test::Watch(
                engine, [&] { return RunJob(engine, route.job, source, dir / route.output); });
        };
        const std::string none = dir / ("src/none" + route.source.substr(route.source.find('.')));
        for (const auto& [source, status] :
             {std::pair{none, route.missing}, {dir / "src/roads.txt", route.invalid}}) {
            if (status.empty()) continue;
            const test::JobRun refused = run(source);
            EXPECT_FALSE(refused.ok) << status;
            EXPECT_EQ(refused.statuses.back(), status);
            EXPECT_TRUE(refused.log.ends_with(status)) << refused.log;
            if (!route.head.empty()) {
                EXPECT_EQ(refused.log, Head(route, source) + status);
            }
            EXPECT_FALSE(FolderExists(dir / "out")) << "a refused job makes nothing";
        }

        for (const auto& [file, status] : route.earlier) {
            std::filesystem::remove_all(dir / "out");
            test::WriteFile(dir / file, "earlier");
            const test::JobRun refused = run(dir / route.source);
            EXPECT_FALSE(refused.ok) << file;
            EXPECT_EQ(refused.statuses.back(), status) << file;
            EXPECT_TRUE(refused.log.ends_with(status)) << refused.log;
            EXPECT_TRUE(refused.log.starts_with(Head(route, route.source))) << refused.log;
            EXPECT_EQ(test::ReadFile(dir / file), "earlier") << file;
        }
        // Overwriting replaces the job's own files only.
        test::WriteFile(dir / "out/bystander.dbf", "named by no layer");
        engine.SetOverwriteExistingFiles(true);
        const test::JobRun replaced = run(dir / route.source);
        EXPECT_TRUE(replaced.ok) << replaced.log;
        EXPECT_EQ(test::ReadFile(dir / "out/bystander.dbf"), "named by no layer");

        if (route.table.empty()) continue;
        ASSERT_TRUE(RenameFile(dir / route.table, dir / "kept"));
        std::filesystem::remove_all(dir / "out");
        const test::JobRun noTable = run(dir / route.source);
        EXPECT_FALSE(noTable.ok);
        EXPECT_NE(noTable.log.find(route.noTableLog), std::string::npos) << noTable.log;
        EXPECT_EQ(noTable.statuses.back(), route.noTableStatus);
        EXPECT_FALSE(FileExists(dir / route.output)) << "nothing written";
        engine.SetCreateDbf(false);
        EXPECT_TRUE(run(dir / route.source).ok) << "no table is needed without attributes";
        if (!route.plainOnly.empty()) {
            EXPECT_FALSE(FileExists(dir / route.plainOnly));
        }
        ASSERT_TRUE(RenameFile(dir / "kept", dir / route.table));
    }
}

}  // namespace
}  // namespace vx
