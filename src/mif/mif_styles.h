#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "mif/mif_reader.h"

// The style clauses that follow a MIF object (Pen, Brush, Symbol, and the Font of a text) and
// how their MIF numbers become the pens, brushes and symbols of the layer model.
namespace vx {

// Exchanges red and blue: MIF colours are red * 65536 + green * 256 + blue, the layer model
// holds red + green * 256 + blue * 65536. The same exchange turns a model colour back.
std::int32_t SwapRedBlue(std::int32_t color);

// Pen and brush patterns of the region family, MIF number to the layer model's pattern.
std::int32_t MapRegionPenPattern(std::int32_t mifPattern);
std::int32_t MapRegionBrushPattern(std::int32_t mifPattern);

// The objects read their clauses by different rules; each family stores what its rule gives.
enum class MifStyleFamily {
    kPline,
    kLine,  // LINE and ARC
    kRegion,
    kRect,  // RECT and ELLIPSE
};

// The values of a clause: the text between its first "(" and the next ")", cut at commas.
// A clause without "(" throws MifReadError.
std::vector<std::string_view> ClauseValues(std::string_view clause);

// The pen and brush of a clause line, or of a missing clause, by the family's rule. Colours
// come converted; the contour rule is applied by ApplyContours.
PenStyle MifPen(MifStyleFamily family, std::string_view clause);
PenStyle DefaultMifPen(MifStyleFamily family);
BrushStyle MifBrush(MifStyleFamily family, std::string_view clause);
BrushStyle DefaultMifBrush(MifStyleFamily family);
// With contours on, a region's outline is drawn in its fill colour.
void ApplyContours(bool contours, PenStyle& pen, const BrushStyle& brush);

// Sets a point's symbol from a `Symbol (...)` clause line, entering its font name.
void ReadMifSymbol(LayerModel& model, std::string_view clause, PointObject& point);
// The symbol of a point without a Symbol clause.
void SetDefaultSymbol(LayerModel& model, PointObject& point);

// The symbol fields of a text object from its `Font (...)` line, or without one (empty view).
void SetTextSymbol(LayerModel& model, std::string_view fontClause, PointObject& point);

}  // namespace vx
