#include "mif/mif_coordsys.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "mif/mif_input.h"
#include "mif/mif_writer.h"
#include "mif_test_support.h"
#include "model/datum_catalogue.h"

namespace vx {
namespace {

constexpr double kSurveyFoot = 1200.0 / 3937.0;

// Whether one of the status texts of what was given up holds `text`.
bool GivenUp(const CoordSysReading& reading, const std::string& text) {
    return std::any_of(reading.givenUp.begin(), reading.givenUp.end(),
                       [&](const std::string& s) { return s.find(text) != std::string::npos; });
}

// A file whose header holds one CoordSys line and the given data section, as read.
test::MifResult ReadWith(const std::string& clause, const std::string& data = "") {
    return test::ReadMif(test::MifText(data, clause + "\r\n"));
}

TEST(MifCoordSys, LongitudeLatitudeAndThePlaneFallbacks) {
    const CoordSysReading lonLat = ParseMifCoordSys("CoordSys Earth Projection 1, 104");
    EXPECT_EQ(std::tie(lonLat.layer.lCoordSys, lonLat.layer.lProjection, lonLat.layer.lDatum),
              std::tuple(0, 1, 226));
    EXPECT_EQ(lonLat.factor, 1.0);
    EXPECT_TRUE(lonLat.givenUp.empty() && lonLat.failure.empty());
    // An unknown datum, or a projection read as a plane, keeps plane coordinates in metres,
    // and says so.
    for (const char* clause :
         {"CoordSys Earth Projection 1, 9999", "CoordSys Earth Projection 1,2000",
          "CoordSys Earth Projection 5, 104, \"m\", 0, 90"}) {
        const CoordSysReading r = ParseMifCoordSys(clause);
        EXPECT_EQ(std::tie(r.layer.lCoordSys, r.layer.lProjection, r.layer.lDatum, r.unitCode),
                  std::tuple(1, -1, -1, 8))
            << clause;
        EXPECT_TRUE(GivenUp(r, "the layer keeps plane coordinates")) << clause;
    }
}

TEST(MifCoordSys, ProjectedCoordinatesAndTheirFalseOriginAreStoredInMetres) {
    // Survey feet: the false origin moves to metres with the coordinates, and the fraction
    // a layer's whole metres cannot hold moves into the coordinates, so that the point
    // stays where the clause puts it.
    test::MifResult r = ReadWith(
        "CoordSys Earth Projection 8, 74, \"survey ft\", -79.5, 33.75, 0.9999, 2000000, -7",
        "Point 2100000 700000\r\n");
    const LayerInfo& layer = r.model.Layer;
    EXPECT_EQ(layer.lProjection, 21);
    EXPECT_EQ(layer.lOriginLongitude, -79.5) << "fractions of a degree are kept";
    EXPECT_EQ(layer.lOriginLatitude, 33.75);
    EXPECT_EQ(layer.lScaleFactor, 0.9999);
    EXPECT_EQ(r.model.LayerKind.UnitCode, 13);
    EXPECT_EQ(std::tie(layer.lFalseEasting, layer.lFalseNorthing), std::tuple(609601, -2));
    // Easting less false easting is what the projection gives; it must not change.
    const Vertex stored = r.model.Points.at(0).Vertices.at(0);
    EXPECT_NEAR(stored.X - layer.lFalseEasting, (2100000 - 2000000) * kSurveyFoot, 1e-9);
    EXPECT_NEAR(stored.Y - layer.lFalseNorthing, (700000 + 7) * kSurveyFoot, 1e-9);
    EXPECT_NE(r.log.find("\tFalse easting and northing are kept in whole metres"),
              std::string::npos)
        << r.log;
    // The clause written back says metres, with the false origin in metres.
    EXPECT_EQ(MifCoordSysClause(layer, r.model.LayerKind.UnitCode),
              "CoordSys Earth Projection 8, 74, \"m\", -79.5, 33.75, 0.9999, 609601, -2");

    // International feet are exactly 0.3048 m; a whole false origin moves nothing.
    r = ReadWith("CoordSys Earth Projection 8, 104, \"ft\", 3, 0, 1, 0, 0", "Point 10 20\r\n");
    EXPECT_EQ(r.model.Points.at(0).Vertices.at(0), (Vertex{10 * 0.3048, 20 * 0.3048}));
    EXPECT_EQ(r.log, "\tReading ...\r\n");

    // Parameters of one file are not carried over to the next.
    r = ReadWith("CoordSys Earth Projection 1, 104");
    EXPECT_EQ(std::tie(r.model.Layer.lScaleFactor, r.model.Layer.lFalseNorthing,
                       r.model.Layer.lUTMZone, r.model.LayerKind.UnitCode),
              std::tuple(0.0, 0, 0, 0));
}

TEST(MifCoordSys, ProjectionCodesAndTheirParameters) {
    const LayerInfo conic =
        ParseMifCoordSys("CoordSys Earth Projection 3, 57, \"m\", -96.5, 23, 20.5, 60, 1000, -7")
            .layer;
    EXPECT_EQ(std::tie(conic.lProjection, conic.lDatum, conic.lFalseEasting),
              std::tuple(11, 110, 1000));
    EXPECT_EQ(std::tie(conic.lOriginLongitude, conic.lStdParellel1, conic.lStdParellel2),
              std::tuple(-96.5, 20.5, 60.0));
    // MIF 10, 15, 21 to 24 and 26 take the codes the MIF writer gives back.
    const std::pair<int, int> codes[] = {{2, 5},   {4, 10},  {9, 2},   {10, 23}, {11, 13},
                                         {12, 24}, {13, 14}, {14, 6},  {15, 7},  {16, 19},
                                         {20, 20}, {21, 21}, {24, 21}, {26, 23}, {27, 18}};
    for (auto [mif, code] : codes) {
        const CoordSysReading r = ParseMifCoordSys(
            "CoordSys Earth Projection " + std::to_string(mif) + ", 104, \"m\", 17, 1, 1, 1, 1, 1");
        EXPECT_EQ(r.layer.lProjection, code) << mif;
        EXPECT_EQ(r.layer.lOriginLongitude, 17.0) << mif;
        // The Danish and Finnish variants of transverse Mercator are kept as the plain one.
        EXPECT_EQ(GivenUp(r, "Projection " + std::to_string(mif) +
                                 " is kept as plain Transverse Mercator"),
                  mif == 21 || mif == 24)
            << mif;
    }
}

TEST(MifCoordSys, UnsupportedOrMalformedClausesAbortWithTheirMessage) {
    for (int mif : {0, 7, 25, 28}) {
        EXPECT_EQ(ParseMifCoordSys("CoordSys Earth Projection " + std::to_string(mif) +
                                   ", 104, \"m\", 0, 0, 1")
                      .failure,
                  "Projection Not Supported. Aborting")
            << mif;
    }
    test::MifResult r = ReadWith("CoordSys Earth Projection 7, 104, \"m\", 0, 0, 1");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.log, "\tProjection Not Supported. Aborting\r\n");
    r = ReadWith("CoordSys NonEarth Units \"M\" Bounds (0, 0) (1, 1)");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.log, "\tUnits Not Supported\r\n");
    // An Earth projection still reads its parameters before it stops.
    const CoordSysReading furlong =
        ParseMifCoordSys("CoordSys Earth Projection 8, 104, \"furlong\", 3, 0, 0.9996, 500000, 0");
    EXPECT_EQ(furlong.failure, "Units Not Supported");
    EXPECT_EQ(furlong.layer.lFalseEasting, 500000);

    for (const char* clause :
         {"CoordSys Earth Projection 3, 62",
          "CoordSys Earth Projection 8, 104, \"m\", x, 0, 1, 5, 0",
          "CoordSys Earth Projection one, 104, \"m\", 0, 0", "CoordSys NonEarth"}) {
        EXPECT_THROW(ParseMifCoordSys(clause), MifReadError) << clause;
        EXPECT_EQ(ReadWith(clause).log, "\tError Reading MIF Header\r\n") << clause;
    }
}

TEST(MifCoordSys, PlaneLayersKeepTheirUnitAndWriteItBack) {
    // Every unit the writer names reads back to its code and is written back as itself; the
    // coordinates stay in their own unit.
    for (std::uint8_t code = 1; code <= 13; ++code) {
        const std::string clause =
            "CoordSys NonEarth Units \"" + std::string(MifUnitName(code)) + "\"";
        const CoordSysReading r = ParseMifCoordSys(clause + " Bounds (0, 0) (100, 100)");
        EXPECT_EQ(std::tie(r.layer.lCoordSys, r.unitCode, r.factor), std::tuple(1, code, 1.0))
            << clause;
        EXPECT_EQ(MifCoordSysClause(r.layer, code), clause);
    }
    const test::MifResult miles =
        ReadWith("CoordSys NonEarth Units \"mi\" Bounds (0, 0) (1, 1)", "Point 10.5 20\r\n");
    EXPECT_EQ(miles.model.Points.at(0).Vertices.at(0), (Vertex{10.5, 20}));
    // The long names of older files read as the same units.
    const std::pair<const char*, std::uint8_t> aliases[] = {
        {"nautical mile", 5}, {"chains", 10}, {"link", 11}, {"rods", 12}};
    for (auto [alias, code] : aliases) {
        CoordSysReading reading;
        EXPECT_EQ(ReadMifUnit(reading, alias), code) << alias;
        EXPECT_EQ(reading.factor, MifUnitFactor(code)) << alias;
    }
    EXPECT_EQ(MifUnitFactor(13), kSurveyFoot);
    EXPECT_NEAR(MifUnitFactor(10), 66 * kSurveyFoot, 1e-15);
    EXPECT_EQ(MifUnitFactor(4), 1609.344) << "metres per mile, like every other unit";
}

TEST(MifCoordSys, EveryMapInfoDatumReadIsTheDatumWritten) {
    // Each catalogue entry stands for a MapInfo number that reads back to an entry of the
    // same number, and each number read is written back as itself.
    for (std::int32_t code = 1; code <= DatumCount(); ++code) {
        const std::int32_t mapInfo = MifDatumNumber(code);
        ASSERT_NE(mapInfo, 0) << "datum code " << code;
        EXPECT_FALSE(DatumName(code).empty()) << code;
        EXPECT_EQ(MifDatumNumber(MapInfoDatumToCode(mapInfo)), mapInfo) << mapInfo;
    }
    for (std::int32_t mapInfo = 1; mapInfo <= 2000; ++mapInfo) {
        if (MapInfoDatumToCode(mapInfo) == -1) continue;
        const std::string clause = "CoordSys Earth Projection 1, " + std::to_string(mapInfo);
        const CoordSysReading r = ParseMifCoordSys(clause);
        EXPECT_EQ(MifCoordSysClause(r.layer, r.unitCode), clause);
    }
    // The old entries keep their codes; datums MapInfo users meet that the catalogue lacked
    // have entries after them.
    EXPECT_EQ(MapInfoDatumToCode(104), 226);
    EXPECT_EQ(MapInfoDatumToCode(57), 110);
    EXPECT_EQ(DatumName(226), "WGS 84");
    EXPECT_GT(MapInfoDatumToCode(62), 228);
    EXPECT_EQ(DatumName(MapInfoDatumToCode(62)), "NAD 27 (Continental US)");
    for (std::int32_t mapInfo : {33, 49, 100, 1000, 1002})
        EXPECT_GT(MapInfoDatumToCode(mapInfo), 0) << mapInfo;
    for (std::int32_t mapInfo : {-1, 999, 2000, 9999})
        EXPECT_EQ(MapInfoDatumToCode(mapInfo), -1) << mapInfo;
    EXPECT_EQ(MapInfoDatumToCode(0), 0);
}

TEST(MifCoordSys, CustomDatumsAndAffineClausesGoOnWithTheNearestAndSaySo) {
    // WGS 84 given by its parameters is WGS 84; nothing is lost.
    const CoordSysReading wgs84 = ParseMifCoordSys("CoordSys Earth Projection 1, 999, 28, 0, 0, 0");
    EXPECT_EQ(wgs84.layer.lDatum, 226);
    EXPECT_TRUE(wgs84.givenUp.empty());
    // Any other is given up for WGS 84, and the unit and parameters after it still stand
    // where they belong.
    const CoordSysReading other = ParseMifCoordSys(
        "CoordSys Earth Projection 8, 9999, 7, -87, -98, -121, 1, 2, 3, 4, 0, "
        "\"m\", 3, 0, 0.9996, 500000, 0");
    const LayerInfo& layer = other.layer;
    EXPECT_EQ(std::tie(layer.lProjection, layer.lDatum, layer.lFalseEasting),
              std::tuple(21, 226, 500000));
    EXPECT_EQ(std::tie(layer.lOriginLongitude, layer.lScaleFactor), std::tuple(3.0, 0.9996));
    EXPECT_TRUE(GivenUp(other, "Datum 9999 (ellipsoid 7 -87 -98 -121 1 2 3 4 0) cannot be kept"));

    const CoordSysReading affine = ParseMifCoordSys(
        "CoordSys NonEarth Affine Units \"m\", 2, 0, 0, 0, 2, 0 Units \"km\" Bounds (0, 0) (1, 1)");
    EXPECT_EQ(affine.unitCode, 9) << "the unit of the coordinates";
    EXPECT_TRUE(GivenUp(affine, "affine transformation"));
}

}  // namespace
}  // namespace vx
