#include "gdal_plugin/feature_geometry.h"

#include <cmath>

#include <ogr_geometry.h>

#include "model/geometry.h"

namespace vx {

namespace {

void AddVertices(OGRSimpleCurve& curve, const std::vector<Vertex>& vertices, bool close) {
    curve.setNumPoints(static_cast<int>(vertices.size()) + (close ? 1 : 0), FALSE);
    int at = 0;
    for (const Vertex& v : vertices)
        curve.setPoint(at++, v.X, v.Y);
    if (close) curve.setPoint(at, vertices.front().X, vertices.front().Y);
}

std::unique_ptr<OGRLinearRing> RingOf(const std::vector<Vertex>& vertices) {
    auto ring = std::make_unique<OGRLinearRing>();
    AddVertices(*ring, vertices, !vertices.empty() && !(vertices.front() == vertices.back()));
    return ring;
}

}  // namespace

std::unique_ptr<OGRGeometry> PointGeometry(const PointObject& point) {
    if (point.Vertices.empty()) return nullptr;
    if (point.Vertices.size() == 1) {
        return std::make_unique<OGRPoint>(point.Vertices.front().X, point.Vertices.front().Y);
    }
    auto points = std::make_unique<OGRMultiPoint>();
    for (const Vertex& v : point.Vertices)
        points->addGeometryDirectly(new OGRPoint(v.X, v.Y));
    return points;
}

std::unique_ptr<OGRGeometry> LineGeometry(const LineObject& line) {
    std::vector<std::unique_ptr<OGRLineString>> sections;
    for (const LinePart& part : line.Parts) {
        if (part.Vertices.empty()) continue;
        auto section = std::make_unique<OGRLineString>();
        AddVertices(*section, part.Vertices, false);
        sections.push_back(std::move(section));
    }
    if (sections.empty()) return nullptr;
    if (sections.size() == 1) return std::move(sections.front());
    auto lines = std::make_unique<OGRMultiLineString>();
    for (auto& section : sections)
        lines->addGeometryDirectly(section.release());
    return lines;
}

std::unique_ptr<OGRGeometry> RegionGeometry(const RegionObject& region) {
    std::vector<std::unique_ptr<OGRPolygon>> polygons;
    for (const std::vector<std::size_t>& rings : RingPolygons(region.Parts)) {
        auto polygon = std::make_unique<OGRPolygon>();
        for (std::size_t ring : rings)
            polygon->addRingDirectly(RingOf(region.Parts[ring].Vertices).release());
        polygons.push_back(std::move(polygon));
    }
    if (polygons.empty()) return nullptr;
    if (polygons.size() == 1) return std::move(polygons.front());
    auto multi = std::make_unique<OGRMultiPolygon>();
    for (auto& polygon : polygons)
        multi->addGeometryDirectly(polygon.release());
    return multi;
}

namespace {

class Splitter {
  public:
    Splitter(FeatureObjects& objects, GeometryLosses& losses)
        : objects_(objects), losses_(losses) {}

    // False when a coordinate is not a number.
    bool Add(const OGRGeometry& geometry) {
        if (geometry.IsEmpty()) return true;
        if (geometry.Is3D() || geometry.IsMeasured()) losses_.heights = true;
        const OGRwkbGeometryType type = wkbFlatten(geometry.getGeometryType());
        switch (type) {
            case wkbPoint: {
                const OGRPoint& point = *geometry.toPoint();
                if (!Finite(point.getX(), point.getY())) return false;
                objects_.points.push_back({point.getX(), point.getY()});
                return true;
            }
            case wkbLineString:
            case wkbLinearRing: {
                std::vector<Vertex> section;
                if (!Vertices(*geometry.toSimpleCurve(), section)) return false;
                if (!section.empty()) objects_.lines.push_back(std::move(section));
                return true;
            }
            case wkbPolygon:
                return AddPolygon(*geometry.toPolygon());
            case wkbMultiPoint:
            case wkbMultiLineString:
            case wkbMultiPolygon:
            case wkbGeometryCollection:
                for (const OGRGeometry* member : *geometry.toGeometryCollection()) {
                    if (!Add(*member)) return false;
                }
                return true;
            case wkbPolyhedralSurface:
            case wkbTIN: {
                // Their faces are polygons.
                std::unique_ptr<OGRGeometry> faces(
                    OGRGeometryFactory::forceToMultiPolygon(geometry.clone()));
                return faces != nullptr && Add(*faces);
            }
            default:
                break;
        }
        // GDAL hands over curves as straight segments already; any that come are made so.
        if (geometry.hasCurveGeometry()) {
            std::unique_ptr<OGRGeometry> linear(geometry.getLinearGeometry());
            return linear != nullptr && !linear->hasCurveGeometry() && Add(*linear);
        }
        losses_.unsupported = true;
        return true;
    }

  private:
    static bool Finite(double x, double y) { return std::isfinite(x) && std::isfinite(y); }

    static bool Vertices(const OGRSimpleCurve& curve, std::vector<Vertex>& out) {
        out.reserve(static_cast<std::size_t>(curve.getNumPoints()));
        for (int i = 0; i < curve.getNumPoints(); ++i) {
            if (!Finite(curve.getX(i), curve.getY(i))) return false;
            out.push_back({curve.getX(i), curve.getY(i)});
        }
        return true;
    }

    // The outer ring, then its holes, each hole marked as lying inside the ring before it:
    // the hole check of the writer clears the mark where that is not so.
    bool AddPolygon(const OGRPolygon& polygon) {
        bool outer = true;
        for (const OGRLinearRing* ring : polygon) {
            RegionPart part;
            if (!Vertices(*ring, part.Vertices)) return false;
            if (part.Vertices.empty()) {
                if (outer) return true;  // a polygon's holes mean nothing without its outline
                continue;
            }
            part.IsHole = outer ? 0 : 1;
            part.VertexCount = static_cast<std::int32_t>(part.Vertices.size());
            objects_.rings.push_back(std::move(part));
            outer = false;
        }
        return true;
    }

    FeatureObjects& objects_;
    GeometryLosses& losses_;
};

}  // namespace

bool SplitGeometry(const OGRGeometry& geometry, FeatureObjects& objects, GeometryLosses& losses) {
    objects = FeatureObjects{};
    Splitter splitter(objects, losses);
    if (!splitter.Add(geometry)) {
        losses.notNumbers = true;
        objects = FeatureObjects{};
        return false;
    }
    if (!objects.rings.empty()) objects.rings.front().IsHole = 0;
    return true;
}

}  // namespace vx
