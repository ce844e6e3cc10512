#include "mif/mif_styles.h"

#include <span>

#include "mif/mif_input.h"

namespace vx {

namespace {

struct PatternRange {
    std::int32_t first;
    std::int32_t last;
    std::int32_t stored;
};

constexpr PatternRange kRegionPenPatterns[] = {
    {1, 1, 5},     {3, 3, 8},      {4, 5, 9},      {6, 6, 11},     {7, 7, 13},     {8, 8, 14},
    {9, 10, 8},    {11, 12, 11},   {13, 13, 14},   {14, 15, 15},   {16, 16, 16},   {17, 18, 17},
    {19, 19, 20},  {20, 22, 16},   {23, 25, 8},    {41, 45, 32},   {46, 46, 35},   {54, 58, 33},
    {63, 64, 29},  {65, 67, 28},   {68, 69, 30},   {71, 71, 14},   {72, 77, 28},   {81, 85, 32},
    {97, 101, 31}, {105, 109, 32}, {110, 113, 33}, {114, 114, 32}, {115, 117, 31}, {118, 118, 34},
};

constexpr PatternRange kRegionBrushPatterns[] = {
    {0, 1, 1},   {3, 3, 2},   {4, 4, 3},   {5, 5, 5},   {6, 6, 4},   {7, 7, 6},   {8, 8, 7},
    {13, 16, 1}, {17, 19, 2}, {21, 23, 2}, {24, 28, 3}, {29, 33, 5}, {34, 38, 4}, {39, 43, 6},
    {44, 47, 7}, {48, 50, 2}, {51, 51, 7}, {52, 53, 2}, {54, 55, 7}, {56, 60, 6}, {61, 61, 5},
    {62, 63, 2}, {64, 64, 5}, {65, 65, 2}, {66, 69, 4}, {70, 71, 3},
};

std::int32_t LookUpPattern(std::span<const PatternRange> table, std::int32_t pattern) {
    for (const PatternRange& range : table) {
        if (pattern >= range.first && pattern <= range.last) return range.stored;
    }
    return 0;
}

std::string_view Value(const std::vector<std::string_view>& values, std::size_t index) {
    if (index >= values.size()) throw MifReadError("clause has too few values");
    return values[index];
}

std::int32_t LongValue(const std::vector<std::string_view>& values, std::size_t index) {
    return MifLong(Value(values, index));
}

// MIF line patterns 2 to 6 are the model's 0 to 4; every other one is a solid line.
std::int32_t PlainPenPattern(std::int32_t mifPattern) {
    return mifPattern > 1 && mifPattern < 7 ? mifPattern - 2 : 0;
}

bool IsNumber(std::string_view text) {
    double ignored = 0.0;
    return TryMifDouble(text, ignored);
}

constexpr std::int32_t kWhite = 16777215;
constexpr std::int32_t kDefaultSymbolStyle = 196;
constexpr std::int32_t kDefaultSymbolSize = 10;

}  // namespace

std::int32_t SwapRedBlue(std::int32_t color) {
    // Arithmetic shifts floor the quotient, as the colour arithmetic of the files does.
    std::int32_t red = (color >> 16) & 255;
    std::int32_t green = (color >> 8) & 255;
    std::int32_t blue = color & 255;
    return red + 256 * green + 65536 * blue;
}

std::int32_t MapRegionPenPattern(std::int32_t mifPattern) {
    return LookUpPattern(kRegionPenPatterns, mifPattern);
}

std::int32_t MapRegionBrushPattern(std::int32_t mifPattern) {
    return LookUpPattern(kRegionBrushPatterns, mifPattern);
}

std::vector<std::string_view> ClauseValues(std::string_view clause) {
    std::size_t open = clause.find('(');
    if (open == std::string_view::npos) throw MifReadError("clause without values");
    std::string_view inside = clause.substr(open + 1);
    inside = inside.substr(0, inside.find(')'));
    std::vector<std::string_view> values;
    for (;;) {
        std::size_t comma = inside.find(',');
        values.push_back(inside.substr(0, comma));
        if (comma == std::string_view::npos) break;
        inside.remove_prefix(comma + 1);
    }
    return values;
}

PenStyle MifPen(MifStyleFamily family, std::string_view clause) {
    const auto values = ClauseValues(clause);
    const std::int32_t width = LongValue(values, 0);
    const std::int32_t pattern = LongValue(values, 1);
    PenStyle pen;
    pen.PenColor = SwapRedBlue(LongValue(values, 2));
    switch (family) {
        case MifStyleFamily::kPline:
            pen.PenSize = width > 0 ? width : 1;
            pen.PenPattern = PlainPenPattern(pattern);
            break;
        case MifStyleFamily::kLine:
        case MifStyleFamily::kRect:
            pen.PenSize = width;
            pen.PenPattern = PlainPenPattern(pattern);
            break;
        case MifStyleFamily::kRegion:
            pen.PenSize = width;
            pen.PenPattern = MapRegionPenPattern(pattern);
            break;
    }
    return pen;
}

PenStyle DefaultMifPen(MifStyleFamily family) {
    return PenStyle{1, family == MifStyleFamily::kRect ? 2 : 0, 0};
}

BrushStyle MifBrush(MifStyleFamily family, std::string_view clause) {
    const auto values = ClauseValues(clause);
    const std::int32_t pattern = LongValue(values, 0);
    const bool rect = family == MifStyleFamily::kRect;
    BrushStyle brush;
    brush.BrushPattern =
        rect ? (pattern > 1 && pattern < 8 ? pattern - 2 : 0) : MapRegionBrushPattern(pattern);
    brush.BrushForeColor = SwapRedBlue(LongValue(values, 1));
    if (values.size() > 2)
        brush.BrushBackColor = SwapRedBlue(LongValue(values, 2));
    else
        brush.BrushBackColor = rect ? 0 : kWhite;
    return brush;
}

BrushStyle DefaultMifBrush(MifStyleFamily family) {
    return BrushStyle{family == MifStyleFamily::kRect ? 2 : 1, kWhite, 0};
}

void ApplyContours(bool contours, PenStyle& pen, const BrushStyle& brush) {
    if (contours) pen.PenColor = brush.BrushForeColor;
}

void ReadMifSymbol(LayerModel& model, std::string_view clause, PointObject& point) {
    const auto values = ClauseValues(clause);
    const std::int32_t color = LongValue(values, 1);
    point.PointSize = LongValue(values, 2);
    std::string fontName;
    const std::string_view shape = TrimBlanks(Value(values, 0));
    if (!IsNumber(shape)) {
        // A bitmap symbol: its file name stands where the font would.
        fontName = shape;
        point.PointStyle = -1;
        point.FontStyle = LongValue(values, 3);
        point.PointRot = 0.0f;
    } else if (values.size() > 4) {
        std::string_view quoted = TrimBlanks(values[3]);
        fontName = quoted.size() >= 2 ? quoted.substr(1, quoted.size() - 2) : std::string_view();
        point.FontStyle = LongValue(values, 4);
        point.PointRot = static_cast<float>(MifDouble(Value(values, 5)));
        point.PointStyle = MifLong(shape);
    } else {
        // MapInfo's own symbol set counts its shapes from 0, the layer model from 1.
        fontName = "MapInfo Symbols";
        point.FontStyle = 0;
        point.PointRot = 0.0f;
        point.PointStyle = MifLong(shape) + 1;
    }
    point.FontIndex = model.FindFontIndex(fontName);
    point.PointColor = SwapRedBlue(color);
}

void SetDefaultSymbol(LayerModel& model, PointObject& point) {
    point.PointStyle = kDefaultSymbolStyle;
    point.PointSize = kDefaultSymbolSize;
    point.PointColor = 0;
    point.FontStyle = 0;
    point.PointRot = 0.0f;
    point.FontIndex = model.FindFontIndex("Symbol");
}

void SetTextSymbol(LayerModel& model, std::string_view fontClause, PointObject& point) {
    point.PointStyle = kDefaultSymbolStyle;
    point.PointSize = kDefaultSymbolSize;
    if (fontClause.empty()) {
        point.PointColor = 0;
        point.FontStyle = 0;
    } else {
        // Font ("name", style, size, forecolor [, backcolor])
        const auto values = ClauseValues(TrimBlanks(fontClause));
        point.FontStyle = LongValue(values, 1);
        point.PointColor = SwapRedBlue(LongValue(values, 3));
    }
    point.FontIndex = model.FindFontIndex("Symbol");
}

}  // namespace vx
