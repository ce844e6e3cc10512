#pragma once

#include <string>
#include <vector>

// The files a MapInfo table is made of: a .tab with its .map, .dat, .id and .ind, or a .mif
// with its .mid.
namespace vx {

enum class MapInfoForm { kOther, kTab, kMif };

// The form the file name's extension says, in any letter case.
MapInfoForm MapInfoFormOf(const std::string& path);

// The files of the table at `path` that exist, the main file first, whatever the letter case
// of their extensions.
std::vector<std::string> MapInfoTableFiles(const std::string& path);

}  // namespace vx
