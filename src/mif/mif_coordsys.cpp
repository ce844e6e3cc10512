#include "mif/mif_coordsys.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "mif/mif_input.h"
#include "mif/mif_number_format.h"
#include "mif/mif_reader.h"
#include "model/datum_catalogue.h"
#include "model/projection_catalogue.h"
#include "platform/strings.h"

namespace vx {

namespace {

struct UnitRow {
    std::string_view name;   // as the MIF writer spells it
    std::string_view alias;  // the long form older files use; empty when none
    std::uint8_t code;
    double factor;  // metres per unit
};

// Chains, links and rods are the US survey measures, as MapInfo and GDAL take them.
constexpr double kSurveyFoot = 1200.0 / 3937.0;
constexpr std::array<UnitRow, 13> kUnits{{
    {"in", "", 1, 0.0254},
    {"ft", "", 2, 0.3048},
    {"yd", "", 3, 0.9144},
    {"mi", "", 4, 1609.344},
    {"nmi", "nautical mile", 5, 1852.0},
    {"mm", "", 6, 0.001},
    {"cm", "", 7, 0.01},
    {"m", "", 8, 1.0},
    {"km", "", 9, 1000.0},
    {"ch", "chains", 10, 66.0 * kSurveyFoot},
    {"li", "link", 11, 0.66 * kSurveyFoot},
    {"rd", "rods", 12, 16.5 * kSurveyFoot},
    {"survey ft", "", 13, kSurveyFoot},
}};

constexpr std::uint8_t kUnitMetre = 8;
// MapInfo's datum numbers for a datum given by its own parameters rather than by a number:
// 999 with an ellipsoid and three shifts, 9999 with four more values and a prime meridian.
constexpr std::int32_t kCustomDatum = 999;
constexpr std::int32_t kCustomDatumFull = 9999;
constexpr std::int32_t kWgs84Ellipsoid = 28;

const std::string& Piece(const std::vector<std::string>& pieces, std::size_t index) {
    if (index >= pieces.size()) throw MifReadError("CoordSys clause too short");
    return pieces[index];
}

// The unit name of a piece such as "m", or "survey ft",: the text between its quotes.
std::string_view UnitName(std::string_view piece) {
    std::size_t open = piece.find('"');
    if (open == std::string_view::npos) {
        piece = TrimBlanks(piece);
        if (!piece.empty() && piece.back() == ',') piece.remove_suffix(1);
        return piece;
    }
    std::size_t close = piece.find('"', open + 1);
    if (close == std::string_view::npos) close = piece.size();
    return piece.substr(open + 1, close - open - 1);
}

// The clause split at single blanks, a comma that a blank does not follow counting as one
// followed by a blank ("1,104" is "1, 104"), with a two-word unit joined into one piece.
std::vector<std::string> PiecesOf(std::string_view line) {
    std::string spaced;
    spaced.reserve(line.size() + 16);
    for (std::size_t i = 0; i < line.size(); ++i) {
        spaced += line[i];
        if (line[i] == ',' && i + 1 < line.size() && line[i + 1] != ' ') spaced += ' ';
    }
    std::vector<std::string> pieces;
    for (std::string_view piece : SplitBlanks(TrimLeadingBlanks(spaced)))
        pieces.emplace_back(piece);
    return JoinTwoWordUnit(std::move(pieces));
}

std::string Plain(double value) {
    std::string text;
    AppendPlain(text, value);
    return text;
}

// A datum given by its parameters: its pieces are taken out of the clause so that the unit
// and the parameters stand where they stand after a datum number. The layer can name only
// catalogue datums: WGS 84 itself is kept, any other is given up for WGS 84.
void TakeCustomDatum(CoordSysReading& reading, std::vector<std::string>& pieces,
                     std::int32_t number) {
    const std::size_t extra = number == kCustomDatum ? 4 : 9;
    // Without its parameters the number is read like any datum the catalogue lacks.
    if (pieces.size() < 5 + extra) return;
    std::vector<double> values;
    for (std::size_t i = 5; i < 5 + extra; ++i)
        values.push_back(MifDouble(pieces[i]));
    pieces.erase(pieces.begin() + 5, pieces.begin() + 5 + static_cast<std::ptrdiff_t>(extra));
    const bool plainWgs84 =
        values[0] == kWgs84Ellipsoid &&
        std::all_of(values.begin() + 1, values.begin() + (number == kCustomDatum ? 4 : 8),
                    [](double v) { return v == 0.0; }) &&
        (number == kCustomDatum || values[8] == 0.0);
    if (!plainWgs84) {
        std::string what = "Datum ";
        AppendPlain(what, number);
        what += " (ellipsoid";
        for (double v : values) {
            what += ' ';
            AppendPlain(what, v);
        }
        what += ") cannot be kept: WGS 84 used in its place";
        reading.givenUp.push_back(std::move(what));
    }
    pieces[4] = "104,";
}

// A false easting or northing held in whole metres; the fraction moves into the coordinates.
std::int32_t WholeMetres(double metres, double& offset, bool& fits) {
    const double whole = std::nearbyint(metres);
    if (!std::isfinite(whole) || whole < std::numeric_limits<std::int32_t>::min() ||
        whole > std::numeric_limits<std::int32_t>::max()) {
        fits = false;
        return 0;
    }
    offset = whole - metres;
    return static_cast<std::int32_t>(whole);
}

// The layer keeps plane coordinates: the clause's place on the Earth is given up.
void KeepPlane(CoordSysReading& reading) {
    LayerInfo& layer = reading.layer;
    layer.lCoordSys = 1;
    layer.lProjection = -1;
    layer.lDatum = -1;
    // The coordinates stay in the clause's unit where it named one.
    if (reading.unitCode == 0) reading.unitCode = kUnitMetre;
    reading.factor = 1.0;
    reading.offset = {};
}

}  // namespace

std::int32_t MapInfoDatumToCode(std::int32_t mapInfoDatum) {
    return CodeOfMapInfoDatum(mapInfoDatum);
}

std::uint8_t ReadMifUnit(CoordSysReading& reading, std::string_view name) {
    for (const UnitRow& row : kUnits) {
        if (row.name == name || (!row.alias.empty() && row.alias == name)) {
            reading.factor = row.factor;
            return row.code;
        }
    }
    reading.failure = "Units Not Supported";
    return 0;
}

std::string_view MifUnitName(std::uint8_t code) {
    for (const UnitRow& row : kUnits) {
        if (row.code == code) return row.name;
    }
    return {};
}

double MifUnitFactor(std::uint8_t code) {
    for (const UnitRow& row : kUnits) {
        if (row.code == code) return row.factor;
    }
    return 0.0;
}

std::vector<std::string> JoinTwoWordUnit(std::vector<std::string> pieces) {
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        std::string_view first = pieces[i];
        std::string_view second = pieces[i + 1];
        if ((first == "\"survey" && second.starts_with("ft\"")) ||
            (first == "\"nautical" && second.starts_with("mile\""))) {
            pieces[i] += ' ';
            pieces[i] += second;
            pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            break;
        }
    }
    return pieces;
}

void ReadMifProjection(CoordSysReading& reading, std::int32_t mifProjection,
                       const std::vector<std::string>& pieces) {
    LayerInfo& layer = reading.layer;
    auto number = [&](std::size_t i) { return MifDouble(Piece(pieces, i)); };
    auto whole = [&](std::size_t i) { return MifLong(Piece(pieces, i)); };

    // Projections that read no datum leave none, which makes the layer a plane.
    layer.lDatum = -1;
    const MapInfoProjectionForm* form = ProjectionFormOfMapInfo(mifProjection);
    if (mifProjection == 5 || mifProjection == 17) {
        // Accepted, but read as plain plane coordinates: no datum is taken.
        layer.lProjection = 0;
        reading.givenUp.push_back("Projection " + std::to_string(mifProjection) +
                                  " cannot be kept: the layer keeps plane coordinates");
    } else if (form == nullptr) {
        layer.lProjection = -1;
    } else if (mifProjection == 1) {
        layer.lProjection = form->code;
        layer.lDatum = whole(4);
    } else {
        layer.lProjection = form->code;
        layer.lDatum = whole(4);
        reading.unitCode = ReadMifUnit(reading, UnitName(Piece(pieces, 5)));
        // False easting and northing are in the clause's unit; the layer holds them in
        // metres, like its coordinates.
        const double factor = reading.failure.empty() ? reading.factor : 1.0;
        bool fits = true;
        std::size_t at = 6;
        for (ProjectionParameter parameter : form->parameters) {
            switch (parameter) {
                case ProjectionParameter::kLongitude:
                    layer.lOriginLongitude = number(at);
                    break;
                case ProjectionParameter::kLatitude:
                    layer.lOriginLatitude = number(at);
                    break;
                case ProjectionParameter::kParallel1:
                    layer.lStdParellel1 = number(at);
                    break;
                case ProjectionParameter::kParallel2:
                    layer.lStdParellel2 = number(at);
                    break;
                case ProjectionParameter::kScale:
                    layer.lScaleFactor = number(at);
                    break;
                case ProjectionParameter::kEasting:
                    layer.lFalseEasting = WholeMetres(number(at) * factor, reading.offset.X, fits);
                    break;
                case ProjectionParameter::kNorthing:
                    layer.lFalseNorthing = WholeMetres(number(at) * factor, reading.offset.Y, fits);
                    break;
                case ProjectionParameter::kRange:
                    layer.lRange = whole(at);
                    break;
            }
            ++at;
        }
        // The cylindrical equal-area parallel stands where the writer takes it (the second)
        // and where a reader of the layer looks first.
        if (form->code == 5) layer.lStdParellel1 = layer.lStdParellel2;
        // Transverse Mercator layers carry the zone mark the layer files have always held.
        if (form->code == 21) layer.lUTMZone = 43;
        if (form->readOnly) {
            reading.givenUp.push_back("Projection " + std::to_string(mifProjection) +
                                      " is kept as plain " + ProjectionName(form->code));
        }
        if (!fits && reading.failure.empty()) {
            reading.givenUp.push_back(
                "False easting or northing out of range: the layer keeps plane coordinates");
            layer.lDatum = -1;
            return;
        }
    }
    const std::int32_t mapInfoDatum = layer.lDatum;
    layer.lDatum = MapInfoDatumToCode(mapInfoDatum);
    if (layer.lDatum == -1 && layer.lProjection > 0) {
        reading.givenUp.push_back("Datum " + std::to_string(mapInfoDatum) +
                                  " is unknown: the layer keeps plane coordinates");
    }
}

CoordSysReading ParseMifCoordSys(std::string_view line, const LayerInfo& start) {
    CoordSysReading reading;
    reading.layer = start;
    std::vector<std::string> pieces = PiecesOf(line);

    LayerInfo& layer = reading.layer;
    const std::string kind = UpperAnsi(Piece(pieces, 1));
    if (ContainsNoCase(line, "Affine")) {
        reading.givenUp.push_back(
            "The affine transformation of the coordinate system is not "
            "kept");
    }
    if (kind == "EARTH") {
        layer.lCoordSys = 0;
        if (pieces.size() > 4) {
            std::string_view number = Piece(pieces, 3);
            const std::int32_t projection = MifLong(number.substr(0, number.find(',')));
            const std::string_view datum = Piece(pieces, 4);
            const std::int32_t datumNumber = MifLong(datum.substr(0, datum.find(',')));
            if (datumNumber == kCustomDatum || datumNumber == kCustomDatumFull)
                TakeCustomDatum(reading, pieces, datumNumber);
            ReadMifProjection(reading, projection, pieces);
            if (reading.failure.empty()) {
                if (layer.lProjection == -1) {
                    reading.failure = "Projection Not Supported. Aborting";
                } else if (layer.lDatum == -1) {
                    // Without a datum the engine knows, the coordinates are kept as a plane.
                    KeepPlane(reading);
                } else if (layer.lProjection == 1) {
                    // Degrees are stored as they stand.
                    reading.factor = 1.0;
                }
            }
        }
    } else if (kind == "NONEARTH") {
        layer.lCoordSys = 1;
        // The unit of the coordinates is the last one the clause names; an affine clause
        // names its own before it.
        std::size_t unitAt = 0;
        for (std::size_t i = 2; i + 1 < pieces.size(); ++i) {
            if (EqualsNoCase(pieces[i], "Units")) unitAt = i + 1;
        }
        reading.unitCode = ReadMifUnit(reading, UnitName(Piece(pieces, unitAt ? unitAt : 3)));
        // Plane coordinates are stored in their own units.
        reading.factor = 1.0;
    }
    if (!reading.failure.empty()) reading.givenUp.clear();
    if (reading.offset.X != 0.0 || reading.offset.Y != 0.0) {
        reading.givenUp.push_back(
            "False easting and northing are kept in whole metres: the "
            "coordinates move by " +
            Plain(reading.offset.X) + ", " + Plain(reading.offset.Y) + " to keep their places");
    }
    return reading;
}

void ReadMifCoordSys(MifReadState& ctx, std::string_view line) {
    const CoordSysReading reading = ParseMifCoordSys(line, ctx.model.Layer);
    ctx.model.Layer = reading.layer;
    ctx.model.LayerKind.UnitCode = reading.unitCode;
    ctx.coordinateFactor = reading.factor;
    ctx.coordinateOffset = reading.offset;
    if (!reading.failure.empty()) {
        ctx.ReportStage(reading.failure);
        ctx.Fail();
    }
    for (const std::string& text : reading.givenUp)
        ctx.ReportStage(text);
}

}  // namespace vx
