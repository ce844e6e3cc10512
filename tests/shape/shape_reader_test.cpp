#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "shape/shape_bytes.h"
#include "shape/shape_reader.h"
#include "support/test_support.h"
#include "vxv/layer_reader.h"
#include "vxv/layer_set_writer.h"

namespace vx {
namespace {

using test::ClockwiseSquare;
using test::ShpBuilder;

// What the shapefile reader makes of a file: the model, and the lines it reported.
struct ShapeRead {
    bool ok = false;
    LayerModel model;
    test::StatusLog log;
    bool Failed() const { return !ok; }
    const std::string& Log() const { return log.log; }
    std::string StatusText() const { return log.lines.empty() ? "" : log.lines.back(); }
};

class ShapeReaderTest : public ::testing::Test {
  protected:
    ShapeReaderTest() {
        ShapeImportArguments arguments;
        arguments.BrushBackColor = 0x123456;
        arguments.PointSize = 14;
        arguments.PointRot = 44.5f;
        arguments.PointStyle = 3;
        style = ShapeStyleFor(arguments);
    }
    void Import(const std::string& bytes) {
        test::WriteFile(dir / "in.shp", bytes);
        ctx = ShapeRead();
        ShapeReading reading = ReadShapeFile(dir / "in.shp", style, ctx.log);
        ctx.ok = reading.ok;
        ctx.model = std::move(reading.model);
        if (ctx.ok) PrepareShapeLayer(ctx.model, style);
    }
    // The layer written as the import writes it (as read), then read back whole.
    LayerModel ReadBack() {
        LayerModel copy = ctx.model;
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
    ShapeRead ctx;
    ShapeStyleDefaults style;
};

TEST(ShapeStyle, OnlySomeArgumentsReachTheLayer) {
    ShapeImportArguments arguments;
    arguments.FontName = "Wingdings";
    arguments.FontNameSize = 40;
    arguments.PenColor = 7;
    arguments.BrushBackColor = 99;
    arguments.PointSize = 12;
    arguments.PointStyle = 5;
    const ShapeStyleDefaults s = ShapeStyleFor(arguments);
    EXPECT_EQ(s.FontName, "VX Maps");
    EXPECT_EQ(s.FontNameLength, 7);
    EXPECT_EQ((PenStyle{s.PenSize, s.PenPattern, s.PenColor}), (PenStyle{1, 0, 0}));
    EXPECT_EQ((BrushStyle{s.BrushPattern, s.BrushForeColor, s.BrushBackColor}),
              (BrushStyle{1, 16777215, 99}));
    EXPECT_EQ(s.PointStyle, 34);
    EXPECT_EQ(s.PointColor, 0);
    EXPECT_EQ(s.PointSize, 12);
    EXPECT_EQ(s.FontStyle, 5);
    // Rotations become whole degrees, halves to the even neighbour.
    for (auto [given, whole] : {std::pair{2.5f, 2}, {3.5f, 4}, {-0.5f, 0}, {-7.6f, -8}}) {
        arguments.PointRot = given;
        EXPECT_EQ(ShapeStyleFor(arguments).PointRot, whole) << given;
    }
}

TEST_F(ShapeReaderTest, HeaderOnlyFileGivesAnEmptyLayerOfItsKind) {
    for (auto [type, kind] :
         {std::pair{1, kKindPoint}, {3, kKindLine}, {5, kKindRegion}, {8, kKindPoint}}) {
        Import(ShpBuilder(type).Bytes());
        ASSERT_FALSE(ctx.Failed()) << type;
        EXPECT_EQ(ReadBack().LayerKind.ObjectKind, kind) << type;
    }
    EXPECT_EQ(ctx.Log(), "\tReading....\r\n\tReading Shape MultiPoints\r\n");
}

TEST_F(ShapeReaderTest, PointsKeepTheirRecordNumbersPastNullRecords) {
    ByteBuffer longNull;  // a null shape whose writer gave it room anyway
    longNull.PutLE<std::int32_t>(0);
    longNull.PutZeros(16);
    Import(ShpBuilder(1).Point(1, 2).Null().Point(5, 6).Raw(longNull).Point(3, 4).Bytes());
    ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    const LayerModel& m = ctx.model;
    ASSERT_EQ(m.LayerObjectCount, 3);
    for (std::size_t i = 0; i < 3; ++i) {
        const PointObject& p = m.Points[i];
        EXPECT_EQ(m.ObjectIndex[i].ObjectNo, static_cast<std::int32_t>(2 * i + 1));
        ASSERT_EQ(p.VertexCount, 1);
        EXPECT_EQ((Bounds{p.MinX, p.MinY, p.MaxX, p.MaxY}),
                  (Bounds{p.Vertices[0].X, p.Vertices[0].Y, p.Vertices[0].X, p.Vertices[0].Y}));
        EXPECT_EQ(m.ObjectIndex[i].MaxY, p.Vertices[0].Y);
        EXPECT_EQ(p.FontIndex, 1);
        EXPECT_EQ(p.PointStyle, 34);
        EXPECT_EQ(p.PointSize, 14);
        EXPECT_EQ(p.FontStyle, 3);
        EXPECT_EQ(p.PointRot, 44.0f);
    }
    const LayerModel back = ReadBack();
    EXPECT_EQ(back.ObjectIndex[2].ObjectNo, 5);
    EXPECT_EQ(back.Points[2].Vertices[0], (Vertex{3, 4}));
}

TEST_F(ShapeReaderTest, PartsHolesAndMultipoints) {
    const Bounds box{0, 0, 100, 100};
    const std::vector<std::vector<Vertex>> parts = {{{0, 0}, {1, 1}, {2, 0}}, {{5, 5}, {6, 6}}};
    Import(ShpBuilder(3, box).Poly(3, box, parts).Bytes());
    ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    const LineObject& line = ctx.model.Lines.at(0);
    ASSERT_EQ(line.PartCount, 2);
    EXPECT_EQ(line.PenIndex, 1);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(line.Parts[k].Vertices, parts[k]);
        EXPECT_EQ(line.Parts[k].MaxX, 100) << "every part carries the record's box";
    }

    // A hole is known by its turn, also after a second outer ring.
    const auto outer = ClockwiseSquare(0, 0, 100);
    const auto hole = test::Reversed(ClockwiseSquare(10, 10, 20));
    Import(ShpBuilder(5, box).Poly(5, box, {outer, hole, outer, hole}).Bytes());
    ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    const RegionObject& region = ctx.model.Regions.at(0);
    EXPECT_EQ(region.BrushIndex, 1);
    ASSERT_EQ(region.PartCount, 4);
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_EQ(region.Parts[k].IsHole, k % 2) << k;
    EXPECT_EQ(ReadBack().Regions.at(0).Parts[3].IsHole, 1);

    const std::vector<Vertex> five = {{1, 1}, {2, 5}, {3, 2}, {4, 4}, {5, 3}};
    Import(ShpBuilder(8).MultiPoint({1, 1, 5, 5}, five).Bytes());
    ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    const PointObject& p = ctx.model.Points.at(0);
    EXPECT_EQ(p.VertexCount, 5);
    EXPECT_EQ(p.Vertices, five);
    EXPECT_EQ((Bounds{p.MinX, p.MinY, p.MaxX, p.MaxY}), (Bounds{1, 1, 5, 5}));
}

TEST_F(ShapeReaderTest, LayerFileHasOneEntryTablesAndAWidenedFlatBox) {
    Import(ShpBuilder(1, {7, 1, 7, 9}).Point(7, 1).Point(7, 9).Bytes());
    ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    LayerModel m = ReadBack();
    EXPECT_EQ(m.Layer.lShiftX, 0.0) << "no sphere radius rule";
    EXPECT_EQ((Bounds{m.Layer.MinX, m.Layer.MinY, m.Layer.MaxX, m.Layer.MaxY}),
              (Bounds{7 - 0.00001, 1, 7 + 0.00001, 9}));
    ASSERT_EQ(m.Fonts.Count(), 1);
    EXPECT_EQ(m.Fonts.Name(1), "VX Maps");
    EXPECT_EQ(m.Fonts.Length(1), 7);

    Import(ShpBuilder(5).Poly(5, {0, 0, 10, 10}, {ClockwiseSquare(0, 0, 10)}).Bytes());
    m = ReadBack();
    EXPECT_EQ(m.Pens.Entries(), std::vector<PenStyle>{(PenStyle{1, 0, 0})});
    EXPECT_EQ(m.Brushes.Entries(), std::vector<BrushStyle>{(BrushStyle{1, 16777215, 0x123456})});
    EXPECT_EQ(m.Layer.MinX, 0) << "a box with an extent stays";
}

TEST_F(ShapeReaderTest, WrongFileCodeOrVersionIsRefusedWithItsMessage) {
    Import(ShpBuilder(1).Point(1, 1).Bytes(9995));
    EXPECT_TRUE(ctx.Failed());
    EXPECT_EQ(ctx.StatusText(), "\t" + (dir / "in.shp") + ",Incorrect Shape Version Code\r\n");
    Import(ShpBuilder(1).Point(1, 1).Bytes(9994, 1001));
    EXPECT_TRUE(ctx.Failed());
    EXPECT_EQ(ctx.StatusText(), "\tInvalid Shape Code");
}

TEST_F(ShapeReaderTest, DamagedFilesFailWithoutALayer) {
    const Bounds box{0, 0, 10, 10};
    const auto ring = ClockwiseSquare(0, 0, 10);
    auto poly = [&](std::int32_t parts, std::int32_t points, std::vector<std::int32_t> starts) {
        return ShpBuilder(5).Raw(test::PolyContent(5, box, parts, points, starts, ring)).Bytes();
    };
    ByteBuffer shortPoint;  // type and X only
    shortPoint.PutLE<std::int32_t>(1);
    shortPoint.PutLE<double>(1.0);
    ByteBuffer multi;
    multi.PutLE<std::int32_t>(8);
    test::PutBox(multi, box);
    multi.PutLE<std::int32_t>(1000000000);
    const std::string good = ShpBuilder(5).Poly(5, box, {ring}).Bytes();

    const std::pair<const char*, std::string> cases[] = {
        {"file length past the file", ShpBuilder(5).Poly(5, box, {ring}).Bytes(9994, 1000, 200)},
        {"file length inside a record", ShpBuilder(5).Poly(5, box, {ring}).Bytes(9994, 1000, 60)},
        {"file cut inside a record", good.substr(0, good.size() - 8)},
        {"content length past the file", ShpBuilder(1).Raw(shortPoint, 0x7fffffff).Bytes()},
        {"content length zero", ShpBuilder(1).Raw(shortPoint, 0).Bytes()},
        {"content length negative", ShpBuilder(1).Raw(shortPoint, -4).Bytes()},
        {"point shorter than a point", ShpBuilder(1).Raw(shortPoint).Bytes()},
        {"multipoint count past the record", ShpBuilder(8).Raw(multi).Bytes()},
        {"negative part count", poly(-1, 5, {0})},
        {"huge part count", poly(1 << 30, 5, {0})},
        {"point count past the record", poly(1, 1 << 30, {0})},
        {"negative point count", poly(1, -5, {0})},
        {"first part not at 0", poly(1, 5, {1})},
        {"parts going back", poly(3, 5, {0, 3, 2})},
        {"part past the points", poly(2, 5, {0, 7})},
    };
    for (const auto& [what, bytes] : cases) {
        Import(bytes);
        EXPECT_TRUE(ctx.Failed()) << what;
    }
}

// Every byte of a good file overwritten in turn: a failure, or a layer whose counts describe
// exactly what it holds.
TEST_F(ShapeReaderTest, AnyDamagedByteLeavesAConsistentModel) {
    const Bounds box{0, 0, 100, 100};
    const std::string good =
        ShpBuilder(5)
            .Poly(5, box, {ClockwiseSquare(0, 0, 100), ClockwiseSquare(1, 1, 5)})
            .Null()
            .Poly(5, box, {ClockwiseSquare(2, 2, 5)})
            .Bytes();
    for (std::size_t at = 24; at < good.size(); ++at) {
        for (char value : {'\x7f', '\xff'}) {
            std::string bytes = good;
            bytes[at] = value;
            Import(bytes);
            if (ctx.Failed()) continue;
            const LayerModel& m = ctx.model;
            ASSERT_EQ(static_cast<std::size_t>(m.LayerObjectCount), m.ObjectIndex.size()) << at;
            for (const RegionObject& r : m.Regions) {
                ASSERT_EQ(static_cast<std::size_t>(r.PartCount), r.Parts.size()) << at;
                for (const RegionPart& part : r.Parts)
                    ASSERT_EQ(static_cast<std::size_t>(part.VertexCount), part.Vertices.size());
            }
        }
    }
}

}  // namespace
}  // namespace vx
