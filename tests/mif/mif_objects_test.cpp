#include "mif/mif_objects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "mif_test_support.h"
#include "model/geometry.h"

namespace vx {
namespace {

bool ReadData(test::MifRead& ctx, const std::string& data, const std::string& clauses = "") {
    return ctx.Read(test::MifText(data, clauses));
}

const std::string kSquare = "5\r\n0 0\r\n10 0\r\n10 10\r\n0 10\r\n0 0\r\n";

TEST(MifObjects, RegionRingsHolesAndStyles) {
    test::MifRead ctx;
    ASSERT_TRUE(ReadData(ctx, "Region 2\r\n" + kSquare +
                                  "  5\r\n2 2 8 2\r\n8 8, 2 8\r\n2 2\r\n"
                                  "    Pen (1,2,0)\r\n    Brush (2,16711680)\r\n    Center 5 5\r\n"
                                  "Region 2\r\n" +
                                  kSquare + "5\r\n2 2\r\n2 8\r\n8 8\r\n8 2\r\n2 2\r\n"));
    ASSERT_EQ(ctx.model.RegionCount, 2);
    const RegionObject& first = ctx.model.Regions[0];
    ASSERT_EQ(first.PartCount, 2);
    EXPECT_EQ(first.Parts[1].IsHole, 1) << "counter-clockwise inner ring";
    EXPECT_EQ(first.Parts[1].Vertices[3], (Vertex{2, 8}));
    EXPECT_EQ(ctx.model.Pens.At(first.PenIndex), (PenStyle{1, 0, 0}));
    EXPECT_EQ(ctx.model.Brushes.At(first.BrushIndex), (BrushStyle{0, 255, 16777215}));
    const RegionObject& second = ctx.model.Regions[1];
    EXPECT_EQ(second.Parts[0].IsHole, 0);
    EXPECT_EQ(second.Parts[1].IsHole, 0) << "clockwise inner ring";
    EXPECT_EQ(second.PenIndex, first.PenIndex) << "equal pens share one entry";
    EXPECT_EQ(ctx.model.Brushes.At(second.BrushIndex), (BrushStyle{1, 16777215, 0}));
    EXPECT_EQ(ctx.model.ObjectOrder, (std::vector<std::int32_t>{3, 3}));
    // Without the step back to the first vertex, this open ring does not count as turning
    // counter-clockwise.
    EXPECT_FALSE(RingIsCounterClockwise(std::vector<Vertex>{{0, 10}, {1, 0}, {2, 10}}));
}

TEST(MifObjects, ContoursDrawTheOutlineInTheFillColour) {
    test::MifRead ctx;
    ctx.options.CreateContours = true;
    test::TempDir dir;
    test::WriteFile(dir / "a.mif", test::MifText("Region 1\r\n" + kSquare +
                                                 "Pen (1,2,0)\r\nBrush (2,16711680)\r\n"));
    ASSERT_TRUE(ctx.ReadPath(dir / "a.mif"));
    EXPECT_EQ(ctx.model.Pens.At(ctx.model.Regions[0].PenIndex), (PenStyle{1, 0, 255}));
}

TEST(MifObjects, PlinesSingleMultipleAndBroken) {
    test::MifRead ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Pline 3\r\n1 1\r\n2 2\r\n3 1\r\n    Pen (0,3,255)\r\n    Smooth\r\n"
                         "Pline Multiple 2\r\n  3\r\n0 0\r\n1 0\r\n1 1\r\n  4\r\n5 5 6 5\r\n6 6\r\n"
                         "5 6\r\n"
                         "Pline Multiple 1\r\n3\r\n0 0\r\n1 1\r\n2 2\r\n"
                         "Point 4 5\r\n"));
    ASSERT_EQ(ctx.model.LineCount, 3);
    const LineObject& single = ctx.model.Lines[0];
    EXPECT_EQ(single.Parts[0].Vertices, (std::vector<Vertex>{{1, 1}, {2, 2}, {3, 1}}));
    EXPECT_EQ(ctx.model.Pens.At(single.PenIndex), (PenStyle{1, 1, 16711680}));
    const LineObject& multiple = ctx.model.Lines[1];
    ASSERT_EQ(multiple.PartCount, 2);
    EXPECT_EQ(multiple.Parts[0].VertexCount, 3);
    EXPECT_EQ(multiple.Parts[1].VertexCount, 4);
    EXPECT_EQ(multiple.Parts[1].Vertices[3], (Vertex{5, 6}));
    EXPECT_EQ(ctx.model.Pens.At(multiple.PenIndex), (PenStyle{1, 0, 0}));
    // A single section takes its count from the PLINE line; this one ends quietly, keeps
    // an empty section and a valid pen, and the file goes on.
    const LineObject& broken = ctx.model.Lines[2];
    ASSERT_EQ(broken.PartCount, 1);
    EXPECT_EQ(broken.Parts[0].VertexCount, 0);
    EXPECT_TRUE(ctx.model.Pens.HasIndex(broken.PenIndex));
    EXPECT_EQ(ctx.model.ObjectOrder, (std::vector<std::int32_t>{2, 2, 2, 1}));
    EXPECT_FALSE(ctx.Failed());
}

TEST(MifObjects, PointsLinesRectanglesAndRoundRects) {
    test::MifRead ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Point 1.5 -2.25\r\n"
                         "point 3 4\r\n    Symbol (35,255,12)\r\n"
                         "Line 1 2 3 4\r\n    Pen (0,3,0)\r\n"
                         "Roundrect 0 0 5 5\r\n  1\r\n"
                         "Rect 0 0 10 5\r\n"
                         "Rect 0 0 1 1\r\n  Pen (2,5,0)\r\n  Brush (4,0)\r\n"));
    const LayerModel& m = ctx.model;
    EXPECT_EQ(m.ObjectOrder, (std::vector<std::int32_t>{1, 1, 2, 8, 3, 3}));
    ASSERT_EQ(m.PointCount, 2);
    EXPECT_EQ(m.Points[0].Vertices[0], (Vertex{1.5, -2.25}));
    EXPECT_EQ(m.Points[0].PointStyle, 196) << "handed back the next line, no Symbol";
    EXPECT_EQ(m.Fonts.Name(m.Points[0].FontIndex), "Symbol");
    EXPECT_EQ(m.Points[1].PointStyle, 36);

    EXPECT_EQ(m.Lines[0].Parts[0].Vertices, (std::vector<Vertex>{{1, 2}, {3, 4}}));
    EXPECT_EQ(m.Pens.At(m.Lines[0].PenIndex), (PenStyle{0, 1, 0}));

    EXPECT_TRUE(ctx.unsupportedShapes);
    ASSERT_EQ(m.RegionCount, 2);
    ASSERT_EQ(m.Regions.size(), 3u) << "the element counted for the ROUNDRECT stays empty";
    EXPECT_EQ(m.Regions[0].Parts[0].Vertices,
              (std::vector<Vertex>{{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}}));
    EXPECT_EQ(m.Pens.At(m.Regions[0].PenIndex), (PenStyle{1, 2, 0}));
    EXPECT_EQ(m.Brushes.At(m.Regions[0].BrushIndex), (BrushStyle{2, 16777215, 0}));
    EXPECT_EQ(m.Pens.At(m.Regions[1].PenIndex), (PenStyle{2, 3, 0}));
    EXPECT_EQ(m.Brushes.At(m.Regions[1].BrushIndex), (BrushStyle{2, 0, 0}));
}

// Vertex lines are parsed in place in the 1 MiB read buffer. Every form of a vertex line,
// every line end, numbers and CR LF pairs cut by the buffer's edge, and lines no plain pair
// fits (exponents, trailing commas, blank lines) must give the same vertices as the
// item-by-item reading, and the object after them must still be found and counted.
TEST(MifObjects, VertexLinesAcrossTheReadBufferGiveExactVertices) {
    const std::size_t edge = std::size_t{1} << 20;
    const std::string header = test::MifText("");
    const char* const ends[] = {"\r\n", "\n", "\r"};
    std::string data;
    std::vector<Vertex> expected;
    std::size_t forcedCrLf = 0, forcedCr = 0;
    auto add = [&](double x, double y, std::string line, const std::string& end) {
        expected.push_back(Vertex{x, y});
        data += line + end;
    };
    const int count = 120000;  // about 3 MiB of vertex text
    for (int i = 0; i < count; ++i) {
        const double x = 400000.0 + i * 0.125;
        const double y = -5000000.5 + (i % 977) * 0.001;
        char a[40], b[40];
        std::snprintf(a, sizeof a, "%.3f", x);
        std::snprintf(b, sizeof b, "%.3f", y);
        std::string line;
        switch (i % 7) {
            case 0:
                line = std::string(a) + " " + b;
                break;
            case 1:
                line = std::string(a) + "," + b;
                break;
            case 2:
                line = "\t " + std::string(a) + " \t, " + b + "  ";
                break;
            case 3:
                line = std::string(a) + "e0 " + b;
                break;  // exponent: item road
            case 4:
                line = std::string(a) + " " + b + ",";
                break;  // trailing comma
            case 5:
                line = "+" + std::string(a) + " " + b + "\r\n";
                break;  // blank line after
            default:
                line = std::string(a) + "  " + b;
                break;
        }
        std::string end = ends[i % 3];
        // Land a CR exactly on the last byte of the first and of the second buffer, once
        // with its LF in the next buffer and once alone.
        const std::size_t at = header.size() + data.size() + std::string("Region 1\r\n").size() +
                               std::to_string(count).size() + 2;
        for (auto [target, done, lf] :
             {std::tuple{edge, &forcedCrLf, true}, std::tuple{2 * edge, &forcedCr, false}}) {
            if (*done == 0 && at + 80 > target && at + line.size() < target) {
                line.insert(0, target - 1 - at - line.size(), ' ');
                end = lf ? "\r\n" : "\r";
                *done = at;
            }
        }
        add(std::strtod(a, nullptr), std::strtod(b, nullptr), line, end);
    }
    ASSERT_NE(forcedCrLf, 0u);
    ASSERT_NE(forcedCr, 0u);
    const std::string bytes = header + "Region 1\r\n" + std::to_string(count) + "\r\n" + data +
                              "    Pen (1,2,0)\r\nPoint 1 2\r\n";
    ASSERT_EQ(bytes[edge - 1], '\r');
    ASSERT_EQ(bytes[edge], '\n');
    ASSERT_EQ(bytes[2 * edge - 1], '\r');
    ASSERT_NE(bytes[2 * edge], '\n');

    test::MifRead ctx;
    ASSERT_TRUE(ctx.Read(bytes));
    ASSERT_EQ(ctx.model.RegionCount, 1);
    const auto& ring = ctx.model.Regions[0].Parts[0].Vertices;
    ASSERT_EQ(ring.size(), expected.size());
    for (std::size_t i = 0; i < ring.size(); ++i)
        ASSERT_EQ(ring[i], expected[i]) << "vertex " << i;
    EXPECT_EQ(ctx.model.Pens.At(ctx.model.Regions[0].PenIndex), (PenStyle{1, 0, 0}))
        << "the Pen clause after the last vertex";
    ASSERT_EQ(ctx.model.PointCount, 1);
    EXPECT_EQ(ctx.model.Points.size(), 1u);
    EXPECT_EQ(ctx.model.Points[0].Vertices[0], (Vertex{1, 2}));
}

TEST(MifObjects, EllipsesAndArcsUseTheSemiAxesOfTheirBox) {
    test::MifRead ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Ellipse 0 0 4 4\r\nEllipse 10 0 2 6\r\n"
                         "Arc 0 0 4 2 270 90\r\n    Pen (1,2,255)\r\n"
                         "Arc 0 0 4 4 0 90\r\nArc 0 0 4 4 30 30\r\n"));
    const auto& circle = ctx.model.Regions[0].Parts[0];
    ASSERT_EQ(circle.VertexCount, 90);
    for (const Vertex& v : circle.Vertices)
        EXPECT_NEAR(std::hypot(v.X - 2.0, v.Y - 2.0), 2.0, 1e-9);
    EXPECT_NEAR(circle.Vertices[0].X, 4.0, 1e-12) << "first at angle 0";
    EXPECT_NE(circle.Vertices.back(), circle.Vertices.front()) << "the ring is left open";
    // A box 8 wide and 6 tall around (6, 3).
    const auto& ellipse = ctx.model.Regions[1].Parts[0];
    EXPECT_NEAR(ellipse.Vertices[0].X, 10.0, 1e-12);
    EXPECT_NEAR(ellipse.Vertices[45].X, 2.0, 1e-9);
    EXPECT_NEAR(ellipse.Vertices[22].Y, 3.0 + 3.0 * std::sin(22 * 3.14159265358979 / 45), 1e-9);

    // 270 to 90 degrees runs on through 0: 45 steps on a box 4 wide and 2 tall, and the end.
    const auto& across = ctx.model.Lines[0].Parts[0];
    ASSERT_EQ(across.VertexCount, 46);
    EXPECT_NEAR(across.Vertices[0].X, 2.0, 1e-9);
    EXPECT_NEAR(across.Vertices[0].Y, 0.0, 1e-9);
    EXPECT_NEAR(across.Vertices[23].X, 4.0, 0.01);
    EXPECT_EQ(ctx.model.Pens.At(ctx.model.Lines[0].PenIndex), (PenStyle{1, 0, 16711680}));
    EXPECT_EQ(ctx.model.Lines[1].Parts[0].VertexCount, 24) << "0 to 88 degrees, then 90";
    EXPECT_EQ(ctx.model.Lines[2].Parts[0].Vertices.size(), 2u)
        << "equal angles: the start and the end, which are one point";
}

TEST(MifObjects, ArcsEndExactlyAtTheirEndAngle) {
    // Spans that the 4-degree step divides and spans it leaves a rest of, across 0 and back.
    const double spans[][2] = {{0, 90},    {0, 90.5}, {10, 13},  {350, 10},   {-30, 200},
                               {45, 45.1}, {0, 360},  {270, 90}, {123.4, 321}};
    std::string data;
    for (const auto& span : spans)
        data +=
            "Arc 0 0 2000 1000 " + std::to_string(span[0]) + " " + std::to_string(span[1]) + "\r\n";
    test::MifRead ctx;
    ASSERT_TRUE(ReadData(ctx, data));
    ASSERT_EQ(ctx.model.LineCount, static_cast<std::int32_t>(std::size(spans)));
    const auto at = [](double degrees) {
        const double t = degrees * std::numbers::pi / 180;
        return Vertex{1000 + 1000 * std::cos(t), 500 + 500 * std::sin(t)};
    };
    for (std::size_t i = 0; i < std::size(spans); ++i) {
        SCOPED_TRACE(std::to_string(spans[i][0]) + " to " + std::to_string(spans[i][1]));
        const std::vector<Vertex>& v = ctx.model.Lines[i].Parts[0].Vertices;
        ASSERT_GE(v.size(), 2u);
        EXPECT_NEAR(v.front().X, at(spans[i][0]).X, 1e-9);
        EXPECT_NEAR(v.front().Y, at(spans[i][0]).Y, 1e-9);
        EXPECT_NEAR(v.back().X, at(spans[i][1]).X, 1e-9);
        EXPECT_NEAR(v.back().Y, at(spans[i][1]).Y, 1e-9);
        // No step is longer than 4 degrees, and none is a repeat.
        for (std::size_t k = 1; k < v.size(); ++k) {
            const double step = std::hypot(v[k].X - v[k - 1].X, v[k].Y - v[k - 1].Y);
            EXPECT_LE(step, 1000 * 4 * std::numbers::pi / 180 + 1e-6) << k;
            EXPECT_GT(step, 1e-6) << k;
        }
    }
    EXPECT_EQ(ctx.model.Lines[0].Parts[0].Vertices.size(), 24u) << "0, 4, ... 88, 90";
    EXPECT_EQ(ctx.model.Lines[2].Parts[0].Vertices.size(), 2u) << "10 and 13";
}

TEST(MifObjects, NumbersOnTheLinesAfterTheKeywordReadAsIfOnIt) {
    const std::pair<const char*, const char*> forms[] = {
        {"Arc 0 0 4 2 270 90\r\n", "Arc 0 0 4 2\r\n  270 90\r\n"},
        {"Arc 0 0 4 2 270 90\r\n", "Arc\r\n0 0\r\n4 2\r\n\r\n270\r\n90\r\n"},
        {"Rect 0 0 10 5\r\n    Pen (2,2,0)\r\n", "Rect 0 0\r\n 10 5\r\n    Pen (2,2,0)\r\n"},
        {"Ellipse 0 0 4 2\r\n", "Ellipse\r\n 0 0 4 2\r\n"},
        {"Line 1 2 3 4\r\n", "Line 1 2\r\n3 4\r\n"},
        {"Text\r\n\"a\"\r\n0 0 2 2\r\n", "Text\r\n\"a\"\r\n0 0\r\n2 2\r\n"},
    };
    for (auto [oneLine, split] : forms) {
        SCOPED_TRACE(split);
        test::MifRead one;
        test::MifRead two;
        const std::string after = "Point 9 9\r\n";
        ASSERT_TRUE(ReadData(one, oneLine + after));
        ASSERT_TRUE(ReadData(two, split + after)) << two.Log();
        EXPECT_EQ(two.model.ObjectOrder, one.model.ObjectOrder);
        ASSERT_EQ(two.model.LineCount, one.model.LineCount);
        ASSERT_EQ(two.model.RegionCount, one.model.RegionCount);
        for (std::int32_t i = 0; i < one.model.LineCount; ++i)
            EXPECT_EQ(two.model.Lines[i].Parts[0].Vertices, one.model.Lines[i].Parts[0].Vertices);
        for (std::int32_t i = 0; i < one.model.RegionCount; ++i) {
            EXPECT_EQ(two.model.Regions[i].Parts[0].Vertices,
                      one.model.Regions[i].Parts[0].Vertices);
            EXPECT_EQ(two.model.Regions[i].PenIndex, one.model.Regions[i].PenIndex);
        }
        EXPECT_EQ(two.model.Points.back().Vertices, (std::vector<Vertex>{{9, 9}}));
    }
}

TEST(MifObjects, TextWithItsStringOnItsOwnLineOrOnTheTextLine) {
    test::MifRead ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Text\r\n    \"Main Street\"\r\n    0 0 10 2\r\n"
                         "    Font (\"Arial\",2,0,16711680)\r\n    Spacing 1.5\r\n"
                         "    Justify Center\r\n    Angle 12.5\r\n    Label Line Arrow 5 1\r\n"
                         "TEXT \"hello\"\r\n  4 4 6 8\r\n"
                         "Point 1 1\r\n\r\n   \r\nNone\r\nPoint 2 2\r\n"));
    const LayerModel& m = ctx.model;
    EXPECT_EQ(m.TextCount, 2);
    EXPECT_EQ(m.TextLabels, (std::vector<std::string>{"Main Street", "hello"}));
    EXPECT_EQ(m.ObjectOrder, (std::vector<std::int32_t>{4, 4, 1, 10, 1}));
    ASSERT_EQ(m.PointCount, 4);
    const PointObject& street = m.Points[0];
    EXPECT_EQ(street.Vertices[0], (Vertex{5, 1}));
    EXPECT_EQ(street.PointStyle, 196);
    EXPECT_EQ(street.FontStyle, 2);
    EXPECT_EQ(street.PointColor, 255);
    EXPECT_EQ(street.PointRot, 12.5f);
    EXPECT_EQ(m.Points[1].Vertices[0], (Vertex{5, 6}));
    EXPECT_EQ(m.Points[1].PointColor, 0);
    EXPECT_EQ(m.Points[2].Vertices[0], (Vertex{1, 1})) << "handed back after the box";
}

TEST(MifObjects, CoordinatesOfEveryKindAreScaledByTheUnitFactor) {
    const double f = 0.3048;
    test::MifRead ctx;
    ASSERT_TRUE(ReadData(ctx,
                         "Point 10 20\r\nLine 1 2 3 4\r\nPline 2\r\n5 6\r\n7 8\r\n"
                         "Region 1\r\n4\r\n0 0\r\n10 0\r\n0 10\r\n0 0\r\nRect 0 0 2 4\r\n"
                         "Text\r\n\"t\"\r\n0 0 2 2\r\nEllipse 0 0 4 2\r\nArc 0 0 4 4 0 90\r\n",
                         "CoordSys Earth Projection 8, 74, \"ft\", -110, 31, 0.9999, 0, 0\r\n"));
    const LayerModel& m = ctx.model;
    EXPECT_EQ(m.LayerKind.UnitCode, 2);
    EXPECT_EQ(m.Points[0].Vertices[0], (Vertex{10 * f, 20 * f}));
    EXPECT_EQ(m.Lines[0].Parts[0].Vertices[1], (Vertex{3 * f, 4 * f}));
    EXPECT_EQ(m.Lines[1].Parts[0].Vertices[1], (Vertex{7 * f, 8 * f}));
    EXPECT_EQ(m.Regions[0].Parts[0].Vertices[1], (Vertex{10 * f, 0}));
    EXPECT_EQ(m.Regions[1].Parts[0].Vertices[2], (Vertex{2 * f, 4 * f}));
    EXPECT_EQ(m.Points[1].Vertices[0], (Vertex{1 * f, 1 * f}));
    EXPECT_NEAR(m.Regions[2].Parts[0].Vertices[0].X, 4 * f, 1e-12);
    EXPECT_NEAR(m.Lines[2].Parts[0].Vertices[0].X, 4 * f, 1e-12);
}

TEST(MifObjects, SourceFileIsOnlyRead) {
    test::TempDir dir;
    const std::string path = dir / "source.mif";
    const std::string bytes = test::MifText("Point 1 2\r\n    Symbol (35,0,12)");  // no last CR LF
    test::WriteFile(path, bytes);
    test::MifRead ctx;
    ASSERT_TRUE(ctx.ReadPath(path));
    EXPECT_EQ(test::ReadFile(path), bytes);
    EXPECT_EQ(ctx.model.Points[0].PointStyle, 36) << "the last line needs no line end";
}

}  // namespace
}  // namespace vx
