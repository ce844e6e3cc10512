#include "converters/ascii_converter.h"

#include <gtest/gtest.h>

#include "converters/converter_test_support.h"
#include "platform/file_system.h"
#include "support/test_support.h"

namespace vx {
namespace {

class AsciiImport : public ::testing::Test {
  protected:
    // Writes `text` as the source and converts it; the result of TxtToVXV.
    int Convert(const std::string& text, int kind, int headerLines = 0, int symbolSize = 10) {
        test::WriteFile(source, text);
        reason.clear();
        return TxtToVXV(source, target, kind, headerLines, symbolSize, &reason);
    }
    void ReadBack() { test::ReadBack(target, model); }

    test::TempDir dir;
    std::string source = dir / "survey.txt";
    std::string target = dir / "survey.vxv";
    std::string reason;
    LayerModel model;
};

TEST_F(AsciiImport, PointsAcceptEverySeparatorCommentsHeightsAndLineEnds) {
    ASSERT_NE(Convert("# easting northing height\r\n"
                      "512300.5 4640120.25 212.4\r\n"
                      "\t10\t-20\n"
                      "1e3,2.5\r"
                      "  7 ;  8  \n"
                      "\n"
                      "3 , 4 , 99\n",
                      kAsciiPoints, 0, 12),
              0)
        << reason;
    ReadBack();
    const LayerModel& m = model;
    EXPECT_EQ(m.LayerKind.ObjectKind, kKindPoint);
    ASSERT_EQ(m.Points.size(), 5u);
    const std::vector<Vertex> expected = {
        {512300.5, 4640120.25}, {10, -20}, {1000, 2.5}, {7, 8}, {3, 4}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(m.Points[i].Vertices.size(), 1u);
        EXPECT_EQ(m.Points[i].Vertices[0], expected[i]) << "point " << i + 1;
        EXPECT_EQ(m.Points[i].PointSize, 12);
        ASSERT_TRUE(m.Fonts.HasIndex(m.Points[i].FontIndex));
    }
    EXPECT_EQ(m.Layer.MinX, 3);
    EXPECT_EQ(m.Layer.MinY, -20);
    EXPECT_EQ(m.Layer.MaxX, 512300.5);
    EXPECT_EQ(m.Layer.MaxY, 4640120.25);
}

TEST_F(AsciiImport, HeaderLinesAreSkippedWhateverTheyHold) {
    ASSERT_NE(Convert("Survey of 2026\nX Y Z\n1 2\n", kAsciiPoints, 2), 0) << reason;
    ReadBack();
    ASSERT_EQ(model.Points.size(), 1u);
    EXPECT_EQ(model.Points[0].Vertices[0], (Vertex{1, 2}));

    // Without skipping them the same file is refused at its first line.
    EXPECT_EQ(Convert("Survey of 2026\nX Y Z\n1 2\n", kAsciiPoints, 0), 0);
    EXPECT_NE(reason.find("line 1"), std::string::npos) << reason;
}

TEST_F(AsciiImport, BlankLinesSeparatePolylinesAndCommentsDoNot) {
    ASSERT_NE(Convert("0 0\n1 1\n# still the first line\n2 0\n\n\n\n5 5\n6 6\n\n", kAsciiLines), 0)
        << reason;
    ReadBack();
    const LayerModel& m = model;
    EXPECT_EQ(m.LayerKind.ObjectKind, kKindLine);
    ASSERT_EQ(m.Lines.size(), 2u);
    ASSERT_EQ(m.Lines[0].Parts.size(), 1u);
    EXPECT_EQ(m.Lines[0].Parts[0].Vertices, (std::vector<Vertex>{{0, 0}, {1, 1}, {2, 0}}));
    EXPECT_EQ(m.Lines[1].Parts[0].Vertices, (std::vector<Vertex>{{5, 5}, {6, 6}}));
    EXPECT_TRUE(m.Pens.HasIndex(m.Lines[1].PenIndex));
}

TEST_F(AsciiImport, RegionsAreClosedWhenOpenAndKeptWhenClosed) {
    ASSERT_NE(Convert("0 0\n4 0\n4 4\n\n10 10\n12 10\n12 12\n10 10\n", kAsciiRegions), 0) << reason;
    ReadBack();
    const LayerModel& m = model;
    EXPECT_EQ(m.LayerKind.ObjectKind, kKindRegion);
    ASSERT_EQ(m.Regions.size(), 2u);
    EXPECT_EQ(m.Regions[0].Parts[0].Vertices,
              (std::vector<Vertex>{{0, 0}, {4, 0}, {4, 4}, {0, 0}}));
    EXPECT_EQ(m.Regions[1].Parts[0].Vertices.size(), 4u);
    EXPECT_TRUE(m.Brushes.HasIndex(m.Regions[0].BrushIndex));
    EXPECT_EQ(m.Layer.MaxX, 12);
}

TEST_F(AsciiImport, BrokenLinesFailWithTheirLineNumber) {
    const struct {
        const char* text;
        const char* line;
    } cases[] = {
        {"1 2\nabc\n", "line 2"},   {"1 2\n3\n", "line 2"},  // one value
        {"1 2 3 4\n", "line 1"},                             // four values
        {"\n\n1,,2\n", "line 3"},                            // an empty value
        {"1 2\n3,4,\n", "line 2"},                           // a trailing separator
        {"1 nan\n", "line 1"},                               // not a finite number
        {"1 2\n3 inf\n", "line 2"}, {"1.5.2 3\n", "line 1"},
        {"1 2 height\n", "line 1"},  // the third value must be a number too
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Convert(c.text, kAsciiPoints), 0) << c.text;
        EXPECT_NE(reason.find(c.line), std::string::npos) << c.text << " -> " << reason;
        EXPECT_FALSE(FileExists(target)) << c.text;
    }
}

TEST_F(AsciiImport, FeaturesThatCannotBeDrawnAreRefused) {
    EXPECT_EQ(Convert("0 0\n1 1\n\n5 5\n\n", kAsciiLines), 0);  // a one-point line
    EXPECT_NE(reason.find("line 4"), std::string::npos) << reason;
    EXPECT_EQ(Convert("0 0\n1 1\n0 0\n", kAsciiRegions), 0);  // two distinct points
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(Convert("# nothing but comments\n\n", kAsciiPoints), 0);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(Convert("", kAsciiRegions), 0);
    EXPECT_FALSE(FileExists(target));
}

TEST_F(AsciiImport, ArgumentsOutsideTheirRangeAreRefused) {
    test::WriteFile(source, "1 2\n");
    EXPECT_EQ(TxtToVXV(source, target, 0, 0, 10, &reason), 0);
    EXPECT_EQ(TxtToVXV(source, target, 4, 0, 10, &reason), 0);
    EXPECT_EQ(TxtToVXV(source, target, 1, -1, 10, &reason), 0);
    EXPECT_EQ(TxtToVXV(source, target, 1, 0, 0, &reason), 0);
    EXPECT_EQ(TxtToVXV(source, dir / "survey.txt.out", 1, 0, 10, &reason), 0);
    EXPECT_EQ(TxtToVXV(dir / "missing.txt", target, 1, 0, 10, &reason), 0);
    EXPECT_FALSE(FileExists(target));
    // The call the import makes.
    EXPECT_NE(TxtToVXV(source, target, 1, 0, 10), 0);
    EXPECT_TRUE(FileExists(dir / "survey.vxs"));
}

TEST_F(AsciiImport, AnExistingLayerIsReplaced) {
    ASSERT_NE(Convert("1 2\n3 4\n", kAsciiPoints), 0) << reason;
    ASSERT_NE(Convert("9 9\n", kAsciiPoints), 0) << reason;
    ReadBack();
    ASSERT_EQ(model.Points.size(), 1u);
    EXPECT_EQ(model.Points[0].Vertices[0], (Vertex{9, 9}));
}

}  // namespace
}  // namespace vx
