#include "shape/shape_style.h"

#include <cmath>
#include <limits>

namespace vx {

namespace {

// A rotation as a whole number, halves to even; a value no Long can hold keeps 0 or the
// nearest end rather than being undefined.
std::int32_t RoundRotation(float rotation) {
    if (std::isnan(rotation)) return 0;
    const double rounded = std::nearbyint(static_cast<double>(rotation));
    if (rounded <= std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    if (rounded >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

ShapeStyleDefaults ShapeStyleFor(const ShapeImportArguments& arguments) {
    ShapeStyleDefaults style;  // the fixed pen, white brush and "VX Maps" symbol 34
    style.BrushBackColor = arguments.BrushBackColor;
    style.PointSize = arguments.PointSize;
    style.PointRot = RoundRotation(arguments.PointRot);
    style.FontStyle = arguments.PointStyle;
    // The stored length is the name's own, so that the layer's font list reads back whole.
    style.FontNameLength = static_cast<std::int32_t>(style.FontName.size());
    return style;
}

}  // namespace vx
