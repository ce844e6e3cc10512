#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/layer_model.h"

class OGRGeometry;

// The objects of a layer as OGR geometries, and OGR geometries as the objects of a layer.
namespace vx {

// A point object: a point, or a multipoint when it has several vertices; null without one.
std::unique_ptr<OGRGeometry> PointGeometry(const PointObject& point);
// A line object: a line string, or a multilinestring when it has several sections; null
// without a section.
std::unique_ptr<OGRGeometry> LineGeometry(const LineObject& line);
// A region: a polygon, or a multipolygon when it has several outer rings. Which ring is a
// hole, and of which outer ring, is decided by nesting, never by the stored flags. Rings are
// closed where they were stored open. Null without a ring.
std::unique_ptr<OGRGeometry> RegionGeometry(const RegionObject& region);

// What one feature's geometry becomes: at most one object of each kind.
struct FeatureObjects {
    std::vector<Vertex> points;              // one point object, several vertices for a multipoint
    std::vector<std::vector<Vertex>> lines;  // the sections of one line object
    std::vector<RegionPart> rings;           // the rings of one region, holes after their ring
    bool Empty() const { return points.empty() && lines.empty() && rings.empty(); }
    int Kinds() const { return !points.empty() + !lines.empty() + !rings.empty(); }
};

// What a layer cannot hold of a geometry, noted as it is met.
struct GeometryLosses {
    bool heights = false;      // Z or M values
    bool unsupported = false;  // a kind of geometry the layer has no objects for
    bool notNumbers = false;   // coordinates that are not finite numbers: the feature is left out
};

// Splits a geometry into the objects a layer set holds. False when the feature cannot be
// kept at all (its losses say why); an empty result means the feature has no geometry.
bool SplitGeometry(const OGRGeometry& geometry, FeatureObjects& objects, GeometryLosses& losses);

}  // namespace vx
