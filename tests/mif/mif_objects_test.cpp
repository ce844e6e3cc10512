#include "mif/mif_objects.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <numbers>

#include "mif_test_support.h"
#include "model/geometry.h"

namespace vx {
namespace {

using test::MifText;
using test::ReadMifBytes;

bool ReadData(JobContext& ctx, const std::string& data, const std::string& clauses = "") {
    return ReadMifBytes(ctx, MifText(data, clauses));
}

const PenStyle& PenOf(const JobContext& ctx, std::int32_t index) {
    return ctx.model.Pens.At(index);
}
const BrushStyle& BrushOf(const JobContext& ctx, std::int32_t index) {
    return ctx.model.Brushes.At(index);
}

const std::string kSquare = "5\r\n0 0\r\n10 0\r\n10 10\r\n0 10\r\n0 0\r\n";

TEST(MifObjects, RingOrientation) {
    const std::vector<Vertex> ccw{{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}};
    const std::vector<Vertex> cw(ccw.rbegin(), ccw.rend());
    EXPECT_TRUE(RingIsCounterClockwise(ccw));
    EXPECT_FALSE(RingIsCounterClockwise(cw));
    EXPECT_FALSE(RingIsCounterClockwise(std::vector<Vertex>{{1, 1}}));
    EXPECT_FALSE(RingIsCounterClockwise(std::vector<Vertex>{{0, 0}, {1, 1}, {2, 2}}));
    // The step from the last vertex back to the first is not part of the sum: with it this
    // open ring would turn counter-clockwise.
    EXPECT_FALSE(RingIsCounterClockwise(std::vector<Vertex>{{0, 10}, {1, 0}, {2, 10}}));
}

TEST(MifObjects, RegionRingsHolesAndStyles) {
    JobContext ctx;
    ASSERT_TRUE(ReadData(ctx, "Region 2\r\n" + kSquare +
                                  "  5\r\n2 2 8 2\r\n8 8, 2 8\r\n2 2\r\n"
                                  "    Pen (1,2,0)\r\n    Brush (2,16711680)\r\n"
                                  "    Center 5 5\r\n"
                                  "Region 2\r\n" +
                                  kSquare + "5\r\n2 2\r\n2 8\r\n8 8\r\n8 2\r\n2 2\r\n"));
    ASSERT_EQ(ctx.model.RegionCount, 2);
    EXPECT_EQ(ctx.model.ObjectOrder, (std::vector<std::int32_t>{3, 3}));
    const RegionObject& first = ctx.model.Regions[0];
    ASSERT_EQ(first.PartCount, 2);
    ASSERT_EQ(first.Parts.size(), 2u);
    EXPECT_EQ(first.Parts[0].IsHole, 0);
    EXPECT_EQ(first.Parts[1].IsHole, 1) << "counter-clockwise inner ring";
    EXPECT_EQ(first.Parts[1].VertexCount, 5);
    EXPECT_EQ(first.Parts[1].Vertices[3], (Vertex{2, 8}));
    EXPECT_EQ(PenOf(ctx, first.PenIndex), (PenStyle{1, 0, 0}));
    EXPECT_EQ(BrushOf(ctx, first.BrushIndex), (BrushStyle{0, 255, 16777215}));

    const RegionObject& second = ctx.model.Regions[1];
    EXPECT_EQ(second.Parts[1].IsHole, 0) << "clockwise inner ring";
    EXPECT_EQ(PenOf(ctx, second.PenIndex), (PenStyle{1, 0, 0}));
    EXPECT_EQ(second.PenIndex, first.PenIndex) << "equal pens share one entry";
    EXPECT_EQ(BrushOf(ctx, second.BrushIndex), (BrushStyle{1, 16777215, 0}));
}

TEST(MifObjects, ContoursDrawTheOutlineInTheFillColour) {
    JobContext ctx;
    ctx.ResetJob();
    ctx.options.CreateContours = true;
    test::TempDir dir;
    test::WriteFile(dir / "a.mif", MifText("Region 1\r\n" + kSquare +
                                           "Pen (1,2,0)\r\nBrush (2,16711680)\r\n"
                                           "Rect 0 0 1 1\r\n"));
    ASSERT_TRUE(ReadMifFile(ctx, dir / "a.mif"));
    EXPECT_EQ(PenOf(ctx, ctx.model.Regions[0].PenIndex), (PenStyle{1, 0, 255}));
    EXPECT_EQ(PenOf(ctx, ctx.model.Regions[1].PenIndex), (PenStyle{1, 2, 16777215}));
}

TEST(MifObjects, PlineSingleAndMultipleWithPenAndSmooth) {
    JobContext ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Pline 3\r\n1 1\r\n2 2\r\n3 1\r\n"
                         "    Pen (0,3,255)\r\n    Smooth\r\n"
                         "Pline Multiple 2\r\n  3\r\n0 0\r\n1 0\r\n1 1\r\n  4\r\n5 5 6 5\r\n6 6\r\n"
                         "5 6\r\n"
                         "PLINE 2\r\n0 0\r\n9 9\r\n"));
    ASSERT_EQ(ctx.model.LineCount, 3);
    const LineObject& single = ctx.model.Lines[0];
    ASSERT_EQ(single.PartCount, 1);
    EXPECT_EQ(single.Parts[0].VertexCount, 3);
    EXPECT_EQ(single.Parts[0].Vertices[2], (Vertex{3, 1}));
    EXPECT_EQ(PenOf(ctx, single.PenIndex), (PenStyle{1, 1, 16711680}));

    const LineObject& multiple = ctx.model.Lines[1];
    ASSERT_EQ(multiple.PartCount, 2);
    EXPECT_EQ(multiple.Parts[0].VertexCount, 3);
    EXPECT_EQ(multiple.Parts[1].VertexCount, 4);
    EXPECT_EQ(multiple.Parts[1].Vertices[1], (Vertex{6, 5}));
    EXPECT_EQ(multiple.Parts[1].Vertices[3], (Vertex{5, 6}));
    EXPECT_EQ(PenOf(ctx, multiple.PenIndex), (PenStyle{1, 0, 0})) << "no Pen line";
    EXPECT_EQ(ctx.model.Lines[2].Parts[0].Vertices[1], (Vertex{9, 9}));
    EXPECT_EQ(ctx.model.ObjectOrder, (std::vector<std::int32_t>{2, 2, 2}));
}

TEST(MifObjects, BrokenPlineEndsQuietlyAndTheFileGoesOn) {
    JobContext ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Pline Multiple 1\r\n3\r\n0 0\r\n1 1\r\n2 2\r\n"
                         "Pline 3\r\n0 0\r\n1 1\r\nPen (1,2,0)\r\n"
                         "Point 4 5\r\n"));
    EXPECT_FALSE(ctx.Failed());
    ASSERT_EQ(ctx.model.LineCount, 2);
    const LineObject& broken = ctx.model.Lines[0];
    ASSERT_EQ(broken.PartCount, 1);
    EXPECT_EQ(broken.Parts[0].VertexCount, 0);
    EXPECT_TRUE(ctx.model.Pens.HasIndex(broken.PenIndex));
    const LineObject& cut = ctx.model.Lines[1];
    EXPECT_EQ(cut.Parts[0].VertexCount, 2) << "keeps the vertices read before the Pen line";
    EXPECT_EQ(cut.Parts[0].Vertices.size(), 2u);
    ASSERT_EQ(ctx.model.PointCount, 1);
    EXPECT_EQ(ctx.model.Points[0].Vertices[0], (Vertex{4, 5}));
    EXPECT_EQ(ctx.model.ObjectOrder, (std::vector<std::int32_t>{2, 2, 1}));
}

TEST(MifObjects, PointsWithAndWithoutSymbol) {
    JobContext ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Point 1.5 -2.25\r\n"
                         "Point 3 4\r\n    Symbol (35,255,12)\r\n"
                         "point 5 6\r\n"));
    ASSERT_EQ(ctx.model.PointCount, 3);
    const PointObject& plain = ctx.model.Points[0];
    EXPECT_EQ(plain.VertexCount, 1);
    EXPECT_EQ(plain.Vertices[0], (Vertex{1.5, -2.25}));
    EXPECT_EQ(plain.PointStyle, 196);
    EXPECT_EQ(plain.PointSize, 10);
    EXPECT_EQ(ctx.model.Fonts.Name(plain.FontIndex), "Symbol");
    const PointObject& symbol = ctx.model.Points[1];
    EXPECT_EQ(symbol.PointStyle, 36);
    EXPECT_EQ(symbol.PointColor, 16711680);
    EXPECT_EQ(ctx.model.Fonts.Name(symbol.FontIndex), "MapInfo Symbols");
    EXPECT_EQ(ctx.model.Points[2].Vertices[0], (Vertex{5, 6}));
    EXPECT_EQ(ctx.model.Points[2].PointStyle, 196);
}

TEST(MifObjects, LineRectAndRoundRect) {
    JobContext ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Line 1 2 3 4\r\n    Pen (0,3,0)\r\n"
                         "Roundrect 0 0 5 5\r\n  1\r\n"
                         "Rect 0 0 10 5\r\n"
                         "Rect 0 0 1 1\r\n  Pen (2,5,0)\r\n  Brush (4,0)\r\n"));
    ASSERT_EQ(ctx.model.LineCount, 1);
    const LineObject& line = ctx.model.Lines[0];
    EXPECT_EQ(line.Parts[0].Vertices, (std::vector<Vertex>{{1, 2}, {3, 4}}));
    EXPECT_EQ(PenOf(ctx, line.PenIndex), (PenStyle{0, 1, 0}));

    EXPECT_TRUE(ctx.unsupportedShapes);
    EXPECT_EQ(ctx.model.ObjectOrder, (std::vector<std::int32_t>{2, 8, 3, 3}));
    ASSERT_EQ(ctx.model.RegionCount, 2);
    ASSERT_EQ(ctx.model.Regions.size(), 3u);
    EXPECT_EQ(ctx.model.Regions[2].PartCount, 0) << "the element counted for the ROUNDRECT";

    const RegionObject& rect = ctx.model.Regions[0];
    ASSERT_EQ(rect.PartCount, 1);
    EXPECT_EQ(rect.Parts[0].Vertices,
              (std::vector<Vertex>{{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}}));
    EXPECT_EQ(rect.Parts[0].IsHole, 0);
    EXPECT_EQ(PenOf(ctx, rect.PenIndex), (PenStyle{1, 2, 0}));
    EXPECT_EQ(BrushOf(ctx, rect.BrushIndex), (BrushStyle{2, 16777215, 0}));
    const RegionObject& styled = ctx.model.Regions[1];
    EXPECT_EQ(PenOf(ctx, styled.PenIndex), (PenStyle{2, 3, 0}));
    EXPECT_EQ(BrushOf(ctx, styled.BrushIndex), (BrushStyle{2, 0, 0}));
}

TEST(MifObjects, EllipseUsesTheSemiAxesOfItsBox) {
    JobContext ctx;
    ASSERT_TRUE(ReadData(ctx, "Ellipse 0 0 4 4\r\nEllipse 10 0 2 6\r\n"));
    ASSERT_EQ(ctx.model.RegionCount, 2);
    const auto& circle = ctx.model.Regions[0].Parts[0];
    ASSERT_EQ(circle.VertexCount, 90);
    ASSERT_EQ(circle.Vertices.size(), 90u);
    EXPECT_NEAR(circle.Vertices[0].X, 4.0, 1e-12);
    EXPECT_NEAR(circle.Vertices[0].Y, 2.0, 1e-12);
    for (const Vertex& v : circle.Vertices)
        EXPECT_NEAR(std::hypot(v.X - 2.0, v.Y - 2.0), 2.0, 1e-9);
    EXPECT_NE(circle.Vertices.back(), circle.Vertices.front()) << "the ring is left open";

    // A box 8 wide and 6 tall: semi-axes 4 along x and 3 along y, centre (6, 3).
    const auto& ellipse = ctx.model.Regions[1].Parts[0];
    EXPECT_NEAR(ellipse.Vertices[0].X, 10.0, 1e-12);
    EXPECT_NEAR(ellipse.Vertices[0].Y, 3.0, 1e-12);
    EXPECT_NEAR(ellipse.Vertices[45].X, 2.0, 1e-9);
    EXPECT_NEAR(ellipse.Vertices[45].Y, 3.0, 1e-9);
    EXPECT_NEAR(ellipse.Vertices[22].Y, 3.0 + 3.0 * std::sin(22 * std::numbers::pi / 45), 1e-9);
    EXPECT_EQ(PenOf(ctx, ctx.model.Regions[1].PenIndex), (PenStyle{1, 2, 0}));
}

TEST(MifObjects, ArcRunsFromStartToEndAngleInFourDegreeSteps) {
    JobContext ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Arc 0 0 4 2 270 90\r\n    Pen (1,2,255)\r\n"
                         "Arc 0 0 4 4 0 90\r\n"
                         "Arc 0 0 4 4 30 30\r\n"));
    ASSERT_EQ(ctx.model.LineCount, 3);
    const auto& across = ctx.model.Lines[0].Parts[0];
    ASSERT_EQ(across.VertexCount, 45);
    EXPECT_NEAR(across.Vertices[0].X, 2.0, 1e-9);
    EXPECT_NEAR(across.Vertices[0].Y, 0.0, 1e-9) << "270 degrees on a box 2 tall";
    EXPECT_NEAR(across.Vertices[23].X, 4.0, 0.01) << "through 0 degrees, 2 right of the centre";
    EXPECT_EQ(PenOf(ctx, ctx.model.Lines[0].PenIndex), (PenStyle{1, 0, 16711680}));
    EXPECT_EQ(ctx.model.Lines[1].Parts[0].VertexCount, 23) << "0 to 88 degrees";
    EXPECT_EQ(ctx.model.Lines[2].Parts[0].VertexCount, 0) << "equal angles draw nothing";
}

TEST(MifObjects, TextWithItsStringOnItsOwnLineOrOnTheTextLine) {
    JobContext ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Text\r\n    \"Main Street\"\r\n    0 0 10 2\r\n"
                         "    Font (\"Arial\",2,0,16711680)\r\n    Spacing 1.5\r\n"
                         "    Justify Center\r\n    Angle 12.5\r\n    Label Line Arrow 5 1\r\n"
                         "TEXT \"hello\"\r\n  4 4 6 8\r\n"
                         "Point 1 1\r\n"));
    ASSERT_EQ(ctx.model.PointCount, 3);
    EXPECT_EQ(ctx.model.TextCount, 2);
    EXPECT_EQ(ctx.model.TextLabels, (std::vector<std::string>{"Main Street", "hello"}));
    EXPECT_EQ(ctx.model.ObjectOrder, (std::vector<std::int32_t>{4, 4, 1}));

    const PointObject& street = ctx.model.Points[0];
    EXPECT_EQ(street.Vertices[0], (Vertex{5, 1}));
    EXPECT_EQ(street.PointStyle, 196);
    EXPECT_EQ(street.PointSize, 10);
    EXPECT_EQ(street.FontStyle, 2);
    EXPECT_EQ(street.PointColor, 255);
    EXPECT_EQ(street.PointRot, 12.5f);
    EXPECT_EQ(ctx.model.Fonts.Name(street.FontIndex), "Symbol");

    const PointObject& hello = ctx.model.Points[1];
    EXPECT_EQ(hello.Vertices[0], (Vertex{5, 6}));
    EXPECT_EQ(hello.PointColor, 0);
    EXPECT_EQ(hello.PointRot, 0.0f);
    EXPECT_EQ(ctx.model.Points[2].Vertices[0], (Vertex{1, 1})) << "handed back after the box";
}

TEST(MifObjects, NoneKeepsAttributeRowsAligned) {
    JobContext ctx;
    ASSERT_TRUE(ReadData(ctx, "Point 1 1\r\n\r\n   \r\nNone\r\nPoint 2 2\r\n"));
    EXPECT_EQ(ctx.model.ObjectOrder, (std::vector<std::int32_t>{1, 10, 1}));
    EXPECT_EQ(ctx.model.PointCount, 2);
}

TEST(MifObjects, CoordinatesOfEveryKindAreScaledByTheUnitFactor) {
    const double f = 0.3048006;
    JobContext ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Point 10 20\r\n"
                         "Line 1 2 3 4\r\n"
                         "Pline 2\r\n5 6\r\n7 8\r\n"
                         "Region 1\r\n4\r\n0 0\r\n10 0\r\n0 10\r\n0 0\r\n"
                         "Rect 0 0 2 4\r\n"
                         "Text\r\n\"t\"\r\n0 0 2 2\r\n"
                         "Ellipse 0 0 4 2\r\n"
                         "Arc 0 0 4 4 0 90\r\n",
                         "CoordSys Earth Projection 8, 74, \"ft\", -110, 31, 0.9999, 700000, "
                         "0\r\n"));
    EXPECT_EQ(ctx.model.LayerKind.UnitCode, 2);
    EXPECT_EQ(ctx.model.Points[0].Vertices[0], (Vertex{10 * f, 20 * f}));
    EXPECT_EQ(ctx.model.Lines[0].Parts[0].Vertices[1], (Vertex{3 * f, 4 * f}));
    EXPECT_EQ(ctx.model.Lines[1].Parts[0].Vertices[1], (Vertex{7 * f, 8 * f}));
    EXPECT_EQ(ctx.model.Regions[0].Parts[0].Vertices[1], (Vertex{10 * f, 0}));
    EXPECT_EQ(ctx.model.Regions[1].Parts[0].Vertices[2], (Vertex{2 * f, 4 * f}));
    EXPECT_EQ(ctx.model.Points[1].Vertices[0], (Vertex{1 * f, 1 * f}));
    EXPECT_NEAR(ctx.model.Regions[2].Parts[0].Vertices[0].X, 4 * f, 1e-12);
    EXPECT_NEAR(ctx.model.Regions[2].Parts[0].Vertices[0].Y, 1 * f, 1e-12);
    EXPECT_NEAR(ctx.model.Lines[2].Parts[0].Vertices[0].X, 4 * f, 1e-12);
}

TEST(MifObjects, SourceFileIsOnlyRead) {
    test::TempDir dir;
    const std::string path = dir / "ro.mif";
    const std::string bytes = MifText("Point 1 2\r\n    Symbol (35,0,12)");  // no final line end
    test::WriteFile(path, bytes);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    JobContext ctx;
    ctx.ResetJob();
    ASSERT_TRUE(ReadMifFile(ctx, path));
    EXPECT_EQ(test::ReadFile(path), bytes);
    ASSERT_EQ(ctx.model.PointCount, 1);
    EXPECT_EQ(ctx.model.Points[0].PointStyle, 36) << "the last line needs no line end";
    EXPECT_EQ(ctx.sourcePath, path);
}

TEST(MifObjects, LineEndsOfAnyKind) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string data =
            "Version 300#Charset \"x\"#Data#Region 1#4#0 0#1 0#1 1#0 0#Pline 2#"
            "0 0#5 5#Pen (1,2,0)#";
        for (std::size_t p; (p = data.find('#')) != std::string::npos;)
            data.replace(p, 1, end);
        JobContext ctx;
        ASSERT_TRUE(ReadMifBytes(ctx, data));
        EXPECT_EQ(ctx.model.RegionCount, 1);
        ASSERT_EQ(ctx.model.LineCount, 1);
        EXPECT_EQ(ctx.model.Lines[0].Parts[0].Vertices[1], (Vertex{5, 5}));
    }
}

}  // namespace
}  // namespace vx
