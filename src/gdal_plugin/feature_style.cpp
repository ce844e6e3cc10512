#include "gdal_plugin/feature_style.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <ogr_feature.h>
#include <ogr_featurestyle.h>

#include "mif/mif_input.h"
#include "mif/mif_number_format.h"
#include "mif/mif_writer.h"

namespace vx {

namespace {

// MapInfo's own symbols and OGR's generic ones that draw the same shape.
struct SymbolPair {
    std::int32_t mapInfo;
    int ogr;
};
constexpr SymbolPair kSymbols[] = {
    {49, 0}, {50, 1}, {40, 2}, {34, 3}, {38, 4}, {32, 5}, {42, 6}, {36, 7}, {41, 8}, {35, 9},
};
// OGR's generic symbol for a font or bitmap symbol, whose shape it cannot know.
constexpr int kAnyOgrSymbol = 3;

// OGR's hatches and MapInfo's brush patterns 3 to 8 follow the same order.
constexpr int kMapInfoSolidBrush = 2;
constexpr int kMapInfoNoBrush = 1;
constexpr int kMapInfoSolidPen = 2;
constexpr int kMapInfoNoPen = 1;
constexpr int kMapInfoDashedPen = 5;

// The symbol font that MapInfo's own symbols are stored under.
constexpr std::string_view kMapInfoSymbols = "MapInfo Symbols";

// A layer colour (red + green * 256 + blue * 65536) as #rrggbb.
std::string ColorText(std::int32_t color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", color & 255, (color >> 8) & 255,
                  (color >> 16) & 255);
    return text;
}

// A style colour as MIF writes one (red * 65536 + green * 256 + blue); false when absent.
bool MifColor(const char* text, GBool isDefault, std::int32_t& color) {
    int r = 0, g = 0, b = 0, a = 0;
    if (isDefault || text == nullptr || !OGRStyleTool::GetRGBFromString(text, r, g, b, a)) {
        return false;
    }
    color = (r & 255) << 16 | (g & 255) << 8 | (b & 255);
    return true;
}

template <typename Number>
std::string Plain(Number value) {
    return PlainNumber(value);
}

int OgrPenOf(std::int32_t mapInfoPattern) {
    if (mapInfoPattern == kMapInfoNoPen) return 1;
    return mapInfoPattern == kMapInfoSolidPen ? 0 : 2;
}

int OgrBrushOf(std::int32_t mapInfoPattern) {
    if (mapInfoPattern == kMapInfoNoBrush) return 1;
    if (mapInfoPattern >= 3 && mapInfoPattern <= 8) return mapInfoPattern - 1;
    return 0;
}

std::unique_ptr<OGRStyleTool> PartOf(OGRStyleMgr& styles, int index) {
    return std::unique_ptr<OGRStyleTool>(styles.GetPart(index));
}

template <typename Tool>
void Take(std::unique_ptr<Tool>& slot, std::unique_ptr<OGRStyleTool>& part) {
    if (!slot) slot.reset(static_cast<Tool*>(part.release()));
}

}  // namespace

std::string PenStyleString(const PenStyle& pen) {
    const std::int32_t pattern = MifPenPattern(pen.PenPattern);
    // MapInfo widths above 10 are tenths of a point, plus 10.
    const std::string width = pen.PenSize > 10 ? Plain((pen.PenSize - 10) / 10.0) + "pt"
                                               : Plain(std::max(pen.PenSize, 1)) + "px";
    std::string text = "PEN(c:" + ColorText(pen.PenColor) + ",w:" + width;
    if (OgrPenOf(pattern) == 2) text += ",p:\"6px 3px\"";
    text += ",id:\"mapinfo-pen-" + Plain(pattern) + ",ogr-pen-" + Plain(OgrPenOf(pattern)) + "\")";
    return text;
}

std::string BrushStyleString(const BrushStyle& brush) {
    const std::int32_t pattern = MifBrushPattern(brush.BrushPattern);
    std::string text = "BRUSH(fc:" + ColorText(brush.BrushForeColor);
    if (pattern != kMapInfoSolidBrush && pattern != kMapInfoNoBrush) {
        text += ",bc:" + ColorText(brush.BrushBackColor);
    }
    return text + ",id:\"mapinfo-brush-" + Plain(pattern) + ",ogr-brush-" +
           Plain(OgrBrushOf(pattern)) + "\")";
}

std::string SymbolStyleString(const PointObject& point, const std::string& font) {
    std::string id;
    std::string fontPart;
    if (font == kMapInfoSymbols) {
        // Stored one above MapInfo's own numbering.
        const std::int32_t mapInfo = point.PointStyle - 1;
        int ogr = kAnyOgrSymbol;
        for (const SymbolPair& pair : kSymbols) {
            if (pair.mapInfo == mapInfo) ogr = pair.ogr;
        }
        id = "mapinfo-sym-" + Plain(mapInfo) + ",ogr-sym-" + Plain(ogr);
    } else {
        id = "font-sym-" + Plain(point.PointStyle) + ",ogr-sym-" + Plain(kAnyOgrSymbol);
        std::string name;
        for (char c : font) {
            if (c != '"' && c != '\\') name += c;
        }
        fontPart = ",f:\"" + name + "\"";
    }
    std::string text = "SYMBOL(id:\"" + id + "\",c:" + ColorText(point.PointColor) +
                       ",s:" + Plain(point.PointSize) + "pt";
    if (point.PointRot != 0.0f) text += ",a:" + Plain(point.PointRot);
    return text + fontPart + ")";
}

std::string LabelStyleString(const PointObject& point, const std::string& text) {
    // Quoted, with quotes and backslashes escaped, so that a comma or a bracket in the text
    // does not end it (GDAL's own writer of labels leaves texts bare).
    std::string quoted;
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    std::string style = "LABEL(t:\"" + quoted + "\",c:" + ColorText(point.PointColor);
    if (point.PointRot != 0.0f) style += ",a:" + Plain(point.PointRot);
    return style + ")";
}

FeatureStyle::FeatureStyle(OGRFeature& feature) : feature_(feature) {
    if (feature.GetStyleString() == nullptr) return;
    OGRStyleMgr styles;
    if (!styles.InitFromFeature(&feature)) return;
    for (int i = 0; i < styles.GetPartCount(); ++i) {
        std::unique_ptr<OGRStyleTool> part = PartOf(styles, i);
        if (!part) continue;
        // The first part of each kind holds.
        switch (part->GetType()) {
            case OGRSTCPen:
                Take(pen_, part);
                break;
            case OGRSTCBrush:
                Take(brush_, part);
                break;
            case OGRSTCSymbol:
                Take(symbol_, part);
                break;
            case OGRSTCLabel:
                Take(label_, part);
                break;
            default:
                break;
        }
    }
}

FeatureStyle::~FeatureStyle() = default;

PenStyle FeatureStyle::Pen(MifStyleFamily family) const {
    GBool isDefault = FALSE;
    std::int32_t color = 0;
    if (!pen_ || !MifColor(pen_->Color(isDefault), isDefault, color)) return DefaultMifPen(family);
    pen_->SetUnit(OGRSTUPixel);
    const double width = pen_->Width(isDefault);
    const std::int32_t size =
        isDefault || !std::isfinite(width) ? 1 : std::clamp<std::int32_t>(std::lround(width), 1, 7);
    std::int32_t pattern = kMapInfoSolidPen;
    const char* id = pen_->Id(isDefault);
    const int mapInfo = isDefault ? -1 : OGRStyleTool::GetSpecificId(id, "mapinfo-pen");
    const int ogr = isDefault ? -1 : OGRStyleTool::GetSpecificId(id, "ogr-pen");
    const char* dashes = pen_->Pattern(isDefault);
    const bool dashed = !isDefault && dashes != nullptr && dashes[0] != '\0';
    if (mapInfo > 0) {
        pattern = mapInfo;
    } else if (ogr == 1) {
        pattern = kMapInfoNoPen;
    } else if (ogr > 1 || dashed) {
        pattern = kMapInfoDashedPen;
    }
    try {
        return MifPen(family,
                      "Pen (" + Plain(size) + "," + Plain(pattern) + "," + Plain(color) + ")");
    } catch (const MifReadError&) {
        return DefaultMifPen(family);
    }
}

BrushStyle FeatureStyle::Brush() const {
    GBool isDefault = FALSE;
    std::int32_t fore = 0;
    if (!brush_ || !MifColor(brush_->ForeColor(isDefault), isDefault, fore)) {
        return DefaultMifBrush(MifStyleFamily::kRegion);
    }
    std::int32_t back = 16777215;
    const char* backText = brush_->BackColor(isDefault);
    MifColor(backText, isDefault, back);
    const char* id = brush_->Id(isDefault);
    const int mapInfo = isDefault ? -1 : OGRStyleTool::GetSpecificId(id, "mapinfo-brush");
    const int ogr = isDefault ? -1 : OGRStyleTool::GetSpecificId(id, "ogr-brush");
    std::int32_t pattern = kMapInfoSolidBrush;
    if (mapInfo > 0) {
        pattern = mapInfo;
    } else if (ogr == 1) {
        pattern = kMapInfoNoBrush;
    } else if (ogr >= 2 && ogr <= 7) {
        pattern = ogr + 1;
    }
    try {
        return MifBrush(MifStyleFamily::kRegion,
                        "Brush (" + Plain(pattern) + "," + Plain(fore) + "," + Plain(back) + ")");
    } catch (const MifReadError&) {
        return DefaultMifBrush(MifStyleFamily::kRegion);
    }
}

void FeatureStyle::Symbol(LayerModel& model, PointObject& point) const {
    SetDefaultSymbol(model, point);
    if (!symbol_) return;
    GBool isDefault = FALSE;
    std::int32_t color = 0;
    const bool colored = MifColor(symbol_->Color(isDefault), isDefault, color);
    symbol_->SetUnit(OGRSTUPoints);
    const double size = symbol_->Size(isDefault);
    const std::int32_t points = isDefault || !std::isfinite(size)
                                    ? point.PointSize
                                    : std::clamp<std::int32_t>(std::lround(size), 1, 240);
    const double angle = symbol_->Angle(isDefault);
    const float rotation = isDefault || !std::isfinite(angle) ? 0.0f : static_cast<float>(angle);
    const char* id = symbol_->Id(isDefault);
    int mapInfo = isDefault ? -1 : OGRStyleTool::GetSpecificId(id, "mapinfo-sym");
    const int fontSymbol = isDefault ? -1 : OGRStyleTool::GetSpecificId(id, "font-sym");
    const int ogr = isDefault ? -1 : OGRStyleTool::GetSpecificId(id, "ogr-sym");
    GBool noFont = FALSE;
    const char* fontName = symbol_->FontName(noFont);
    const std::string colorText = Plain(colored ? color : 0);
    std::string clause;
    if (fontSymbol >= 0 && !noFont && fontName != nullptr && fontName[0] != '\0') {
        std::string font;
        for (const char* c = fontName; *c != '\0'; ++c) {
            if (*c != '"' && *c != ',') font += *c;
        }
        clause = "Symbol (" + Plain(fontSymbol) + "," + colorText + "," + Plain(points) + ",\"" +
                 font + "\",0," + Plain(rotation) + ")";
    } else {
        if (mapInfo < 0) {
            for (const SymbolPair& pair : kSymbols) {
                if (pair.ogr == ogr) mapInfo = pair.mapInfo;
            }
        }
        if (mapInfo >= 0)
            clause = "Symbol (" + Plain(mapInfo) + "," + colorText + "," + Plain(points) + ")";
    }
    if (clause.empty()) {
        // A shape the layer has no symbol for: the default symbol in the style's colour and size.
        if (colored) point.PointColor = SwapRedBlue(color);
        point.PointSize = points;
        return;
    }
    try {
        ReadMifSymbol(model, clause, point);
    } catch (const MifReadError&) {
        SetDefaultSymbol(model, point);
    }
}

bool FeatureStyle::LabelText(std::string& text) const {
    if (!label_) return false;
    GBool isDefault = FALSE;
    const char* value = label_->TextString(isDefault);
    if (isDefault || value == nullptr || value[0] == '\0') return false;
    const std::string given = value;
    // {name} stands for the value of the feature's field of that name.
    if (given.size() > 2 && given.front() == '{' && given.back() == '}') {
        const int field = feature_.GetFieldIndex(given.substr(1, given.size() - 2).c_str());
        if (field < 0 || !feature_.IsFieldSetAndNotNull(field)) return false;
        text = feature_.GetFieldAsString(field);
    } else {
        text = given;
    }
    return !text.empty();
}

void FeatureStyle::TextSymbol(LayerModel& model, PointObject& point) const {
    GBool isDefault = FALSE;
    std::int32_t color = 0;
    const bool colored = label_ && MifColor(label_->ForeColor(isDefault), isDefault, color);
    SetTextSymbol(model, "Font (\"Symbol\",0,0," + Plain(colored ? color : 0) + ")", point);
    if (!label_) return;
    const double angle = label_->Angle(isDefault);
    if (!isDefault && std::isfinite(angle)) point.PointRot = static_cast<float>(angle);
}

}  // namespace vx
