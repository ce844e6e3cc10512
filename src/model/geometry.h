#pragma once

#include <span>
#include <vector>

#include "model/layer_model.h"

namespace vx {

// Degrees to radians with the engine's own value of pi, so that arcs and ellipses come out
// the same on every platform.
inline double DegToRad(double degrees) {
    return degrees * 3.14159265358979 / 180.0;
}

// Orientation of a ring by the sign of its shoelace sum over consecutive vertices. The step
// from the last vertex back to the first is left out: rings are stored closed, and files that
// leave them open have always been judged this way. Fewer than two vertices, or a zero sum,
// count as clockwise.
bool RingIsCounterClockwise(std::span<const Vertex> vertices);

// A box (Bounds, or any record with MinX, MinY, MaxX and MaxY) started at a vertex, and
// widened to take in a vertex or another box. Comparisons are strict, so of two equal values
// the earlier stays.
template <typename Box>
void StartBox(Box& box, const Vertex& v) {
    box.MinX = v.X;
    box.MinY = v.Y;
    box.MaxX = v.X;
    box.MaxY = v.Y;
}

template <typename Box, typename Other>
void WidenBox(Box& box, const Other& by) {
    if (box.MinX > by.MinX) box.MinX = by.MinX;
    if (box.MinY > by.MinY) box.MinY = by.MinY;
    if (box.MaxX < by.MaxX) box.MaxX = by.MaxX;
    if (box.MaxY < by.MaxY) box.MaxY = by.MaxY;
}

template <typename Box>
void WidenBox(Box& box, const Vertex& v) {
    if (box.MinX > v.X) box.MinX = v.X;
    if (box.MinY > v.Y) box.MinY = v.Y;
    if (box.MaxX < v.X) box.MaxX = v.X;
    if (box.MaxY < v.Y) box.MaxY = v.Y;
}

// The bounds pass over the objects 1..count of a kind: the bounds of every part, of every
// object (in a new object index whose entry i is object i) and of the layer. Comparisons are
// strict, so of two equal values the earlier stays. False when an object has no part or a
// part no vertex to start from.
bool ComputeLayerBounds(LayerModel& model, int kind, std::int32_t count);

// Clears IsHole of every ring (after the first) that does not lie inside the ring just before
// it: their boxes must overlap and one of its vertices must lie inside that ring.
void CheckRegionHoles(LayerModel& model, std::int32_t count);

// The winding test of the hole check: the summed angles the ring's edges subtend at the
// point, with the same 32-bit rounding and constants as every stored layer was checked with.
bool PointInRing(const std::vector<Vertex>& ring, const Vertex& point);

// One box's corners copied onto another record that has them.
template <typename To, typename From>
void CopyBox(const From& from, To& to) {
    to.MinX = from.MinX;
    to.MinY = from.MinY;
    to.MaxX = from.MaxX;
    to.MaxY = from.MaxY;
}

// The corners and centre of a box: the points by which two coordinate systems are compared.
std::vector<Vertex> BoxPoints(const Bounds& box);

// Takes every coordinate of the model's objects, their boxes, index entries and the layer's
// bounds to coordinate * factor + offset (a factor above 0), as when a layer's coordinates
// change unit or its false origin moves.
void ScaleAndShift(LayerModel& model, double factor, Vertex offset);

// Which rings of a region are holes: those lying inside an odd number of the region's other
// rings. A layer's own IsHole flags cannot say it, since they only tie a hole to the ring just
// before it.
std::vector<bool> RingHoleRoles(const std::vector<RegionPart>& rings);

// The rings of a region grouped into polygons, by position: each ring that is no hole, then
// the holes whose nearest enclosing ring it is, in ring order. Rings without vertices belong
// to no polygon.
std::vector<std::vector<std::size_t>> RingPolygons(const std::vector<RegionPart>& rings);

}  // namespace vx
