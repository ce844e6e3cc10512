#include "model/geometry.h"

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

}  // namespace vx
