#include "converters/tab_converter.h"

#include <gtest/gtest.h>

#include <map>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include "platform/file_system.h"
#include "support/test_support.h"

namespace vx {
namespace {

struct ReadFeature {
    std::unique_ptr<OGRGeometry> geometry;
    std::map<std::string, std::string> fields;
    std::string style;
};

// Every feature of a MapInfo file as GDAL reads it.
std::vector<ReadFeature> ReadAll(const std::string& path, std::string* srsWkt = nullptr) {
    GDALAllRegister();
    std::vector<ReadFeature> features;
    GDALDatasetUniquePtr data(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR));
    if (!data || data->GetLayerCount() != 1) {
        ADD_FAILURE() << "GDAL cannot read " << path;
        return features;
    }
    OGRLayer* layer = data->GetLayer(0);
    if (srsWkt != nullptr && layer->GetSpatialRef() != nullptr) {
        char* wkt = nullptr;
        layer->GetSpatialRef()->exportToWkt(&wkt);
        *srsWkt = wkt != nullptr ? wkt : "";
        CPLFree(wkt);
    }
    for (auto& f : *layer) {
        ReadFeature& r = features.emplace_back();
        if (f->GetGeometryRef() != nullptr) r.geometry.reset(f->GetGeometryRef()->clone());
        for (int i = 0; i < f->GetFieldCount(); ++i)
            r.fields[f->GetFieldDefnRef(i)->GetNameRef()] = f->GetFieldAsString(i);
        if (f->GetStyleString() != nullptr) r.style = f->GetStyleString();
    }
    return features;
}

// The largest difference between corresponding coordinates of two geometries of the same
// shape (their WKT alike but for the numbers); infinity when their shapes differ.
double Deviation(const OGRGeometry& a, const OGRGeometry& b) {
    auto split = [](const OGRGeometry& g, std::string& shape, std::vector<double>& numbers) {
        char* wkt = nullptr;
        g.exportToWkt(&wkt);
        for (const char* p = wkt; *p != '\0';) {
            char* end = nullptr;
            const double value = std::strtod(p, &end);
            if (end != p && (std::isdigit(static_cast<unsigned char>(*p)) || *p == '-')) {
                numbers.push_back(value);
                shape += '#';
                p = end;
            } else {
                shape += *p++;
            }
        }
        CPLFree(wkt);
    };
    std::string shapeA, shapeB;
    std::vector<double> na, nb;
    split(a, shapeA, na);
    split(b, shapeB, nb);
    if (shapeA != shapeB) return HUGE_VAL;
    double worst = 0;
    for (std::size_t i = 0; i < na.size(); ++i)
        worst = std::max(worst, std::fabs(na[i] - nb[i]));
    return worst;
}

// Same features in the same order: geometry within `tolerance`, attributes and styles equal.
void ExpectSameFeatures(const std::vector<ReadFeature>& expected,
                        const std::vector<ReadFeature>& actual, double tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("feature " + std::to_string(i + 1));
        ASSERT_TRUE(expected[i].geometry && actual[i].geometry);
        EXPECT_LE(Deviation(*expected[i].geometry, *actual[i].geometry), tolerance);
        EXPECT_EQ(actual[i].fields, expected[i].fields);
        EXPECT_EQ(actual[i].style, expected[i].style);
    }
}

// A TAB table written by GDAL: a symbol, a styled line and a filled region with a hole, with
// Windows-1252 text, in longitude and latitude.
void WriteTab(const std::string& path) {
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("MapInfo File");
    ASSERT_NE(driver, nullptr);
    GDALDatasetUniquePtr data(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    ASSERT_TRUE(data);
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    const char* options[] = {"ENCODING=CP1252", nullptr};
    OGRLayer* layer = data->CreateLayer("parcels", &wgs84, wkbUnknown, const_cast<char**>(options));
    ASSERT_NE(layer, nullptr);
    OGRFieldDefn name("NAME", OFTString);
    name.SetWidth(20);
    OGRFieldDefn pop("POP", OFTInteger);
    ASSERT_EQ(layer->CreateField(&name), OGRERR_NONE);
    ASSERT_EQ(layer->CreateField(&pop), OGRERR_NONE);
    const struct {
        const char* wkt;
        const char* name;
        int pop;
        const char* style;
    } rows[] = {
        {"POINT (7.4474 46.948)", "Caf\xC3\xA9 Bern", 133,
         R"(SYMBOL(id:"mapinfo-sym-35",c:#ff0000,s:12pt))"},
        {"LINESTRING (7.1 46.1,7.25 46.3,7.5 46.2)", "Aare, \"river\"", 0,
         R"(PEN(w:3px,c:#0000ff,id:"mapinfo-pen-5"))"},
        {"POLYGON ((7 46,8 46,8 47,7 47,7 46),(7.2 46.2,7.4 46.2,7.4 46.4,7.2 46.2))", "Lac", 7,
         R"(BRUSH(fc:#00ff00,bc:#ffffff,id:"mapinfo-brush-2");PEN(w:1px,c:#000000,id:"mapinfo-pen-2"))"},
    };
    for (const auto& row : rows) {
        OGRFeature feature(layer->GetLayerDefn());
        OGRGeometry* geometry = nullptr;
        ASSERT_EQ(OGRGeometryFactory::createFromWkt(row.wkt, nullptr, &geometry), OGRERR_NONE);
        feature.SetGeometryDirectly(geometry);
        feature.SetField("NAME", row.name);
        feature.SetField("POP", row.pop);
        feature.SetStyleString(row.style);
        ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
    }
}

TEST(TabToMif, AGdalTableComesOutAsMifWithEverythingGdalReadsFromIt) {
    test::TempDir dir;
    WriteTab(dir / "parcels.tab");
    std::string reason;
    ASSERT_EQ(main1(dir / "parcels.tab", dir / "parcels.mif", &reason), 0) << reason;

    std::string tabSrs, mifSrs;
    const auto fromTab = ReadAll(dir / "parcels.tab", &tabSrs);
    ExpectSameFeatures(fromTab, ReadAll(dir / "parcels.mif", &mifSrs), 1e-9);
    EXPECT_EQ(mifSrs, tabSrs);
    ASSERT_EQ(fromTab.size(), 3u);
    EXPECT_EQ(fromTab[0].fields.at("NAME"), "Caf\xC3\xA9 Bern");

    // The text keeps the table's character set, byte for byte.
    const std::string mif = test::ReadFile(dir / "parcels.mif");
    EXPECT_NE(mif.find("Charset \"WindowsLatin1\""), std::string::npos) << mif.substr(0, 200);
    EXPECT_NE(mif.find("CoordSys Earth Projection 1, 104"), std::string::npos);
    EXPECT_NE(test::ReadFile(dir / "parcels.mid").find("Caf\xE9 Bern"), std::string::npos);
}

const char* const kPlaneMif =
    "Version 300\r\n"
    "Charset \"WindowsLatin1\"\r\n"
    "Delimiter \",\"\r\n"
    "CoordSys NonEarth Units \"m\"\r\n"
    "Columns 2\r\n"
    "  NAME Char(20)\r\n"
    "  DEPTH Float\r\n"
    "Data\r\n"
    "\r\n"
    "Point 512300.125 4640120.375\r\n"
    "    Symbol (35,255,12)\r\n"
    "Pline 3\r\n"
    "512301.5 4640122.25\r\n"
    "512350.0625 4640180.5\r\n"
    "512399.75 4640199.125\r\n"
    "    Pen (2,2,16711680)\r\n"
    "Region 2\r\n"
    "  5\r\n"
    "512310 4640110\r\n512390 4640110\r\n512390 4640190\r\n512310 4640190\r\n512310 4640110\r\n"
    "  4\r\n"
    "512320.5 4640120.5\r\n512330.5 4640120.5\r\n512330.5 4640130.5\r\n512320.5 4640120.5\r\n"
    "    Pen (1,2,0)\r\n"
    "    Brush (2,65280,16777215)\r\n";
const char* const kPlaneMid = "\"Puits \xE9st\",12.5\r\n\"Ruisseau\",0\r\n\"\xC9tang\",3.25\r\n";

TEST(MifToTab, ATableGdalReadsBackWithTheSameFeaturesAtFullPrecision) {
    test::TempDir dir;
    test::WriteFile(dir / "wells.mif", kPlaneMif);
    test::WriteFile(dir / "wells.mid", kPlaneMid);
    std::string reason;
    ASSERT_EQ(main1(dir / "wells.mif", dir / "wells.tab", &reason), 0) << reason;
    for (const char* part : {"wells.map", "wells.dat", "wells.id"})
        EXPECT_TRUE(FileExists(dir / part)) << part;
    // Plane coordinates are kept to a fraction of a millimetre, which GDAL's default
    // bounds for them would not give.
    const auto fromMif = ReadAll(dir / "wells.mif");
    const auto fromTab = ReadAll(dir / "wells.tab");
    ExpectSameFeatures(fromMif, fromTab, 1e-4);
    ASSERT_EQ(fromTab.size(), 3u);
    EXPECT_EQ(fromTab[2].fields.at("NAME"), "\xC3\x89tang");
    EXPECT_NE(test::ReadFile(dir / "wells.tab").find("WindowsLatin1"), std::string::npos);

    // And back to MIF: the round trip ends with the values it started from.
    ASSERT_EQ(main1(dir / "wells.tab", dir / "again.mif", &reason), 0) << reason;
    ExpectSameFeatures(fromMif, ReadAll(dir / "again.mif"), 1e-4);
    const std::string again = test::ReadFile(dir / "again.mif");
    const auto coordSys = again.find("CoordSys NonEarth");
    ASSERT_NE(coordSys, std::string::npos);
    EXPECT_NE(again.substr(coordSys, again.find('\n', coordSys) - coordSys).find("Bounds ("),
              std::string::npos)
        << "plane coordinates need their bounds in a MIF file";
    EXPECT_NE(test::ReadFile(dir / "again.mid").find("\"Puits \xE9st\""), std::string::npos);
}

TEST(MifToTab, DeclaredBoundsThatMissTheDataDoNotClipIt) {
    test::TempDir dir;
    for (const char* bounds :
         {" Bounds (500000, 4600000) (600000, 4700000)", " Bounds (0, 0) (100, 100)"}) {
        SCOPED_TRACE(bounds);
        std::string mif = kPlaneMif;
        mif.insert(mif.find("\"m\"") + 3, bounds);
        test::WriteFile(dir / "wells.mif", mif);
        test::WriteFile(dir / "wells.mid", kPlaneMid);
        std::string reason;
        ASSERT_EQ(main1(dir / "wells.mif", dir / "wells.tab", &reason), 0) << reason;
        ExpectSameFeatures(ReadAll(dir / "wells.mif"), ReadAll(dir / "wells.tab"), 1e-4);
    }
}

TEST(TabRoute, AnExistingTargetOrItsPlaceholderIsReplaced) {
    test::TempDir dir;
    WriteTab(dir / "parcels.tab");
    test::WriteFile(dir / "tmp1.mif", "");  // the placeholder a temporary name leaves
    test::WriteFile(dir / "tmp1.MID", "stale\r\n");
    std::string reason;
    ASSERT_EQ(main1(dir / "parcels.tab", dir / "tmp1.mif", &reason), 0) << reason;
    EXPECT_FALSE(FileExists(dir / "tmp1.MID"));
    EXPECT_EQ(ReadAll(dir / "tmp1.mif").size(), 3u);

    ASSERT_EQ(main1(dir / "tmp1.mif", dir / "copy.tab", &reason), 0) << reason;
    ASSERT_EQ(main1(dir / "tmp1.mif", dir / "copy.tab", &reason), 0) << reason;
    EXPECT_EQ(ReadAll(dir / "copy.tab").size(), 3u);
}

TEST(TabRoute, FailuresSayWhyAndLeaveNoTarget) {
    test::TempDir dir;
    WriteTab(dir / "parcels.tab");
    std::string reason;
    const struct {
        std::string source, target;
    } refused[] = {
        {dir / "parcels.tab", dir / "parcels2.tab"},
        {dir / "parcels.tab", dir / "parcels.txt"},
        {dir / "parcels.dat", dir / "parcels.mif"},
        {dir / "missing.tab", dir / "missing.mif"},
        {dir / "parcels.tab", dir / "no/such/folder/parcels.mif"},
    };
    for (const auto& c : refused) {
        reason.clear();
        EXPECT_NE(main1(c.source, c.target, &reason), 0) << c.source << " -> " << c.target;
        EXPECT_FALSE(reason.empty());
        EXPECT_FALSE(FileExists(c.target)) << c.target;
    }

    test::WriteFile(dir / "junk.tab", "!table\r\n!version 300\r\nnothing else\r\n");
    EXPECT_NE(main1(dir / "junk.tab", dir / "junk.mif", &reason), 0);
    EXPECT_FALSE(FileExists(dir / "junk.mif"));
    EXPECT_FALSE(FileExists(dir / "junk.mid"));
}

TEST(MifToTab, TheMidIsFoundWhateverTheCaseOfItsExtension) {
    test::TempDir dir;
    test::WriteFile(dir / "wells.MIF", kPlaneMif);
    test::WriteFile(dir / "wells.Mid", kPlaneMid);
    std::string reason;
    ASSERT_EQ(main1(dir / "wells.MIF", dir / "wells.tab", &reason), 0) << reason;
    const auto features = ReadAll(dir / "wells.tab");
    ASSERT_EQ(features.size(), 3u);
    EXPECT_EQ(features[1].fields.at("NAME"), "Ruisseau");
    EXPECT_EQ(features[0].fields.at("DEPTH"), "12.5");
}

}  // namespace
}  // namespace vx
