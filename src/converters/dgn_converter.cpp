#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include <gdal_priv.h>
#include <ogr_featurestyle.h>
#include <ogrsf_frmts.h>

#include "converters/gdal_routes.h"
#include "converters/gdal_support.h"
#include "dbase/attribute_table.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "vxv/layer_set_writer.h"

namespace vx {

namespace {

constexpr int kTextElement = 17;  // DGN element type of a text
constexpr int kLineElement = 3;   // a two-point line; with both points equal, DGN's point

// The look of an element as GDAL reports it, and the attributes its table row carries.
struct ElementLook {
    int level = 0;
    int colorIndex = 0;
    int weight = 0;
    int lineStyle = 0;
    int type = 0;
    std::string text;
    bool isText = false;
    std::int32_t penColor = 0;  // Windows order: red + green * 256 + blue * 65536
    bool filled = false;
    std::int32_t fillColor = 0;
    float angle = 0.0f;
};

// Rows of the attribute tables, row n for object n of its kind.
struct ElementRows {
    std::vector<ElementLook> regions;
    std::vector<ElementLook> lines;
    std::vector<ElementLook> points;
};

class DgnFailure {
  public:
    explicit DgnFailure(std::string what) : what_(std::move(what)) {}
    const std::string& what() const { return what_; }

  private:
    std::string what_;
};

std::int32_t WindowsColor(const char* text) {
    int r = 0, g = 0, b = 0, a = 0;
    if (text == nullptr || !OGRStyleTool::GetRGBFromString(text, r, g, b, a)) return 0;
    return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16;
}

int IntField(OGRFeature& feature, const char* name) {
    const int at = feature.GetFieldIndex(name);
    return at >= 0 && feature.IsFieldSetAndNotNull(at) ? feature.GetFieldAsInteger(at) : 0;
}

ElementLook LookOf(OGRFeature& feature) {
    ElementLook look;
    look.type = IntField(feature, "Type");
    look.level = IntField(feature, "Level");
    look.colorIndex = IntField(feature, "ColorIndex");
    look.weight = IntField(feature, "Weight");
    look.lineStyle = IntField(feature, "Style");
    const int textAt = feature.GetFieldIndex("Text");
    if (textAt >= 0 && feature.IsFieldSetAndNotNull(textAt)) {
        look.text = feature.GetFieldAsString(textAt);
    }
    look.isText = look.type == kTextElement;

    OGRStyleMgr styles;
    if (!styles.InitFromFeature(&feature)) return look;
    for (int i = 0; i < styles.GetPartCount(); ++i) {
        std::unique_ptr<OGRStyleTool> part(styles.GetPart(i));
        if (!part) continue;
        GBool isDefault = FALSE;
        switch (part->GetType()) {
            case OGRSTCPen:
                look.penColor =
                    WindowsColor(static_cast<OGRStylePen*>(part.get())->Color(isDefault));
                break;
            case OGRSTCBrush: {
                const char* fill = static_cast<OGRStyleBrush*>(part.get())->ForeColor(isDefault);
                if (!isDefault && fill != nullptr) {
                    look.filled = true;
                    look.fillColor = WindowsColor(fill);
                }
                break;
            }
            case OGRSTCLabel: {
                auto* label = static_cast<OGRStyleLabel*>(part.get());
                look.penColor = WindowsColor(label->ForeColor(isDefault));
                const double angle = label->Angle(isDefault);
                if (!isDefault && std::isfinite(angle)) look.angle = static_cast<float>(angle);
                break;
            }
            default:
                break;
        }
    }
    return look;
}

// DGN line styles 0..7 in the native pen patterns nearest to them.
std::int32_t PenPatternOf(int lineStyle) {
    static constexpr std::int32_t kPatterns[8] = {0, 8, 2, 1, 3, 2, 4, 3};
    return lineStyle >= 0 && lineStyle < 8 ? kPatterns[lineStyle] : 0;
}

// Weight 0 is the thinnest line a screen draws; pen widths in pixels stop at 7.
std::int32_t PenSizeOf(int weight) {
    return std::clamp(weight + 1, 1, 7);
}

constexpr auto kMaxCount = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

// Turns GDAL's features into the model's objects, styles and attribute rows.
class DgnCollector {
  public:
    explicit DgnCollector(LayerModel& model) : model_(model) {}

    void Add(OGRFeature& feature) {
        const OGRGeometry* geometry = feature.GetGeometryRef();
        if (geometry == nullptr || geometry->IsEmpty()) return;
        const ElementLook look = LookOf(feature);
        if (IntField(feature, "MSLink") != 0 || IntField(feature, "EntityNum") != 0) ++linked_;
        if (IntField(feature, "GraphicGroup") != 0) ++grouped_;
        std::unique_ptr<OGRGeometry> linear;
        if (geometry->hasCurveGeometry()) {
            linear.reset(geometry->getLinearGeometry());
            if (!linear) return;
            geometry = linear.get();
        }
        AddGeometry(*geometry, look);
    }

    ElementRows& Rows() { return rows_; }

    // What the layers do not carry, a line each; empty when they carry everything.
    std::string NotCarried() const {
        std::string lines;
        auto add = [&](std::size_t n, const char* one, const char* several) {
            if (n == 0) return;
            lines +=
                (lines.empty() ? "" : "\n") + std::to_string(n) +
                (n == 1 ? " element " + std::string(one) : " elements " + std::string(several));
        };
        const char* const unreadable =
            "could not be converted (no points, lines or shapes, or coordinates that are not "
            "numbers)";
        add(skipped_, unreadable, unreadable);
        add(linked_, "links to database records (EntityNum, MSLink), which the tables do not carry",
            "link to database records (EntityNum, MSLink), which the tables do not carry");
        add(grouped_, "belongs to a graphic group, which the layers do not carry",
            "belong to graphic groups, which the layers do not carry");
        return lines;
    }

  private:
    void AddGeometry(const OGRGeometry& geometry, const ElementLook& look) {
        switch (wkbFlatten(geometry.getGeometryType())) {
            case wkbPoint:
                AddPoint(*geometry.toPoint(), look);
                break;
            case wkbLineString:
                AddLineString(*geometry.toLineString(), look);
                break;
            case wkbPolygon:
                AddRegion({geometry.toPolygon()}, look);
                break;
            case wkbMultiLineString:
                AddLine(*geometry.toMultiLineString(), look);
                break;
            case wkbMultiPolygon: {
                std::vector<const OGRPolygon*> polygons;
                for (const OGRPolygon* polygon : *geometry.toMultiPolygon())
                    polygons.push_back(polygon);
                AddRegion(polygons, look);
                break;
            }
            case wkbMultiPoint:
            case wkbGeometryCollection:
                for (const OGRGeometry* member : *geometry.toGeometryCollection())
                    AddGeometry(*member, look);
                break;
            default:
                ++skipped_;
                break;
        }
    }

    static bool Finite(double x, double y) { return std::isfinite(x) && std::isfinite(y); }

    // The vertices of a ring or line string; false when a coordinate is not a number.
    static bool Vertices(const OGRSimpleCurve& curve, std::vector<Vertex>& out) {
        out.clear();
        out.reserve(static_cast<std::size_t>(curve.getNumPoints()));
        for (int i = 0; i < curve.getNumPoints(); ++i) {
            if (!Finite(curve.getX(i), curve.getY(i))) return false;
            out.push_back({curve.getX(i), curve.getY(i)});
        }
        return true;
    }

    void CheckRoom(std::size_t size) {
        if (size >= kMaxCount) throw DgnFailure("too many elements");
    }

    void AddPoint(const OGRPoint& point, const ElementLook& look) {
        if (!Finite(point.getX(), point.getY())) {
            ++skipped_;
            return;
        }
        AddPointAt({point.getX(), point.getY()}, look);
    }

    void AddPointAt(const Vertex& at, const ElementLook& look) {
        CheckRoom(model_.Points.size());
        PointObject& p = model_.Points.emplace_back();
        p.VertexCount = 1;
        p.PointStyle = 196;
        p.PointSize = 10;
        p.PointColor = look.penColor;
        p.FontIndex = model_.FindFontIndex("Symbol");
        p.PointRot = look.isText ? look.angle : 0.0f;
        p.Vertices = {at};
        model_.PointCount = static_cast<std::int32_t>(model_.Points.size());
        if (look.isText) {
            model_.ObjectOrder.push_back(kOrderText);
            model_.TextLabels.push_back(look.text);
            ++model_.TextCount;
        } else {
            model_.ObjectOrder.push_back(kOrderPoint);
        }
        rows_.points.push_back(look);
    }

    std::int32_t PenOf(const ElementLook& look) {
        return model_.FindPenIndex(
            PenStyle{PenSizeOf(look.weight), PenPatternOf(look.lineStyle), look.penColor});
    }

    void AddLineString(const OGRLineString& line, const ElementLook& look) {
        std::vector<Vertex> vertices;
        if (!Vertices(line, vertices) || vertices.size() < 2) {
            ++skipped_;
            return;
        }
        // A line element whose two ends coincide is how a DGN drawing holds a point.
        if (look.type == kLineElement && vertices.size() == 2 && vertices[0] == vertices[1]) {
            AddPointAt(vertices[0], look);
            return;
        }
        LineObject& object = NewLine(look);
        AddLinePart(object, std::move(vertices));
    }

    void AddLine(const OGRMultiLineString& lines, const ElementLook& look) {
        std::vector<std::vector<Vertex>> parts;
        for (const OGRLineString* line : lines) {
            std::vector<Vertex> vertices;
            if (Vertices(*line, vertices) && vertices.size() >= 2)
                parts.push_back(std::move(vertices));
        }
        if (parts.empty()) {
            ++skipped_;
            return;
        }
        LineObject& object = NewLine(look);
        for (auto& part : parts)
            AddLinePart(object, std::move(part));
    }

    LineObject& NewLine(const ElementLook& look) {
        CheckRoom(model_.Lines.size());
        LineObject& object = model_.Lines.emplace_back();
        object.PenIndex = PenOf(look);
        model_.LineCount = static_cast<std::int32_t>(model_.Lines.size());
        model_.ObjectOrder.push_back(kOrderLine);
        rows_.lines.push_back(look);
        return object;
    }

    static void AddLinePart(LineObject& object, std::vector<Vertex> vertices) {
        LinePart& part = object.Parts.emplace_back();
        part.VertexCount = static_cast<std::int32_t>(vertices.size());
        part.Vertices = std::move(vertices);
        object.PartCount = static_cast<std::int32_t>(object.Parts.size());
    }

    // Outer rings stand on their own; inner rings follow their outer ring as its holes.
    void AddRegion(const std::vector<const OGRPolygon*>& polygons, const ElementLook& look) {
        std::vector<RegionPart> rings;
        for (const OGRPolygon* polygon : polygons) {
            bool outer = true;
            for (const OGRLinearRing* ring : *polygon) {
                RegionPart part;
                if (Vertices(*ring, part.Vertices) && part.Vertices.size() >= 3) {
                    part.IsHole = outer ? 0 : 1;
                    part.VertexCount = static_cast<std::int32_t>(part.Vertices.size());
                    rings.push_back(std::move(part));
                } else if (outer) {
                    break;  // without its outer ring a polygon's holes mean nothing
                }
                outer = false;
            }
        }
        if (rings.empty()) {
            ++skipped_;
            return;
        }
        rings.front().IsHole = 0;
        CheckRoom(model_.Regions.size());
        RegionObject& region = model_.Regions.emplace_back();
        region.PenIndex = PenOf(look);
        region.BrushIndex = model_.FindBrushIndex(
            look.filled ? BrushStyle{0, look.fillColor, 16777215} : BrushStyle{1, 16777215, 0});
        region.Parts = std::move(rings);
        region.PartCount = static_cast<std::int32_t>(region.Parts.size());
        model_.RegionCount = static_cast<std::int32_t>(model_.Regions.size());
        model_.ObjectOrder.push_back(kOrderRegion);
        rows_.regions.push_back(look);
    }

    LayerModel& model_;
    ElementRows rows_;
    std::size_t skipped_ = 0;
    std::size_t linked_ = 0;
    std::size_t grouped_ = 0;
};

void ReadDrawing(const std::string& source, DgnCollector& collector, GdalSession& session) {
    const char* const drivers[] = {"DGN", nullptr};
    GDALDatasetUniquePtr drawing(
        GDALDataset::Open(source.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers));
    if (!drawing) {
        std::string why = "not a DGN (version 7) drawing: " + source;
        if (!session.LastError().empty()) why += " (" + session.LastError() + ")";
        throw DgnFailure(why);
    }
    for (OGRLayer* layer : drawing->GetLayers()) {
        for (auto& feature : *layer)
            collector.Add(*feature);
    }
}

// The attribute table of a layer: the element attributes of each object, and the text of
// texts when the layer holds any.
bool WriteElementTable(const std::string& dbfPath, const std::vector<ElementLook>& rows,
                       std::string& error) {
    const bool withText =
        std::any_of(rows.begin(), rows.end(), [](const ElementLook& look) { return look.isText; });
    std::string columns = "LEVEL Integer, COLOR_IDX Integer, WEIGHT Integer, STYLE Integer";
    if (withText) columns += ", TextLabel char(254)";
    std::string values;
    return WriteLayerTable(
        dbfPath, columns, static_cast<std::int64_t>(rows.size()),
        [&](std::int64_t n) -> std::string {
            const ElementLook& look = rows[static_cast<std::size_t>(n - 1)];
            values = std::to_string(look.level) + "," + std::to_string(look.colorIndex) + "," +
                     std::to_string(look.weight) + "," + std::to_string(look.lineStyle);
            if (withText) {
                values += ",";
                if (look.isText) AppendRowValue(values, look.text);
            }
            return values;
        },
        error);
}

int Fail(std::string* reason, std::string text) {
    if (reason != nullptr) *reason = std::move(text);
    return 0;
}

}  // namespace

}  // namespace vx

extern "C" VX_GDAL_ROUTE int VxGdalDgnImport(const std::string& source, const std::string& target,
                                             std::string* reason) {
    using namespace vx;
    LayerFiles probe;
    if (!LayerFilesFor(target, kKindPoint, false, probe)) {
        return Fail(reason, "the target is not a .vxv file: " + target);
    }
    if (!FileExists(source)) return Fail(reason, "no such file: " + source);
    std::vector<std::string> written;
    try {
        GdalSession session;
        LayerModel model;
        DgnCollector collector(model);
        ReadDrawing(source, collector, session);

        const int kinds = (model.RegionCount > 0) + (model.LineCount > 0) + (model.PointCount > 0);
        if (kinds == 0) {
            std::string why = "no element of the drawing can be converted";
            if (!session.LastError().empty()) why += " (" + session.LastError() + ")";
            return Fail(reason, why);
        }
        // A drawing carries no coordinate system GDAL can report: plane coordinates in the
        // drawing's master units, taken as metres.
        model.Layer.lCoordSys = 1;
        model.Layer.lProjection = -1;
        model.Layer.lDatum = -1;
        model.LayerKind.UnitCode = 8;

        ElementRows& rows = collector.Rows();
        const std::pair<int, const std::vector<ElementLook>*> layers[] = {
            {kKindRegion, &rows.regions}, {kKindLine, &rows.lines}, {kKindPoint, &rows.points}};
        LayerStages stages;
        stages.begin = [&](int, const LayerFiles& files) {
            NameLayerTable(model, NameOf(files.dbf));
            return true;
        };
        std::string error;
        stages.written = [&](int kind, const LayerFiles& files) {
            for (const auto& [layerKind, layerRows] : layers) {
                if (layerKind == kind) return WriteElementTable(files.dbf, *layerRows, error);
            }
            return true;
        };
        if (!WriteLayerSet(model, target, stages, written, error)) throw DgnFailure(error);
        // Members of an earlier set at the same target that this drawing does not have
        // would otherwise pass for part of it.
        std::vector<std::string> stale;
        for (const std::string& file : LayerSetFiles(target)) {
            if (std::find(written.begin(), written.end(), file) == written.end()) {
                stale.push_back(file);
            }
        }
        RemoveFiles(stale);
        if (reason != nullptr) *reason = collector.NotCarried();
        return 1;
    } catch (const DgnFailure& failure) {
        RemoveFiles(written);
        return Fail(reason, failure.what());
    } catch (const std::bad_alloc&) {
        RemoveFiles(written);
        return Fail(reason, "not enough memory for " + source);
    } catch (const std::exception& e) {
        RemoveFiles(written);
        return Fail(reason, e.what());
    }
}
