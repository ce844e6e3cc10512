#include "gdal_plugin/vxv_write_layer.h"

#include <algorithm>
#include <limits>

#include "dbase/attribute_table.h"
#include "gdal_plugin/feature_style.h"
#include "gdal_plugin/layer_crs.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "vxv/layer_set_writer.h"

namespace vx {

namespace {

constexpr auto kMaxObjects = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

int KindOfType(OGRwkbGeometryType type) {
    switch (wkbFlatten(type)) {
        case wkbPoint:
        case wkbMultiPoint:
            return kKindPoint;
        case wkbLineString:
        case wkbMultiLineString:
        case wkbCircularString:
        case wkbCompoundCurve:
        case wkbMultiCurve:
            return kKindLine;
        case wkbPolygon:
        case wkbMultiPolygon:
        case wkbCurvePolygon:
        case wkbMultiSurface:
        case wkbPolyhedralSurface:
        case wkbTIN:
            return kKindRegion;
        default:
            return 0;
    }
}

void Widen(Bounds& box, bool& any, const Vertex& v) {
    if (!any) {
        box = {v.X, v.Y, v.X, v.Y};
        any = true;
        return;
    }
    box.MinX = std::min(box.MinX, v.X);
    box.MinY = std::min(box.MinY, v.Y);
    box.MaxX = std::max(box.MaxX, v.X);
    box.MaxY = std::max(box.MaxY, v.Y);
}

// Where the gathered objects lie, in the source's coordinates.
Bounds BoxOf(const LayerModel& m) {
    Bounds box;
    bool any = false;
    for (const PointObject& point : m.Points) {
        for (const Vertex& v : point.Vertices)
            Widen(box, any, v);
    }
    for (const LineObject& line : m.Lines) {
        for (const LinePart& part : line.Parts) {
            for (const Vertex& v : part.Vertices)
                Widen(box, any, v);
        }
    }
    for (const RegionObject& region : m.Regions) {
        for (const RegionPart& ring : region.Parts) {
            for (const Vertex& v : ring.Vertices)
                Widen(box, any, v);
        }
    }
    return box;
}

}  // namespace

VxvWriteLayer::VxvWriteLayer(std::string target, const std::string& name,
                             const OGRSpatialReference* crs, OGRwkbGeometryType type)
    : target_(std::move(target)), name_(name), declaredKind_(KindOfType(type)) {
    definition_ = new OGRFeatureDefn(name.c_str());
    definition_->Reference();
    definition_->SetGeomType(type);
    SetDescription(name.c_str());
    if (crs != nullptr) {
        crs_ = crs->Clone();
        crs_->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        definition_->GetGeomFieldDefn(0)->SetSpatialRef(crs_);
    }
}

VxvWriteLayer::~VxvWriteLayer() {
    definition_->Release();
    if (crs_ != nullptr) crs_->Release();
}

int VxvWriteLayer::TestCapability(const char* capability) {
    return EQUAL(capability, OLCSequentialWrite) || EQUAL(capability, OLCCreateField) ||
           EQUAL(capability, OLCStringsAsUTF8);
}

void VxvWriteLayer::Warn(const std::string& text) {
    CPLError(CE_Warning, CPLE_AppDefined, "VXV layer %s: %s", name_.c_str(), text.c_str());
}

void VxvWriteLayer::WarnOnce(bool& said, const std::string& text) {
    if (said) return;
    said = true;
    Warn(text);
}

OGRErr VxvWriteLayer::CreateField(OGRFieldDefn* field, int) {
    if (done_ || written_ > 0) {
        CPLError(CE_Failure, CPLE_NotSupported,
                 "VXV layer %s: fields can be added only before the first feature", name_.c_str());
        return OGRERR_FAILURE;
    }
    std::vector<std::string> warnings;
    std::string error;
    if (!plan_.AddField(*field, warnings, error)) {
        CPLError(CE_Failure, CPLE_NotSupported, "VXV layer %s: %s", name_.c_str(), error.c_str());
        return OGRERR_FAILURE;
    }
    for (const std::string& warning : warnings)
        Warn(warning);
    // Every field stays in the definition, so that features keep their field order; the
    // plan knows which of them the table leaves out.
    definition_->AddFieldDefn(field);
    return OGRERR_NONE;
}

void VxvWriteLayer::AddObjects(OGRFeature& feature, FeatureObjects& objects) {
    LayerModel& m = model_;
    const FeatureStyle style(feature);
    std::string label;
    const bool text = !objects.points.empty() && style.LabelText(label);
    std::vector<std::string> warnings;
    const std::string row = plan_.RowValues(feature, text ? label : std::string(), warnings);
    for (const std::string& warning : warnings)
        Warn(warning);
    const int sourceKey = plan_.SourceKeyField();
    auto keep = [&](int kind, std::int32_t number) {
        rows_[static_cast<std::size_t>(kind)].push_back(row);
        if (sourceKey >= 0 && feature.IsFieldSetAndNotNull(sourceKey) &&
            feature.GetFieldAsInteger64(sourceKey) != number) {
            keyReplaced_ = true;
        }
    };
    if (!objects.rings.empty()) {
        if (m.Regions.size() >= kMaxObjects)
            throw std::length_error("too many regions for a layer");
        RegionObject& region = m.Regions.emplace_back();
        region.PenIndex = m.FindPenIndex(style.Pen(MifStyleFamily::kRegion));
        region.BrushIndex = m.FindBrushIndex(style.Brush());
        region.Parts = std::move(objects.rings);
        region.PartCount = static_cast<std::int32_t>(region.Parts.size());
        m.RegionCount = static_cast<std::int32_t>(m.Regions.size());
        keep(kKindRegion, m.RegionCount);
    }
    if (!objects.lines.empty()) {
        if (m.Lines.size() >= kMaxObjects) throw std::length_error("too many lines for a layer");
        LineObject& line = m.Lines.emplace_back();
        line.PenIndex = m.FindPenIndex(style.Pen(MifStyleFamily::kPline));
        for (std::vector<Vertex>& vertices : objects.lines) {
            LinePart& part = line.Parts.emplace_back();
            part.VertexCount = static_cast<std::int32_t>(vertices.size());
            part.Vertices = std::move(vertices);
        }
        line.PartCount = static_cast<std::int32_t>(line.Parts.size());
        m.LineCount = static_cast<std::int32_t>(m.Lines.size());
        keep(kKindLine, m.LineCount);
    }
    if (!objects.points.empty()) {
        if (m.Points.size() >= kMaxObjects) throw std::length_error("too many points for a layer");
        PointObject& point = m.Points.emplace_back();
        if (text) {
            style.TextSymbol(model_, point);
            ++m.TextCount;
            anyLabel_ = true;
        } else {
            style.Symbol(model_, point);
        }
        point.VertexCount = static_cast<std::int32_t>(objects.points.size());
        point.Vertices = std::move(objects.points);
        m.PointCount = static_cast<std::int32_t>(m.Points.size());
        labels_.push_back(text ? label : std::string());
        keep(kKindPoint, m.PointCount);
    }
}

OGRErr VxvWriteLayer::ICreateFeature(OGRFeature* feature) {
    if (done_) {
        CPLError(CE_Failure, CPLE_NotSupported, "VXV layer %s is written already", name_.c_str());
        return OGRERR_FAILURE;
    }
    try {
        const OGRGeometry* geometry = feature->GetGeometryRef();
        FeatureObjects objects;
        if (geometry == nullptr) {
            ++withoutGeometry_;
        } else if (!SplitGeometry(*geometry, objects, losses_)) {
            ++notNumbers_;
        } else if (objects.Empty()) {
            ++withoutGeometry_;
        } else {
            if (objects.Kinds() > 1) {
                WarnOnce(splitSaid_,
                         "a feature mixing points, lines and regions becomes one object in "
                         "each of their layers, each with the feature's attributes");
            }
            AddObjects(*feature, objects);
        }
        if (losses_.heights) WarnOnce(said_.heights, "Z and M values are not kept");
        if (losses_.unsupported) {
            WarnOnce(said_.unsupported,
                     "geometries of a kind a layer has no objects for are left out");
        }
        feature->SetFID(++written_);
        return OGRERR_NONE;
    } catch (const std::exception& e) {
        CPLError(CE_Failure, CPLE_AppDefined, "VXV layer %s: %s", name_.c_str(), e.what());
        return OGRERR_FAILURE;
    }
}

bool VxvWriteLayer::WriteTable(int kind, const LayerFiles& files, std::string& error) {
    const std::int32_t count = ObjectCount(model_, kind);
    const bool labelColumn = kind == kKindPoint && anyLabel_ && !plan_.LabelInField();
    const std::vector<std::string>& rows = rows_[static_cast<std::size_t>(kind)];
    std::vector<std::string> warnings;
    const bool tableWritten = WriteLayerTable(
        files.dbf, plan_.Columns(labelColumn), count,
        [&](std::int64_t n) {
            std::string values = rows[static_cast<std::size_t>(n - 1)];
            if (labelColumn) {
                if (plan_.HasColumns()) values += ',';
                AppendRowValue(
                    values, plan_.LabelValue(labels_[static_cast<std::size_t>(n - 1)], warnings));
            }
            return values;
        },
        error);
    for (const std::string& warning : warnings)
        Warn(warning);
    return tableWritten;
}

bool VxvWriteLayer::Write() {
    if (done_) return true;
    done_ = true;
    LayerModel& m = model_;
    if (withoutGeometry_ > 0) {
        Warn("features without geometry are not kept, a layer holding objects only (" +
             std::to_string(withoutGeometry_) + " of them)");
    }
    if (notNumbers_ > 0) {
        Warn("features with coordinates that are not numbers are not kept (" +
             std::to_string(notNumbers_) + " of them)");
    }
    if (keyReplaced_) {
        Warn("the source's SPATIAL_ID values are replaced by the layer's object numbers");
    }
    std::vector<int> kinds = KindsHeld(m);
    if (kinds.empty()) {
        if (declaredKind_ == 0) {
            Warn("no feature has a geometry a layer can hold: no layer is written");
            return true;
        }
        kinds.push_back(declaredKind_);  // an empty layer of the kind the source declares
    }
    std::vector<std::string> givenUp;
    CarrySpatialRef(crs_, BoxOf(m), m, givenUp);
    for (const std::string& text : givenUp)
        Warn(text);
    LayerStages stages;
    stages.kinds = kinds;
    stages.begin = [&](int, const LayerFiles& files) {
        NameLayerTable(m, NameOf(files.dbf));
        return true;
    };
    std::string error;
    stages.written = [&](int kind, const LayerFiles& files) {
        return WriteTable(kind, files, error);
    };
    std::vector<std::string> written;
    if (!WriteLayerSet(m, target_, stages, written, error)) {
        CPLError(CE_Failure, CPLE_AppDefined, "VXV layer %s: %s", name_.c_str(), error.c_str());
        RemoveFiles(written);
        return false;
    }
    return true;
}

}  // namespace vx
