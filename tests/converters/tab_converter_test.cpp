#include "converters/tab_converter.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cmath>

#include "converters/converter_test_support.h"
#include "platform/file_system.h"
#include "support/gdal_peer.h"

namespace vx {
namespace {

using test::Feature;

// The largest difference between corresponding numbers of two WKT texts that are alike but
// for their numbers; infinity when they differ otherwise.
double Deviation(const std::string& a, const std::string& b) {
    std::string shapeA, shapeB;
    std::vector<double> na, nb;
    for (auto [wkt, shape, numbers] : {std::tuple{&a, &shapeA, &na}, {&b, &shapeB, &nb}}) {
        for (const char* p = wkt->c_str(); *p != '\0';) {
            char* end = nullptr;
            const double value = std::strtod(p, &end);
            const bool number =
                end != p && (std::isdigit(static_cast<unsigned char>(*p)) || *p == '-');
            *shape += number ? '#' : *p;
            if (number) numbers->push_back(value);
            p = number ? end : p + 1;
        }
    }
    double worst = shapeA == shapeB ? 0 : HUGE_VAL;
    for (std::size_t i = 0; i < na.size() && i < nb.size(); ++i)
        worst = std::max(worst, std::fabs(na[i] - nb[i]));
    return worst;
}

// GDAL reads the same features from both files, in the same order: geometry within
// `tolerance`, attributes and styles equal.
void ExpectSameFeatures(const std::string& expectedPath, const std::string& actualPath,
                        double tolerance) {
    const auto expected = test::ReadWithGdal(expectedPath).features;
    const auto actual = test::ReadWithGdal(actualPath).features;
    ASSERT_EQ(actual.size(), expected.size());
    ASSERT_FALSE(expected.empty());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("feature " + std::to_string(i + 1));
        EXPECT_LE(Deviation(expected[i].wkt, actual[i].wkt), tolerance) << actual[i].wkt;
        EXPECT_EQ(actual[i].fields, expected[i].fields);
        EXPECT_EQ(actual[i].style, expected[i].style);
    }
}

// A TAB table written by GDAL in longitude and latitude, with Windows-1252 text: a symbol, a
// styled line and a filled region with a hole.
void WriteTab(const test::TempDir& dir) {
    auto feature = [](const char* name, int pop, const char* style, const char* geometry) {
        return Feature(std::string(R"("NAME":")") + name + R"(","POP":)" + std::to_string(pop) +
                           R"(,"OGR_STYLE":")" + style + "\"",
                       geometry);
    };
    test::WriteWithOgr(
        dir, dir / "parcels.tab", "-f \"MapInfo File\" -lco ENCODING=CP1252 -a_srs EPSG:4326",
        {feature("Caf\xC3\xA9 Bern", 133, R"(SYMBOL(id:\"mapinfo-sym-35\",c:#ff0000,s:12pt))",
                 R"({"type":"Point","coordinates":[7.4474,46.948]})"),
         feature(R"(Aare, \"river\")", 0, R"(PEN(w:3px,c:#0000ff,id:\"mapinfo-pen-5\"))",
                 R"({"type":"LineString","coordinates":[[7.1,46.1],[7.25,46.3],[7.5,46.2]]})"),
         feature("Lac", 7,
                 R"(BRUSH(fc:#00ff00,bc:#ffffff,id:\"mapinfo-brush-2\");)"
                 R"(PEN(w:1px,c:#000000,id:\"mapinfo-pen-2\"))",
                 R"({"type":"Polygon","coordinates":[[[7,46],[8,46],[8,47],[7,47],[7,46]],)"
                 R"([[7.2,46.2],[7.4,46.2],[7.4,46.4],[7.2,46.2]]]})")});
}

TEST(TabToMif, AGdalTableComesOutAsMifWithEverythingGdalReadsFromIt) {
    test::TempDir dir;
    WriteTab(dir);
    std::string reason;
    ASSERT_EQ(main1(dir / "parcels.tab", dir / "parcels.mif", &reason), 0) << reason;
    ExpectSameFeatures(dir / "parcels.tab", dir / "parcels.mif", 1e-9);
    const auto fromTab = test::ReadWithGdal(dir / "parcels.tab");
    ASSERT_EQ(fromTab.features.size(), 3u);
    EXPECT_EQ(fromTab.features[0].fields.at("NAME"), "Caf\xC3\xA9 Bern");
    EXPECT_NE(fromTab.features[2].style.find("mapinfo-brush-2"), std::string::npos);
    const test::PeerPlaces fromMif = test::PlacesWithGdal(dir / "parcels.mif", "NAME");
    EXPECT_TRUE(fromMif.earth);
    EXPECT_EQ(fromMif.crsName, test::PlacesWithGdal(dir / "parcels.tab", "NAME").crsName);

    // The text keeps the table's character set, byte for byte.
    const std::string mif = test::ReadFile(dir / "parcels.mif");
    EXPECT_NE(mif.find("Charset \"WindowsLatin1\""), std::string::npos) << mif.substr(0, 200);
    EXPECT_NE(mif.find("CoordSys Earth Projection 1, 104"), std::string::npos);
    EXPECT_NE(test::ReadFile(dir / "parcels.mid").find("Caf\xE9 Bern"), std::string::npos);
}

const char* const kPlaneMif =
    "Version 300\r\nCharset \"WindowsLatin1\"\r\nDelimiter \",\"\r\n"
    "CoordSys NonEarth Units \"m\"\r\nColumns 2\r\n  NAME Char(20)\r\n  DEPTH Float\r\nData\r\n\r\n"
    "Point 512300.125 4640120.375\r\n    Symbol (35,255,12)\r\n"
    "Pline 3\r\n512301.5 4640122.25\r\n512350.0625 4640180.5\r\n512399.75 4640199.125\r\n"
    "    Pen (2,2,16711680)\r\n"
    "Region 2\r\n  5\r\n"
    "512310 4640110\r\n512390 4640110\r\n512390 4640190\r\n512310 4640190\r\n512310 4640110\r\n"
    "  4\r\n"
    "512320.5 4640120.5\r\n512330.5 4640120.5\r\n512330.5 4640130.5\r\n512320.5 4640120.5\r\n"
    "    Pen (1,2,0)\r\n    Brush (2,65280,16777215)\r\n";
const char* const kPlaneMid = "\"Puits \xE9st\",12.5\r\n\"Ruisseau\",0\r\n\"\xC9tang\",3.25\r\n";

// Plane coordinates are kept to a fraction of a millimetre, which GDAL's default bounds for
// them would not give, whatever bounds the MIF declares; the MID is found whatever the case
// of its extension.
TEST(MifToTab, ATableGdalReadsBackWithTheSameFeaturesAtFullPrecision) {
    test::TempDir dir;
    for (const char* bounds :
         {"", " Bounds (500000, 4600000) (600000, 4700000)", " Bounds (0, 0) (100, 100)"}) {
        SCOPED_TRACE(bounds);
        std::string mif = kPlaneMif;
        mif.insert(mif.find("\"m\"") + 3, bounds);
        test::WriteFile(dir / "wells.MIF", mif);
        test::WriteFile(dir / "wells.Mid", kPlaneMid);
        std::string reason;
        ASSERT_EQ(main1(dir / "wells.MIF", dir / "wells.tab", &reason), 0) << reason;
        ExpectSameFeatures(dir / "wells.MIF", dir / "wells.tab", 1e-4);
    }
    for (const char* part : {"wells.map", "wells.dat", "wells.id"})
        EXPECT_TRUE(FileExists(dir / part)) << part;
    const auto fromTab = test::ReadWithGdal(dir / "wells.tab").features;
    ASSERT_EQ(fromTab.size(), 3u);
    EXPECT_EQ(fromTab[2].fields.at("NAME"), "\xC3\x89tang");
    EXPECT_EQ(fromTab[0].fields.at("DEPTH"), "12.5");
    EXPECT_NE(test::ReadFile(dir / "wells.tab").find("WindowsLatin1"), std::string::npos);

    // And back to MIF: the round trip ends with the values it started from.
    std::string reason;
    ASSERT_EQ(main1(dir / "wells.tab", dir / "again.mif", &reason), 0) << reason;
    ExpectSameFeatures(dir / "wells.MIF", dir / "again.mif", 1e-4);
    const std::string again = test::ReadFile(dir / "again.mif");
    const auto coordSys = again.find("CoordSys NonEarth");
    ASSERT_NE(coordSys, std::string::npos);
    EXPECT_NE(again.substr(coordSys, again.find('\n', coordSys) - coordSys).find("Bounds ("),
              std::string::npos)
        << "plane coordinates need their bounds in a MIF file";
    EXPECT_NE(test::ReadFile(dir / "again.mid").find("\"Puits \xE9st\""), std::string::npos);
}

TEST(TabRoute, AnExistingTargetOrItsPlaceholderIsReplaced) {
    test::TempDir dir;
    WriteTab(dir);
    test::WriteFile(dir / "tmp1.mif", "");  // the placeholder a temporary name leaves
    test::WriteFile(dir / "tmp1.MID", "stale\r\n");
    std::string reason;
    ASSERT_EQ(main1(dir / "parcels.tab", dir / "tmp1.mif", &reason), 0) << reason;
    EXPECT_FALSE(FileExists(dir / "tmp1.MID"));
    EXPECT_EQ(test::ReadWithGdal(dir / "tmp1.mif").features.size(), 3u);
    ASSERT_EQ(main1(dir / "tmp1.mif", dir / "copy.tab", &reason), 0) << reason;
    ASSERT_EQ(main1(dir / "tmp1.mif", dir / "copy.tab", &reason), 0) << reason;
    EXPECT_EQ(test::ReadWithGdal(dir / "copy.tab").features.size(), 3u);
}

TEST(TabRoute, FailuresSayWhyAndLeaveNoTarget) {
    test::TempDir dir;
    WriteTab(dir);
    test::WriteFile(dir / "junk.tab", "!table\r\n!version 300\r\nnothing else\r\n");
    const std::pair<std::string, std::string> refused[] = {
        {"parcels.tab", "parcels2.tab"}, {"parcels.tab", "parcels.txt"},
        {"parcels.dat", "parcels.mif"},  {"missing.tab", "missing.mif"},
        {"junk.tab", "junk.mif"},        {"parcels.tab", "no/such/folder/parcels.mif"},
    };
    for (const auto& [source, target] : refused) {
        std::string reason;
        EXPECT_NE(main1(dir / source, dir / target, &reason), 0) << source << " -> " << target;
        EXPECT_FALSE(reason.empty());
        EXPECT_FALSE(FileExists(dir / target) || FileExists(WithExtension(dir / target, ".mid")))
            << target;
    }
}

// A county in British National Grid at full precision: GDAL lays the table's grid at a
// power of ten (0.1 mm here), coarser than its bounds alone would give, which is no move.
TEST(MifToTab, FullPrecisionProjectedDataKeepsItsPlace) {
    test::TempDir dir;
    test::WriteFile(dir / "county.mif",
                    "Version 300\nCharset \"WindowsLatin1\"\nDelimiter \",\"\n"
                    "CoordSys Earth Projection 8, 79, \"m\", -2, 49, 0.9996012717, 400000, "
                    "-100000\nColumns 1\n  ID Integer\nData\n"
                    "Region 1\n  4\n400096.426602504 122289.883428833\n"
                    "400096.466697711 133410.682599624\n407098.536643956 133415.412727693\n"
                    "400096.426602504 122289.883428833\n"
                    "Region 1\n  4\n509937.495329505 245836.403885825\n"
                    "502901.174061553 245807.913310272\n509897.140226851 234716.091196347\n"
                    "509937.495329505 245836.403885825\n");
    test::WriteFile(dir / "county.mid", "1\n2\n");
    std::string reason;
    ASSERT_EQ(main1(dir / "county.mif", dir / "county.tab", &reason), 0) << reason;
    ExpectSameFeatures(dir / "county.mif", dir / "county.tab", 1e-4);
}

// The disk fills while the table is written (a file size limit stands in for a full disk):
// GDAL's own writer calls such a short table written, so the route must not.
TEST(TabRoute, AFullDiskFailsTheTableAndLeavesNoneBehind) {
    test::TempDir dir;
    std::string mif = "Version 300\nCharset \"WindowsLatin1\"\nDelimiter \",\"\n"
                      "CoordSys Earth Projection 1, 104\nColumns 1\n  ID Integer\nData\n";
    std::string mid;
    for (int i = 0; i < 4000; ++i) {
        mif += "Pline 8\n";
        for (int v = 0; v < 8; ++v)
            mif += std::to_string(i * 0.01 + v * 0.001) + " " + std::to_string(v * 0.5) + "\n";
        mid += std::to_string(i) + "\n";
    }
    test::WriteFile(dir / "lines.mif", mif);
    test::WriteFile(dir / "lines.mid", mid);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{64 * 1024, 64 * 1024};
        std::signal(SIGXFSZ, SIG_IGN);
        std::string reason;
        const bool refused = setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
                             main1(dir / "lines.mif", dir / "lines.tab", &reason) != 0 &&
                             reason.find("File too large") != std::string::npos;
        _exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the table is refused with the system's reason";
    for (const char* extension : {".tab", ".map", ".dat", ".id"})
        EXPECT_FALSE(FileExists(WithExtension(dir / "lines.tab", extension))) << extension;
}

}  // namespace
}  // namespace vx
