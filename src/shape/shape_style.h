#pragma once

#include <cstdint>
#include <string>

// Shapefiles carry no styles: an import gives every object one pen, one brush and one
// symbol, chosen by its caller.
namespace vx {

// What the caller of a shapefile import may pass. The batch run passes exactly these values.
// Only BrushBackColor, PointSize, PointStyle and PointRot reach the layer; the others are
// accepted for the callers that pass them.
struct ShapeImportArguments {
    std::string FontName = "Monotype Sorts";
    std::int32_t FontNameSize = 14;
    std::int32_t PenSize = 0;
    std::int32_t PenPattern = 1;
    std::int32_t PenColor = 255;
    std::int32_t BrushPattern = 0;
    std::int32_t BrushForeColor = 65280;
    std::int32_t BrushBackColor = 255;
    std::int32_t Index = 72;
    std::int32_t PointSize = 10;
    std::int32_t PointColor = 255;
    std::int32_t PointStyle = 0;
    float PointRot = 0.0f;
};

// The style every object of an imported shapefile gets: entry 1 of the pen, brush and font
// tables, and the symbol values of every point.
struct ShapeStyleDefaults {
    std::int32_t PenSize = 1;
    std::int32_t PenPattern = 0;
    std::int32_t PenColor = 0;
    std::int32_t BrushPattern = 1;
    std::int32_t BrushForeColor = 16777215;  // white
    std::int32_t BrushBackColor = 0;
    std::string FontName = "VX Maps";
    std::int32_t FontNameLength = 7;  // always the length of FontName, or the layer is unreadable
    std::int32_t PointStyle = 34;
    std::int32_t PointColor = 0;
    std::int32_t PointSize = 10;
    std::int32_t PointRot = 0;
    std::int32_t FontStyle = 0;
};

// The style of an import with these arguments: a fixed pen, a white brush over the given back
// colour, and symbol 34 of "VX Maps" in the given size, rotation (rounded, halves to even) and
// font style (the PointStyle argument).
ShapeStyleDefaults ShapeStyleFor(const ShapeImportArguments& arguments);

}  // namespace vx
