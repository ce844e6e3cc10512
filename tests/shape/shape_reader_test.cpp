#include <gtest/gtest.h>

#include "shape/shape_reader.h"
#include "shape/shape_test_support.h"
#include "support/test_support.h"
#include "vxv/layer_reader.h"
#include "vxv/layer_set_writer.h"

namespace vx {
namespace {

using test::ClockwiseSquare;
using test::Content;
using test::Poly;
using test::Shp;

class ShapeReaderTest : public ::testing::Test {
  protected:
    ShapeReaderTest() {
        // Of the arguments only the back colour, point size, rotation and style reach a layer.
        ShapeImportArguments arguments;
        arguments.FontName = "Wingdings";
        arguments.PenColor = 7;
        arguments.PointColor = 99;
        arguments.BrushBackColor = 0x123456;
        arguments.PointSize = 14;
        arguments.PointRot = 44.5f;
        arguments.PointStyle = 3;
        style = ShapeStyleFor(arguments);
    }
    // Reads the bytes as a .shp; the model as the import prepares it for writing.
    bool Read(const std::string& bytes) {
        test::WriteFile(dir / "in.shp", bytes);
        log = {};
        ShapeReading reading = ReadShapeFile(dir / "in.shp", style, log);
        model = std::move(reading.model);
        if (reading.ok) PrepareShapeLayer(model, style);
        return reading.ok;
    }
    // The layer written as the import writes it (as read), then read back whole.
    LayerModel ReadBack() {
        LayerModel copy = model;
        LayerStages stages;
        stages.kinds = {copy.LayerKind.ObjectKind};
        stages.asRead = true;
        std::vector<std::string> written;
        std::string error;
        EXPECT_TRUE(WriteLayerSet(copy, dir / "layer.vxv", stages, written, error)) << error;
        LayerModel back;
        EXPECT_TRUE(ReadLayerData(back, dir / "layer.vxv", dir / "layer.vxs", LayerTarget::kObjects,
                                  nullptr, error))
            << error;
        return back;
    }

    test::TempDir dir;
    ShapeStyleDefaults style;
    LayerModel model;
    test::StatusLog log;
};

TEST(ShapeStyle, RotationsBecomeWholeDegreesHalvesToTheEvenNeighbour) {
    ShapeImportArguments arguments;
    for (auto [given, whole] : {std::pair{2.5f, 2}, {3.5f, 4}, {-0.5f, 0}, {-7.6f, -8}}) {
        arguments.PointRot = given;
        EXPECT_EQ(ShapeStyleFor(arguments).PointRot, whole) << given;
    }
}

TEST_F(ShapeReaderTest, HeaderOnlyFileGivesAnEmptyLayerOfItsKind) {
    for (auto [type, kind, line] : {std::tuple{1, kKindPoint, "Points"},
                                    {3, kKindLine, "PLines"},
                                    {5, kKindRegion, "Region"},
                                    {8, kKindPoint, "MultiPoints"}}) {
        ASSERT_TRUE(Read(Shp(type, {}))) << type;
        EXPECT_EQ(log.log, std::string("\tReading....\r\n\tReading Shape ") + line + "\r\n");
        EXPECT_EQ(ReadBack().LayerKind.ObjectKind, kind) << type;
    }
}

TEST_F(ShapeReaderTest, PointsKeepTheirRecordNumbersPastNullRecords) {
    // The second null record is one whose writer gave it room anyway.
    ASSERT_TRUE(Read(Shp(1, {Content(1, {1, 2}), Content(0), Content(1, {5, 6}), Content(0, {0, 0}),
                             Content(1, {3, 4})})));
    ASSERT_EQ(model.LayerObjectCount, 3);
    for (std::size_t i = 0; i < 3; ++i) {
        const PointObject& p = model.Points[i];
        EXPECT_EQ(model.ObjectIndex[i].ObjectNo, static_cast<std::int32_t>(2 * i + 1));
        ASSERT_EQ(p.VertexCount, 1);
        const Vertex v = p.Vertices[0];
        EXPECT_EQ((Bounds{p.MinX, p.MinY, p.MaxX, p.MaxY}), (Bounds{v.X, v.Y, v.X, v.Y}));
        EXPECT_EQ(model.ObjectIndex[i].MaxY, v.Y);
        EXPECT_EQ(std::tie(p.FontIndex, p.PointStyle, p.PointSize, p.FontStyle, p.PointColor),
                  std::tuple(1, 34, 14, 3, 0));
        EXPECT_EQ(p.PointRot, 44.0f);
    }
    const LayerModel back = ReadBack();
    EXPECT_EQ(back.ObjectIndex[2].ObjectNo, 5);
    EXPECT_EQ(back.Points[2].Vertices[0], (Vertex{3, 4}));
    EXPECT_EQ(back.Layer.lShiftX, 0.0) << "no sphere radius rule";
    // A box flat in x is widened a little; the layer's one font is the import's.
    ASSERT_TRUE(Read(Shp(1, {Content(1, {7, 1}), Content(1, {7, 9})}, {7, 1, 7, 9})));
    EXPECT_EQ((Bounds{model.Layer.MinX, model.Layer.MinY, model.Layer.MaxX, model.Layer.MaxY}),
              (Bounds{7 - 0.00001, 1, 7 + 0.00001, 9}));
    const LayerModel flat = ReadBack();
    EXPECT_EQ(flat.Layer.MaxX, 7 + 0.00001);
    ASSERT_EQ(flat.Fonts.Count(), 1);
    EXPECT_EQ(flat.Fonts.Name(1), "VX Maps");
    EXPECT_EQ(flat.Fonts.Length(1), 7);
}

TEST_F(ShapeReaderTest, PartsHolesAndMultipoints) {
    const std::vector<std::vector<Vertex>> parts = {{{0, 0}, {1, 1}, {2, 0}}, {{5, 5}, {6, 6}}};
    ASSERT_TRUE(Read(Shp(3, {Poly(3, parts)})));
    const LineObject& line = model.Lines.at(0);
    ASSERT_EQ(line.PartCount, 2);
    EXPECT_EQ(line.PenIndex, 1);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(line.Parts[k].Vertices, parts[k]);
        EXPECT_EQ(line.Parts[k].MaxX, 100) << "every part carries the record's box";
    }

    // A hole is known by its turn, also after a second outer ring, and stays one when written.
    const auto outer = ClockwiseSquare(0, 0, 100);
    const auto hole = test::Reversed(ClockwiseSquare(10, 10, 20));
    ASSERT_TRUE(Read(Shp(5, {Poly(5, {outer, hole, outer, hole})})));
    const RegionObject& region = model.Regions.at(0);
    EXPECT_EQ(region.BrushIndex, 1);
    ASSERT_EQ(region.PartCount, 4);
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_EQ(region.Parts[k].IsHole, k % 2) << k;
    const LayerModel back = ReadBack();
    EXPECT_EQ(back.Regions.at(0).Parts[3].IsHole, 1);
    EXPECT_EQ(back.Pens.Entries(), std::vector<PenStyle>{(PenStyle{1, 0, 0})});
    EXPECT_EQ(back.Brushes.Entries(), std::vector<BrushStyle>{(BrushStyle{1, 16777215, 0x123456})});
    EXPECT_EQ(back.Layer.MinX, 0) << "a box with an extent stays";

    const std::vector<Vertex> five = {{1, 1}, {2, 5}, {3, 2}, {4, 4}, {5, 3}};
    ASSERT_TRUE(Read(Shp(8, {Poly(8, {five})})));
    const PointObject& p = model.Points.at(0);
    EXPECT_EQ(p.VertexCount, 5);
    EXPECT_EQ(p.Vertices, five);
    EXPECT_EQ((Bounds{p.MinX, p.MinY, p.MaxX, p.MaxY}), (Bounds{0, 0, 100, 100}));
}

TEST_F(ShapeReaderTest, DamagedFilesAreRefused) {
    const std::string point = Shp(1, {Content(1, {1, 1})});
    EXPECT_FALSE(Read(test::WithInt(point, 0, 9995, true)));
    EXPECT_EQ(log.lines.back(), "\t" + (dir / "in.shp") + ",Incorrect Shape Version Code\r\n");
    EXPECT_FALSE(Read(test::WithInt(point, 28, 1001)));
    EXPECT_EQ(log.lines.back(), "\tInvalid Shape Code");

    // A polygon of three rings of five points: counts at 144 and 148, part starts from 152.
    const auto ring = ClockwiseSquare(0, 0, 10);
    const std::string poly = Shp(5, {Poly(5, {ring, ring, ring})});
    using test::WithInt;
    const std::pair<const char*, std::string> cases[] = {
        {"file length past the file", WithInt(poly, 24, 400, true)},
        {"file length inside a record", WithInt(poly, 24, 60, true)},
        {"file cut inside a record", poly.substr(0, poly.size() - 8)},
        {"content length past the file", WithInt(point, 104, 0x7fffffff, true)},
        {"content length zero", WithInt(point, 104, 0, true)},
        {"content length negative", WithInt(point, 104, -4, true)},
        {"point shorter than a point", Shp(1, {Content(1, {1})})},
        {"multipoint count past the record", Shp(8, {Content(8, {0, 0, 1, 1}, {1 << 30})})},
        {"negative part count", WithInt(poly, 144, -1)},
        {"huge part count", WithInt(poly, 144, 1 << 30)},
        {"point count past the record", WithInt(poly, 148, 1 << 30)},
        {"negative point count", WithInt(poly, 148, -5)},
        {"first part not at 0", WithInt(poly, 152, 1)},
        {"parts going back", WithInt(poly, 160, 2)},
        {"part past the points", WithInt(poly, 160, 16)},
    };
    for (const auto& [what, bytes] : cases)
        EXPECT_FALSE(Read(bytes)) << what;
}

}  // namespace
}  // namespace vx
