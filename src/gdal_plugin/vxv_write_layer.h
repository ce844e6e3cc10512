#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <ogrsf_frmts.h>

#include "gdal_plugin/attribute_fields.h"
#include "gdal_plugin/feature_geometry.h"
#include "model/layer_model.h"
#include "vxv/layer_set_writer.h"

// A layer that GDAL writes as a VXV layer set. Features are gathered into the layer model
// as the MIF import gathers objects, each kind into its own layer, and written through the
// program's own layer and table writers when the data set is closed: a layer's bounds,
// coordinate system and table columns are known only once every feature is in.
namespace vx {

class VxvWriteLayer final : public OGRLayer {
  public:
    // `target` is the .vxv path of the set; `crs` may be null.
    VxvWriteLayer(std::string target, const std::string& name, const OGRSpatialReference* crs,
                  OGRwkbGeometryType type);
    ~VxvWriteLayer() override;

    void ResetReading() override {}
    OGRFeature* GetNextFeature() override { return nullptr; }
    OGRFeatureDefn* GetLayerDefn() override { return definition_; }
    GIntBig GetFeatureCount(int) override { return written_; }
    int TestCapability(const char* capability) override;
    OGRErr CreateField(OGRFieldDefn* field, int approxOk = TRUE) override;
    OGRErr ICreateFeature(OGRFeature* feature) override;

    // Writes the layer set; false when it could not be written (GDAL's error says why, and
    // no part of the set is left behind).
    bool Write();
    // The files of the set, written or not.
    const std::string& Target() const { return target_; }

  private:
    void Warn(const std::string& text);
    void WarnOnce(bool& said, const std::string& text);
    void AddObjects(OGRFeature& feature, FeatureObjects& objects);
    // The table of the layer of `kind`, written at files.dbf once its objects are.
    bool WriteTable(int kind, const LayerFiles& files, std::string& error);

    std::string target_;
    std::string name_;
    OGRFeatureDefn* definition_ = nullptr;
    OGRSpatialReference* crs_ = nullptr;
    LayerModel model_;
    TablePlan plan_;
    // Rows of each kind's table (kind 1 to 3), and the texts of the point layer's labels.
    std::array<std::vector<std::string>, 4> rows_;
    std::vector<std::string> labels_;
    bool anyLabel_ = false;
    GIntBig written_ = 0;
    GeometryLosses losses_;
    GeometryLosses said_;
    std::int64_t withoutGeometry_ = 0;
    std::int64_t notNumbers_ = 0;
    bool splitSaid_ = false;
    bool keyReplaced_ = false;
    int declaredKind_ = 0;  // the kind an empty layer is written as; 0 for none
    bool done_ = false;
};

}  // namespace vx
