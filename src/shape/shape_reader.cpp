#include "shape/shape_reader.h"

#include "model/geometry.h"
#include "platform/strings.h"
#include "shape/shape_format.h"
#include "vxv/layer_format.h"

namespace vx {

namespace {

constexpr std::uint64_t kVertexSize = 16;
constexpr std::uint64_t kBoxSize = 32;
constexpr std::uint64_t kPointContent = 4 + kVertexSize;     // type, X, Y
constexpr std::uint64_t kMultiPointHead = 4 + kBoxSize + 4;  // type, box, point count
constexpr std::uint64_t kPolyHead = 4 + kBoxSize + 4 + 4;    // type, box, part and point counts

IndexEntry& AddEntry(LayerModel& model, std::int32_t recordNumber) {
    ++model.LayerObjectCount;
    IndexEntry& entry = model.ObjectIndex.emplace_back();
    entry.Flags = 0;
    entry.ObjectNo = recordNumber;
    entry.ObjectKind = model.LayerKind.ObjectKind;
    return entry;
}

PointObject& AddPoint(LayerModel& model, const ShapeStyleDefaults& style) {
    PointObject& point = model.Points.emplace_back();
    point.FontIndex = 1;
    point.PointStyle = style.PointStyle;
    point.PointColor = style.PointColor;
    point.PointSize = style.PointSize;
    point.FontStyle = style.FontStyle;
    point.PointRot = static_cast<float>(style.PointRot);
    return point;
}

// The parts of a polyline or polygon record: the counts, then the start indices checked to
// begin at 0, never to go back and never to pass the point count, so that every part's
// vertex count is what its vertices take up in the record.
template <typename Part>
void ReadParts(const ShapeRecordCursor& record, std::vector<Part>& parts, const Bounds& box) {
    const std::int32_t partCount = record.Int(4 + kBoxSize);
    const std::int32_t pointCount = record.Int(4 + kBoxSize + 4);
    if (partCount < 0 || pointCount < 0) throw ShapeFormatError("negative part or point count");
    const std::uint64_t partsAt = kPolyHead;
    const std::uint64_t pointsAt = partsAt + 4 * static_cast<std::uint64_t>(partCount);
    if (pointsAt + kVertexSize * static_cast<std::uint64_t>(pointCount) > record.ContentLength()) {
        throw ShapeFormatError("part and point counts larger than the record");
    }
    parts.resize(static_cast<std::size_t>(partCount));
    std::int32_t start = 0;
    for (std::int32_t k = 0; k < partCount; ++k) {
        const std::int32_t first = record.Int(partsAt + 4 * static_cast<std::uint64_t>(k));
        const std::int32_t next = k + 1 < partCount
                                      ? record.Int(partsAt + 4 * static_cast<std::uint64_t>(k + 1))
                                      : pointCount;
        if ((k == 0 && first != 0) || first < start || next < first || next > pointCount) {
            throw ShapeFormatError("part start indices out of order");
        }
        start = first;
        Part& part = parts[static_cast<std::size_t>(k)];
        part.VertexCount = next - first;
        CopyBox(box, part);
        record.Vertices(pointsAt + kVertexSize * static_cast<std::uint64_t>(first),
                        part.VertexCount, part.Vertices);
    }
}

}  // namespace

ShapeRecordCursor::ShapeRecordCursor(BinaryReader& file, std::uint64_t position, std::uint64_t end)
    : file_(file), position_(position), end_(end) {}

bool ShapeRecordCursor::NextShape() {
    while (position_ < end_) {
        if (end_ - position_ < kShapeRecordHeaderSize + 4) {
            throw ShapeFormatError("record header cut short");
        }
        const unsigned char* head = file_.Peek(position_, kShapeRecordHeaderSize + 4);
        if (head == nullptr) throw ShapeFormatError("record header cannot be read");
        recordNumber_ = LoadBE<std::int32_t>(head);
        const std::int32_t words = LoadBE<std::int32_t>(head + 4);
        const std::int32_t shapeType = LoadLE<std::int32_t>(head + 8);
        const std::uint64_t left = end_ - position_ - kShapeRecordHeaderSize;
        if (words < 2 || 2 * static_cast<std::uint64_t>(words) > left) {
            throw ShapeFormatError("record content length does not fit the file");
        }
        contentLength_ = 2 * static_cast<std::uint64_t>(words);
        const std::uint64_t contentAt = position_ + kShapeRecordHeaderSize;
        position_ = contentAt + contentLength_;
        // A null shape has nothing after its type, whatever length its writer gave it.
        if (words == 2 || shapeType == kShapeNull) continue;
        content_ = file_.Peek(contentAt, static_cast<std::size_t>(contentLength_));
        if (content_ == nullptr) throw ShapeFormatError("record content cannot be read");
        return true;
    }
    return false;
}

const unsigned char* ShapeRecordCursor::Field(std::uint64_t at, std::uint64_t length) const {
    if (content_ == nullptr || at > contentLength_ || length > contentLength_ - at) {
        throw ShapeFormatError("record shorter than its shape needs");
    }
    return content_ + at;
}

std::int32_t ShapeRecordCursor::Int(std::uint64_t at) const {
    return LoadLE<std::int32_t>(Field(at, 4));
}

double ShapeRecordCursor::Double(std::uint64_t at) const {
    return LoadLE<double>(Field(at, 8));
}

void ShapeRecordCursor::Vertices(std::uint64_t at, std::int32_t count,
                                 std::vector<Vertex>& out) const {
    if (count < 0) throw ShapeFormatError("negative point count");
    const unsigned char* p = Field(at, kVertexSize * static_cast<std::uint64_t>(count));
    out.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i].X = LoadLE<double>(p + i * kVertexSize);
        out[i].Y = LoadLE<double>(p + i * kVertexSize + 8);
    }
}

Bounds ShapeRecordCursor::Box() const {
    const unsigned char* p = Field(4, kBoxSize);
    return {LoadLE<double>(p), LoadLE<double>(p + 8), LoadLE<double>(p + 16),
            LoadLE<double>(p + 24)};
}

void ReadShapePoints(ShapeRecordCursor& records, LayerModel& model,
                     const ShapeStyleDefaults& style) {
    while (records.NextShape()) {
        if (records.ContentLength() < kPointContent)
            throw ShapeFormatError("point record cut short");
        IndexEntry& entry = AddEntry(model, records.RecordNumber());
        PointObject& point = AddPoint(model, style);
        point.VertexCount = 1;
        records.Vertices(4, 1, point.Vertices);
        const Vertex& v = point.Vertices.front();
        point.MinX = point.MaxX = v.X;
        point.MinY = point.MaxY = v.Y;
        entry.MinX = entry.MaxX = v.X;
        entry.MinY = entry.MaxY = v.Y;
    }
}

void ReadShapeMultiPoints(ShapeRecordCursor& records, LayerModel& model,
                          const ShapeStyleDefaults& style) {
    while (records.NextShape()) {
        const Bounds box = records.Box();
        const std::int32_t count = records.Int(4 + kBoxSize);
        IndexEntry& entry = AddEntry(model, records.RecordNumber());
        PointObject& point = AddPoint(model, style);
        CopyBox(box, point);
        CopyBox(box, entry);
        point.VertexCount = count;
        records.Vertices(kMultiPointHead, count, point.Vertices);
    }
}

void ReadShapePlines(ShapeRecordCursor& records, LayerModel& model) {
    while (records.NextShape()) {
        const Bounds box = records.Box();
        IndexEntry& entry = AddEntry(model, records.RecordNumber());
        CopyBox(box, entry);
        LineObject& line = model.Lines.emplace_back();
        line.PenIndex = 1;
        ReadParts(records, line.Parts, box);
        line.PartCount = static_cast<std::int32_t>(line.Parts.size());
    }
}

void ReadShapeRegions(ShapeRecordCursor& records, LayerModel& model) {
    while (records.NextShape()) {
        const Bounds box = records.Box();
        IndexEntry& entry = AddEntry(model, records.RecordNumber());
        CopyBox(box, entry);
        RegionObject& region = model.Regions.emplace_back();
        region.PenIndex = 1;
        region.BrushIndex = 1;
        ReadParts(records, region.Parts, box);
        region.PartCount = static_cast<std::int32_t>(region.Parts.size());
        // Shapefiles store outer rings clockwise and holes counter-clockwise, so a hole is
        // known by its turn, whichever ring comes before it.
        for (RegionPart& ring : region.Parts)
            ring.IsHole = RingIsCounterClockwise(ring.Vertices) ? 1 : 0;
    }
}

ShapeReading ReadShapeFile(const std::string& shpPath, const ShapeStyleDefaults& style,
                           StatusLines& status) {
    ShapeReading reading;
    LayerModel& model = reading.model;
    status.ReportStage("Reading....");

    BinaryReader file;
    std::int32_t fileCode = 0;
    if (!file.Open(shpPath) || !file.ReadBE(0, fileCode) || fileCode != kShapeFileCode) {
        status.ReportStage(shpPath + ",Incorrect Shape Version Code");
        return reading;
    }
    std::int32_t fileWords = 0;
    std::int32_t version = 0;
    std::int32_t shapeType = 0;
    if (!file.ReadBE(kShapeFileLengthAt, fileWords) || !file.ReadLE(kShapeVersionAt, version) ||
        version != kShapeVersion) {
        status.Report("\tInvalid Shape Code");
        return reading;
    }
    try {
        if (!file.ReadLE(kShapeTypeAt, shapeType) || !file.ReadLE(kShapeBoxAt, model.Layer.MinX) ||
            !file.ReadLE(kShapeBoxAt + 8, model.Layer.MinY) ||
            !file.ReadLE(kShapeBoxAt + 16, model.Layer.MaxX) ||
            !file.ReadLE(kShapeBoxAt + 24, model.Layer.MaxY) ||
            !file.Contains(0, kShapeHeaderSize)) {
            throw ShapeFormatError("header cut short");
        }
        // The data ends where the header says; a file shorter than that has lost records.
        const std::uint64_t end = 2 * static_cast<std::uint64_t>(std::max(fileWords, 0));
        if (end > file.Size()) throw ShapeFormatError("file shorter than its header says");
        ShapeRecordCursor records(file, kShapeHeaderSize, end);

        switch (shapeType) {
            case kShapePoint:
                status.ReportStage("Reading Shape Points");
                model.LayerKind.ObjectKind = kKindPoint;
                ReadShapePoints(records, model, style);
                break;
            case kShapePolyLine:
                status.ReportStage("Reading Shape PLines");
                model.LayerKind.ObjectKind = kKindLine;
                ReadShapePlines(records, model);
                break;
            case kShapePolygon:
                status.ReportStage("Reading Shape Region");
                model.LayerKind.ObjectKind = kKindRegion;
                ReadShapeRegions(records, model);
                break;
            case kShapeMultiPoint:
                status.ReportStage("Reading Shape MultiPoints");
                model.LayerKind.ObjectKind = kKindPoint;
                ReadShapeMultiPoints(records, model, style);
                break;
            default:
                break;  // not a kind a layer holds: an empty layer
        }
        model.FileHeader.FormatNumber = kLayerFormatNumber;
    } catch (const ShapeFormatError&) {
        return reading;  // the driver reports the failed import
    }
    reading.ok = true;
    return reading;
}

void PrepareShapeLayer(LayerModel& model, const ShapeStyleDefaults& style) {
    constexpr double kWidening = 0.00001;
    LayerInfo& layer = model.Layer;
    if (layer.MinX == layer.MaxX) {
        layer.MinX -= kWidening;
        layer.MaxX += kWidening;
    }
    if (layer.MinY == layer.MaxY) {
        layer.MinY -= kWidening;
        layer.MaxY += kWidening;
    }
    model.Fonts.Clear();
    model.Fonts.Append(style.FontName, style.FontNameLength);
    model.Pens.Clear();
    model.Pens.Append({style.PenSize, style.PenPattern, style.PenColor});
    model.Brushes.Clear();
    model.Brushes.Append({style.BrushPattern, style.BrushForeColor, style.BrushBackColor});
}

std::optional<Bounds> ReadShapeBox(const std::string& shpPath) {
    BinaryReader file;
    std::int32_t fileCode = 0;
    Bounds box;
    if (!file.Open(shpPath) || !file.ReadBE(0, fileCode) || fileCode != kShapeFileCode ||
        !file.ReadLE(kShapeBoxAt, box.MinX) || !file.ReadLE(kShapeBoxAt + 8, box.MinY) ||
        !file.ReadLE(kShapeBoxAt + 16, box.MaxX) || !file.ReadLE(kShapeBoxAt + 24, box.MaxY))
        return std::nullopt;
    return box;
}

}  // namespace vx
