#pragma once

#include <memory>
#include <string>

#include <ogrsf_frmts.h>

#include "gdal_plugin/attribute_fields.h"
#include "model/layer_model.h"

// One VXV layer read through GDAL: its objects as features, with the rows of its table, the
// coordinate system of its description and the style of each object. The layer is read whole
// when it is opened, through the program's own layer reader, so that a damaged layer is
// refused then and never half read.
namespace vx {

class VxvLayer final : public OGRLayer, public OGRGetNextFeatureThroughRaw<VxvLayer> {
    DEFINE_GET_NEXT_FEATURE_THROUGH_RAW(VxvLayer)

  public:
    // The layer at `vxvPath`; null, with the reason, when it cannot be read. A table that the
    // layer names but that is missing or damaged leaves the layer without attributes, with
    // the reason in `warning`.
    static std::unique_ptr<VxvLayer> Open(const std::string& vxvPath, std::string& reason,
                                          std::string& warning);
    ~VxvLayer() override;

    void ResetReading() override { next_ = 0; }
    OGRFeature* GetFeature(GIntBig fid) override;
    OGRFeatureDefn* GetLayerDefn() override { return definition_; }
    GIntBig GetFeatureCount(int force) override;
    OGRErr GetExtent(OGREnvelope* extent, int force) override;
    OGRErr GetExtent(int geometryField, OGREnvelope* extent, int force) override {
        return OGRLayer::GetExtent(geometryField, extent, force);
    }
    int TestCapability(const char* capability) override;

    // The layer's files: the .vxv, the .vxs and the table when there is one.
    const std::vector<std::string>& Files() const { return files_; }

  private:
    VxvLayer() = default;
    OGRFeature* GetNextRawFeature();
    std::int64_t ObjectCount() const;
    // Feature `index` (0-based): FID index + 1.
    OGRFeature* MakeFeature(std::size_t index);
    bool InFilterBox(std::size_t index) const;
    std::string StyleOf(std::size_t index, const std::string& label) const;

    LayerModel model_;
    LayerTable table_;
    std::vector<std::int64_t> numbers_;  // each object's number, which its table row carries
    OGRFeatureDefn* definition_ = nullptr;
    OGRSpatialReference* crs_ = nullptr;
    OGREnvelope extent_;
    std::vector<std::string> files_;
    std::size_t next_ = 0;
};

}  // namespace vx
