#include <gtest/gtest.h>

#include <algorithm>

#include "dbase/dbase_layout.h"
#include "platform/endian.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "shape/shape_bytes.h"
#include "shape/shape_writer.h"
#include "support/test_support.h"

namespace vx {
namespace {

using test::ClockwiseSquare;
using test::Reversed;

std::int32_t BE(const std::string& s, std::size_t at) {
    return LoadBE<std::int32_t>(reinterpret_cast<const unsigned char*>(s.data()) + at);
}
std::int32_t LE(const std::string& s, std::size_t at) {
    return LoadLE<std::int32_t>(reinterpret_cast<const unsigned char*>(s.data()) + at);
}
double F64(const std::string& s, std::size_t at) {
    return LoadLE<double>(reinterpret_cast<const unsigned char*>(s.data()) + at);
}

// Twice the signed area, the closing edge included: positive when counter-clockwise.
double SignedArea2(const std::vector<Vertex>& ring) {
    double sum = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const Vertex& a = ring[i];
        const Vertex& b = ring[(i + 1) % ring.size()];
        sum += a.X * b.Y - b.X * a.Y;
    }
    return sum;
}

RegionPart Ring(std::vector<Vertex> vertices, std::uint8_t hole = 0) {
    return {hole, static_cast<std::int32_t>(vertices.size()), 0, 0, 0, 0, std::move(vertices)};
}

// The parts of the polygon or polyline record at byte `at` of a .shp.
std::vector<std::vector<Vertex>> RecordParts(const std::string& shp, std::size_t at) {
    const std::int32_t parts = LE(shp, at + 44), points = LE(shp, at + 48);
    const std::size_t pointsAt = at + 52 + 4 * static_cast<std::size_t>(parts);
    std::vector<std::vector<Vertex>> out(static_cast<std::size_t>(parts));
    for (std::int32_t k = 0; k < parts; ++k) {
        const std::int32_t end = k + 1 < parts ? LE(shp, at + 56 + 4 * k) : points;
        for (std::int32_t i = LE(shp, at + 52 + 4 * k); i < end; ++i)
            out[k].push_back({F64(shp, pointsAt + 16 * i), F64(shp, pointsAt + 16 * i + 8)});
    }
    return out;
}

class ShapeWriterTest : public ::testing::Test {
  protected:
    ShapeWriterTest() {
        paths = {dir / "out.shp", dir / "out.shx", dir / "out.dbf", dir / "src"};
        model.Layer.MinX = -1.5;
        model.Layer.MinY = 2.5;
        model.Layer.MaxX = 100.25;
        model.Layer.MaxY = 200.75;
    }
    void SetRegions(std::vector<std::vector<RegionPart>> regions) {
        model.LayerKind.ObjectKind = kKindRegion;
        model.LayerObjectCount = static_cast<std::int32_t>(regions.size());
        for (auto& rings : regions) {
            ShapeRegionObject& r = model.ShapeRegions.emplace_back();
            r.PartCount = static_cast<std::int32_t>(rings.size());
            r.Parts = std::move(rings);
            r.MaxX = r.MaxY = 30;
        }
    }
    bool Write() {
        log = {};
        result = WriteShapeFile(model, paths, withTable, log);
        return result == ShapeWriteResult::kWritten;
    }
    std::string Shp() const { return test::ReadFile(paths.shpPath); }
    std::string Shx() const { return test::ReadFile(paths.shxPath); }

    test::TempDir dir;
    LayerModel model;
    bool withTable = false;
    test::StatusLog log;
    ShapeWriteResult result = ShapeWriteResult::kWritten;
    ShapeExportPaths paths;
};

TEST_F(ShapeWriterTest, EmptyLayerGivesHeaderOnlyFiles) {
    SetRegions({});
    ASSERT_TRUE(Write()) << log.log;
    for (const std::string& bytes : {Shp(), Shx()}) {
        ASSERT_EQ(bytes.size(), 100u);
        EXPECT_EQ(bytes.substr(0, 4), std::string("\x00\x00\x27\x0A", 4));
        EXPECT_EQ(bytes.substr(28, 4), std::string("\xE8\x03\x00\x00", 4));
        EXPECT_EQ(BE(bytes, 24), 50);
        EXPECT_EQ(LE(bytes, 32), 5);
        EXPECT_EQ((Bounds{F64(bytes, 36), F64(bytes, 44), F64(bytes, 52), F64(bytes, 60)}),
                  (Bounds{-1.5, 2.5, 100.25, 200.75}));
        EXPECT_EQ(bytes.substr(4, 20) + bytes.substr(68, 32), std::string(52, '\0'));
    }
    EXPECT_EQ(log.log, "\tCreating Data File....\r\n\tWriting....\r\n");
    EXPECT_FALSE(FileExists(paths.dbfPath)) << "no table without attributes";
}

TEST_F(ShapeWriterTest, RecordLayoutsAndIndexOfEachKind) {
    const auto outer = ClockwiseSquare(0, 0, 10);
    const std::vector<Vertex> island = {{20, 20}, {20, 30}, {30, 20}, {20, 20}};
    SetRegions({{Ring(outer), Ring(island)}});
    ASSERT_TRUE(Write()) << log.log;
    std::string shp = Shp(), shx = Shx();
    ASSERT_EQ(shp.size(), 100u + 8 + 196);
    EXPECT_EQ(BE(shp, 24), 152);
    const std::int32_t head[] = {1, 98};  // record number, 22 + 2 x 2 parts + 8 x 9 points
    EXPECT_EQ(BE(shp, 100), head[0]);
    EXPECT_EQ(BE(shp, 104), head[1]);
    EXPECT_EQ(LE(shp, 108), 5);
    EXPECT_EQ(F64(shp, 136), 30.0) << "the object's box";
    EXPECT_EQ(RecordParts(shp, 100), (std::vector<std::vector<Vertex>>{outer, island}));
    ASSERT_EQ(shx.size(), 108u);
    EXPECT_EQ(BE(shx, 24), 54);
    EXPECT_EQ(BE(shx, 100), 50);
    EXPECT_EQ(BE(shx, 104), 98);
    EXPECT_EQ(shx.substr(28, 72), shp.substr(28, 72));

    // Points become multipoints: 20 + 8 x points words each.
    model.LayerKind.ObjectKind = kKindPoint;
    for (auto vertices : {std::vector<Vertex>{{1, 2}}, {{3, 4}}, {{7, 8}, {9, 10}}}) {
        PointObject& p = model.ShapePoints.emplace_back();
        p.VertexCount = static_cast<std::int32_t>(vertices.size());
        p.Vertices = vertices;
        p.MaxY = vertices.back().Y;
    }
    model.LayerObjectCount = 3;
    ASSERT_TRUE(Write()) << log.log;
    shp = Shp();
    shx = Shx();
    EXPECT_EQ(LE(shp, 32), 8);
    const std::int32_t offsets[] = {50, 82, 114}, lengths[] = {28, 28, 36};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(BE(shx, 100 + 8 * i), offsets[i]);
        EXPECT_EQ(BE(shx, 104 + 8 * i), lengths[i]);
        EXPECT_EQ(BE(shp, 2 * offsets[i]), static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(LE(shp, 2 * offsets[i] + 44), i < 2 ? 1 : 2);
    }
    EXPECT_EQ(F64(shp, 2 * 114 + 36), 10.0) << "box from the object's bounds";
    EXPECT_EQ(F64(shp, 2 * 114 + 64), 9.0);

    // A line of one part of two vertices: 22 + 2 + 16 words.
    ShapeLineObject& line = model.ShapeLines.emplace_back();
    line.PartCount = 1;
    line.Parts.push_back({2, 0, 0, 0, 0, {{0, 0}, {3, 4}}});
    model.LayerKind.ObjectKind = kKindLine;
    model.LayerObjectCount = 1;
    ASSERT_TRUE(Write()) << log.log;
    EXPECT_EQ(LE(Shp(), 32), 3);
    EXPECT_EQ(BE(Shx(), 104), 40);
    EXPECT_EQ(RecordParts(Shp(), 100)[0], line.Parts[0].Vertices);
}

// A region as the MIF import leaves it: rings turning either way, only one hole marked.
TEST_F(ShapeWriterTest, RingsAreClosedAndTurnedAsShapefilesRequire) {
    const std::vector<Vertex> given[] = {Reversed(ClockwiseSquare(0, 0, 100)),
                                         ClockwiseSquare(10, 10, 30),
                                         Reversed(ClockwiseSquare(60, 60, 30)),
                                         Reversed(ClockwiseSquare(20, 20, 10)),
                                         {{70, 10}, {80, 10}, {80, 20}}};  // a hole left open
    SetRegions(
        {{Ring(given[0]), Ring(given[1], 1), Ring(given[2]), Ring(given[3]), Ring(given[4])}});
    ASSERT_TRUE(Write()) << log.log;
    const auto parts = RecordParts(Shp(), 100);
    ASSERT_EQ(parts.size(), 5u);
    const bool hole[] = {false, true, true, false, true};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(SignedArea2(parts[k]) > 0, hole[k]) << k;
        EXPECT_EQ(parts[k].front(), parts[k].back()) << k;
        EXPECT_EQ(std::abs(SignedArea2(parts[k])), std::abs(SignedArea2(given[k]))) << k;
        for (const Vertex& v : given[k])
            EXPECT_NE(std::find(parts[k].begin(), parts[k].end(), v), parts[k].end()) << k;
    }
    EXPECT_EQ(parts[4].size(), 4u);
    EXPECT_EQ(BE(Shp(), 104), 22 + 2 * 5 + 8 * 24);
}

TEST_F(ShapeWriterTest, OlderLongerFilesAreReplaced) {
    test::WriteFile(paths.shpPath, std::string(5000, 'x'));
    test::WriteFile(paths.shxPath, std::string(5000, 'x'));
    SetRegions({{Ring(ClockwiseSquare(0, 0, 1))}});
    ASSERT_TRUE(Write()) << log.log;
    EXPECT_EQ(Shp().size(), 100u + 8 + 128);
    EXPECT_EQ(Shx().size(), 108u);
    model.LayerObjectCount = 2;  // more than the layer holds
    EXPECT_FALSE(Write());
}

TEST_F(ShapeWriterTest, TableIsCopiedFromTheLayerFolderAndKeepsItsRows) {
    withTable = true;
    auto attempt = [&](std::int32_t count, const std::string& name) {
        model = LayerModel();
        model.LayerKind.ObjectKind = kKindRegion;
        model.FileHeader.TableCount = count;
        model.TableNames = {name};
        return Write();
    };
    test::WriteFile(dir / "secret.dbf", "x");
    for (auto [count, name] : {std::pair{0, "layer.dbf"}, {1, "../secret.dbf"}}) {
        EXPECT_FALSE(attempt(count, name));
        EXPECT_EQ(log.log, "\tCreating Data File....\r\n\tMissing or Corrupt Data File\r\n");
    }
    EXPECT_FALSE(attempt(1, "layer.dbf"));
    EXPECT_EQ(result, ShapeWriteResult::kTableMissing);
    EXPECT_FALSE(FileExists(paths.shpPath) || FileExists(paths.dbfPath));

    // A table of 4 rows for objects numbered 2 and 3: null records at 1 and 4.
    ByteBuffer table;
    table.PutU8(3);
    table.PutZeros(3);
    table.PutLE<std::int32_t>(4);
    table.PutLE<std::uint16_t>(65);
    table.PutLE<std::uint16_t>(2);
    table.PutZeros(20);
    table.PutText(std::string("A\0\0\0\0\0\0\0\0\0\0C", 12));
    table.PutZeros(4);
    table.PutU8(1);
    table.PutZeros(15);
    table.PutText("\r 1 2 3 4\x1a");
    test::WriteFile(paths.sourceFolder + "/layer.dbf",
                    std::string(reinterpret_cast<const char*>(table.Data()), table.Size()));
    model = LayerModel();
    SetRegions({{Ring(ClockwiseSquare(0, 0, 1))}, {Ring(ClockwiseSquare(0, 0, 2))}});
    model.FileHeader.TableCount = 1;
    model.TableNames = {"layer.dbf"};
    model.ObjectIndex.resize(2);
    model.ObjectIndex[0].ObjectNo = 2;
    model.ObjectIndex[1].ObjectNo = 3;
    ASSERT_TRUE(Write()) << log.log;
    // The copy names the code page of its text: Windows-1252 for a table that names none.
    std::string expected = test::ReadFile(paths.sourceFolder + "/layer.dbf");
    expected[kDbfLanguageDriverAt] = 0x03;
    EXPECT_EQ(test::ReadFile(paths.dbfPath), expected);
    EXPECT_EQ(test::ReadFile(WithExtension(paths.dbfPath, ".cpg")), "1252");
    const std::string shp = Shp(), shx = Shx();
    ASSERT_EQ(shx.size(), 100u + 4 * 8);
    const std::int32_t lengths[] = {2, 64, 64, 2};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(BE(shx, 104 + 8 * i), lengths[i]) << i;
        EXPECT_EQ(BE(shp, 2 * BE(shx, 100 + 8 * i)), static_cast<std::int32_t>(i + 1));
    }
    EXPECT_EQ(LE(shp, 108), 0) << "a null shape";

    // A table that names its code page passes it on, by its .cpg or by its byte alone.
    const std::string cpg = WithExtension(paths.dbfPath, ".cpg");
    test::WriteFile(paths.sourceFolder + "/layer.CPG", "UTF-8");
    ASSERT_TRUE(Write()) << log.log;
    EXPECT_EQ(test::ReadFile(cpg), "UTF-8");
    EXPECT_EQ(test::ReadFile(paths.dbfPath)[kDbfLanguageDriverAt], 0) << "no byte says UTF-8";
    ASSERT_TRUE(DeleteFile(paths.sourceFolder + "/layer.CPG"));
    std::string cyrillic = test::ReadFile(paths.sourceFolder + "/layer.dbf");
    cyrillic[kDbfLanguageDriverAt] = static_cast<char>(0xC9);
    test::WriteFile(paths.sourceFolder + "/layer.dbf", cyrillic);
    ASSERT_TRUE(Write()) << log.log;
    EXPECT_EQ(test::ReadFile(paths.dbfPath), cyrillic);
    EXPECT_EQ(test::ReadFile(cpg), "1251");
}

}  // namespace
}  // namespace vx
