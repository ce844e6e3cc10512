#include "converters/ascii_converter.h"

#include <gtest/gtest.h>

#include "converters/converter_test_support.h"
#include "platform/file_system.h"

namespace vx {
namespace {

class AsciiImport : public ::testing::Test {
  protected:
    // Writes `text` as the source and converts it; the layer read back, or nothing when the
    // conversion failed, left no layer and said why.
    std::optional<LayerModel> Convert(const std::string& text, int kind, int headerLines = 0,
                                      int symbolSize = 10) {
        test::WriteFile(source, text);
        reason.clear();
        if (TxtToVXV(source, target, kind, headerLines, symbolSize, &reason) != 0)
            return test::ReadBack(target);
        EXPECT_FALSE(reason.empty());
        EXPECT_FALSE(FileExists(target)) << text;
        return std::nullopt;
    }

    test::TempDir dir;
    std::string source = dir / "survey.txt";
    std::string target = dir / "survey.vxv";
    std::string reason;
};

TEST_F(AsciiImport, PointsAcceptEverySeparatorCommentsHeightsAndLineEnds) {
    const auto m = Convert(
        "# easting northing height\r\n512300.5 4640120.25 212.4\r\n\t10\t-20\n1e3,2.5\r"
        "  7 ;  8  \n\n3 , 4 , 99\n",
        kAsciiPoints, 0, 12);
    ASSERT_TRUE(m) << reason;
    EXPECT_EQ(m->LayerKind.ObjectKind, kKindPoint);
    const std::vector<Vertex> expected = {
        {512300.5, 4640120.25}, {10, -20}, {1000, 2.5}, {7, 8}, {3, 4}};
    ASSERT_EQ(m->Points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(m->Points[i].Vertices, std::vector<Vertex>{expected[i]}) << "point " << i + 1;
        EXPECT_EQ(m->Points[i].PointSize, 12);
        EXPECT_TRUE(m->Fonts.HasIndex(m->Points[i].FontIndex));
    }
    EXPECT_EQ((Bounds{m->Layer.MinX, m->Layer.MinY, m->Layer.MaxX, m->Layer.MaxY}),
              (Bounds{3, -20, 512300.5, 4640120.25}));

    // Header lines are skipped whatever they hold.
    const auto skipped = Convert("Survey of 2026\nX Y Z\n1 2\n", kAsciiPoints, 2);
    ASSERT_TRUE(skipped) << reason;
    EXPECT_EQ(skipped->Points.at(0).Vertices[0], (Vertex{1, 2}));
}

TEST_F(AsciiImport, BlankLinesSeparateFeaturesAndRegionsAreClosed) {
    const auto lines =
        Convert("0 0\n1 1\n# still the first line\n2 0\n\n\n\n5 5\n6 6\n\n", kAsciiLines);
    ASSERT_TRUE(lines) << reason;
    EXPECT_EQ(lines->LayerKind.ObjectKind, kKindLine);
    ASSERT_EQ(lines->Lines.size(), 2u);
    ASSERT_EQ(lines->Lines[0].Parts.size(), 1u);
    EXPECT_EQ(lines->Lines[0].Parts[0].Vertices, (std::vector<Vertex>{{0, 0}, {1, 1}, {2, 0}}));
    EXPECT_EQ(lines->Lines[1].Parts[0].Vertices, (std::vector<Vertex>{{5, 5}, {6, 6}}));
    EXPECT_TRUE(lines->Pens.HasIndex(lines->Lines[1].PenIndex));

    const auto regions = Convert("0 0\n4 0\n4 4\n\n10 10\n12 10\n12 12\n10 10\n", kAsciiRegions);
    ASSERT_TRUE(regions) << reason;
    EXPECT_EQ(regions->LayerKind.ObjectKind, kKindRegion);
    ASSERT_EQ(regions->Regions.size(), 2u);
    EXPECT_EQ(regions->Regions[0].Parts[0].Vertices,
              (std::vector<Vertex>{{0, 0}, {4, 0}, {4, 4}, {0, 0}}));
    EXPECT_EQ(regions->Regions[1].Parts[0].Vertices.size(), 4u) << "a closed ring stays as it is";
    EXPECT_TRUE(regions->Brushes.HasIndex(regions->Regions[0].BrushIndex));
    EXPECT_EQ(regions->Layer.MaxX, 12);

    // An existing layer is replaced.
    ASSERT_TRUE(Convert("9 9\n", kAsciiPoints));
    EXPECT_EQ(test::ReadBack(target).Points.size(), 1u);
}

TEST_F(AsciiImport, BrokenLinesAndFeaturesFailWithTheirLineNumber) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"Survey of 2026\nX Y Z\n1 2\n", kAsciiPoints, "line 1"},  // header lines not skipped
        {"1 2\nabc\n", kAsciiPoints, "line 2"},
        {"1 2\n3\n", kAsciiPoints, "line 2"},      // one value
        {"1 2 3 4\n", kAsciiPoints, "line 1"},     // four values
        {"\n\n1,,2\n", kAsciiPoints, "line 3"},    // an empty value
        {"1 2\n3,4,\n", kAsciiPoints, "line 2"},   // a trailing separator
        {"1 nan\n", kAsciiPoints, "line 1"},       // not a finite number
        {"1 2\n3 inf\n", kAsciiPoints, "line 2"},  // not a finite number
        {"1.5.2 3\n", kAsciiPoints, "line 1"},
        {"1 2 height\n", kAsciiPoints, "line 1"},        // the third value must be a number too
        {"0 0\n1 1\n\n5 5\n\n", kAsciiLines, "line 4"},  // a one-point line
        {"0 0\n1 1\n0 0\n", kAsciiRegions, ""},          // two distinct points
        {"# nothing but comments\n\n", kAsciiPoints, ""},
        {"", kAsciiRegions, ""},
    };
    for (const auto& [text, kind, line] : cases) {
        EXPECT_FALSE(Convert(text, kind)) << text;
        if (*line != '\0') {
            EXPECT_NE(reason.find(line), std::string::npos) << text << " -> " << reason;
        }
    }
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

}  // namespace
}  // namespace vx
