#include "model/geometry.h"

#include <algorithm>

namespace vx {

bool RingIsCounterClockwise(std::span<const Vertex> vertices) {
    double sum = 0.0;
    for (std::size_t i = 1; i < vertices.size(); ++i)
        sum += vertices[i - 1].X * vertices[i].Y - vertices[i].X * vertices[i - 1].Y;
    return sum > 0.0;
}

namespace {

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
    Bounds box{ring.front().X, ring.front().Y, ring.front().X, ring.front().Y};
    for (const Vertex& v : ring) {
        box.MinX = std::min(box.MinX, v.X);
        box.MinY = std::min(box.MinY, v.Y);
        box.MaxX = std::max(box.MaxX, v.X);
        box.MaxY = std::max(box.MaxY, v.Y);
    }
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

}  // namespace vx
