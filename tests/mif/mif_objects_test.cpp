#include "mif/mif_objects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "mif_test_support.h"

namespace vx {
namespace {

using Vertices = std::vector<Vertex>;
using Order = std::vector<std::int32_t>;

test::MifResult ReadData(const std::string& data, const std::string& clauses = "") {
    test::MifResult r = test::ReadMif(test::MifText(data, clauses));
    EXPECT_TRUE(r.ok) << r.log;
    return r;
}

const std::string kSquare = "5\r\n0 0\r\n10 0\r\n10 10\r\n0 10\r\n0 0\r\n";

TEST(MifObjects, RegionRingsHolesStylesAndContours) {
    const test::MifResult r = ReadData(
        "Region 2\r\n" + kSquare +
        "  5\r\n2 2 8 2\r\n8 8, 2 8\r\n2 2\r\n    Pen (1,2,0)\r\n    Brush (2,16711680)\r\n"
        "    Center 5 5\r\nRegion 2\r\n" +
        kSquare + "5\r\n2 2\r\n2 8\r\n8 8\r\n8 2\r\n2 2\r\n");
    const LayerModel& m = r.model;
    ASSERT_EQ(m.RegionCount, 2);
    const RegionObject& first = m.Regions[0];
    ASSERT_EQ(first.PartCount, 2);
    EXPECT_EQ(first.Parts[1].IsHole, 1) << "counter-clockwise inner ring";
    EXPECT_EQ(first.Parts[1].Vertices[3], (Vertex{2, 8}));
    EXPECT_EQ(m.Pens.At(first.PenIndex), (PenStyle{1, 0, 0}));
    EXPECT_EQ(m.Brushes.At(first.BrushIndex), (BrushStyle{0, 255, 16777215}));
    const RegionObject& second = m.Regions[1];
    EXPECT_EQ(second.Parts[0].IsHole + second.Parts[1].IsHole, 0) << "clockwise inner ring";
    EXPECT_EQ(second.PenIndex, first.PenIndex) << "equal pens share one entry";
    EXPECT_EQ(m.Brushes.At(second.BrushIndex), (BrushStyle{1, 16777215, 0}));
    EXPECT_EQ(m.ObjectOrder, (Order{3, 3}));
    // With contours on, the outline is drawn in the fill colour.
    const test::MifResult contours = test::ReadMif(
        test::MifText("Region 1\r\n" + kSquare + "Pen (1,2,0)\r\nBrush (2,16711680)\r\n"),
        {.CreateDbf = false, .CreateContours = true});
    EXPECT_EQ(contours.model.Pens.At(contours.model.Regions.at(0).PenIndex), (PenStyle{1, 0, 255}));
}

TEST(MifObjects, PlinesPointsLinesAndRectangles) {
    const test::MifResult r = ReadData(
        "Pline 3\r\n1 1\r\n2 2\r\n3 1\r\n    Pen (0,3,255)\r\n    Smooth\r\n"
        "Pline Multiple 2\r\n  3\r\n0 0\r\n1 0\r\n1 1\r\n  4\r\n5 5 6 5\r\n6 6\r\n5 6\r\n"
        "Pline Multiple 1\r\n3\r\n0 0\r\n1 1\r\n2 2\r\n"
        "Point 1.5 -2.25\r\npoint 3 4\r\n    Symbol (35,255,12)\r\nLine 1 2 3 4\r\n    Pen "
        "(0,3,0)\r\n"
        "Roundrect 0 0 5 5\r\n  1\r\nRect 0 0 10 5\r\nRect 0 0 1 1\r\n  Pen (2,5,0)\r\n"
        "  Brush (4,0)\r\n");
    const LayerModel& m = r.model;
    EXPECT_EQ(m.ObjectOrder, (Order{2, 2, 2, 1, 1, 2, 8, 3, 3}));
    ASSERT_EQ(m.LineCount, 4);
    EXPECT_EQ(m.Lines[0].Parts[0].Vertices, (Vertices{{1, 1}, {2, 2}, {3, 1}}));
    EXPECT_EQ(m.Pens.At(m.Lines[0].PenIndex), (PenStyle{1, 1, 16711680}));
    const LineObject& multiple = m.Lines[1];
    ASSERT_EQ(multiple.PartCount, 2);
    EXPECT_EQ(multiple.Parts[0].VertexCount, 3);
    EXPECT_EQ(multiple.Parts[1].Vertices, (Vertices{{5, 5}, {6, 5}, {6, 6}, {5, 6}}));
    EXPECT_EQ(m.Pens.At(multiple.PenIndex), (PenStyle{1, 0, 0}));
    // A single section takes its count from the PLINE line; this one ends quietly, keeps
    // an empty section and a valid pen, and the file goes on.
    const LineObject& broken = m.Lines[2];
    ASSERT_EQ(broken.PartCount, 1);
    EXPECT_EQ(broken.Parts[0].VertexCount, 0);
    EXPECT_TRUE(m.Pens.HasIndex(broken.PenIndex));

    ASSERT_EQ(m.PointCount, 2);
    EXPECT_EQ(m.Points[0].Vertices[0], (Vertex{1.5, -2.25}));
    EXPECT_EQ(m.Points[0].PointStyle, 196) << "handed back the next line, no Symbol";
    EXPECT_EQ(m.Fonts.Name(m.Points[0].FontIndex), "Symbol");
    EXPECT_EQ(m.Points[1].PointStyle, 36);
    EXPECT_EQ(m.Lines[3].Parts[0].Vertices, (Vertices{{1, 2}, {3, 4}}));
    EXPECT_EQ(m.Pens.At(m.Lines[3].PenIndex), (PenStyle{0, 1, 0}));

    EXPECT_TRUE(r.unsupportedShapes);
    ASSERT_EQ(m.RegionCount, 2);
    ASSERT_EQ(m.Regions.size(), 3u) << "the element counted for the ROUNDRECT stays empty";
    EXPECT_EQ(m.Regions[0].Parts[0].Vertices, (Vertices{{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}}));
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
    const int count = 120000;  // about 3 MiB of vertex text
    const std::string head = test::MifText("") + "Region 1\r\n" + std::to_string(count) + "\r\n";
    const char* const ends[] = {"\r\n", "\n", "\r"};
    const char* const forms[] = {"%s %s",  "%s,%s",      "\t %s \t, %s  ", "%se0 %s",
                                 "%s %s,", "+%s %s\r\n", "%s  %s"};
    std::string data;
    Vertices expected;
    std::size_t forcedCrLf = 0, forcedCr = 0;
    for (int i = 0; i < count; ++i) {
        char x[40], y[40], line[120];
        std::snprintf(x, sizeof x, "%.3f", 400000.0 + i * 0.125);
        std::snprintf(y, sizeof y, "%.3f", -5000000.5 + (i % 977) * 0.001);
        std::snprintf(line, sizeof line, forms[i % 7], x, y);
        std::string text = line, end = ends[i % 3];
        // Land a CR exactly on the last byte of the first and of the second buffer, once
        // with its LF in the next buffer and once alone.
        const std::size_t at = head.size() + data.size();
        for (auto [target, done, lf] :
             {std::tuple{edge, &forcedCrLf, true}, std::tuple{2 * edge, &forcedCr, false}}) {
            if (*done == 0 && at + 80 > target && at + text.size() < target) {
                text.insert(0, target - 1 - at - text.size(), ' ');
                end = lf ? "\r\n" : "\r";
                *done = at;
            }
        }
        expected.push_back({std::strtod(x, nullptr), std::strtod(y, nullptr)});
        data += text + end;
    }
    const std::string bytes = head + data + "    Pen (1,2,0)\r\nPoint 1 2\r\n";
    ASSERT_TRUE(forcedCrLf != 0 && forcedCr != 0);
    ASSERT_EQ(bytes.substr(edge - 1, 2), "\r\n");
    ASSERT_EQ(bytes[2 * edge - 1], '\r');
    ASSERT_NE(bytes[2 * edge], '\n');

    const test::MifResult r = test::ReadMif(bytes);
    ASSERT_TRUE(r.ok) << r.log;
    ASSERT_EQ(r.model.RegionCount, 1);
    const Vertices& ring = r.model.Regions[0].Parts[0].Vertices;
    ASSERT_EQ(ring.size(), expected.size());
    for (std::size_t i = 0; i < ring.size(); ++i)
        ASSERT_EQ(ring[i], expected[i]) << "vertex " << i;
    EXPECT_EQ(r.model.Pens.At(r.model.Regions[0].PenIndex), (PenStyle{1, 0, 0}))
        << "the Pen clause after the last vertex";
    ASSERT_EQ(r.model.PointCount, 1);
    EXPECT_EQ(r.model.Points.at(0).Vertices[0], (Vertex{1, 2}));
}

// GDAL writes no multipoints or collections to MIF (the engine's tests check that GDAL reads
// our export of them alike).
TEST(MifObjects, MultiPointsAndCollections) {
    const LayerModel m = ReadData(
        "MultiPoint 3\r\n1 2\r\n3 4\r\n5 6\r\n    Symbol (35,0,12)\r\n"
        "Collection 3\r\n  Region 1\r\n  4\r\n0 0\r\n0 9\r\n9 9\r\n0 0\r\n"
        "    Pen (1,2,0)\r\n  Pline 3\r\n0 0\r\n1 1\r\n2 0\r\n"
        "  MultiPoint 2\r\n7 7\r\n8 8\r\nPoint 9 9\r\n").model;
    const std::int32_t all =
        kOrderCollection | OrderBitOf(kKindRegion) | OrderBitOf(kKindLine) | OrderBitOf(kKindPoint);
    EXPECT_EQ(m.ObjectOrder, (Order{1, all, 1}));
    ASSERT_EQ(m.PointCount, 3);
    EXPECT_EQ(m.Points[0].Vertices, (Vertices{{1, 2}, {3, 4}, {5, 6}}));
    EXPECT_EQ(m.Points[1].Vertices, (Vertices{{7, 7}, {8, 8}}));
    EXPECT_EQ(m.Points[2].Vertices, (Vertices{{9, 9}}));
    ASSERT_EQ(std::tie(m.LineCount, m.RegionCount), std::tuple(1, 1));
    EXPECT_EQ(m.Regions[0].Parts[0].Vertices, (Vertices{{0, 0}, {0, 9}, {9, 9}, {0, 0}}));
    EXPECT_EQ(m.Lines[0].Parts[0].Vertices, (Vertices{{0, 0}, {1, 1}, {2, 0}}));
}

TEST(MifObjects, EllipsesAndArcsFollowTheSemiAxesOfTheirBoxToTheirEndAngle) {
    const test::MifResult r = ReadData(
        "Ellipse 0 0 4 4\r\nEllipse 10 0 2 6\r\nArc 0 0 4 2 270 90\r\n    Pen (1,2,255)\r\n");
    const auto& circle = r.model.Regions.at(0).Parts[0];
    ASSERT_EQ(circle.VertexCount, 90);
    for (const Vertex& v : circle.Vertices)
        EXPECT_NEAR(std::hypot(v.X - 2.0, v.Y - 2.0), 2.0, 1e-9);
    EXPECT_NEAR(circle.Vertices[0].X, 4.0, 1e-12) << "first at angle 0";
    EXPECT_NE(circle.Vertices.back(), circle.Vertices.front()) << "the ring is left open";
    // A box 8 wide and 6 tall around (6, 3), with the engine's own value of pi.
    const auto& ellipse = r.model.Regions.at(1).Parts[0];
    EXPECT_NEAR(ellipse.Vertices[0].X, 10.0, 1e-12);
    EXPECT_NEAR(ellipse.Vertices[45].X, 2.0, 1e-9);
    EXPECT_NEAR(ellipse.Vertices[22].Y, 3.0 + 3.0 * std::sin(22 * 3.14159265358979 / 45), 1e-9);
    // 270 to 90 degrees runs on through 0: 45 steps on a box 4 wide and 2 tall, and the end.
    const auto& across = r.model.Lines.at(0).Parts[0];
    ASSERT_EQ(across.VertexCount, 46);
    EXPECT_NEAR(across.Vertices[23].X, 4.0, 0.01);
    EXPECT_EQ(r.model.Pens.At(r.model.Lines[0].PenIndex), (PenStyle{1, 0, 16711680}));

    // Spans that the 4-degree step divides and spans it leaves a rest of, across 0 and back;
    // equal angles give the start and the end, which are one point.
    const std::tuple<double, double, std::size_t> spans[] = {
        {0, 90, 24},   {0, 90.5, 0}, {10, 13, 2},   {350, 10, 0},    {-30, 200, 0},
        {45, 45.1, 0}, {0, 360, 0},  {270, 90, 46}, {123.4, 321, 0}, {30, 30, 2}};
    std::string data;
    for (const auto& [from, to, n] : spans)
        data += "Arc 0 0 2000 1000 " + std::to_string(from) + " " + std::to_string(to) + "\r\n";
    const test::MifResult arcs = ReadData(data);
    ASSERT_EQ(arcs.model.LineCount, static_cast<std::int32_t>(std::size(spans)));
    const auto at = [](double degrees) {
        const double t = degrees * std::numbers::pi / 180;
        return Vertex{1000 + 1000 * std::cos(t), 500 + 500 * std::sin(t)};
    };
    for (std::size_t i = 0; i < std::size(spans); ++i) {
        const auto& [from, to, n] = spans[i];
        SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to));
        const Vertices& v = arcs.model.Lines[i].Parts[0].Vertices;
        ASSERT_GE(v.size(), 2u);
        EXPECT_TRUE(n == 0 || v.size() == n) << v.size();
        EXPECT_NEAR(v.front().X, at(from).X, 1e-9);
        EXPECT_NEAR(v.front().Y, at(from).Y, 1e-9);
        EXPECT_NEAR(v.back().X, at(to).X, 1e-9);
        EXPECT_NEAR(v.back().Y, at(to).Y, 1e-9);
        // No step is longer than 4 degrees, and none but that of equal angles is a repeat.
        for (std::size_t k = 1; k < v.size(); ++k) {
            const double step = std::hypot(v[k].X - v[k - 1].X, v[k].Y - v[k - 1].Y);
            EXPECT_LE(step, 1000 * 4 * std::numbers::pi / 180 + 1e-6) << k;
            EXPECT_TRUE(from == to || step > 1e-6) << k;
        }
    }
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
        const LayerModel one = ReadData(oneLine + std::string("Point 9 9\r\n")).model;
        const LayerModel two = ReadData(split + std::string("Point 9 9\r\n")).model;
        EXPECT_EQ(two.ObjectOrder, one.ObjectOrder);
        ASSERT_EQ(two.Lines.size(), one.Lines.size());
        ASSERT_EQ(two.Regions.size(), one.Regions.size());
        for (std::size_t i = 0; i < one.Lines.size(); ++i)
            EXPECT_EQ(two.Lines[i].Parts[0].Vertices, one.Lines[i].Parts[0].Vertices);
        for (std::size_t i = 0; i < one.Regions.size(); ++i) {
            EXPECT_EQ(two.Regions[i].Parts[0].Vertices, one.Regions[i].Parts[0].Vertices);
            EXPECT_EQ(two.Regions[i].PenIndex, one.Regions[i].PenIndex);
        }
        EXPECT_EQ(two.Points.back().Vertices, (Vertices{{9, 9}}));
    }
}

TEST(MifObjects, TextWithItsStringOnItsOwnLineOrOnTheTextLine) {
    const LayerModel m =
        ReadData(
            "Text\r\n    \"Main Street\"\r\n    0 0 10 2\r\n"
            "    Font (\"Arial\",2,0,16711680)\r\n    Spacing 1.5\r\n    Justify Center\r\n"
            "    Angle 12.5\r\n    Label Line Arrow 5 1\r\nTEXT \"hello\"\r\n  4 4 6 8\r\n"
            "Point 1 1\r\n\r\n   \r\nNone\r\nPoint 2 2\r\n")
            .model;
    EXPECT_EQ(m.TextCount, 2);
    EXPECT_EQ(m.TextLabels, (std::vector<std::string>{"Main Street", "hello"}));
    EXPECT_EQ(m.ObjectOrder, (Order{4, 4, 1, 10, 1}));
    ASSERT_EQ(m.PointCount, 4);
    const PointObject& street = m.Points[0];
    EXPECT_EQ(street.Vertices[0], (Vertex{5, 1}));
    EXPECT_EQ(std::tie(street.PointStyle, street.FontStyle, street.PointColor),
              std::tuple(196, 2, 255));
    EXPECT_EQ(street.PointRot, 12.5f);
    EXPECT_EQ(m.Points[1].Vertices[0], (Vertex{5, 6}));
    EXPECT_EQ(m.Points[1].PointColor, 0);
    EXPECT_EQ(m.Points[2].Vertices[0], (Vertex{1, 1})) << "handed back after the box";
}

TEST(MifObjects, CoordinatesOfEveryKindAreScaledByTheUnitFactor) {
    const double f = 0.3048;
    const LayerModel m = ReadData(
                             "Point 10 20\r\nLine 1 2 3 4\r\nPline 2\r\n5 6\r\n7 8\r\n"
                             "Region 1\r\n4\r\n0 0\r\n10 0\r\n0 10\r\n0 0\r\nRect 0 0 2 4\r\n"
                             "Text\r\n\"t\"\r\n0 0 2 2\r\nEllipse 0 0 4 2\r\nArc 0 0 4 4 0 90\r\n",
                             "CoordSys Earth Projection 8, 74, \"ft\", -110, 31, 0.9999, 0, 0\r\n")
                             .model;
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

TEST(MifObjects, SourceFileIsOnlyReadAndItsLastLineNeedsNoLineEnd) {
    test::TempDir dir;
    const std::string bytes = test::MifText("Point 1 2\r\n    Symbol (35,0,12)");
    test::WriteFile(dir / "source.mif", bytes);
    const test::MifResult r = test::ReadMifPath(dir / "source.mif");
    EXPECT_EQ(test::ReadFile(dir / "source.mif"), bytes);
    EXPECT_EQ(r.model.Points.at(0).PointStyle, 36);
}

}  // namespace
}  // namespace vx
