#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gdal_priv.h>

#include "gdal_plugin/vxv_layer.h"
#include "gdal_plugin/vxv_write_layer.h"

// A VXV data set as GDAL sees one. Read: a layer file (one layer), a folder (one layer per
// layer file in it) or the name of a layer set whose kinds carry the suffixes _rg, _ln and
// _pt (one layer per kind). Written: a .vxv path takes one layer; any other path is a folder
// that takes one layer set per layer, named after the layer.
namespace vx {

class VxvDataset final : public GDALDataset {
  public:
    static int Identify(GDALOpenInfo* info);
    static GDALDataset* Open(GDALOpenInfo* info);
    static GDALDataset* Create(const char* name, int xSize, int ySize, int bands, GDALDataType type,
                               char** options);

    ~VxvDataset() override;

    int GetLayerCount() override;
    OGRLayer* GetLayer(int index) override;
    int TestCapability(const char* capability) override;
    char** GetFileList() override;

  protected:
    OGRLayer* ICreateLayer(const char* name, OGRSpatialReference* crs, OGRwkbGeometryType type,
                           char** options) override;

  private:
    VxvDataset() = default;

    std::vector<std::unique_ptr<VxvLayer>> layers_;
    std::vector<std::string> files_;  // every file of the layers read
    std::vector<std::unique_ptr<VxvWriteLayer>> writeLayers_;
    std::string target_;  // a .vxv path, or the folder written into
    bool oneLayer_ = false;
    bool writing_ = false;
};

}  // namespace vx
