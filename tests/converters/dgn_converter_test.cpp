#include "converters/dgn_converter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "converters/converter_test_support.h"
#include "platform/file_system.h"
#include "support/gdal_peer.h"

namespace vx {
namespace {

using test::Feature;

constexpr const char* kSeed = "/usr/share/gdal/seed_2d.dgn";

// Writes the features as a DGN drawing through GDAL's own DGN writer, which takes the
// elements' attributes from the properties of the same names.
void WriteDrawing(const test::TempDir& dir, const std::string& name,
                  const std::vector<std::string>& features) {
    test::WriteWithOgr(dir, dir / (name + ".dgn"), "-f DGN -dsco SEED=" + std::string(kSeed),
                       features);
}

// A field of a row as GDAL reads it; empty when the field is null.
std::string Field(const test::PeerFeature& row, const std::string& name) {
    const auto it = row.fields.find(name);
    return it == row.fields.end() ? "" : it->second;
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
        longLine += (i ? ",[" : "[") + std::to_string(100 + i) + ",-" + std::to_string(i % 2) + "]";
    WriteDrawing(
        dir, "plan",
        {kLine, kShape, kText, kPoint, Feature(R"("Level":3,"Weight":4)", longLine + "]}")});
    std::string reason;
    ASSERT_NE(DGNImport(dir / "plan.dgn", dir / "plan.vxv", &reason), 0) << reason;
    EXPECT_FALSE(FileExists(dir / "plan.vxv"));  // several kinds: only suffixed names

    const LayerModel regions = test::ReadBack(dir / "plan_rg.vxv");
    ASSERT_EQ(regions.Regions.size(), 1u);
    const RegionObject& shape = regions.Regions[0];
    ASSERT_EQ(shape.Parts.size(), 1u);
    EXPECT_EQ(shape.Parts[0].Vertices,
              (std::vector<Vertex>{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}));
    EXPECT_EQ(regions.Layer.MaxX, 10);
    EXPECT_EQ(regions.Pens.At(shape.PenIndex).PenColor, 0x00FF00);  // colour 2, green
    EXPECT_EQ(regions.TableNames, std::vector<std::string>{"plan_rg.dbf"});

    const LayerModel lines = test::ReadBack(dir / "plan_ln.vxv");
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
    EXPECT_EQ((Bounds{lines.Layer.MinX, lines.Layer.MinY, lines.Layer.MaxX, lines.Layer.MaxY}),
              (Bounds{0, -1, 149, 5}));

    // The text and the point GDAL writes as a line of length 0 are the two points, in order.
    const LayerModel points = test::ReadBack(dir / "plan_pt.vxv");
    ASSERT_EQ(points.Points.size(), 2u);
    EXPECT_EQ(points.Points[0].Vertices[0], (Vertex{5, 6}));
    EXPECT_EQ(points.Points[1].Vertices[0], (Vertex{7, 8}));
    EXPECT_EQ(points.Points[1].PointColor, 0x0000FF);

    // Each table row goes with its element.
    const auto pointRows = test::ReadWithGdal(dir / "plan_pt.dbf").features;
    ASSERT_EQ(pointRows.size(), 2u);
    EXPECT_EQ(Field(pointRows[0], "SPATIAL_ID") + Field(pointRows[1], "SPATIAL_ID"), "12");
    EXPECT_EQ(Field(pointRows[0], "LEVEL"), "9");
    EXPECT_EQ(Field(pointRows[0], "TextLabel"), "Hello, \"world\"");
    EXPECT_EQ(Field(pointRows[1], "COLOR_IDX"), "3");
    EXPECT_EQ(Field(pointRows[1], "TextLabel"), "");
    const test::PeerLayer lineTable = test::ReadWithGdal(dir / "plan_ln.dbf");
    ASSERT_EQ(lineTable.features.size(), 2u);
    const auto& first = lineTable.features[0];
    EXPECT_EQ(Field(first, "LEVEL") + Field(first, "COLOR_IDX") + Field(first, "WEIGHT") +
                  Field(first, "STYLE"),
              "5321");
    EXPECT_EQ(Field(lineTable.features[1], "WEIGHT"), "4");
    EXPECT_EQ(std::count(lineTable.fieldNames.begin(), lineTable.fieldNames.end(), "TextLabel"), 0);
    const auto regionRows = test::ReadWithGdal(dir / "plan_rg.dbf").features;
    ASSERT_EQ(regionRows.size(), 1u);
    EXPECT_EQ(Field(regionRows[0], "LEVEL"), "7");
}

// What the layers cannot hold is said, not dropped without a word: here a shape put into a
// graphic group (GDAL's writer makes none, so the element's group word is set in the file).
TEST(DgnImport, WhatTheLayersDoNotCarryIsSaid) {
    test::TempDir dir;
    WriteDrawing(dir, "grouped", {kShape, kLine});
    std::string reason;
    ASSERT_NE(DGNImport(dir / "grouped.dgn", dir / "plain.vxv", &reason), 0) << reason;
    EXPECT_EQ(reason, "") << "a plain drawing leaves nothing behind";

    std::string bytes = test::ReadFile(dir / "grouped.dgn");
    bool patched = false;
    // Elements follow each other: a four-byte head whose second word counts the words after
    // it; the graphic group is the word at byte 28 of a graphic element.
    for (std::size_t at = 0; !patched && at + 30 <= bytes.size();) {
        const unsigned type = static_cast<unsigned char>(bytes[at + 1]) & 0x7F;
        const std::size_t words = static_cast<unsigned char>(bytes[at + 2]) |
                                  static_cast<unsigned char>(bytes[at + 3]) << 8;
        if (words == 0xFFFF) break;
        if (type == 6) {
            bytes[at + 28] = 5;
            patched = true;
        }
        at += 4 + 2 * words;
    }
    ASSERT_TRUE(patched);
    test::WriteFile(dir / "grouped.dgn", bytes);
    ASSERT_NE(DGNImport(dir / "grouped.dgn", dir / "grouped.vxv", &reason), 0) << reason;
    EXPECT_EQ(reason, "1 element belongs to a graphic group, which the layers do not carry");
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
    EXPECT_EQ(test::ReadBack(dir / "roads.vxv").Lines.size(), 1u);
    EXPECT_EQ(test::ReadWithGdal(dir / "roads.dbf").features.size(), 1u);

    // Every member a set can have is named for the check that clears earlier outputs.
    const auto files = DgnOutputFiles("/out/plan.vxv");
    EXPECT_EQ(files.size(), 12u);
    for (const char* name : {"/out/plan.vxv", "/out/plan.dbf", "/out/plan_rg.vxs",
                             "/out/plan_ln.vxv", "/out/plan_pt.dbf"})
        EXPECT_NE(std::find(files.begin(), files.end(), name), files.end()) << name;
    EXPECT_TRUE(DgnOutputFiles("/out/plan.dgn").empty());
}

TEST(DgnImport, WhatIsNoDrawingFailsAndLeavesNothingBehind) {
    test::TempDir dir;
    std::string reason;
    test::WriteFile(dir / "junk.dgn", std::string(4096, '\x7f'));
    ASSERT_TRUE(CopyFile(kSeed, dir / "empty.dgn", true));  // a drawing without elements
    for (const char* name : {"junk", "missing", "empty"}) {
        reason.clear();
        EXPECT_EQ(DGNImport(dir / (std::string(name) + ".dgn"), dir / "out.vxv", &reason), 0);
        EXPECT_FALSE(reason.empty()) << name;
    }
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

}  // namespace
}  // namespace vx
