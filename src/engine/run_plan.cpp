#include "engine/run_plan.h"

#include <map>

#include "platform/paths.h"
#include "platform/strings.h"
#include "vxv/layer_set_writer.h"

namespace vx {

namespace {

// The output path in a folder of the output's folder, as the shapefile routes and
// CreateVxvFolder place them.
std::string InSubfolder(const std::string& output, const char* folder) {
    return JoinPath(JoinPath(FolderOf(output), folder), NameOf(output));
}

std::vector<std::string> WithCompanions(const std::string& path,
                                        std::initializer_list<const char*> extensions) {
    std::vector<std::string> files = {path};
    for (const char* ext : extensions)
        files.push_back(WithExtension(path, ext));
    return files;
}

}  // namespace

Route RouteOf(TransferDirection direction, int format) {
    if (direction == TransferDirection::kImport) {
        switch (static_cast<ImportFormat>(format)) {
            case ImportFormat::kShape:
                return Route::kShapeImport;
            case ImportFormat::kDgn:
            case ImportFormat::kAscii:
                return Route::kConverterImport;
            case ImportFormat::kMif:
            case ImportFormat::kTab:
                return Route::kMifImport;
        }
        return Route::kMifImport;
    }
    switch (static_cast<ExportFormat>(format)) {
        case ExportFormat::kShape:
            return Route::kShapeExport;
        case ExportFormat::kTab:
            return Route::kTabExport;
        case ExportFormat::kMif:
            break;
    }
    return Route::kMifExport;
}

std::string OutputTarget(Route route, const std::string& output, bool subfolder) {
    switch (route) {
        case Route::kShapeImport:
            return InSubfolder(output, "VXV");
        case Route::kMifImport:
        case Route::kConverterImport:
            return subfolder ? InSubfolder(output, "VXV") : output;
        case Route::kShapeExport:
            return InSubfolder(output, "SHP");
        case Route::kMifExport:
            return subfolder ? InSubfolder(output, "MIF") : output;
        case Route::kTabExport:
            break;
    }
    return output;
}

std::vector<std::string> PlannedOutputs(TransferDirection direction, int format,
                                        const std::string& output, bool subfolder) {
    const Route route = RouteOf(direction, format);
    const std::string target = OutputTarget(route, output, subfolder);
    switch (route) {
        case Route::kMifImport:
        case Route::kShapeImport:
        case Route::kConverterImport:
            return LayerSetFiles(WithExtension(target, ".vxv"));
        case Route::kMifExport:
            return WithCompanions(target, {".mid"});
        case Route::kShapeExport:
            return WithCompanions(target, {".shx", ".dbf", ".prj", ".cpg"});
        case Route::kTabExport:
            return WithCompanions(target, {".map", ".dat", ".id"});
    }
    return {target};
}

std::vector<std::pair<std::size_t, std::size_t>> OutputClashes(
    const std::vector<std::vector<std::string>>& outputs) {
    std::vector<std::pair<std::size_t, std::size_t>> clashes;
    std::map<std::string, std::size_t> owner;  // upper-cased path to the first file writing it
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        std::size_t earlier = i;
        for (const std::string& path : outputs[i]) {
            const auto found = owner.find(UpperAnsi(path));
            if (found != owner.end() && found->second != i) {
                earlier = found->second;
                break;
            }
        }
        if (earlier != i) {
            clashes.emplace_back(i, earlier);
            continue;  // a refused file writes nothing, so it claims nothing
        }
        for (const std::string& path : outputs[i])
            owner.emplace(UpperAnsi(path), i);
    }
    return clashes;
}

}  // namespace vx
