#include <gtest/gtest.h>

#include "dbase/dbase_layout.h"
#include "dbase/dbase_test_support.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "shape/shape_reader.h"
#include "shape/shape_test_support.h"
#include "shape/shape_writer.h"
#include "support/test_support.h"

namespace vx {
namespace {

using test::ClockwiseSquare;
using test::DoubleAt;
using test::IntAt;
using test::Reversed;
using Rings = std::vector<std::vector<Vertex>>;

class ShapeWriterTest : public ::testing::Test {
  protected:
    ShapeWriterTest() {
        paths = {dir / "out.shp", dir / "out.shx", dir / "out.dbf", dir / "src"};
        model.Layer.MinX = -1.5;
        model.Layer.MinY = 2.5;
        model.Layer.MaxX = 100.25;
        model.Layer.MaxY = 200.75;
    }
    void SetRegions(const std::vector<Rings>& regions, std::uint8_t firstHoles = 0) {
        model.LayerKind.ObjectKind = kKindRegion;
        model.LayerObjectCount = static_cast<std::int32_t>(regions.size());
        model.Regions.clear();
        model.ObjectIndex.clear();
        for (const Rings& rings : regions) {
            RegionObject& r = model.Regions.emplace_back();
            r.PartCount = static_cast<std::int32_t>(rings.size());
            for (const auto& ring : rings) {
                const std::uint8_t hole = r.Parts.size() < firstHoles && !r.Parts.empty();
                r.Parts.push_back({hole, static_cast<std::int32_t>(ring.size()), 0, 0, 0, 0, ring});
            }
            model.ObjectIndex.push_back({.MaxX = 30, .MaxY = 30});  // the record's box
        }
    }
    bool Write() {
        log = {};
        result = WriteShapeFile(model, paths, withTable, log);
        return result == ShapeWriteResult::kWritten;
    }
    std::string Shp() const { return test::ReadFile(paths.shpPath); }
    std::string Shx() const { return test::ReadFile(paths.shxPath); }
    // The .shp written, as the shapefile reader reads it.
    LayerModel ReadBack() {
        test::StatusLog ignored;
        ShapeReading reading = ReadShapeFile(paths.shpPath, {}, ignored);
        EXPECT_TRUE(reading.ok);
        return reading.model;
    }

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
        EXPECT_EQ(IntAt(bytes, 24, true), 50);
        EXPECT_EQ(IntAt(bytes, 32), 5);
        EXPECT_EQ((Bounds{DoubleAt(bytes, 36), DoubleAt(bytes, 44), DoubleAt(bytes, 52),
                          DoubleAt(bytes, 60)}),
                  (Bounds{-1.5, 2.5, 100.25, 200.75}));
        EXPECT_EQ(bytes.substr(4, 20) + bytes.substr(68, 32), std::string(52, '\0'));
    }
    EXPECT_EQ(log.log, "\tCreating Data File....\r\n\tWriting....\r\n");
    EXPECT_FALSE(FileExists(paths.dbfPath)) << "no table without attributes";
}

TEST_F(ShapeWriterTest, RecordLayoutsAndIndexOfEachKind) {
    // An older, longer file is replaced, not written over.
    test::WriteFile(paths.shpPath, std::string(5000, 'x'));
    test::WriteFile(paths.shxPath, std::string(5000, 'x'));
    const Rings rings = {ClockwiseSquare(0, 0, 10), {{20, 20}, {20, 30}, {30, 20}, {20, 20}}};
    SetRegions({rings});
    ASSERT_TRUE(Write()) << log.log;
    std::string shp = Shp(), shx = Shx();
    // Record number 1 of 22 + 2 x 2 parts + 8 x 9 points words, with the object's box.
    ASSERT_EQ(shp.size(), 100u + 8 + 196);
    EXPECT_EQ(IntAt(shp, 24, true), 152);
    EXPECT_EQ(IntAt(shp, 100, true), 1);
    EXPECT_EQ(IntAt(shp, 104, true), 98);
    EXPECT_EQ(IntAt(shp, 108), 5);
    EXPECT_EQ(DoubleAt(shp, 136), 30.0);
    const LayerModel back = ReadBack();
    EXPECT_EQ(back.Regions.at(0).Parts.at(0).Vertices, rings[0]);
    EXPECT_EQ(back.Regions[0].Parts.at(1).Vertices, rings[1]);
    ASSERT_EQ(shx.size(), 108u);
    EXPECT_EQ(IntAt(shx, 24, true), 54);
    EXPECT_EQ(IntAt(shx, 100, true), 50);
    EXPECT_EQ(IntAt(shx, 104, true), 98);
    EXPECT_EQ(shx.substr(28, 72), shp.substr(28, 72));
    model.LayerObjectCount = 2;  // more than the layer holds
    EXPECT_FALSE(Write());

    // Points become multipoints: 20 + 8 x points words each, the box from the index entry.
    model.LayerKind.ObjectKind = kKindPoint;
    model.ObjectIndex.clear();
    for (auto vertices : {std::vector<Vertex>{{1, 2}}, {{3, 4}}, {{7, 8}, {9, 10}}}) {
        model.Points.push_back(
            {.VertexCount = static_cast<std::int32_t>(vertices.size()), .Vertices = vertices});
        model.ObjectIndex.push_back({.MaxY = vertices.back().Y});
    }
    model.LayerObjectCount = 3;
    ASSERT_TRUE(Write()) << log.log;
    shp = Shp();
    shx = Shx();
    EXPECT_EQ(IntAt(shp, 32), 8);
    const std::int32_t offsets[] = {50, 82, 114}, lengths[] = {28, 28, 36};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(IntAt(shx, 100 + 8 * i, true), offsets[i]);
        EXPECT_EQ(IntAt(shx, 104 + 8 * i, true), lengths[i]);
        EXPECT_EQ(IntAt(shp, 2 * offsets[i], true), static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(IntAt(shp, 2 * offsets[i] + 44), i < 2 ? 1 : 2);
    }
    EXPECT_EQ(DoubleAt(shp, 2 * 114 + 36), 10.0);
    EXPECT_EQ(ReadBack().Points.at(2).Vertices, model.Points[2].Vertices);

    // A line of one part of two vertices: 22 + 2 + 16 words.
    LineObject& line = model.Lines.emplace_back();
    line.PartCount = 1;
    line.Parts.push_back({2, 0, 0, 0, 0, {{0, 0}, {3, 4}}});
    model.LayerKind.ObjectKind = kKindLine;
    model.LayerObjectCount = 1;
    ASSERT_TRUE(Write()) << log.log;
    EXPECT_EQ(IntAt(Shp(), 32), 3);
    EXPECT_EQ(IntAt(Shx(), 104, true), 40);
    EXPECT_EQ(ReadBack().Lines.at(0).Parts.at(0).Vertices, line.Parts[0].Vertices);
}

// A region as the MIF import leaves it: rings turning either way, only one hole marked.
TEST_F(ShapeWriterTest, RingsAreClosedAndTurnedAsShapefilesRequire) {
    const auto outer = ClockwiseSquare(0, 0, 100), hole = ClockwiseSquare(10, 10, 30);
    const auto island = ClockwiseSquare(20, 20, 10), pond = ClockwiseSquare(60, 60, 30);
    const std::vector<Vertex> open = {{70, 10}, {80, 10}, {80, 20}};  // a hole left open
    SetRegions({{Reversed(outer), hole, Reversed(pond), Reversed(island), open}}, 2);
    ASSERT_TRUE(Write()) << log.log;
    // Outer rings clockwise, holes (inside an odd number of rings) counter-clockwise.
    const Rings expected = {
        outer, Reversed(hole), Reversed(pond), island, {{70, 10}, {80, 10}, {80, 20}, {70, 10}}};
    const LayerModel back = ReadBack();
    const auto& parts = back.Regions.at(0).Parts;
    ASSERT_EQ(parts.size(), 5u);
    for (std::size_t k = 0; k < 5; ++k)
        EXPECT_EQ(parts[k].Vertices, expected[k]) << k;
    EXPECT_EQ(IntAt(Shp(), 104, true), 22 + 2 * 5 + 8 * 24);
}

TEST_F(ShapeWriterTest, TableIsCopiedFromTheLayerFolderAndKeepsItsRows) {
    withTable = true;
    model.LayerKind.ObjectKind = kKindRegion;
    test::WriteFile(dir / "secret.dbf", "x");
    for (auto [count, name] : {std::pair{0, "layer.dbf"}, {1, "../secret.dbf"}}) {
        model.FileHeader.TableCount = count;
        model.TableNames = {name};
        EXPECT_FALSE(Write());
        EXPECT_EQ(log.log, "\tCreating Data File....\r\n\tMissing or Corrupt Data File\r\n");
    }
    model.TableNames = {"layer.dbf"};
    EXPECT_FALSE(Write());
    EXPECT_EQ(result, ShapeWriteResult::kTableMissing);
    EXPECT_FALSE(FileExists(paths.shpPath) || FileExists(paths.dbfPath));

    // A table of 4 rows for objects numbered 2 and 3: null records at 1 and 4.
    const std::string source =
        test::MakeTable(paths.sourceFolder, "layer", "[A] Integer", {"1", "2", "3", "4"});
    SetRegions({{ClockwiseSquare(0, 0, 1)}, {ClockwiseSquare(0, 0, 2)}});
    model.ObjectIndex.resize(2);
    model.ObjectIndex[0].ObjectNo = 2;
    model.ObjectIndex[1].ObjectNo = 3;
    ASSERT_TRUE(Write()) << log.log;
    // The copy names the code page of its text: Windows-1252 for a table that names none.
    std::string expected = test::ReadFile(source);
    ASSERT_EQ(expected[kDbfLanguageDriverAt], 0);
    expected[kDbfLanguageDriverAt] = 0x03;
    EXPECT_EQ(test::ReadFile(paths.dbfPath), expected);
    const std::string cpg = WithExtension(paths.dbfPath, ".cpg");
    EXPECT_EQ(test::ReadFile(cpg), "1252");
    const std::string shp = Shp(), shx = Shx();
    ASSERT_EQ(shx.size(), 100u + 4 * 8);
    const std::int32_t lengths[] = {2, 64, 64, 2};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(IntAt(shx, 104 + 8 * i, true), lengths[i]) << i;
        EXPECT_EQ(IntAt(shp, 2 * IntAt(shx, 100 + 8 * i, true), true),
                  static_cast<std::int32_t>(i + 1));
    }
    EXPECT_EQ(IntAt(shp, 108), 0) << "a null shape";
    EXPECT_EQ(ReadBack().ObjectIndex.at(1).ObjectNo, 3);

    // A table that names its code page passes it on.
    std::string cyrillic = test::ReadFile(source);
    cyrillic[kDbfLanguageDriverAt] = static_cast<char>(0xC9);
    test::WriteFile(source, cyrillic);
    ASSERT_TRUE(Write()) << log.log;
    EXPECT_EQ(test::ReadFile(paths.dbfPath), cyrillic);
    EXPECT_EQ(test::ReadFile(cpg), "1251");
}

}  // namespace
}  // namespace vx
