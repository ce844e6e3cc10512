#include "mif/mif_coordsys.h"

#include <array>

#include "mif/mif_input.h"
#include "platform/strings.h"

namespace vx {

namespace {

struct UnitRow {
    std::string_view name;
    std::uint8_t code;
    double factor;  // metres per unit
};

// "ft" keeps the survey foot's factor on purpose: files in feet have always been read so.
constexpr std::array<UnitRow, 13> kUnits{{
    {"in", 1, 0.0254},
    {"ft", 2, 0.3048006},
    {"yd", 3, 0.9144},
    {"mi", 4, 1609.344},
    {"nautical mile", 5, 1852.0},
    {"mm", 6, 0.001},
    {"cm", 7, 0.01},
    {"m", 8, 1.0},
    {"km", 9, 1000.0},
    {"chains", 10, 20.1168},
    {"link", 11, 0.201168},
    {"rods", 12, 5.0292099},
    {"survey ft", 13, 0.3048006},
}};

constexpr std::uint8_t kUnitMetre = 8;

// MapInfo datum numbers 0..114 to the engine's datum codes.
constexpr std::array<std::int16_t, 115> kDatumCodes{{
    0,   4,   8,   9,   12,  14,  23,  26,  27,  30,  28,  29,  31,  32,  34,  35,  37,
    40,  41,  43,  42,  44,  45,  46,  47,  50,  51,  52,  54,  69,  71,  72,  0,   0,
    74,  76,  0,   79,  80,  81,  82,  88,  91,  93,  94,  95,  96,  97,  100, 102, 104,
    103, 105, 0,   106, 107, 108, 110, 113, 115, 114, 116, 0,   117, 121, 134, 123, 124,
    125, 122, 127, 130, 132, 0,   137, 144, 145, 146, 156, 157, 162, 163, 167, 177, 179,
    180, 181, 182, 190, 191, 192, 193, 198, 211, 0,   0,   213, 214, 219, 220, 223, 0,
    0,   225, 226, 227, 228, -1,  0,   0,   0,   -1,  -1,  0,   0,
}};

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

}  // namespace

std::int32_t MapInfoDatumToCode(std::int32_t mapInfoDatum) {
    if (mapInfoDatum == 1000) return 0;
    if (mapInfoDatum < 0 || mapInfoDatum >= static_cast<std::int32_t>(kDatumCodes.size()))
        return -1;
    return kDatumCodes[static_cast<std::size_t>(mapInfoDatum)];
}

std::uint8_t ReadMifUnit(JobContext& ctx, std::string_view name) {
    for (const UnitRow& row : kUnits) {
        if (row.name == name) {
            ctx.coordinateFactor = row.factor;
            return row.code;
        }
    }
    ctx.ReportStage("Units Not Supported");
    ctx.Fail();
    return 0;
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

void ReadMifProjection(JobContext& ctx, std::int32_t mifProjection,
                       const std::vector<std::string>& pieces) {
    LayerInfo& layer = ctx.model.Layer;
    auto number = [&](std::size_t i) { return MifDouble(Piece(pieces, i)); };
    auto whole = [&](std::size_t i) { return MifLong(Piece(pieces, i)); };
    // The origin longitude keeps whole degrees only, as the layer files have always held it.
    auto originLongitude = [&] { layer.lOriginLongitude = whole(6); };
    auto datumAndUnit = [&] {
        layer.lDatum = whole(4);
        ctx.model.LayerKind.UnitCode = ReadMifUnit(ctx, UnitName(Piece(pieces, 5)));
    };
    // Transverse Mercator, stereographic: origin, scale factor, false easting and northing.
    auto originScaleFalse = [&] {
        originLongitude();
        layer.lOriginLatitude = number(7);
        layer.lScaleFactor = number(8);
        layer.lFalseEasting = whole(9);
        layer.lFalseNorthing = whole(10);
    };
    // The conic projections: origin, two standard parallels, false easting and northing.
    auto conic = [&] {
        originLongitude();
        layer.lOriginLatitude = number(7);
        layer.lStdParellel1 = number(8);
        layer.lStdParellel2 = number(9);
        layer.lFalseEasting = whole(10);
        layer.lFalseNorthing = whole(11);
    };

    // Projections that read no datum leave none, which makes the layer a plane.
    layer.lDatum = -1;
    switch (mifProjection) {
        case 1:
            layer.lProjection = 1;
            layer.lDatum = whole(4);
            break;
        case 2:
            layer.lProjection = 5;
            datumAndUnit();
            originLongitude();
            layer.lStdParellel1 = number(7);
            break;
        case 3:
            layer.lProjection = 11;
            datumAndUnit();
            conic();
            break;
        case 4:
            layer.lProjection = 10;
            datumAndUnit();
            originLongitude();
            layer.lOriginLatitude = number(7);
            layer.lRange = whole(8);
            break;
        case 5:
        case 17:
            // Accepted, but read as plain plane coordinates: no datum is taken.
            layer.lProjection = 0;
            break;
        case 8:
        case 21:
        case 22:
        case 23:
        case 24:
            // Transverse Mercator and its regional variants share the code the MIF writer
            // turns back into projection 8.
            layer.lProjection = 21;
            layer.lUTMZone = 43;
            datumAndUnit();
            originScaleFalse();
            break;
        case 9:
            layer.lProjection = 2;
            datumAndUnit();
            conic();
            break;
        case 10:
            layer.lProjection = 23;
            datumAndUnit();
            originLongitude();
            break;
        case 11:
        case 12:
        case 13:
        case 14:
        case 15:
        case 16: {
            static constexpr std::int32_t kCodes[] = {13, 24, 14, 6, 7, 19};
            layer.lProjection = kCodes[mifProjection - 11];
            datumAndUnit();
            originLongitude();
            break;
        }
        case 20:
            layer.lProjection = 20;
            datumAndUnit();
            originScaleFalse();
            break;
        case 26:
            layer.lProjection = 12;
            datumAndUnit();
            originLongitude();
            layer.lStdParellel1 = number(7);
            break;
        case 27:
            layer.lProjection = 18;
            datumAndUnit();
            originLongitude();
            layer.lOriginLatitude = number(7);
            layer.lFalseEasting = whole(8);
            layer.lFalseNorthing = whole(9);
            break;
        default:
            layer.lProjection = -1;
            break;
    }
    layer.lDatum = MapInfoDatumToCode(layer.lDatum);
}

void ReadMifCoordSys(JobContext& ctx, std::string_view line) {
    std::vector<std::string> pieces;
    for (std::string_view piece : SplitBlanks(TrimLeadingBlanks(line)))
        pieces.emplace_back(piece);
    pieces = JoinTwoWordUnit(std::move(pieces));

    LayerInfo& layer = ctx.model.Layer;
    const std::string kind = UpperAnsi(Piece(pieces, 1));
    if (kind == "EARTH") {
        layer.lCoordSys = 0;
        if (pieces.size() > 4) {
            std::string_view number = Piece(pieces, 3);
            ReadMifProjection(ctx, MifLong(number.substr(0, number.find(','))), pieces);
            if (!ctx.Failed()) {
                if (layer.lProjection == -1) {
                    ctx.ReportStage("Projection Not Supported. Aborting");
                    ctx.Fail();
                } else if (layer.lDatum == -1) {
                    // Without a datum the engine knows, the coordinates are kept as a plane.
                    layer.lCoordSys = 1;
                    layer.lProjection = -1;
                    ctx.model.LayerKind.UnitCode = kUnitMetre;
                }
            }
        }
    } else if (kind == "NONEARTH") {
        layer.lCoordSys = 1;
        if (!ContainsNoCase(line, "Affine Units"))
            ctx.model.LayerKind.UnitCode = ReadMifUnit(ctx, UnitName(Piece(pieces, 3)));
        // Plane coordinates are stored in their own units.
        ctx.coordinateFactor = 1.0;
    }
    ctx.coordProjection = layer.lProjection;
    ctx.coordDatum = layer.lDatum;
}

}  // namespace vx
