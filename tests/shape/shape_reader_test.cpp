#include <gtest/gtest.h>

#include "model/job_context.h"
#include "platform/file_system.h"
#include "platform/strings.h"
#include "shape/shape_bytes.h"
#include "shape/shape_reader.h"
#include "shape/shape_style.h"
#include "support/test_support.h"
#include "vxv/layer_reader.h"

namespace vx {
namespace {

using test::ClockwiseSquare;
using test::Reversed;
using test::ShpBuilder;

class ShapeReaderTest : public ::testing::Test {
  protected:
    ShapeReaderTest() {
        target.vxvPath = dir / "layer.vxv";
        target.vxsPath = dir / "layer.vxs";
        target.tableFileName = "layer.dbf";
        ShapeImportArguments arguments;
        arguments.BrushBackColor = 0x123456;
        arguments.PointSize = 14;
        arguments.PointRot = 44.5f;
        arguments.PointStyle = 3;
        target.style = ShapeStyleFor(arguments);
    }

    // Writes the bytes as a .shp and imports it.
    void Import(const std::string& bytes) {
        test::WriteFile(dir / "in.shp", bytes);
        ReadShapeFile(ctx, dir / "in.shp", target);
    }

    // The layer written by the import, read back as an export would.
    JobContext ReadBack() {
        JobContext back;
        std::string error;
        EXPECT_TRUE(ReadLayerData(back, target.vxvPath, target.vxsPath, LayerTarget::kObjects,
                                  false, error))
            << error;
        return back;
    }

    test::TempDir dir;
    JobContext ctx;
    ShapeLayerTarget target;
};

TEST(ShapeStyle, ArgumentsThatReachTheLayer) {
    ShapeImportArguments arguments;
    arguments.FontName = "Wingdings";
    arguments.FontNameSize = 40;
    arguments.PenColor = 7;
    arguments.BrushBackColor = 99;
    arguments.PointSize = 12;
    arguments.PointStyle = 5;
    const ShapeStyleDefaults style = ShapeStyleFor(arguments);
    EXPECT_EQ(style.FontName, "VX Maps");
    EXPECT_EQ(style.FontNameLength, 7);
    EXPECT_EQ(style.PenColor, 0);
    EXPECT_EQ(style.BrushForeColor, 16777215);
    EXPECT_EQ(style.BrushBackColor, 99);
    EXPECT_EQ(style.PointStyle, 34);
    EXPECT_EQ(style.PointColor, 0);
    EXPECT_EQ(style.PointSize, 12);
    EXPECT_EQ(style.FontStyle, 5);

    // Rotations are rounded to whole degrees, halves to the even neighbour.
    const std::pair<float, std::int32_t> rotations[] = {
        {2.5f, 2}, {3.5f, 4}, {-0.5f, 0}, {10.4f, 10}, {-7.6f, -8}, {1e20f, 2147483647}};
    for (auto [given, expected] : rotations) {
        arguments.PointRot = given;
        EXPECT_EQ(ShapeStyleFor(arguments).PointRot, expected) << given;
    }
}

TEST_F(ShapeReaderTest, HeaderOnlyFileGivesAnEmptyLayerOfItsKind) {
    const std::pair<std::int32_t, int> kinds[] = {
        {1, kKindPoint}, {3, kKindLine}, {5, kKindRegion}, {8, kKindPoint}};
    for (auto [shapeType, kind] : kinds) {
        ctx.ResetJob();
        const std::string bytes = ShpBuilder(shapeType).Bytes();
        ASSERT_EQ(bytes.size(), 100u);
        Import(bytes);
        ASSERT_FALSE(ctx.Failed()) << shapeType;
        EXPECT_EQ(ctx.model.LayerObjectCount, 0);
        JobContext back = ReadBack();
        EXPECT_EQ(back.model.LayerKind.ObjectKind, kind) << shapeType;
        EXPECT_EQ(back.model.LayerObjectCount, 0);
    }
    EXPECT_NE(ctx.Log().find("\tReading....\r\n\tReading Shape MultiPoints\r\n\tWriting.....\r\n"
                             "\tWriting Shape Points\r\n"),
              std::string::npos)
        << ctx.Log();
}

TEST_F(ShapeReaderTest, PointsKeepTheirRecordNumbersPastNullRecords) {
    // A null record may also carry a longer content; its type says it holds nothing.
    ByteBuffer longNull;
    longNull.PutLE<std::int32_t>(0);
    longNull.PutZeros(16);
    const std::string bytes = ShpBuilder(1, {1, 2, 5, 6})
                                  .Point(1, 2)
                                  .Null()
                                  .Point(5, 6)
                                  .Raw(longNull, 10)
                                  .Point(3, 4)
                                  .Bytes();
    Import(bytes);
    ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    const LayerModel& m = ctx.model;
    ASSERT_EQ(m.LayerObjectCount, 3);
    ASSERT_EQ(m.Points.size(), 3u);
    const std::int32_t numbers[] = {1, 3, 5};
    for (std::size_t i = 0; i < 3; ++i) {
        const PointObject& p = m.Points[i];
        EXPECT_EQ(m.ObjectIndex[i].ObjectNo, numbers[i]);
        EXPECT_EQ(m.ObjectIndex[i].ObjectKind, kKindPoint);
        ASSERT_EQ(p.VertexCount, 1);
        EXPECT_EQ(p.MinX, p.Vertices[0].X);
        EXPECT_EQ(p.MaxY, p.Vertices[0].Y);
        EXPECT_EQ(m.ObjectIndex[i].MinX, p.Vertices[0].X);
        EXPECT_EQ(m.ObjectIndex[i].MaxY, p.Vertices[0].Y);
        EXPECT_EQ(p.PointStyle, 34);
        EXPECT_EQ(p.PointColor, 0);
        EXPECT_EQ(p.PointSize, 14);
        EXPECT_EQ(p.FontIndex, 1);
        EXPECT_EQ(p.FontStyle, 3);
        EXPECT_EQ(p.PointRot, 44.0f);
    }
    EXPECT_EQ(m.Points[1].Vertices[0], (Vertex{5, 6}));

    // The written layer keeps the record numbers and the symbol.
    JobContext back = ReadBack();
    ASSERT_EQ(back.model.ObjectIndex.size(), 3u);
    EXPECT_EQ(back.model.ObjectIndex[2].ObjectNo, 5);
    EXPECT_EQ(back.model.Points[2].Vertices[0], (Vertex{3, 4}));
    EXPECT_EQ(back.model.Points[2].PointSize, 14);
}

TEST_F(ShapeReaderTest, PolylinePartsAndPolygonHoles) {
    const Bounds box{0, 0, 100, 100};
    const std::vector<std::vector<Vertex>> parts = {
        {{0, 0}, {1, 1}, {2, 0}}, {{5, 5}, {6, 6}}, {{9, 9}, {8, 8}, {7, 7}, {6, 6}}};
    Import(ShpBuilder(3, box).Poly(3, box, parts).Bytes());
    ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    ASSERT_EQ(ctx.model.Lines.size(), 1u);
    const LineObject& line = ctx.model.Lines[0];
    EXPECT_EQ(line.PenIndex, 1);
    ASSERT_EQ(line.PartCount, 3);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(line.Parts[k].VertexCount, static_cast<std::int32_t>(parts[k].size()));
        EXPECT_EQ(line.Parts[k].Vertices, parts[k]);
        // Every part carries the record's box, not its own.
        EXPECT_EQ(line.Parts[k].MinX, 0);
        EXPECT_EQ(line.Parts[k].MaxY, 100);
    }

    ctx.ResetJob();
    const auto outer = ClockwiseSquare(0, 0, 100);
    const auto hole = Reversed(ClockwiseSquare(10, 10, 20));
    const auto island = ClockwiseSquare(50, 50, 20);
    Import(ShpBuilder(5, box)
               .Poly(5, box, {outer, hole})
               .Poly(5, {50, 50, 70, 70}, {island, island})
               .Poly(5, box, {outer, hole, outer, hole})
               .Bytes());
    ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    const auto& regions = ctx.model.Regions;
    ASSERT_EQ(regions.size(), 3u);
    EXPECT_EQ(regions[0].PenIndex, 1);
    EXPECT_EQ(regions[0].BrushIndex, 1);
    ASSERT_EQ(regions[0].PartCount, 2);
    EXPECT_EQ(regions[0].Parts[0].IsHole, 0);
    EXPECT_EQ(regions[0].Parts[1].IsHole, 1);
    EXPECT_EQ(regions[0].Parts[1].Vertices, hole);
    EXPECT_EQ(regions[1].Parts[1].IsHole, 0);
    EXPECT_EQ(regions[1].Parts[0].MinX, 50);
    EXPECT_EQ(ctx.model.ObjectIndex[1].MaxX, 70);
    // A hole after a second outer ring is a hole too, not only the ring after the first.
    const std::uint8_t expected[] = {0, 1, 0, 1};
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_EQ(regions[2].Parts[k].IsHole, expected[k]) << k;

    JobContext back = ReadBack();
    ASSERT_EQ(back.model.Regions.size(), 3u);
    EXPECT_EQ(back.model.Regions[2].Parts[3].IsHole, 1);
    EXPECT_EQ(back.model.Regions[0].Parts[0].Vertices, outer);
}

TEST_F(ShapeReaderTest, MultipointRecordIsOnePointOfAllItsVertices) {
    const std::vector<Vertex> five = {{1, 1}, {2, 5}, {3, 2}, {4, 4}, {5, 3}};
    const Bounds box{1, 1, 5, 5};
    Import(ShpBuilder(8, box).MultiPoint(box, five).Bytes());
    ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    ASSERT_EQ(ctx.model.Points.size(), 1u);
    const PointObject& p = ctx.model.Points[0];
    EXPECT_EQ(p.VertexCount, 5);
    EXPECT_EQ(p.Vertices, five);
    EXPECT_EQ((Bounds{p.MinX, p.MinY, p.MaxX, p.MaxY}), box);
    EXPECT_EQ(ctx.model.ObjectIndex[0].MaxY, 5);
    EXPECT_EQ(p.PointStyle, 34);
    EXPECT_EQ(ReadBack().model.Points[0].VertexCount, 5);
}

TEST_F(ShapeReaderTest, LayerFileCarriesOneEntryTablesAndTheShapefileBox) {
    // Xmin equals Xmax: the layer gets an extent in X; Y stays.
    Import(ShpBuilder(1, {7, 1, 7, 9}).Point(7, 1).Point(7, 9).Bytes());
    ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    JobContext back = ReadBack();
    const LayerModel& m = back.model;
    EXPECT_EQ(m.Layer.lProjection, 1);
    EXPECT_EQ(m.Layer.lDatum, 0);
    EXPECT_EQ(m.Layer.lShiftX, 0.0) << "no sphere radius rule";
    EXPECT_EQ(m.Layer.MinX, 7 - 0.00001);
    EXPECT_EQ(m.Layer.MaxX, 7 + 0.00001);
    EXPECT_EQ(m.Layer.MinY, 1);
    EXPECT_EQ(m.Layer.MaxY, 9);
    EXPECT_EQ(m.FileHeader.FormatNumber, 102);
    ASSERT_EQ(m.TableNames.size(), 1u);
    EXPECT_EQ(m.TableNames[0], "layer.dbf");
    ASSERT_EQ(m.Fonts.Count(), 1);
    EXPECT_EQ(m.Fonts.Name(1), "VX Maps");
    EXPECT_EQ(m.Fonts.Length(1), 7);
    ASSERT_EQ(m.FileHeader.PenCount, 1);
    ASSERT_EQ(m.FileHeader.BrushCount, 1);

    // The pen and brush tables are read back with a line and a region layer.
    ctx.ResetJob();
    Import(ShpBuilder(5).Poly(5, {0, 0, 10, 10}, {ClockwiseSquare(0, 0, 10)}).Bytes());
    ASSERT_FALSE(ctx.Failed()) << ctx.Log();
    JobContext region = ReadBack();
    ASSERT_EQ(region.model.Pens.Count(), 1);
    EXPECT_EQ(region.model.Pens.At(1), (PenStyle{1, 0, 0}));
    ASSERT_EQ(region.model.Brushes.Count(), 1);
    EXPECT_EQ(region.model.Brushes.At(1), (BrushStyle{1, 16777215, 0x123456}));
    EXPECT_EQ(region.model.Layer.MinX, 0) << "an extent is not widened";
    EXPECT_EQ(region.model.ObjectIndex[0].DataOffset, 0);
}

TEST_F(ShapeReaderTest, WrongFileCodeOrVersionIsRefusedWithItsMessage) {
    Import(ShpBuilder(1).Point(1, 1).Bytes(9995));
    EXPECT_TRUE(ctx.Failed());
    const std::string codeLine = "\t" + (dir / "in.shp") + ",Incorrect Shape Version Code\r\n";
    EXPECT_EQ(ctx.StatusText(), codeLine);
    EXPECT_NE(ctx.Log().find(codeLine), std::string::npos);
    EXPECT_FALSE(FileExists(target.vxvPath));

    ctx.ResetJob();
    Import(ShpBuilder(1).Point(1, 1).Bytes(9994, 1001));
    EXPECT_TRUE(ctx.Failed());
    EXPECT_EQ(ctx.StatusText(), "\tInvalid Shape Code");
    EXPECT_EQ(ctx.Log().substr(ctx.Log().size() - 19), "\tInvalid Shape Code");
    EXPECT_FALSE(FileExists(target.vxvPath));

    // Too short to hold a file code at all.
    ctx.ResetJob();
    Import("\x00\x00\x27");
    EXPECT_TRUE(ctx.Failed());
    EXPECT_NE(ctx.StatusText().find("Incorrect Shape Version Code"), std::string::npos);
}

TEST_F(ShapeReaderTest, DamagedFilesFailWithoutALayer) {
    const Bounds box{0, 0, 10, 10};
    const auto ring = ClockwiseSquare(0, 0, 10);
    const std::string good = ShpBuilder(5, box).Poly(5, box, {ring}).Bytes();
    ByteBuffer shortPoint;
    shortPoint.PutLE<std::int32_t>(1);
    shortPoint.PutLE<double>(1.0);
    ByteBuffer multi;
    multi.PutLE<std::int32_t>(8);
    ShpBuilder::PutBox(multi, box);
    multi.PutLE<std::int32_t>(1000000000);
    // A polygon content with any counts and starts over the five vertices of `ring`.
    auto poly = [&](std::int32_t parts, std::int32_t points, std::vector<std::int32_t> starts) {
        ByteBuffer content;
        content.PutLE<std::int32_t>(5);
        ShpBuilder::PutBox(content, box);
        content.PutLE<std::int32_t>(parts);
        content.PutLE<std::int32_t>(points);
        for (std::int32_t s : starts)
            content.PutLE<std::int32_t>(s);
        for (const Vertex& v : ring)
            ShpBuilder::PutVertex(content, v);
        return ShpBuilder(5, box)
            .Raw(content, static_cast<std::int32_t>(content.Size() / 2))
            .Bytes();
    };

    const std::pair<const char*, std::string> cases[] = {
        {"file length beyond the file",
         ShpBuilder(5, box).Poly(5, box, {ring}).Bytes(9994, 1000, 200)},
        {"file length cuts a record",
         ShpBuilder(5, box).Poly(5, box, {ring}).Bytes(9994, 1000, 60)},
        {"file cut inside a record", good.substr(0, good.size() - 8)},
        {"content length beyond the file", ShpBuilder(1).Raw(shortPoint, 0x7fffffff).Bytes()},
        {"content length zero", ShpBuilder(1).Raw(shortPoint, 0).Bytes()},
        {"content length negative", ShpBuilder(1).Raw(shortPoint, -4).Bytes()},
        {"point shorter than its type needs", ShpBuilder(1).Raw(shortPoint, 6).Bytes()},
        {"multipoint count beyond the record", ShpBuilder(8).Raw(multi, 20).Bytes()},
        {"negative part count", poly(-1, 5, {0})},
        {"huge part count", poly(1 << 30, 5, {0})},
        {"point count beyond the record", poly(1, 1 << 30, {0})},
        {"negative point count", poly(1, -5, {0})},
        {"first part not at 0", poly(1, 5, {1})},
        {"parts going back", poly(3, 5, {0, 3, 2})},
        {"part past the points", poly(2, 5, {0, 7})},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        ctx.ResetJob();
        DeleteFile(target.vxvPath);
        Import(bytes);
        EXPECT_TRUE(ctx.Failed());
        EXPECT_FALSE(FileExists(target.vxvPath));
        EXPECT_EQ(ctx.StatusText().find("Writing"), std::string::npos);
    }
}

// Every byte of a good file overwritten in turn: each result is a failure or a layer whose
// counts describe exactly what it holds.
TEST_F(ShapeReaderTest, AnyDamagedByteLeavesAConsistentModel) {
    const Bounds box{0, 0, 100, 100};
    const std::string good =
        ShpBuilder(5, box)
            .Poly(5, box, {ClockwiseSquare(0, 0, 100), ClockwiseSquare(1, 1, 5)})
            .Null()
            .Poly(5, box, {ClockwiseSquare(2, 2, 5)})
            .Bytes();
    for (std::size_t at = 24; at < good.size(); ++at) {
        for (unsigned char value : {0x7f, 0xff}) {
            std::string bytes = good;
            bytes[at] = static_cast<char>(value);
            ctx.ResetJob();
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
