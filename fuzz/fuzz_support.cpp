#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vx::fuzz {

namespace fs = std::filesystem;

namespace {

std::string MakeWorkFolder() {
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    fs::path folder = (ec ? fs::path("/tmp") : base) / ("vxfuzz-" + std::to_string(getpid()));
    fs::remove_all(folder, ec);
    if (!fs::create_directories(folder, ec) && !fs::is_directory(folder)) {
        std::fprintf(stderr, "fuzz: cannot make %s\n", folder.c_str());
        std::abort();
    }
    return folder.string();
}

void RemoveWorkFolder() {
    std::error_code ec;
    fs::remove_all(WorkFolder(), ec);
}

}  // namespace

const std::string& WorkFolder() {
    // Never destroyed: the exit handler that removes the folder runs after static
    // destructors of objects made before it was registered.
    static const std::string* folder = [] {
        auto* made = new std::string(MakeWorkFolder());
        std::atexit(RemoveWorkFolder);
        return made;
    }();
    return *folder;
}

std::string WorkPath(std::string_view name) {
    return (fs::path(WorkFolder()) / std::string(name)).string();
}

void WriteWhole(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
}

void ClearWorkFolder() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(WorkFolder(), ec)) {
        fs::remove_all(entry.path(), ec);
    }
}

std::pair<std::string_view, std::string_view> SplitInput(const std::uint8_t* data,
                                                         std::size_t size) {
    if (size < 4) return {};
    const std::uint32_t claimed = std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 |
                                  std::uint32_t{data[2]} << 16 | std::uint32_t{data[3]} << 24;
    const auto* rest = reinterpret_cast<const char*>(data + 4);
    const std::size_t restSize = size - 4;
    const std::size_t first = restSize == 0 ? 0 : claimed % (restSize + 1);
    return {std::string_view(rest, first), std::string_view(rest + first, restSize - first)};
}

}  // namespace vx::fuzz
