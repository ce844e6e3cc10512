#include "vxv/layer_set_writer.h"

#include <future>

#include "model/geometry.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/write_failure.h"
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

std::int32_t ObjectCount(const LayerModel& model, int kind) {
    switch (kind) {
        case kKindRegion:
            return model.RegionCount;
        case kKindLine:
            return model.LineCount;
        case kKindPoint:
            return model.PointCount;
        default:
            return 0;
    }
}

std::vector<int> KindsHeld(const LayerModel& model) {
    std::vector<int> kinds;
    for (int kind : {kKindRegion, kKindLine, kKindPoint}) {
        if (ObjectCount(model, kind) >= 1) kinds.push_back(kind);
    }
    return kinds;
}

bool WriteLayerSet(LayerModel& model, const std::string& target, const LayerStages& stages,
                   std::vector<std::string>& written, std::string& error) {
    const std::vector<int> kinds = stages.kinds.empty() ? KindsHeld(model) : stages.kinds;
    for (int kind : kinds) {
        LayerFiles files;
        if (!LayerFilesFor(target, kind, kinds.size() > 1, files)) {
            error = "the target is not a .vxv file: " + target;
            return false;
        }
        model.LayerKind.ObjectKind = static_cast<std::uint8_t>(kind);
        if (stages.begin && !stages.begin(kind, files)) return false;
        written.insert(written.end(), {files.vxv, files.vxs, files.dbf});
        // The table is filled on a second thread while the layer's files are written;
        // leaving early waits for it (the future's destructor does).
        std::future<HelperFailure> rows;  // made last, so leaving early waits before the rest goes
        if (stages.fill) {
            rows = std::async(std::launch::async, [&stages, kind, files] {
                HelperFailure failure;
                if (!stages.fill(kind, files))
                    failure.Fail("the attribute table could not be filled");
                return failure;
            });
        }
        const std::int32_t count =
            stages.asRead ? model.LayerObjectCount : ObjectCount(model, kind);
        if (!stages.asRead) {
            if (!ComputeLayerBounds(model, kind, count)) {
                error = "an object has no vertices";
                return false;
            }
            if (kind == kKindRegion) CheckRegionHoles(model, count);
        }
        if (stages.measured) stages.measured(kind);
        if (!stages.asRead) ApplySphereRadiusRule(model.Layer);
        if (!WriteLayer(model, kind, count, files.vxv, files.vxs, error)) return false;
        if (stages.written && !stages.written(kind, files)) {
            if (error.empty()) error = "the layer's table could not be written";
            return false;
        }
        if (HelperFailure failure = rows.valid() ? rows.get() : HelperFailure{};
            failure.Happened()) {
            error = failure.line;
            return false;
        }
    }
    return true;
}

void NameLayerTable(LayerModel& model, const std::string& tableFileName) {
    model.TableNames = {tableFileName};
    model.TableNameLengths = {static_cast<std::int32_t>(tableFileName.size())};
}

void RemoveFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (FileExists(path)) DeleteFile(path);
    }
}

}  // namespace vx
