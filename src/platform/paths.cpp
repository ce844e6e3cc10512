#include "platform/paths.h"

#include <filesystem>

#include "platform/file_system.h"
#include "platform/strings.h"

namespace vx {

std::string NameOf(std::string_view path) {
    auto pos = path.find_last_of(kPathSeparator);
    if (pos == std::string_view::npos) return std::string(path);
    return std::string(path.substr(pos + 1));
}

std::string FolderOf(std::string_view path) {
    auto pos = path.find_last_of(kPathSeparator);
    if (pos == std::string_view::npos) return {};
    if (pos == 0) return std::string(1, kPathSeparator);
    return std::string(path.substr(0, pos));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string joined(folder);
    if (joined.back() != kPathSeparator) joined += kPathSeparator;
    joined += name;
    return joined;
}

std::string ReplaceAllNoCase(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + from.size() <= text.size() && EqualsNoCase(text.substr(i, from.size()), from)) {
            out += to;
            i += from.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string ReplaceInName(std::string_view path, std::string_view from, std::string_view to) {
    auto pos = path.find_last_of(kPathSeparator);
    if (pos == std::string_view::npos) return ReplaceAllNoCase(path, from, to);
    return std::string(path.substr(0, pos + 1)) + ReplaceAllNoCase(path.substr(pos + 1), from, to);
}

std::string OutputName(std::string_view path, std::string_view oldExt, std::string_view newExt) {
    std::string name = ReplaceAllNoCase(NameOf(path), oldExt, newExt);
    for (char& c : name) {
        if (c == '-') c = '_';
    }
    return name;
}

std::string WithExtension(std::string_view path, std::string_view ext) {
    auto sep = path.find_last_of(kPathSeparator);
    auto nameStart = sep == std::string_view::npos ? 0 : sep + 1;
    auto dot = path.find_last_of('.');
    if (dot == std::string_view::npos || dot < nameStart)
        return std::string(path) + std::string(ext);
    return std::string(path.substr(0, dot)) + std::string(ext);
}

std::string FindCompanion(std::string_view path, std::string_view ext) {
    std::string wanted = WithExtension(path, ext);
    if (FileExists(wanted)) return wanted;
    std::string folder = FolderOf(wanted);
    std::string name = NameOf(wanted);
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec);
    if (ec) return {};
    for (const auto& entry : it) {
        std::string candidate = entry.path().filename().string();
        if (EqualsNoCase(candidate, name) && entry.is_regular_file(ec)) {
            return JoinPath(folder, candidate);
        }
    }
    return {};
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == '\0') return false;
    }
    return true;
}

}  // namespace vx
