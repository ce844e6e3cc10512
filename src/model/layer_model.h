#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/style_tables.h"

// The in-memory picture of a vector layer set that every reader fills and every writer
// drains. Plain records; fields in the order the layer files store them. Object arrays are
// std::vector, so object i (1-based, as the files and the stored indices count) is element
// i - 1. Indices stored in objects (PenIndex, BrushIndex, FontIndex) are 1-based.
namespace vx {

// Kind of a layer and of its objects.
enum ObjectKind : std::uint8_t { kKindPoint = 1, kKindLine = 2, kKindRegion = 3 };

// Codes of the object order list: the kinds above, plus what the MIF reader records for
// objects it does not store as their own kind.
inline constexpr std::int32_t kOrderPoint = 1;
inline constexpr std::int32_t kOrderLine = 2;
inline constexpr std::int32_t kOrderRegion = 3;
inline constexpr std::int32_t kOrderText = 4;
inline constexpr std::int32_t kOrderUnsupported = 8;
inline constexpr std::int32_t kOrderNone = 10;
// A collection: kOrderCollection plus the bit of each kind it gave a part to. Its one row
// goes with its part in each of those layers.
inline constexpr std::int32_t kOrderCollection = 16;
constexpr std::int32_t OrderBitOf(int kind) {
    return 1 << (kind - 1);
}
// True when an object of order code `code` has a part in the layer of `kind`.
constexpr bool OrderHasKind(std::int32_t code, int kind) {
    if ((code & ~7) == kOrderCollection) return (code & OrderBitOf(kind)) != 0;
    return code == kind;
}

struct Vertex {
    double X = 0.0;
    double Y = 0.0;
    friend bool operator==(const Vertex&, const Vertex&) = default;
};

struct Bounds {
    double MinX = 0.0;
    double MinY = 0.0;
    double MaxX = 0.0;
    double MaxY = 0.0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

// One point, or one text object stored as a point at its anchor.
struct PointObject {
    std::int32_t VertexCount = 0;
    std::int32_t PointStyle = 0;  // symbol shape; -1 a custom bitmap; 196 texts and defaults
    std::int32_t PointSize = 0;
    std::int32_t PointColor = 0;
    std::int32_t FontIndex = 0;
    std::int32_t FontStyle = 0;
    float PointRot = 0.0f;
    double MinX = 0.0;
    double MinY = 0.0;
    double MaxX = 0.0;
    double MaxY = 0.0;
    std::vector<Vertex> Vertices;
};

struct LinePart {
    std::int32_t VertexCount = 0;
    double MinX = 0.0;
    double MinY = 0.0;
    double MaxX = 0.0;
    double MaxY = 0.0;
    std::vector<Vertex> Vertices;
};

struct LineObject {
    std::int32_t PartCount = 0;
    std::int32_t PenIndex = 0;
    std::vector<LinePart> Parts;
};

struct RegionPart {
    std::uint8_t IsHole = 0;  // 1: lies inside the ring just before it
    std::int32_t VertexCount = 0;
    double MinX = 0.0;
    double MinY = 0.0;
    double MaxX = 0.0;
    double MaxY = 0.0;
    std::vector<Vertex> Vertices;
};

struct RegionObject {
    std::int32_t PartCount = 0;
    std::int32_t PenIndex = 0;
    std::int32_t BrushIndex = 0;
    std::vector<RegionPart> Parts;
};

// One entry of the object index of a layer.
struct IndexEntry {
    std::uint8_t Flags = 0;
    std::int32_t ObjectNo = 0;
    std::uint8_t ObjectKind = 0;
    std::int32_t DataOffset = 0;
    double MinX = 0.0;
    double MinY = 0.0;
    double MaxX = 0.0;
    double MaxY = 0.0;
};

// A coordinate system as a layer holds it: the mode, the projection and datum codes of the
// catalogues (model/projection_catalogue.h, model/datum_catalogue.h) and the projection's
// parameters. The 23 values in the order of the engine's SetAsciiLayerInfo.
struct CoordinateSystem {
    std::uint8_t lCoordSys = 0;  // 0 Earth, 1 NonEarth
    std::int32_t lProjection = 0;
    std::int32_t lDatum = 0;  // below 1: a sphere whose radius is lShiftX
    double lOriginLongitude = 0.0;
    double lOriginLatitude = 0.0;
    double lStdParellel1 = 0.0;
    double lStdParellel2 = 0.0;
    double lAzimuth = 0.0;
    double lScaleFactor = 0.0;
    std::int32_t lFalseEasting = 0;
    std::int32_t lFalseNorthing = 0;
    std::int32_t lRange = 0;
    std::int32_t lAffineUnit = 0;
    double lPoleMeridian = 0.0;
    double lPoleParallel = 0.0;
    double lShiftX = 0.0;
    double lStretchY = 0.0;
    double lSkewY = 0.0;
    double lShiftY = 0.0;
    std::int32_t lUTMZone = 0;
    std::int32_t lYMultiplier = 0;
    std::int32_t lXDisplacement = 0;
    std::int32_t lYDisplacement = 0;
};

// The layer's coordinate system and bounds (stored in the file with the bounds after the
// datum).
struct LayerInfo : CoordinateSystem {
    double MinX = 0.0;
    double MinY = 0.0;
    double Reserved1 = 0.0;  // never set
    double MaxX = 0.0;
    double MaxY = 0.0;
    double Reserved2 = 0.0;  // never set
};

struct LayerKindInfo {
    std::uint8_t Reserved[3] = {0, 0, 0};
    std::uint8_t UnitCode = 0;
    std::uint8_t ObjectKind = 0;
};

// The fifteen Int32 values at the start of a .vxv file.
struct LayerFileHeader {
    std::int32_t FormatNumber = 0;
    std::int32_t LayerInfoOffset = 0;
    std::int32_t LayerInfoSize = 0;
    std::int32_t KindInfoOffset = 0;
    std::int32_t KindInfoSize = 0;
    std::int32_t TableListOffset = 0;
    std::int32_t TableCount = 0;
    std::int32_t FontListOffset = 0;
    std::int32_t FontCount = 0;
    std::int32_t PenTableOffset = 0;
    std::int32_t PenCount = 0;
    std::int32_t BrushTableOffset = 0;
    std::int32_t BrushCount = 0;
    std::int32_t IndexOffset = 0;
    std::int32_t ObjectCount = 0;
};

// Everything the engine holds of the layer set being converted.
struct LayerModel {
    std::int32_t RegionCount = 0;
    std::int32_t LineCount = 0;
    std::int32_t PointCount = 0;
    std::int32_t TextCount = 0;

    std::vector<PointObject> Points;
    std::vector<LineObject> Lines;
    std::vector<RegionObject> Regions;

    PenTable Pens;
    BrushTable Brushes;
    FontTable Fonts;  // FontNames with FontNameLengths

    std::vector<std::string> TableNames;
    std::vector<std::int32_t> TableNameLengths;

    std::vector<IndexEntry> ObjectIndex;
    std::vector<std::int32_t> ObjectOrder;
    std::vector<std::string> TextLabels;

    std::int32_t LayerObjectCount = 0;

    LayerInfo Layer;          // the current layer's description
    LayerKindInfo LayerKind;  // its last byte is the kind being written or read
    LayerFileHeader FileHeader;

    // Find-or-add: the 1-based index of the first equal entry, or of a new last entry.
    std::int32_t FindPenIndex(const PenStyle& pen) { return Pens.FindOrAdd(pen); }
    std::int32_t FindBrushIndex(const BrushStyle& brush) { return Brushes.FindOrAdd(brush); }
    // Font names are compared upper-cased and stored as first given.
    std::int32_t FindFontIndex(const std::string& name) { return Fonts.FindOrAdd(name); }

    // Back to the state of a new job: no objects, empty tables, zero counts.
    void Clear();
};

// The number of each of the first `count` objects, which ties it to that row of the layer's
// table: the ObjectNo of its index entry when the entries number the objects rising from 1
// and within max(count, rows) (a layer imported from a shapefile skips the numbers its null
// records had), otherwise its position.
std::vector<std::int32_t> ObjectNumbers(const LayerModel& model, std::int32_t count,
                                        std::int32_t rows);

// The objects of a layer of one kind, handed out one at a time by their 0-based position, for
// writers that go through them in order. The reference stays valid until the next call: a
// source may read each object from the layer's files into storage it reuses. A source serves
// one thread; failures are thrown.
class ObjectSource {
  public:
    virtual ~ObjectSource() = default;
    virtual const RegionObject& Region(std::size_t i) = 0;
    virtual const LineObject& Line(std::size_t i) = 0;
    virtual const PointObject& Point(std::size_t i) = 0;
};

// Opens a new source over the same objects, one for each thread that writes them.
using ObjectSources = std::function<std::unique_ptr<ObjectSource>()>;

// The sources of objects the model holds in its Regions, Lines and Points.
ObjectSources ModelObjects(const LayerModel& model);

}  // namespace vx
