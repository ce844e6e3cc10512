#pragma once

#include <string>

// Our own ASCII coordinate text, imported as one VXV layer.
//
// One coordinate pair per line, X then Y, separated by blanks, tabs, a comma or a semicolon
// (a comma or semicolon may have blanks around it). A third value, a height, is allowed and
// ignored. A blank line ends a feature; a line whose first character other than a blank is
// "#" is a comment. The first `headerLines` lines are skipped whatever they hold. Any other
// line fails the conversion, and the reason names its line number.
namespace vx {

inline constexpr int kAsciiPoints = 1;   // every pair is a point of the given symbol size
inline constexpr int kAsciiLines = 2;    // every block of pairs is one polyline
inline constexpr int kAsciiRegions = 3;  // every block is one region, closed when it is open

// Converts `source` into the layer `target` (a .vxv path) with its .vxs and a .dbf table
// that numbers the objects (SPATIAL_ID). The layer describes plain plane coordinates; the
// import stamps the chosen coordinate system over that. Non-zero on success; on failure 0,
// with the reason in `reason` when given, and no layer file left behind.
int TxtToVXV(const std::string& source, const std::string& target, int kind, int headerLines,
             int symbolSize, std::string* reason = nullptr);

}  // namespace vx
