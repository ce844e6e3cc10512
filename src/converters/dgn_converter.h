#pragma once

#include <string>
#include <vector>

// MicroStation DGN (version 7) drawings imported as a VXV layer set.
namespace vx {

// Reads `source` through GDAL's DGN driver and writes one layer per kind of element found
// (regions from shapes, lines from line strings and curves, points from texts and point
// elements) at `target`, a .vxv path: the plain name for a drawing of one kind, else the
// "_rg", "_ln" and "_pt" layers. Each layer gets a dBASE table of its elements' level,
// colour index, weight and line style (and the text of texts). Non-zero on success, with
// what the layers do not carry in `reason` when given (a line each: elements that could not
// be converted, database links, graphic groups; empty when nothing is left behind); on
// failure 0, with the reason in `reason` when given, and no layer of the set left behind.
// Members of an earlier set at the same target that the drawing does not renew are removed.
int DGNImport(const std::string& source, const std::string& target, std::string* reason = nullptr);

// Every file an import to `target` may write: for the check that refuses or clears existing
// outputs before an import, since which of them a drawing needs is known only after reading.
std::vector<std::string> DgnOutputFiles(const std::string& target);

}  // namespace vx
