#include "converters/layer_set_output.h"

#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "vxv/layer_writer.h"

namespace vx {

namespace {

constexpr std::string_view kVxvExtension = ".vxv";

const char* SuffixOf(int kind) {
    switch (kind) {
        case kKindRegion:
            return "_rg";
        case kKindLine:
            return "_ln";
        default:
            return "_pt";
    }
}

}  // namespace

bool LayerFilesFor(const std::string& target, int kind, bool suffixed, LayerFiles& files) {
    const std::string name = NameOf(target);
    if (name.size() <= kVxvExtension.size() || !EndsWithNoCase(name, kVxvExtension)) return false;
    // Only the extension at the end is replaced: a name such as "a.vxv.vxv" must not have
    // its inner ".vxv" rewritten as well.
    const std::string stem = target.substr(0, target.size() - kVxvExtension.size());
    const std::string base = suffixed ? stem + SuffixOf(kind) : stem;
    files.vxv = suffixed ? base + ".vxv" : target;
    files.vxs = base + ".vxs";
    files.dbf = base + ".dbf";
    return true;
}

std::vector<std::string> LayerSetFiles(const std::string& target) {
    std::vector<std::string> paths;
    LayerFiles files;
    if (!LayerFilesFor(target, kKindPoint, false, files)) return paths;
    paths = {files.vxv, files.vxs, files.dbf};
    for (int kind : {kKindRegion, kKindLine, kKindPoint}) {
        LayerFilesFor(target, kind, true, files);
        paths.insert(paths.end(), {files.vxv, files.vxs, files.dbf});
    }
    return paths;
}

bool WriteModelLayer(LayerModel& model, int kind, std::int32_t count, const LayerFiles& files,
                     std::string& error) {
    if (!ComputeLayerBounds(model, kind, count)) {
        error = "an object without coordinates";
        return false;
    }
    if (kind == kKindRegion) CheckRegionHoles(model, count);
    ApplySphereRadiusRule(model.Layer);
    return WriteLayer(model, kind, count, files.vxv, files.vxs, error);
}

void RemoveFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (FileExists(path)) DeleteFile(path);
    }
}

}  // namespace vx
