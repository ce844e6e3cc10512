// Coordinate systems through every route: files that GDAL writes in several systems go into
// VXV and out again as MIF, shapefile and TAB, and GDAL must place every vertex of every
// output where the system the data was made in places it.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/engine_test_support.h"
#include "platform/file_system.h"
#include "support/gdal_peer.h"

namespace vx {
namespace {

// Well under the 1e-7 degrees (about a centimetre) that a user would notice, and the 1e-8 a
// TAB file of longitude and latitude must keep.
constexpr double kDegrees = 1e-8;

struct CrsCase {
    const char* stem;
    const char* srs;  // what ogr2ogr is told the data is in; empty: nothing
    double x0, y0;    // the lower left corner of the data
    double size;      // its width, in the system's units
};

const CrsCase kCases[] = {
    {"nad27", "EPSG:4267", -100.25, 40.5, 0.5},
    {"nad83", "EPSG:4269", -75.125, 38.25, 0.25},
    {"wgs84", "EPSG:4326", 11.5, 48.125, 0.03125},
    {"utm33", "EPSG:32633", 512345.678, 5345678.901, 1500},
    {"bng", "EPSG:27700", 530123.45, 180456.78, 800},
    {"nc_ftus", "EPSG:2264", 2012345.6, 712345.6, 5000},
    {"plane_km", "LOCAL_CS[\"Nonearth\",UNIT[\"Kilometer\",1000]]", 12.5, 7.25, 3},
    {"no_prj", "", 1000.5, 2000.25, 50},
};

void PrintTo(const CrsCase& c, std::ostream* out) {
    *out << c.stem;
}

bool IsEarth(const CrsCase& c) {
    return std::string(c.srs).rfind("EPSG:", 0) == 0;
}

// Two regions by their keys, as rings: a square with a hole and a triangle, turned as
// shapefiles keep them, with coordinates that use the digits a system has.
std::map<std::string, std::vector<test::XY>> Regions(const CrsCase& c) {
    auto at = [&](double u, double v) { return std::pair{c.x0 + u * c.size, c.y0 + v * c.size}; };
    return {
        {"1",
         {{at(0, 0), at(0, 1), at(1, 1), at(1, 0), at(0, 0)},
          {at(0.25, 0.25), at(0.75, 0.25), at(0.75, 0.75), at(0.25, 0.75), at(0.25, 0.25)}}},
        {"2",
         {{at(1.5, 0.1234567), at(1.3333333, 0.9876543), at(2.0987654, 0.5), at(1.5, 0.1234567)}}}};
}

std::string GeoJson(const CrsCase& c) {
    std::string json = R"({"type":"FeatureCollection","features":[)";
    for (const auto& [key, rings] : Regions(c)) {
        json += std::string(key == "1" ? "" : ",") + R"({"type":"Feature","properties":{"key":")" +
                key + R"("},"geometry":{"type":"Polygon","coordinates":[)";
        for (const test::XY& ring : rings) {
            json += &ring == &rings.front() ? "[" : ",[";
            for (const auto& [x, y] : ring) {
                char point[96];
                std::snprintf(point, sizeof point, "[%.17g,%.17g],", x, y);
                json += point;
            }
            json.back() = ']';
        }
        json += "]}}";
    }
    return json + "]}";
}

// Where the data lies: in WGS 84 for an Earth system, else as it stands.
std::map<std::string, test::XY> Truth(const CrsCase& c) {
    std::map<std::string, test::XY> truth;
    for (const auto& [key, rings] : Regions(c)) {
        for (const test::XY& ring : rings) {
            const test::XY placed = IsEarth(c) ? test::ToWgs84(c.srs, ring) : ring;
            truth[key].insert(truth[key].end(), placed.begin(), placed.end());
        }
    }
    return truth;
}

// How far the farthest vertex of either list lies from the nearest vertex of the other.
double Apart(const test::XY& a, const test::XY& b) {
    auto nearest = [](const std::pair<double, double>& p, const test::XY& list) {
        double best = std::numeric_limits<double>::infinity();
        for (const auto& q : list)
            best = std::min(best,
                            std::max(std::fabs(p.first - q.first), std::fabs(p.second - q.second)));
        return best;
    };
    double worst = a.empty() || b.empty() ? std::numeric_limits<double>::infinity() : 0.0;
    for (const auto& p : a)
        worst = std::max(worst, nearest(p, b));
    for (const auto& q : b)
        worst = std::max(worst, nearest(q, a));
    return worst;
}

void ExpectSamePlaces(const CrsCase& c, const std::string& output) {
    SCOPED_TRACE(output);
    const test::PeerPlaces places = test::PlacesWithGdal(output, "key");
    ASSERT_EQ(places.earth, IsEarth(c));
    const auto truth = Truth(c);
    ASSERT_EQ(places.byKey.size(), truth.size());
    for (const auto& [key, vertices] : truth) {
        ASSERT_TRUE(places.byKey.count(key)) << "row " << key << " lost";
        const double tolerance =
            IsEarth(c) ? kDegrees : 1e-9 * std::max(std::fabs(c.x0), std::fabs(c.y0));
        EXPECT_LE(Apart(places.byKey.at(key), vertices), tolerance) << "feature " << key;
    }
}

class CrsRoutes : public ::testing::TestWithParam<CrsCase> {
  protected:
    // A file written by ogr2ogr from the case's data; TAB files get bounds around the data so
    // that the source itself keeps every digit.
    std::string Source(const std::string& format) {
        const CrsCase& c = GetParam();
        const std::string path = dir / ("src/" + std::string(c.stem) + "." + format);
        std::vector<std::string> options = {"-f",
                                            format == "shp" ? "ESRI Shapefile" : "MapInfo File"};
        if (format == "mif") options.insert(options.end(), {"-dsco", "FORMAT=MIF"});
        if (format == "tab") {
            char bounds[160];
            std::snprintf(bounds, sizeof bounds, "BOUNDS=%.17g,%.17g,%.17g,%.17g", c.x0 - c.size,
                          c.y0 - c.size, c.x0 + 3 * c.size, c.y0 + 2 * c.size);
            options.insert(options.end(), {"-lco", bounds});
        }
        if (*c.srs) options.insert(options.end(), {"-a_srs", c.srs});
        test::MakeWithGdal(GeoJson(c), path, options);
        if (!*c.srs) DeleteFile(dir / ("src/" + std::string(c.stem) + ".prj"));
        return path;
    }

    // Imports one source into VXV and exports the layer to MIF, shapefile and TAB; the paths
    // of the three outputs.
    std::vector<std::string> ThroughVxv(const std::string& source, ImportFormat format,
                                        const std::string& route) {
        test::Batch batch;
        EXPECT_TRUE(batch.Import(format, {source}, dir / route, true)) << batch.engine.JobLog();
        const std::string stem = GetParam().stem;
        const std::string vxv =
            dir / (route + (format == ImportFormat::kShape ? "/VXV/" : "/") + stem + ".vxv");
        EXPECT_TRUE(FileExists(vxv)) << batch.engine.JobLog();
        batch.run.TransType = TransferDirection::kExport;
        for (ExportFormat out : {ExportFormat::kMif, ExportFormat::kShape, ExportFormat::kTab})
            batch.run.BuildExportLists(out, {vxv});
        EXPECT_TRUE(batch.run.ApplyOutputFolder(dir / (route + "/out")));
        EXPECT_TRUE(batch.run.RunConversion(true)) << batch.engine.JobLog();
        // Nothing of these systems may be given up on the way.
        for (const char* lost : {"not carried", "cannot be kept"})
            EXPECT_EQ(batch.engine.JobLog().find(lost), std::string::npos) << batch.engine.JobLog();
        return {dir / (route + "/out/" + stem + ".MIF"),
                dir / (route + "/out/SHP/" + stem + ".shp"),
                dir / (route + "/out/" + stem + ".Tab")};
    }

    test::TempDir dir;
};

TEST_P(CrsRoutes, EveryRoutePlacesEveryVertexWhereTheSourceSystemDoes) {
    const CrsCase& c = GetParam();
    std::vector<std::pair<std::string, ImportFormat>> sources = {
        {Source("shp"), ImportFormat::kShape}};
    if (*c.srs) {
        sources.emplace_back(Source("mif"), ImportFormat::kMif);
        sources.emplace_back(Source("tab"), ImportFormat::kTab);
    }
    int route = 0;
    for (const auto& [source, format] : sources) {
        SCOPED_TRACE(source);
        for (const std::string& output : ThroughVxv(source, format, "r" + std::to_string(++route)))
            ExpectSamePlaces(c, output);
    }
}

INSTANTIATE_TEST_SUITE_P(Systems, CrsRoutes, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.stem); });

const char kOnePoint[] =
    R"({"type":"FeatureCollection","features":[{"type":"Feature",)"
    R"("properties":{"key":"1"},"geometry":{"type":"Point","coordinates":[1000,2000]}}]})";

TEST(CrsRoutesDetails, PlaneUnitsAndMissingPrjStayPlane) {
    test::TempDir dir;
    // A shapefile without .prj was once given longitude and latitude.
    test::MakeWithGdal(kOnePoint, dir / "p.shp", {"-f", "ESRI Shapefile"});
    DeleteFile(dir / "p.prj");
    Import engine;
    engine.SetCreateDbf(true);
    ASSERT_TRUE(engine.ImportShapeFile(dir / "p.shp", dir / "p.vxv")) << engine.JobLog();
    ASSERT_TRUE(engine.ExportMifFile(dir / "VXV/p.vxv", dir / "p.mif")) << engine.JobLog();
    EXPECT_NE(test::ReadFile(dir / "p.mif").find("CoordSys NonEarth Units \"m\""),
              std::string::npos);
    // An older export's .prj must not stay to give the plane layer a place.
    test::WriteFile(dir / "SHP/p.prj", "GEOGCS[\"GCS_WGS_1984\"]");
    engine.SetOverwriteExistingFiles(true);
    ASSERT_TRUE(engine.ExportShapeFile(dir / "VXV/p.vxv", dir / "p.shp")) << engine.JobLog();
    EXPECT_FALSE(FileExists(dir / "SHP/p.prj")) << "a plane layer gets no .prj";
}

// A system on the Earth for which GDAL knows no MapInfo projection is said to be lost, not
// taken quietly as plane coordinates.
TEST(CrsRoutesDetails, EarthSystemsWithoutClauseAreSaid) {
    test::TempDir dir;
    test::MakeWithGdal(kOnePoint, dir / "g.shp",
                       {"-f", "ESRI Shapefile", "-a_srs",
                        "+proj=geos +h=35785831 +lon_0=0 +datum=WGS84 +units=m"});
    Import engine;
    engine.SetCreateDbf(true);
    ASSERT_TRUE(engine.ImportShapeFile(dir / "g.shp", dir / "g.vxv")) << engine.JobLog();
    EXPECT_NE(engine.JobLog().find("The coordinate system of g.prj is not carried"),
              std::string::npos)
        << engine.JobLog();
}

}  // namespace
}  // namespace vx
