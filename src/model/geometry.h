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
