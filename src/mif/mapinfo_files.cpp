#include "mif/mapinfo_files.h"

#include <algorithm>
#include <string_view>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"

namespace vx {

namespace {

std::vector<std::string_view> CompanionExtensions(MapInfoForm form) {
    if (form == MapInfoForm::kMif) return {".mid"};
    if (form == MapInfoForm::kTab) return {".map", ".dat", ".id", ".ind"};
    return {};
}

}  // namespace

MapInfoForm MapInfoFormOf(const std::string& path) {
    const std::string name = NameOf(path);
    if (EndsWithNoCase(name, ".tab")) return MapInfoForm::kTab;
    if (EndsWithNoCase(name, ".mif")) return MapInfoForm::kMif;
    return MapInfoForm::kOther;
}

std::vector<std::string> MapInfoTableFiles(const std::string& path) {
    std::vector<std::string> files;
    const auto add = [&files](const std::string& file) {
        if (!file.empty() && FileExists(file) &&
            std::find(files.begin(), files.end(), file) == files.end())
            files.push_back(file);
    };
    add(path);
    for (std::string_view ext : CompanionExtensions(MapInfoFormOf(path))) {
        // GDAL writes a companion in the letter case of the main file's extension.
        add(WithExtension(path, ext));
        add(WithExtension(path, UpperAnsi(ext)));
        add(FindCompanion(path, ext));
    }
    return files;
}

}  // namespace vx
