#include "model/geometry.h"

#include <algorithm>
#include <cmath>

#include <algorithm>

namespace vx {

bool RingIsCounterClockwise(std::span<const Vertex> vertices) {
    double sum = 0.0;
    for (std::size_t i = 1; i < vertices.size(); ++i)
        sum += vertices[i - 1].X * vertices[i].Y - vertices[i].X * vertices[i - 1].Y;
    return sum > 0.0;
}

namespace {

// Bounds of a part from its vertices; false when it has none.
template <typename Part>
bool PartBounds(Part& part) {
    if (part.Vertices.empty()) return false;
    StartBox(part, part.Vertices.front());
    for (const Vertex& v : part.Vertices)
        WidenBox(part, v);
    return true;
}

template <typename Object>
bool MultiPartBounds(Object& object, IndexEntry& entry) {
    if (object.Parts.empty() || object.Parts.front().Vertices.empty()) return false;
    StartBox(entry, object.Parts.front().Vertices.front());
    for (auto& part : object.Parts) {
        if (!PartBounds(part)) return false;
        WidenBox(entry, part);
    }
    return true;
}

struct AffineMap {
    double factor;
    Vertex offset;
    double X(double x) const { return x * factor + offset.X; }
    double Y(double y) const { return y * factor + offset.Y; }

    template <typename Box>
    void ApplyToBox(Box& box) const {
        box.MinX = X(box.MinX);
        box.MinY = Y(box.MinY);
        box.MaxX = X(box.MaxX);
        box.MaxY = Y(box.MaxY);
    }
    void ApplyTo(std::vector<Vertex>& vertices) const {
        for (Vertex& v : vertices) {
            v.X = X(v.X);
            v.Y = Y(v.Y);
        }
    }
    template <typename Object>
    void ApplyToParts(Object& object) const {
        for (auto& part : object.Parts) {
            ApplyToBox(part);
            ApplyTo(part.Vertices);
        }
    }
};

enum class Where { kOutside, kInside, kBoundary };

// Even-odd location of a point against a ring, closed from its last vertex to its first.
// Points on an edge are told apart, so that rings that touch do not decide each other.
Where Locate(const std::vector<Vertex>& ring, const Vertex& p) {
    bool inside = false;
    const std::size_t n = ring.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Vertex& a = ring[i];
        const Vertex& b = ring[(i + 1) % n];
        const double cross = (b.X - a.X) * (p.Y - a.Y) - (b.Y - a.Y) * (p.X - a.X);
        if (cross == 0.0 && std::min(a.X, b.X) <= p.X && p.X <= std::max(a.X, b.X) &&
            std::min(a.Y, b.Y) <= p.Y && p.Y <= std::max(a.Y, b.Y)) {
            return Where::kBoundary;
        }
        if ((a.Y > p.Y) != (b.Y > p.Y)) {
            const double x = a.X + (p.Y - a.Y) * (b.X - a.X) / (b.Y - a.Y);
            if (p.X < x) inside = !inside;
        }
    }
    return inside ? Where::kInside : Where::kOutside;
}

Bounds BoxOf(const std::vector<Vertex>& ring) {
    Bounds box;
    StartBox(box, ring.front());
    for (const Vertex& v : ring)
        WidenBox(box, v);
    return box;
}

bool BoxWithin(const Bounds& inner, const Bounds& outer) {
    return inner.MinX >= outer.MinX && inner.MaxX <= outer.MaxX && inner.MinY >= outer.MinY &&
           inner.MaxY <= outer.MaxY;
}

// Ring a lies inside ring b when its first vertex off b's edges is inside b.
bool RingInside(const std::vector<Vertex>& a, const std::vector<Vertex>& b) {
    for (const Vertex& v : a) {
        const Where where = Locate(b, v);
        if (where != Where::kBoundary) return where == Where::kInside;
    }
    return false;  // the same ring twice
}

}  // namespace

std::vector<Vertex> BoxPoints(const Bounds& box) {
    return {{box.MinX, box.MinY},
            {box.MinX, box.MaxY},
            {box.MaxX, box.MinY},
            {box.MaxX, box.MaxY},
            {(box.MinX + box.MaxX) / 2.0, (box.MinY + box.MaxY) / 2.0}};
}

void ScaleAndShift(LayerModel& model, double factor, Vertex offset) {
    if (factor == 1.0 && offset == Vertex{}) return;
    const AffineMap map{factor, offset};
    for (PointObject& point : model.Points) {
        map.ApplyToBox(point);
        map.ApplyTo(point.Vertices);
    }
    for (LineObject& line : model.Lines)
        map.ApplyToParts(line);
    for (RegionObject& region : model.Regions)
        map.ApplyToParts(region);
    for (IndexEntry& entry : model.ObjectIndex)
        map.ApplyToBox(entry);
    map.ApplyToBox(model.Layer);
}

std::vector<bool> RingHoleRoles(const std::vector<RegionPart>& rings) {
    std::vector<Bounds> boxes;
    boxes.reserve(rings.size());
    for (const RegionPart& ring : rings)
        boxes.push_back(ring.Vertices.empty() ? Bounds{} : BoxOf(ring.Vertices));
    std::vector<bool> holes(rings.size(), false);
    for (std::size_t i = 0; i < rings.size(); ++i) {
        if (rings[i].Vertices.empty()) continue;
        bool odd = false;
        for (std::size_t j = 0; j < rings.size(); ++j) {
            if (j == i || rings[j].Vertices.size() < 3) continue;
            if (!BoxWithin(boxes[i], boxes[j])) continue;
            if (RingInside(rings[i].Vertices, rings[j].Vertices)) odd = !odd;
        }
        holes[i] = odd;
    }
    return holes;
}

std::vector<std::vector<std::size_t>> RingPolygons(const std::vector<RegionPart>& rings) {
    const std::vector<bool> holes = RingHoleRoles(rings);
    std::vector<std::vector<std::size_t>> polygons;
    std::vector<std::size_t> polygonOf(rings.size(), rings.size());
    for (std::size_t i = 0; i < rings.size(); ++i) {
        if (holes[i] || rings[i].Vertices.empty()) continue;
        polygonOf[i] = polygons.size();
        polygons.push_back({i});
    }
    for (std::size_t i = 0; i < rings.size(); ++i) {
        if (!holes[i] || rings[i].Vertices.empty()) continue;
        // Of the outer rings around it, the smallest is the one it is cut out of: any other
        // lies around a hole that lies around this one.
        const Bounds box = BoxOf(rings[i].Vertices);
        std::size_t owner = rings.size();
        double ownerArea = 0.0;
        for (std::size_t j = 0; j < rings.size(); ++j) {
            if (polygonOf[j] == rings.size() || rings[j].Vertices.size() < 3) continue;
            const Bounds around = BoxOf(rings[j].Vertices);
            if (!BoxWithin(box, around) || !RingInside(rings[i].Vertices, rings[j].Vertices)) {
                continue;
            }
            const double area = (around.MaxX - around.MinX) * (around.MaxY - around.MinY);
            if (owner == rings.size() || area < ownerArea) {
                owner = j;
                ownerArea = area;
            }
        }
        if (owner == rings.size()) {
            polygons.push_back({i});  // inside an odd number of rings but no outer one
        } else {
            polygons[polygonOf[owner]].push_back(i);
        }
    }
    return polygons;
}

bool ComputeLayerBounds(LayerModel& model, int kind, std::int32_t count) {
    model.ObjectIndex.assign(static_cast<std::size_t>(std::max(count, 0)), IndexEntry{});
    LayerInfo& layer = model.Layer;
    for (std::int32_t i = 0; i < count; ++i) {
        IndexEntry& entry = model.ObjectIndex[static_cast<std::size_t>(i)];
        entry.Flags = 0;
        entry.ObjectNo = i + 1;
        entry.ObjectKind = static_cast<std::uint8_t>(kind);
        bool ok = false;
        if (kind == kKindPoint) {
            if (static_cast<std::size_t>(i) < model.Points.size()) {
                PointObject& point = model.Points[static_cast<std::size_t>(i)];
                ok = PartBounds(point);
                if (ok) {
                    StartBox(entry, point.Vertices.front());
                    WidenBox(entry, point);
                }
            }
        } else if (kind == kKindLine) {
            if (static_cast<std::size_t>(i) < model.Lines.size()) {
                ok = MultiPartBounds(model.Lines[static_cast<std::size_t>(i)], entry);
            }
        } else if (kind == kKindRegion) {
            if (static_cast<std::size_t>(i) < model.Regions.size()) {
                ok = MultiPartBounds(model.Regions[static_cast<std::size_t>(i)], entry);
            }
        }
        if (!ok) return false;
        if (i == 0) {
            layer.MinX = entry.MinX;
            layer.MinY = entry.MinY;
            layer.MaxX = entry.MaxX;
            layer.MaxY = entry.MaxY;
        }
        WidenBox(layer, entry);
    }
    return true;
}

bool PointInRing(const std::vector<Vertex>& ring, const Vertex& p) {
    const double kPi = 3.14159265;
    const std::size_t n = ring.size();
    if (n == 0) return false;
    auto angle = [&](const Vertex& a, const Vertex& b) -> float {
        const float dot = static_cast<float>((a.X - p.X) * (b.X - p.X) + (a.Y - p.Y) * (b.Y - p.Y));
        const float cross =
            static_cast<float>((b.Y - p.Y) * (a.X - p.X) - (b.X - p.X) * (a.Y - p.Y));
        float result;
        if (std::fabs(dot) >= 0.0001f) {
            result = static_cast<float>(std::fabs(std::atan(static_cast<double>(cross / dot))));
        } else {
            result = static_cast<float>(kPi / 2);
        }
        if (dot < 0) result = static_cast<float>(kPi - result);
        if (cross < 0) result = -result;
        return result;
    };
    double sum = angle(ring[n - 1], ring[0]);
    for (std::size_t k = 0; k + 1 < n; ++k)
        sum += angle(ring[k], ring[k + 1]);
    return std::fabs(sum) > 0.000001;
}

void CheckRegionHoles(LayerModel& model, std::int32_t count) {
    auto overlap = [](const RegionPart& a, const RegionPart& b) {
        const double w1 = a.MaxX - a.MinX, h1 = a.MaxY - a.MinY;
        const double w2 = b.MaxX - b.MinX, h2 = b.MaxY - b.MinY;
        const double cx1 = a.MinX + w1 / 2, cy1 = a.MinY + h1 / 2;
        const double cx2 = b.MinX + w2 / 2, cy2 = b.MinY + h2 / 2;
        return std::fabs(cx1 - cx2) < std::fabs(w1 / 2) + std::fabs(w2 / 2) &&
               std::fabs(cy1 - cy2) < std::fabs(h1 / 2) + std::fabs(h2 / 2);
    };
    const auto last =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), model.Regions.size());
    for (std::size_t r = 0; r < last; ++r) {
        auto& parts = model.Regions[r].Parts;
        for (std::size_t j = 1; j < parts.size(); ++j) {
            RegionPart& ring = parts[j];
            if (ring.IsHole == 0) continue;
            const RegionPart& before = parts[j - 1];
            bool inside = false;
            if (overlap(before, ring)) {
                for (const Vertex& v : ring.Vertices) {
                    if (PointInRing(before.Vertices, v)) {
                        inside = true;
                        break;
                    }
                }
            }
            if (!inside) ring.IsHole = 0;
        }
    }
}

}  // namespace vx
