#include "platform/file_system.h"

#include <filesystem>
#include <fstream>

#include "platform/paths.h"
#include "platform/write_failure.h"

namespace fs = std::filesystem;

namespace vx {

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(fs::path(path), ec);
}

bool FolderExists(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return fs::is_directory(fs::path(path), ec);
}

bool CreateFolder(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    fs::create_directories(fs::path(path), ec);
    return FolderExists(path);
}

bool DeleteFile(const std::string& path) {
    if (!FileExists(path)) {
        std::error_code ec;
        return !fs::exists(fs::symlink_status(fs::path(path), ec));
    }
    std::error_code ec;
    fs::remove(fs::path(path), ec);
    return !FileExists(path);
}

bool CreateTextFile(const std::string& path, bool overwrite) {
    if (!overwrite && FileExists(path)) return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out);
}

std::optional<std::string> ShortName(const std::string& path) {
    if (!FileExists(path)) return std::nullopt;
    return NameOf(path);
}

std::optional<unsigned long long> FileSize(const std::string& path) {
    std::error_code ec;
    auto size = fs::file_size(fs::path(path), ec);
    if (ec) return std::nullopt;
    return static_cast<unsigned long long>(size);
}

bool CopyFile(const std::string& from, const std::string& to, bool overwrite) {
    std::error_code ec;
    auto options = overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none;
    const bool copied = fs::copy_file(fs::path(from), fs::path(to), options, ec) && !ec;
    if (!copied) NoteWriteFailure(to, ec.message());
    return copied;
}

bool RenameFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(fs::path(from), fs::path(to), ec);
    return !ec;
}

}  // namespace vx
