// The MIF writer: number forms, header, projection and datum tables, objects and MID rows.
// What GDAL reads from the files it writes is checked by the export's engine tests.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <sstream>

#include "dbase/dbase_test_support.h"
#include "mif/mif_coordsys.h"
#include "mif/mif_number_format.h"
#include "mif/mif_writer.h"
#include "mif_test_support.h"
#include "platform/file_system.h"
#include "support/test_support.h"

namespace vx {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(at, text.size()) << "text after the last CR LF";
    return lines;
}

// The header, rows or objects a writer step puts out, as lines.
template <typename Step>
std::vector<std::string> Written(Step step) {
    test::TempDir dir;
    TextWriter out;
    EXPECT_TRUE(out.Create(dir / "x.mif"));
    step(out);
    EXPECT_TRUE(out.Close());
    return Lines(test::ReadFile(dir / "x.mif"));
}

// A table made by the table engine, opened for reading.
struct Table {
    Table(const std::string& folder, const std::string& columns,
          const std::vector<std::string>& rows) {
        test::MakeTable(folder, "t", columns, rows);
        std::string error;
        EXPECT_TRUE(connection.Open(folder) && recordset.Open(connection, "[t]", error)) << error;
    }
    TableConnection connection;
    TableRecordset recordset;
};

// The general form of at most 15 significant digits, "E" for the exponent's "e".
std::string General15(double value) {
    char text[48];
    std::string out(text,
                    std::to_chars(text, text + 48, value, std::chars_format::general, 15).ptr);
    for (char& c : out)
        if (c == 'e') c = 'E';
    return out == "-0" ? "0" : out;
}

TEST(MifNumbers, PlainPrintAndZones) {
    EXPECT_EQ(PrintNumber(5), " 5 ");
    EXPECT_EQ(PrintNumber(-2.5), "-2.5 ");
    EXPECT_EQ(PrintNumber(-0.0), " 0 ");
    EXPECT_EQ(PlainNumber(5), "5");
    EXPECT_EQ(PlainNumber(0.5), "0.5");
    EXPECT_EQ(PlainNumber(-0.125), "-0.125");
    EXPECT_EQ(PlainNumber(0.1 + 0.2), "0.3") << "15 significant digits at most";
    EXPECT_EQ(PlainNumber(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(PlainNumber(-1234567.1234567), "-1234567.1234567");
    EXPECT_EQ(PlainNumber(123456789012345.0), "123456789012345");
    EXPECT_EQ(PlainNumber(1e20), "1E+20");
    EXPECT_EQ(PlainNumber(0.9996f), "0.9996") << "singles keep 7 digits";
    EXPECT_EQ(PlainNumber(1.0f / 3.0f), "0.3333333");
    EXPECT_EQ(PlainNumber(-2147483647 - 1), "-2147483648");

    // Short decimals take a quicker road, doubles of every magnitude with every digit they
    // have take their own roads, to the same text as the general conversion: chosen values,
    // random decimals of every length and count of decimals, and any finite double at all.
    std::istringstream chosen(
        "512345.125 -0.00125 0.0001 99999999999999.9 4000123.45 1e15 999999999999999.5 "
        "9.999999999999995e14 1e-4 9.99999999999999e-5 0.30000000000000004 5e-324 "
        "1.7976931348623157e308 2.5e-5 1e100 12345678901234.5 12345678901235.5 "
        "0.000123456789012345 1e-5");
    int count = 0;
    for (double v = 0; chosen >> v; ++count) {
        for (double scaled : {v, -v, v * 7, v / 7, v / 3000})
            EXPECT_EQ(PlainNumber(scaled), General15(scaled)) << scaled;
    }
    EXPECT_EQ(count, 19);
    std::mt19937_64 random(7);
    double previous = 0;
    for (int i = 0; i < 600000; ++i) {
        double v = 0;
        if (i % 3 == 0) {
            const int digits = 1 + static_cast<int>(random() % 15);
            const auto mantissa =
                static_cast<double>(random() % static_cast<std::uint64_t>(std::pow(10.0, digits)));
            v = (random() % 2 ? -1.0 : 1.0) * mantissa /
                std::pow(10.0, static_cast<double>(random() % 16));
        } else if (i % 3 == 1) {
            const std::uint64_t bits = random();
            std::memcpy(&v, &bits, sizeof v);
            if (!std::isfinite(v)) continue;
        } else {
            // A coordinate or parameter after a reprojection: all 17 digits, any size.
            v = std::ldexp(static_cast<double>(random() >> 11) / 9007199254740992.0,
                           static_cast<int>(random() % 120) - 60);
        }
        ASSERT_EQ(PlainNumber(v), General15(v)) << std::hexfloat << v;
        // A vertex line puts the same texts side by side, the second at its zone, whichever
        // roads the two numbers take.
        for (auto [first, second] : {std::pair{previous, v}, {v, previous}, {v, -v / 3}}) {
            std::string line = PrintNumber(first);
            PadToNextZone(line);
            line += PrintNumber(second);
            char text[2 * (kMaxNumberText + 2) + kPrintZoneWidth + 16];
            ASSERT_EQ(std::string(text, FormatZonedPair(text, first, second)), line)
                << std::hexfloat << first << " " << second;
        }
        previous = v;
    }

    // Y starts at the first zone start after X's text: 1 to 14 characters give column 15.
    for (std::size_t length : {1u, 5u, 14u, 15u, 28u, 29u}) {
        std::string line(length, 'x');
        PadToNextZone(line);
        EXPECT_EQ(line.size(), length <= 14 ? 14u : length <= 28 ? 28u : 42u) << length;
    }
}

TEST(MifWriterHeader, CoordSysFormsAndColumns) {
    LayerModel model;
    model.Layer.lCoordSys = 1;
    model.Layer.MaxX = 1000;
    model.Layer.MaxY = 500;
    TableRecordset closed;
    auto header = [&] {
        return Written([&](TextWriter& out) { WriteMifHeader(model, closed, out); });
    };
    EXPECT_EQ(header(), (std::vector<std::string>{
                            "Version 300", "Charset \"WindowsLatin1\"", "Delimiter \",\"",
                            "CoordSys NonEarth Units \"m\" Bounds ( 0 ,  0 )( 1000 ,  500 )",
                            "Columns 1", "  Spatial_ID Decimal(15,0)", "Data", ""}));
    model.Layer.lCoordSys = 0;
    model.Layer.MinX = -12.5;
    for (std::int32_t plane : {0, 3, 25}) {
        model.Layer.lProjection = plane;
        EXPECT_EQ(header()[3], "CoordSys NonEarth Units \"m\" Bounds(-12.5 ,  0 )( 1000 ,  500 )")
            << plane;
    }
    model.Layer.lProjection = 1;
    model.Layer.lDatum = 226;
    EXPECT_EQ(header()[3], "CoordSys Earth Projection 1, 104 Bounds(-12.5 ,  0 )( 1000 ,  500 )");
    model.Layer.lCoordSys = 2;
    EXPECT_EQ(header()[3], "Columns 1") << "no CoordSys line";

    test::TempDir dir;
    Table table(dir.path(), "[ROAD NAME] Char(30), [N] Integer, [D] Date, [L] Logical, [X] Float",
                {});
    const auto lines =
        Written([&](TextWriter& out) { WriteMifHeader(model, table.recordset, out); });
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()),
              (std::vector<std::string>{"Columns 5", "  ROAD_NAME Char(30)", "  N Integer",
                                        "  D Date", "  L Logical", "  X Float", "Data", ""}));
    // Columns by their table type code; none for the types MIF has no column for.
    const std::pair<int, std::string> types[] = {{kAdInteger, "Integer"},
                                                 {kAdSingle, "Float"},
                                                 {kAdDouble, "Decimal(20, 5)"},
                                                 {kAdDate, "Date"},
                                                 {kAdBoolean, "Logical"},
                                                 {kAdChar, "Char(12)"},
                                                 {kAdVarChar, "Char(12)"},
                                                 {kAdVarWChar, "Char(12)"},
                                                 {kAdNumeric, "Decimal(12,0)"},
                                                 {kAdWChar, ""},
                                                 {6, ""}};
    for (const auto& [code, type] : types)
        EXPECT_EQ(MifColumnType(TableField{"f", code, 12, 0}), type) << code;
}

TEST(MifWriterHeader, ProjectionClausesReadBackAsTheSameLayer) {
    LayerInfo layer{{.lDatum = 98,
                     .lOriginLongitude = 75,
                     .lOriginLatitude = 0,
                     .lScaleFactor = 0.9996,
                     .lFalseEasting = 500000,
                     .lFalseNorthing = 0}};
    EXPECT_EQ(MifProjectionClause(21, layer), "8, 104, \"m\", 75, 0, 0.9996, 500000, 0");
    EXPECT_EQ(MifProjectionClause(1, layer), "1, 104");
    layer.lStdParellel1 = 10;
    layer.lStdParellel2 = 20;
    EXPECT_EQ(MifProjectionClause(5, layer), "2, 104, \"m\", 75, 20") << "the second parallel";
    EXPECT_EQ(MifProjectionClause(23, layer), "26, 104, \"m\", 75, 10") << "regional Mercator";
    layer.lStdParellel1 = 0;
    EXPECT_EQ(MifProjectionClause(23, layer), "10, 104, \"m\", 75");
    for (std::int32_t none : {-1, 0, 3, 4, 8, 9, 12, 15, 16, 17, 22, 25})
        EXPECT_EQ(MifProjectionClause(none, layer), "") << none;

    // The MIF reader turns every clause back into the layer it came from: the parameters the
    // projection carries come back, the others stay 0.
    const LayerInfo source{{.lDatum = 226,
                            .lOriginLongitude = -93,
                            .lOriginLatitude = 23.5,
                            .lStdParellel1 = 29.5,
                            .lStdParellel2 = 45.5,
                            .lScaleFactor = 0.9999,
                            .lFalseEasting = 400000,
                            .lFalseNorthing = -100,
                            .lRange = 90}};
    // Which of latitude, parallels, scale, false origin and range each projection carries.
    const std::pair<std::int32_t, const char*> kinds[] = {
        {1, "-----"},  {2, "LP-O-"},  {6, "-----"},  {7, "-----"},  {10, "L---R"},
        {11, "LP-O-"}, {13, "-----"}, {14, "-----"}, {18, "L--O-"}, {19, "-----"},
        {20, "L-SO-"}, {21, "L-SO-"}, {24, "-----"}, {5, "-----"}};
    for (const auto& [code, carried] : kinds) {
        SCOPED_TRACE(code);
        const std::string_view c = carried;
        const CoordSysReading reading =
            ParseMifCoordSys("CoordSys Earth Projection " + MifProjectionClause(code, source));
        const LayerInfo& read = reading.layer;
        ASSERT_TRUE(reading.failure.empty()) << reading.failure;
        EXPECT_EQ(std::tie(read.lProjection, read.lDatum), std::tuple(code, 226));
        EXPECT_EQ(read.lOriginLongitude, code == 1 ? 0 : -93);
        EXPECT_EQ(read.lOriginLatitude, c[0] == 'L' ? 23.5 : 0);
        EXPECT_EQ(read.lStdParellel1, c[1] == 'P' ? 29.5 : code == 5 ? 45.5 : 0);
        EXPECT_EQ(read.lStdParellel2, c[1] == 'P' || code == 5 ? 45.5 : 0);
        EXPECT_EQ(read.lScaleFactor, c[2] == 'S' ? 0.9999 : 0);
        EXPECT_EQ(std::tie(read.lFalseEasting, read.lFalseNorthing),
                  c[3] == 'O' ? std::tuple(400000, -100) : std::tuple(0, 0));
        EXPECT_EQ(read.lRange, c[4] == 'R' ? 90 : 0);
    }
}

// --- Objects --------------------------------------------------------------------------

LayerModel OneOfEachKind(std::uint8_t kind) {
    LayerModel m;
    m.LayerKind.ObjectKind = kind;
    const std::int32_t pen = m.FindPenIndex({1, 36, 0});
    const std::int32_t odd = m.FindPenIndex({2, 37, 255});
    const std::int32_t brush = m.FindBrushIndex({0, 255, 0});
    RegionPart ring{.VertexCount = 5, .Vertices = {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}}};
    m.Regions = {{1, pen, brush, {ring}}, {0, pen, brush, {}}};
    LinePart a{.VertexCount = 4, .Vertices = {{-1234567.1234567, 2}, {1, 1}, {2, 2}, {3, 3}}};
    LinePart b{.VertexCount = 2, .Vertices = {{5, 5}, {6, 6}}};
    m.Lines = {{1, pen, {a}}, {2, odd, {a, b}}};
    m.FindFontIndex("MapInfo Symbols");
    m.Points = {{.VertexCount = 2,
                 .PointStyle = 35,
                 .PointSize = 12,
                 .PointColor = 16711680,
                 .FontIndex = 1,
                 .Vertices = {{512345.5, 4123456.25}, {-1, 0.5}}},
                {.VertexCount = 1, .PointStyle = 35, .FontIndex = 1, .Vertices = {{7, 8}}}};
    m.LayerObjectCount = 2;
    return m;
}

// A vertex line: X's text, blanks, and Y's text from `column` (counted from 1).
std::string At(const std::string& x, const std::string& y, std::size_t column = 15) {
    return x + std::string(column - 1 - x.size(), ' ') + y;
}

TEST(MifWriterObjects, EachKindWithItsClausesAndZones) {
    auto objects = [](std::uint8_t kind) {
        const LayerModel m = OneOfEachKind(kind);
        return Written([&](TextWriter& out) { WriteMifObjects(m, out); });
    };
    EXPECT_EQ(objects(kKindRegion),
              (std::vector<std::string>{"Region  1 ", "   5 ", At(" 0 ", " 0 "), At(" 4 ", " 0 "),
                                        At(" 4 ", " 4 "), At(" 0 ", " 4 "), At(" 0 ", " 0 "),
                                        "Pen ( 1 , 99 , 0 )", "Brush ( 2 , 16711680 )", "None"}));
    EXPECT_EQ(
        objects(kKindLine),
        (std::vector<std::string>{"Pline 4", At("-1234567.1234567 ", " 2 ", 29), At(" 1 ", " 1 "),
                                  At(" 2 ", " 2 "), At(" 3 ", " 3 "), "Pen ( 1 , 99 , 0 )",
                                  "Pline Multiple 2", "   4 ", At("-1234567.1234567 ", " 2 ", 29),
                                  At(" 1 ", " 1 "), At(" 2 ", " 2 "), At(" 3 ", " 3 "), "   2 ",
                                  At(" 5 ", " 5 "), At(" 6 ", " 6 "), "Pen ( 2 , 0 , 16711680 )"}));
    const std::string symbol = "  Symbol ( 35 , 255 , 12 ,\"MapInfo Symbols\", 0 , 0 )";
    // Several vertices make one multipoint: one object, for the one row it owns.
    EXPECT_EQ(objects(kKindPoint),
              (std::vector<std::string>{"Multipoint 2", At(" 512345.5 ", " 4123456.25 "),
                                        At("-1 ", " 0.5 "), symbol, "Point 7 8",
                                        "  Symbol ( 35 , 0 , 0 ,\"MapInfo Symbols\", 0 , 0 )"}));
    EXPECT_TRUE(objects(0).empty());
}

// Large layers are written by two threads: the objects stay in their order, and an object
// the model lacks fails the writing from either thread.
TEST(MifWriterObjects, LargeLayersKeepTheirOrder) {
    LayerModel m;
    m.LayerKind.ObjectKind = kKindLine;
    const std::int32_t pen = m.FindPenIndex({1, 36, 0});
    for (int i = 0; i < 10001; ++i) {
        LinePart part;
        for (int v = 0; v <= i % 7; ++v)
            part.Vertices.push_back({static_cast<double>(i), v + 0.5});
        part.VertexCount = static_cast<std::int32_t>(part.Vertices.size());
        m.Lines.push_back({1, pen, {part}});
    }
    m.LayerObjectCount = 10001;
    const std::vector<std::string> lines =
        Written([&](TextWriter& out) { WriteMifObjects(m, out); });
    std::size_t at = 0;
    for (int i = 0; i < 10001 && at < lines.size(); ++i) {
        ASSERT_EQ(lines[at], "Pline " + std::to_string(i % 7 + 1)) << "object " << i;
        ASSERT_EQ(lines[at + 1].substr(0, lines[at + 1].find(' ', 1)), " " + std::to_string(i));
        at += i % 7 + 3;  // the Pline line, the vertices and the Pen
    }
    EXPECT_EQ(at, lines.size());
    for (const std::size_t have : {3000u, 5000u}) {
        m.Lines.resize(have);
        EXPECT_THROW(Written([&](TextWriter& out) { WriteMifObjects(m, out); }), std::out_of_range)
            << have;
    }
}

TEST(MifWriterObjects, PatternTables) {
    const std::pair<int, int> pens[] = {{0, 2},   {5, 1},   {6, 2},  {14, 13}, {27, 8},
                                        {28, 73}, {36, 99}, {37, 0}, {-1, 0}};
    for (auto [native, mapInfo] : pens)
        EXPECT_EQ(MifPenPattern(native), mapInfo) << native;
    const std::pair<int, int> brushes[] = {{0, 2}, {1, 1}, {8, 16}, {16, 58}, {17, 0}, {-1, 0}};
    for (auto [native, mapInfo] : brushes)
        EXPECT_EQ(MifBrushPattern(native), mapInfo) << native;
}

// --- MID rows and the file pair -------------------------------------------------------

TEST(MifWriterRows, QuotesNullsDatesAndNoTable) {
    test::TempDir dir;
    Table table(dir.path(), "[NAME] Char(20), [N] Integer, [D] Date, [L] Logical, [X] Float",
                {R"("say ""hi"", ok",5,20240501,True,-0.25)", ",,,,", "plain,-3,19991231,False,"});
    LayerModel model;
    EXPECT_EQ(Written([&](TextWriter& out) { WriteMidRows(model, table.recordset, out); }),
              (std::vector<std::string>{R"("say ""hi"", ok",5,20240501,True,-0.25)", R"("",,,,)",
                                        R"("plain",-3,19991231,False,)"}));
    EXPECT_TRUE(table.recordset.IsEOF());

    model.LayerObjectCount = 3;
    TableRecordset closed;
    EXPECT_EQ(Written([&](TextWriter& out) { WriteMidRows(model, closed, out); }),
              (std::vector<std::string>{"\"1\"", "\"2\"", "\"3\""}));
}

TEST(MifWriterFile, MidPathAndCreateDbf) {
    EXPECT_EQ(MidPathFor("/a/x.mif/roads.MIF"), "/a/x.mif/roads.MID");
    EXPECT_EQ(MidPathFor("/a/roads.Mif"), "/a/roads.Mid");
    EXPECT_EQ(MidPathFor("/a.mif/roads"), "/a.mif/roads.MID");

    test::TempDir dir;
    test::StatusLog log;
    const LayerModel model = OneOfEachKind(kKindLine);
    test::WriteFile(dir / "x.mif/roads.mid", "left alone");
    TableRecordset closed;
    WriteMifFile(model, dir / "x.mif/roads.mif", false, closed, log);
    EXPECT_TRUE(FileExists(dir / "x.mif/roads.mif"));
    EXPECT_EQ(test::ReadFile(dir / "x.mif/roads.mid"), "left alone") << "no MID without CreateDbf";
    EXPECT_EQ(log.log, "\tWriting ...\r\n\t    Creating Data File.\r\n");

    WriteMifFile(model, dir / "x.mif/roads.mif", true, closed, log);
    EXPECT_EQ(test::ReadFile(dir / "x.mif/roads.mid"), "\"1\"\r\n\"2\"\r\n");
    EXPECT_THROW(WriteMifFile(model, dir / "missing/roads.mif", true, closed, log), MifWriteError);
}

}  // namespace
}  // namespace vx
