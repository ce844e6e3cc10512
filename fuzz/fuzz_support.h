#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/status_lines.h"

// What every fuzz target shares: a work folder of its own process, removed when the process
// ends, and the split of one input into the two files a format pairs.
namespace vx::fuzz {

// The process's work folder (made on first use, removed with everything in it at exit).
const std::string& WorkFolder();

// A path in the work folder.
std::string WorkPath(std::string_view name);

// Writes `bytes` as the whole file at `path`; aborts when it cannot, since a target that
// cannot write its input tests nothing.
void WriteWhole(const std::string& path, std::string_view bytes);

// Removes everything in the work folder, so that no run sees what the last one left.
void ClearWorkFolder();

// Splits an input in two: its first four bytes (little-endian) give the length of the first
// part, taken modulo what follows them; the rest is the second part. Inputs shorter than four
// bytes give two empty parts.
std::pair<std::string_view, std::string_view> SplitInput(const std::uint8_t* data,
                                                         std::size_t size);

// Where a target's stage lines go: nowhere.
class Silent : public StatusLines {
  public:
    void Report(std::string_view) override {}
};

}  // namespace vx::fuzz
