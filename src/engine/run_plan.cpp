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

std::vector<std::string> PlannedOutputs(TransferDirection direction, int format,
                                        const std::string& output, bool subfolder) {
    if (direction == TransferDirection::kImport) {
        const bool vxvFolder = subfolder || format == static_cast<int>(ImportFormat::kShape);
        const std::string target = vxvFolder ? InSubfolder(output, "VXV") : output;
        return LayerSetFiles(WithExtension(target, ".vxv"));
    }
    switch (static_cast<ExportFormat>(format)) {
        case ExportFormat::kMif:
            return WithCompanions(subfolder ? InSubfolder(output, "MIF") : output, {".mid"});
        case ExportFormat::kShape:
            return WithCompanions(InSubfolder(output, "SHP"), {".shx", ".dbf", ".prj", ".cpg"});
        case ExportFormat::kTab:
            return WithCompanions(output, {".map", ".dat", ".id"});
    }
    return {output};
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
