#include "converters/dgn_converter.h"

#include <gtest/gtest.h>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include "converters/converter_test_support.h"
#include "platform/file_system.h"
#include "support/test_support.h"

namespace vx {
namespace {

constexpr const char* kSeed = "/usr/share/gdal/seed_2d.dgn";

// GeoJSON features whose DGN attributes ogr2ogr takes from the properties of the same names.
std::string Feature(const std::string& properties, const std::string& geometry) {
    return R"({"type":"Feature","properties":{)" + properties + R"(},"geometry":)" + geometry + "}";
}

// Writes the features as a DGN drawing through GDAL's own DGN writer.
void WriteDrawing(const test::TempDir& dir, const std::string& name,
                  const std::vector<std::string>& features) {
    std::string json = R"({"type":"FeatureCollection","features":[)";
    for (std::size_t i = 0; i < features.size(); ++i)
        json += (i ? "," : "") + features[i];
    json += "]}";
    test::WriteFile(dir / (name + ".geojson"), json);
    const auto result =
        test::RunCommand("ogr2ogr -f DGN -dsco SEED=" + std::string(kSeed) + " '" +
                         dir / (name + ".dgn") + "' '" + dir / (name + ".geojson") + "'");
    ASSERT_EQ(result.status, 0) << result.err;
}

// The rows of a dBASE table as GDAL reads them: field name to text, per row.
std::vector<std::map<std::string, std::string>> TableRows(const std::string& dbf) {
    GDALAllRegister();
    std::vector<std::map<std::string, std::string>> rows;
    GDALDatasetUniquePtr table(GDALDataset::Open(dbf.c_str(), GDAL_OF_VECTOR));
    if (!table || table->GetLayerCount() != 1) {
        ADD_FAILURE() << "GDAL cannot read " << dbf;
        return rows;
    }
    for (auto& feature : *table->GetLayer(0)) {
        auto& row = rows.emplace_back();
        for (int i = 0; i < feature->GetFieldCount(); ++i) {
            row[feature->GetFieldDefnRef(i)->GetNameRef()] = feature->GetFieldAsString(i);
        }
    }
    return rows;
}

const std::string kLine = Feature(R"("Level":5,"ColorIndex":3,"Weight":2,"Style":1)",
                                  R"({"type":"LineString","coordinates":[[0,0],[10,5],[20,0]]})");
const std::string kShape =
    Feature(R"("Level":7,"ColorIndex":2,"Weight":0,"Style":0)",
            R"({"type":"Polygon","coordinates":[[[0,0],[10,0],[10,10],[0,10],[0,0]]]})");
const std::string kText = Feature(R"("Level":9,"ColorIndex":2,"Text":"Hello, \"world\"")",
                                  R"({"type":"Point","coordinates":[5,6]})");
const std::string kPoint =
    Feature(R"("Level":1,"ColorIndex":3)", R"({"type":"Point","coordinates":[7,8]})");

TEST(DgnImport, LinesShapesAndTextsBecomeALayerSetWithTables) {
    test::TempDir dir;
    // The long line does not fit one DGN element, so GDAL writes it as a complex chain.
    std::string longLine = R"({"type":"LineString","coordinates":[)";
    for (int i = 0; i < 50; ++i)
        longLine += (i ? "," : "") + std::string("[") + std::to_string(100 + i) + ",-" +
                    std::to_string(i % 2) + "]";
    longLine += "]}";
    WriteDrawing(dir, "plan",
                 {kLine, kShape, kText, kPoint, Feature(R"("Level":3,"Weight":4)", longLine)});
    std::string reason;
    ASSERT_NE(DGNImport(dir / "plan.dgn", dir / "plan.vxv", &reason), 0) << reason;
    EXPECT_FALSE(FileExists(dir / "plan.vxv"));  // several kinds: only suffixed names

    LayerModel regions, lines, points;
    test::ReadBack(dir / "plan_rg.vxv", regions);
    test::ReadBack(dir / "plan_ln.vxv", lines);
    test::ReadBack(dir / "plan_pt.vxv", points);

    ASSERT_EQ(regions.Regions.size(), 1u);
    const RegionObject& shape = regions.Regions[0];
    ASSERT_EQ(shape.Parts.size(), 1u);
    EXPECT_EQ(shape.Parts[0].Vertices,
              (std::vector<Vertex>{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}));
    EXPECT_EQ(regions.Layer.MaxX, 10);
    EXPECT_EQ(regions.Pens.At(shape.PenIndex).PenColor, 0x00FF00);  // colour 2, green
    EXPECT_EQ(regions.TableNames, std::vector<std::string>{"plan_rg.dbf"});

    ASSERT_EQ(lines.Lines.size(), 2u);
    EXPECT_EQ(lines.Lines[0].Parts.at(0).Vertices, (std::vector<Vertex>{{0, 0}, {10, 5}, {20, 0}}));
    const PenStyle& pen = lines.Pens.At(lines.Lines[0].PenIndex);
    EXPECT_EQ(pen.PenColor, 0x0000FF);  // colour 3, red, in Windows byte order
    EXPECT_EQ(pen.PenSize, 3);          // weight 2 is the third width
    EXPECT_NE(pen.PenPattern, lines.Pens.At(lines.Lines[1].PenIndex).PenPattern);
    std::size_t longCount = 0;
    for (const LinePart& part : lines.Lines[1].Parts)
        longCount += part.Vertices.size();
    EXPECT_GE(longCount, 50u);
    EXPECT_EQ(lines.Layer.MinX, 0);
    EXPECT_EQ(lines.Layer.MaxX, 149);
    EXPECT_EQ(lines.Layer.MinY, -1);

    // The text and the point GDAL writes as a line of length 0 are the two points, in order.
    ASSERT_EQ(points.Points.size(), 2u);
    EXPECT_EQ(points.Points[0].Vertices[0], (Vertex{5, 6}));
    EXPECT_EQ(points.Points[1].Vertices[0], (Vertex{7, 8}));
    EXPECT_EQ(points.Points[1].PointColor, 0x0000FF);

    const auto pointRows = TableRows(dir / "plan_pt.dbf");
    ASSERT_EQ(pointRows.size(), 2u);
    EXPECT_EQ(pointRows[0].at("SPATIAL_ID"), "1");
    EXPECT_EQ(pointRows[0].at("LEVEL"), "9");
    EXPECT_EQ(pointRows[0].at("TextLabel"), "Hello, \"world\"");
    EXPECT_EQ(pointRows[1].at("SPATIAL_ID"), "2");
    EXPECT_EQ(pointRows[1].at("COLOR_IDX"), "3");
    EXPECT_EQ(pointRows[1].at("TextLabel"), "");

    const auto lineRows = TableRows(dir / "plan_ln.dbf");
    ASSERT_EQ(lineRows.size(), 2u);
    EXPECT_EQ(lineRows[0].at("LEVEL"), "5");
    EXPECT_EQ(lineRows[0].at("COLOR_IDX"), "3");
    EXPECT_EQ(lineRows[0].at("WEIGHT"), "2");
    EXPECT_EQ(lineRows[0].at("STYLE"), "1");
    EXPECT_EQ(lineRows[1].at("WEIGHT"), "4");
    EXPECT_EQ(lineRows[1].count("TextLabel"), 0u);

    const auto regionRows = TableRows(dir / "plan_rg.dbf");
    ASSERT_EQ(regionRows.size(), 1u);
    EXPECT_EQ(regionRows[0].at("LEVEL"), "7");
}

TEST(DgnImport, ADrawingOfOneKindKeepsThePlainNameAndReplacesAnEarlierSet) {
    test::TempDir dir;
    WriteDrawing(dir, "mixed", {kLine, kShape, kText});
    WriteDrawing(dir, "roads", {kLine});
    std::string reason;
    ASSERT_NE(DGNImport(dir / "mixed.dgn", dir / "roads.vxv", &reason), 0) << reason;
    ASSERT_TRUE(FileExists(dir / "roads_pt.dbf"));
    ASSERT_NE(DGNImport(dir / "roads.dgn", dir / "roads.vxv", &reason), 0) << reason;
    ASSERT_NE(DGNImport(dir / "roads.dgn", dir / "roads.vxv", &reason), 0) << reason;
    for (const char* suffixed : {"roads_ln.vxv", "roads_rg.vxs", "roads_pt.dbf"})
        EXPECT_FALSE(FileExists(dir / suffixed)) << suffixed;
    LayerModel model;
    test::ReadBack(dir / "roads.vxv", model);
    EXPECT_EQ(model.Lines.size(), 1u);
    EXPECT_EQ(TableRows(dir / "roads.dbf").size(), 1u);
}

TEST(DgnImport, WhatIsNoDrawingFailsAndLeavesNothingBehind) {
    test::TempDir dir;
    std::string reason;
    test::WriteFile(dir / "junk.dgn", std::string(4096, '\x7f'));
    EXPECT_EQ(DGNImport(dir / "junk.dgn", dir / "junk.vxv", &reason), 0);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(DGNImport(dir / "missing.dgn", dir / "missing.vxv", &reason), 0);

    // The seed alone is a drawing without elements.
    ASSERT_TRUE(CopyFile(kSeed, dir / "empty.dgn", true));
    EXPECT_EQ(DGNImport(dir / "empty.dgn", dir / "empty.vxv", &reason), 0);
    EXPECT_FALSE(reason.empty());

    WriteDrawing(dir, "plan", {kLine, kShape});
    EXPECT_EQ(DGNImport(dir / "plan.dgn", dir / "plan.out", &reason), 0);

    // Cut short anywhere, a drawing must neither crash the import nor leave a half set.
    const std::string whole = test::ReadFile(dir / "plan.dgn");
    for (std::size_t cut = 0; cut < whole.size(); cut += 97) {
        test::WriteFile(dir / "cut.dgn", whole.substr(0, cut));
        if (DGNImport(dir / "cut.dgn", dir / "cut.vxv", &reason) == 0) {
            for (const std::string& file : DgnOutputFiles(dir / "cut.vxv"))
                EXPECT_FALSE(FileExists(file)) << file << " after a cut at " << cut;
        }
    }
}

TEST(DgnImport, OutputFilesNameEveryMemberOfTheSet) {
    const auto files = DgnOutputFiles("/out/plan.vxv");
    EXPECT_EQ(files.size(), 12u);
    for (const char* name : {"/out/plan.vxv", "/out/plan.dbf", "/out/plan_rg.vxs",
                             "/out/plan_ln.vxv", "/out/plan_pt.dbf"})
        EXPECT_NE(std::find(files.begin(), files.end(), name), files.end()) << name;
    EXPECT_TRUE(DgnOutputFiles("/out/plan.dgn").empty());
}

}  // namespace
}  // namespace vx
