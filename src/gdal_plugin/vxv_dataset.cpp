#include "gdal_plugin/vxv_dataset.h"

#include <algorithm>
#include <filesystem>

#include "platform/binary_file.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "vxv/layer_format.h"
#include "vxv/layer_set_writer.h"

namespace vx {

namespace {

constexpr std::string_view kExtension = ".vxv";

// Whether the file at `path` starts as a layer file does.
bool IsLayerFile(const std::string& path) {
    BinaryReader file;
    if (!file.Open(path)) return false;
    const std::size_t size =
        static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), kTableListOffset));
    return IsLayerFileStart(file.Peek(0, size), size);
}

// The layer files of a folder, in name order. GDAL offers a folder to this driver before its
// own, so a folder that also holds shapefiles or MapInfo tables is left to their drivers;
// its layer files still open one by one.
std::vector<std::string> FolderLayers(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        for (std::string_view other : {".shp", ".tab", ".mif"}) {
            if (EndsWithNoCase(name, other)) return {};
        }
        const std::string path = it->path().string();
        if (EndsWithNoCase(name, kExtension) && it->is_regular_file(error) && IsLayerFile(path)) {
            found.push_back(path);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The layers of a set written under `target` with a suffix for each kind, when the target
// itself is not there.
std::vector<std::string> SuffixedLayers(const std::string& target) {
    std::vector<std::string> found;
    LayerFiles files;
    for (int kind : {kKindRegion, kKindLine, kKindPoint}) {
        if (LayerFilesFor(target, kind, true, files) && FileExists(files.vxv) &&
            IsLayerFile(files.vxv)) {
            found.push_back(files.vxv);
        }
    }
    return found;
}

// The layer files a path stands for; empty when it is none of ours.
std::vector<std::string> LayersOf(GDALOpenInfo* info) {
    const std::string path = info->pszFilename;
    if (info->bIsDirectory) return FolderLayers(path);
    if (info->fpL != nullptr) {
        if (IsLayerFileStart(info->pabyHeader, static_cast<std::size_t>(info->nHeaderBytes))) {
            return {path};
        }
        return {};
    }
    if (EndsWithNoCase(NameOf(path), kExtension)) return SuffixedLayers(path);
    return {};
}

// A file name for a layer: letters, digits, "_" and "." kept, everything else (a "-" among
// them) made "_".
std::string FileNameFor(const std::string& layerName) {
    std::string name;
    for (char c : layerName) {
        const bool kept = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                          (c >= 'a' && c <= 'z') || c == '.' || c == '_';
        name += kept ? c : '_';
    }
    return name.empty() ? "layer" : name;
}

// The member of a layer set at `target` that is there already; empty when there is none.
std::string ExistingMember(const std::string& target) {
    for (const std::string& file : LayerSetFiles(target)) {
        if (FileExists(file)) return file;
    }
    return {};
}

bool RefuseExisting(const std::string& target) {
    const std::string existing = ExistingMember(target);
    if (existing.empty()) return false;
    CPLError(CE_Failure, CPLE_FileIO,
             "VXV: %s is there already. The VXV driver makes new layer sets only; remove the "
             "old set first.",
             existing.c_str());
    return true;
}

}  // namespace

int VxvDataset::Identify(GDALOpenInfo* info) {
    try {
        return LayersOf(info).empty() ? FALSE : TRUE;
    } catch (const std::exception&) {
        return FALSE;
    }
}

GDALDataset* VxvDataset::Open(GDALOpenInfo* info) {
    try {
        const std::vector<std::string> paths = LayersOf(info);
        if (paths.empty()) return nullptr;
        if (info->eAccess == GA_Update) {
            CPLError(CE_Failure, CPLE_NotSupported,
                     "VXV: layer sets are written new, never updated: %s", info->pszFilename);
            return nullptr;
        }
        std::unique_ptr<VxvDataset> dataset(new VxvDataset());
        dataset->SetDescription(info->pszFilename);
        for (const std::string& path : paths) {
            std::string reason;
            std::string warning;
            std::unique_ptr<VxvLayer> layer = VxvLayer::Open(path, reason, warning);
            if (!layer) {
                // One damaged layer of several leaves the others readable.
                CPLError(paths.size() == 1 ? CE_Failure : CE_Warning, CPLE_OpenFailed,
                         "VXV: %s cannot be read: %s", path.c_str(), reason.c_str());
                continue;
            }
            if (!warning.empty()) {
                CPLError(CE_Warning, CPLE_OpenFailed, "VXV: %s has no attributes: %s", path.c_str(),
                         warning.c_str());
            }
            for (const std::string& file : layer->Files())
                dataset->files_.push_back(file);
            dataset->layers_.push_back(std::move(layer));
        }
        if (dataset->layers_.empty()) {
            if (paths.size() > 1) {
                CPLError(CE_Failure, CPLE_OpenFailed, "VXV: no layer of %s can be read",
                         info->pszFilename);
            }
            return nullptr;
        }
        return dataset.release();
    } catch (const std::exception& e) {
        CPLError(CE_Failure, CPLE_AppDefined, "VXV: %s: %s", info->pszFilename, e.what());
        return nullptr;
    }
}

GDALDataset* VxvDataset::Create(const char* name, int, int, int bands, GDALDataType, char**) {
    if (bands != 0) {
        CPLError(CE_Failure, CPLE_NotSupported, "VXV: layer sets hold vector data only");
        return nullptr;
    }
    try {
        std::unique_ptr<VxvDataset> dataset(new VxvDataset());
        dataset->writing_ = true;
        dataset->target_ = name;
        dataset->SetDescription(name);
        if (EndsWithNoCase(NameOf(name), kExtension)) {
            dataset->oneLayer_ = true;
            const std::string folder = FolderOf(name).empty() ? "." : FolderOf(name);
            if (!FolderExists(folder)) {
                CPLError(CE_Failure, CPLE_FileIO, "VXV: there is no folder %s", folder.c_str());
                return nullptr;
            }
            if (RefuseExisting(name)) return nullptr;
        } else if (FileExists(name)) {
            CPLError(CE_Failure, CPLE_FileIO,
                     "VXV: %s is a file; give a .vxv path or a folder to write into", name);
            return nullptr;
        } else if (!FolderExists(name) && !CreateFolder(name)) {
            CPLError(CE_Failure, CPLE_FileIO, "VXV: cannot create the folder %s", name);
            return nullptr;
        }
        return dataset.release();
    } catch (const std::exception& e) {
        CPLError(CE_Failure, CPLE_AppDefined, "VXV: %s: %s", name, e.what());
        return nullptr;
    }
}

VxvDataset::~VxvDataset() {
    for (auto& layer : writeLayers_) {
        try {
            layer->Write();
        } catch (const std::exception& e) {
            CPLError(CE_Failure, CPLE_AppDefined, "VXV: %s cannot be written: %s",
                     layer->Target().c_str(), e.what());
        }
    }
}

int VxvDataset::GetLayerCount() {
    return static_cast<int>(writing_ ? writeLayers_.size() : layers_.size());
}

OGRLayer* VxvDataset::GetLayer(int index) {
    if (index < 0 || index >= GetLayerCount()) return nullptr;
    if (writing_) return writeLayers_[static_cast<std::size_t>(index)].get();
    return layers_[static_cast<std::size_t>(index)].get();
}

int VxvDataset::TestCapability(const char* capability) {
    if (EQUAL(capability, ODsCCreateLayer)) {
        return writing_ && (!oneLayer_ || writeLayers_.empty());
    }
    return FALSE;
}

char** VxvDataset::GetFileList() {
    CPLStringList list;
    for (const std::string& file : files_)
        list.AddString(file.c_str());
    return list.StealList();
}

OGRLayer* VxvDataset::ICreateLayer(const char* name, OGRSpatialReference* crs,
                                   OGRwkbGeometryType type, char**) {
    if (!writing_) {
        CPLError(CE_Failure, CPLE_NotSupported, "VXV: layer sets are written new, never updated");
        return nullptr;
    }
    try {
        std::string target;
        if (oneLayer_) {
            if (!writeLayers_.empty()) {
                CPLError(CE_Failure, CPLE_NotSupported,
                         "VXV: %s takes one layer; write into a folder for several",
                         target_.c_str());
                return nullptr;
            }
            target = target_;
        } else {
            target = JoinPath(target_, FileNameFor(name) + std::string(kExtension));
            for (const auto& layer : writeLayers_) {
                if (EqualsNoCase(layer->Target(), target)) {
                    CPLError(CE_Failure, CPLE_AppDefined,
                             "VXV: the layers %s and %s would both be written to %s",
                             layer->GetName(), name, target.c_str());
                    return nullptr;
                }
            }
            if (RefuseExisting(target)) return nullptr;
        }
        writeLayers_.push_back(std::make_unique<VxvWriteLayer>(target, name, crs, type));
        return writeLayers_.back().get();
    } catch (const std::exception& e) {
        CPLError(CE_Failure, CPLE_AppDefined, "VXV: %s: %s", name, e.what());
        return nullptr;
    }
}

}  // namespace vx
