#pragma once

#include <string>

// The TAB route: MapInfo TAB to MIF/MID and back, through GDAL's MapInfo driver.
namespace vx {

// Converts a .tab file to a .mif file (with its .mid), or a .mif file (with its .mid) to a
// .tab file (with its .map, .dat and .id), the direction given by the two extensions.
// Features, attributes, styles and the coordinate system go across as far as GDAL carries
// them; text keeps the character set the source declares. An existing target is replaced.
// 0 on success; otherwise non-zero, with the reason in `reason` when given, and no part of
// the target left behind.
int main1(const std::string& source, const std::string& target, std::string* reason = nullptr);

}  // namespace vx
