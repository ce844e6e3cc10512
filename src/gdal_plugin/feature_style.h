#pragma once

#include <memory>
#include <string>

#include "mif/mif_styles.h"
#include "model/layer_model.h"

class OGRFeature;
class OGRStylePen;
class OGRStyleBrush;
class OGRStyleSymbol;
class OGRStyleLabel;

// Pens, brushes and symbols as OGR style strings, both ways. The MapInfo numbers that a
// layer's MIF export writes for its patterns and symbols travel in the ids
// ("mapinfo-pen-5"), with OGR's generic id beside them for readers that know no other; the
// way back goes through the same rules as a MIF file's Pen, Brush and Symbol clauses, so a
// style comes through GDAL as it would through MIF.
namespace vx {

// PEN(...) of a pen, BRUSH(...) of a brush.
std::string PenStyleString(const PenStyle& pen);
std::string BrushStyleString(const BrushStyle& brush);
// SYMBOL(...) of a point in the symbol font `font`.
std::string SymbolStyleString(const PointObject& point, const std::string& font);
// LABEL(...) of a text stored as a point, `text` in UTF-8.
std::string LabelStyleString(const PointObject& point, const std::string& text);

// The style parts of a feature, read once and turned into the layer's styles. A part that is
// missing, or says nothing a layer can hold, gives what a MIF import gives an object without
// that clause.
class FeatureStyle {
  public:
    explicit FeatureStyle(OGRFeature& feature);
    ~FeatureStyle();
    FeatureStyle(const FeatureStyle&) = delete;
    FeatureStyle& operator=(const FeatureStyle&) = delete;

    PenStyle Pen(MifStyleFamily family) const;
    BrushStyle Brush() const;
    // The point's symbol fields, its font entered in the context's model.
    void Symbol(LayerModel& model, PointObject& point) const;
    // The text of a LABEL part (a {field} taken from the feature), in UTF-8; false without one.
    bool LabelText(std::string& text) const;
    // The symbol fields of a text in the label's colour and angle.
    void TextSymbol(LayerModel& model, PointObject& point) const;

  private:
    OGRFeature& feature_;
    std::unique_ptr<OGRStylePen> pen_;
    std::unique_ptr<OGRStyleBrush> brush_;
    std::unique_ptr<OGRStyleSymbol> symbol_;
    std::unique_ptr<OGRStyleLabel> label_;
};

}  // namespace vx
