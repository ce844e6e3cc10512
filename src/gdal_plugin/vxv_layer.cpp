#include "gdal_plugin/vxv_layer.h"

#include "gdal_plugin/feature_geometry.h"
#include "gdal_plugin/feature_style.h"
#include "gdal_plugin/layer_crs.h"
#include "model/geometry.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "vxv/layer_reader.h"

namespace vx {

namespace {

// The layer's geometry file: the .vxs beside it, found whatever the case of its extension.
std::string GeometryFileOf(const std::string& vxvPath) {
    std::string vxs = FindCompanion(vxvPath, ".vxs");
    return vxs.empty() ? WithExtension(vxvPath, ".vxs") : vxs;
}

// The layer's name: its file name without the extension, as GDAL was given it.
std::string LayerNameOf(const std::string& vxvPath) {
    const std::string name = NameOf(vxvPath);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

template <typename Object>
bool HasSeveral(const std::vector<Object>& objects, std::size_t (*count)(const Object&)) {
    for (const Object& object : objects) {
        if (count(object) > 1) return true;
    }
    return false;
}

OGRwkbGeometryType GeometryTypeOf(const LayerModel& m) {
    switch (m.LayerKind.ObjectKind) {
        case kKindPoint:
            return HasSeveral<PointObject>(m.Points,
                                           [](const PointObject& p) { return p.Vertices.size(); })
                       ? wkbMultiPoint
                       : wkbPoint;
        case kKindLine:
            return HasSeveral<LineObject>(m.Lines,
                                          [](const LineObject& l) { return l.Parts.size(); })
                       ? wkbMultiLineString
                       : wkbLineString;
        default:
            return HasSeveral<RegionObject>(
                       m.Regions,
                       [](const RegionObject& r) { return RingPolygons(r.Parts).size(); })
                       ? wkbMultiPolygon
                       : wkbPolygon;
    }
}

}  // namespace

std::unique_ptr<VxvLayer> VxvLayer::Open(const std::string& vxvPath, std::string& reason,
                                         std::string& warning) {
    std::unique_ptr<VxvLayer> layer(new VxvLayer());
    LayerModel& m = layer->model_;
    const std::string vxsPath = GeometryFileOf(vxvPath);
    if (!ReadLayerData(layer->model_, vxvPath, vxsPath, LayerTarget::kObjects, nullptr, reason)) {
        return nullptr;
    }
    layer->files_ = {vxvPath, vxsPath};
    const int kind = m.LayerKind.ObjectKind;
    if (kind != kKindPoint && kind != kKindLine && kind != kKindRegion) {
        reason = "the layer holds no points, lines or regions (kind " + std::to_string(kind) + ")";
        return nullptr;
    }
    if (!layer->table_.Read(layer->model_, vxvPath, warning)) layer->table_ = LayerTable{};
    if (!m.TableNames.empty() && IsPlainFileName(m.TableNames.front())) {
        const std::string table =
            JoinPath(FolderOf(vxvPath).empty() ? "." : FolderOf(vxvPath), m.TableNames.front());
        if (FileExists(table)) layer->files_.push_back(table);
    }

    // An object's number is the one its index entry gives, as long as the numbers rise;
    // a layer imported from a shapefile skips the numbers of its null records.
    const std::size_t count = static_cast<std::size_t>(layer->ObjectCount());
    bool rising = m.ObjectIndex.size() == count;
    for (std::size_t i = 0; rising && i < count; ++i) {
        rising = m.ObjectIndex[i].ObjectNo > (i == 0 ? 0 : m.ObjectIndex[i - 1].ObjectNo);
    }
    layer->numbers_.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        layer->numbers_[i] = rising ? m.ObjectIndex[i].ObjectNo : static_cast<std::int64_t>(i + 1);
    for (std::size_t i = 0; i < count && i < m.ObjectIndex.size(); ++i) {
        const IndexEntry& e = m.ObjectIndex[i];
        if (i == 0) {
            layer->extent_.MinX = e.MinX;
            layer->extent_.MinY = e.MinY;
            layer->extent_.MaxX = e.MaxX;
            layer->extent_.MaxY = e.MaxY;
        } else {
            layer->extent_.Merge(e.MinX, e.MinY);
            layer->extent_.Merge(e.MaxX, e.MaxY);
        }
    }

    layer->definition_ = new OGRFeatureDefn(LayerNameOf(vxvPath).c_str());
    layer->definition_->Reference();
    layer->SetDescription(layer->definition_->GetName());
    layer->definition_->SetGeomType(GeometryTypeOf(m));
    std::string crsReason;
    std::unique_ptr<OGRSpatialReference> crs =
        LayerSpatialRef(m.Layer, m.LayerKind.UnitCode, crsReason);
    if (crs) {
        layer->crs_ = crs.release();
        layer->definition_->GetGeomFieldDefn(0)->SetSpatialRef(layer->crs_);
    }
    layer->table_.DefineFields(*layer->definition_);
    return layer;
}

VxvLayer::~VxvLayer() {
    if (definition_ != nullptr) definition_->Release();
    if (crs_ != nullptr) crs_->Release();
}

std::int64_t VxvLayer::ObjectCount() const {
    const LayerModel& m = model_;
    switch (m.LayerKind.ObjectKind) {
        case kKindPoint:
            return static_cast<std::int64_t>(m.Points.size());
        case kKindLine:
            return static_cast<std::int64_t>(m.Lines.size());
        default:
            return static_cast<std::int64_t>(m.Regions.size());
    }
}

std::string VxvLayer::StyleOf(std::size_t index, const std::string& label) const {
    const LayerModel& m = model_;
    switch (m.LayerKind.ObjectKind) {
        case kKindPoint: {
            const PointObject& point = m.Points[index];
            if (!label.empty()) return LabelStyleString(point, label);
            if (!m.Fonts.HasIndex(point.FontIndex)) return {};
            return SymbolStyleString(point, ToUtf8(m.Fonts.Name(point.FontIndex)));
        }
        case kKindLine: {
            const LineObject& line = m.Lines[index];
            return m.Pens.HasIndex(line.PenIndex) ? PenStyleString(m.Pens.At(line.PenIndex))
                                                  : std::string();
        }
        default: {
            const RegionObject& region = m.Regions[index];
            std::string style;
            if (m.Pens.HasIndex(region.PenIndex))
                style = PenStyleString(m.Pens.At(region.PenIndex));
            if (m.Brushes.HasIndex(region.BrushIndex)) {
                if (!style.empty()) style += ';';
                style += BrushStyleString(m.Brushes.At(region.BrushIndex));
            }
            return style;
        }
    }
}

OGRFeature* VxvLayer::MakeFeature(std::size_t index) {
    const LayerModel& m = model_;
    auto feature = std::make_unique<OGRFeature>(definition_);
    feature->SetFID(static_cast<GIntBig>(index) + 1);
    std::unique_ptr<OGRGeometry> geometry;
    switch (m.LayerKind.ObjectKind) {
        case kKindPoint:
            geometry = PointGeometry(m.Points[index]);
            break;
        case kKindLine:
            geometry = LineGeometry(m.Lines[index]);
            break;
        default:
            geometry = RegionGeometry(m.Regions[index]);
            break;
    }
    if (geometry) {
        geometry->assignSpatialReference(crs_);
        feature->SetGeometryDirectly(geometry.release());
    }
    const std::int64_t number = numbers_[index];
    table_.Fill(*feature, number);
    const std::string label =
        m.LayerKind.ObjectKind == kKindPoint ? table_.TextLabel(number) : std::string();
    const std::string style = StyleOf(index, label);
    if (!style.empty()) feature->SetStyleString(style.c_str());
    return feature.release();
}

bool VxvLayer::InFilterBox(std::size_t index) const {
    if (m_poFilterGeom == nullptr || index >= model_.ObjectIndex.size()) return true;
    const IndexEntry& e = model_.ObjectIndex[index];
    return !(e.MaxX < m_sFilterEnvelope.MinX || e.MinX > m_sFilterEnvelope.MaxX ||
             e.MaxY < m_sFilterEnvelope.MinY || e.MinY > m_sFilterEnvelope.MaxY);
}

OGRFeature* VxvLayer::GetNextRawFeature() {
    const auto count = static_cast<std::size_t>(ObjectCount());
    while (next_ < count && !InFilterBox(next_))
        ++next_;
    if (next_ >= count) return nullptr;
    try {
        return MakeFeature(next_++);
    } catch (const std::exception& e) {
        CPLError(CE_Failure, CPLE_AppDefined, "VXV: %s", e.what());
        return nullptr;
    }
}

OGRFeature* VxvLayer::GetFeature(GIntBig fid) {
    if (fid < 1 || fid > ObjectCount()) return nullptr;
    try {
        return MakeFeature(static_cast<std::size_t>(fid - 1));
    } catch (const std::exception& e) {
        CPLError(CE_Failure, CPLE_AppDefined, "VXV: %s", e.what());
        return nullptr;
    }
}

GIntBig VxvLayer::GetFeatureCount(int force) {
    if (m_poFilterGeom == nullptr && m_poAttrQuery == nullptr) return ObjectCount();
    return OGRLayer::GetFeatureCount(force);
}

OGRErr VxvLayer::GetExtent(OGREnvelope* extent, int) {
    if (ObjectCount() == 0 || model_.ObjectIndex.empty()) return OGRERR_FAILURE;
    *extent = extent_;
    return OGRERR_NONE;
}

int VxvLayer::TestCapability(const char* capability) {
    if (EQUAL(capability, OLCFastFeatureCount)) {
        return m_poFilterGeom == nullptr && m_poAttrQuery == nullptr;
    }
    return EQUAL(capability, OLCRandomRead) || EQUAL(capability, OLCFastGetExtent) ||
           EQUAL(capability, OLCStringsAsUTF8);
}

}  // namespace vx
