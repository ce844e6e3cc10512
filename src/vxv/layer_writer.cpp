#include "vxv/layer_writer.h"

#include <bit>
#include <cmath>
#include <limits>
#include <type_traits>

#include "vxv/layer_format.h"

namespace vx {

namespace {

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

void PutVertices(const std::vector<Vertex>& vertices, ByteBuffer& out) {
    static_assert(sizeof(Vertex) == 2 * sizeof(double) && std::is_trivially_copyable_v<Vertex>);
    if constexpr (std::endian::native == std::endian::little) {
        // X then Y as little-endian doubles is exactly how a vertex array lies in memory here.
        out.PutBytes(vertices.data(), vertices.size() * sizeof(Vertex));
    } else {
        for (const Vertex& v : vertices) {
            out.PutLE<double>(v.X);
            out.PutLE<double>(v.Y);
        }
    }
}

template <typename Part>
void PutPartHead(const Part& part, ByteBuffer& out) {
    out.PutLE<std::int32_t>(part.VertexCount);
    out.PutLE<double>(part.MinX);
    out.PutLE<double>(part.MinY);
    out.PutLE<double>(part.MaxX);
    out.PutLE<double>(part.MaxY);
}

// A record's counts must describe exactly what follows them, or the file cannot be read back.
bool CountsMatch(const PointObject& p) {
    return p.VertexCount == static_cast<std::int64_t>(p.Vertices.size());
}
template <typename Object>
bool CountsMatch(const Object& o) {
    if (o.PartCount != static_cast<std::int64_t>(o.Parts.size())) return false;
    for (const auto& part : o.Parts) {
        if (part.VertexCount != static_cast<std::int64_t>(part.Vertices.size())) return false;
    }
    return true;
}

void PutNameList(const std::vector<std::string>& names, const std::vector<std::int32_t>& lengths,
                 ByteBuffer& out) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        // The stored length is written, and exactly that many bytes follow it.
        std::int32_t length =
            i < lengths.size() ? lengths[i] : static_cast<std::int32_t>(names[i].size());
        if (length < 0) length = 0;
        out.PutLE<std::int32_t>(length);
        std::string bytes = names[i];
        bytes.resize(static_cast<std::size_t>(length), ' ');
        out.PutText(bytes);
    }
}

}  // namespace

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

void ApplySphereRadiusRule(LayerInfo& layer) {
    if (layer.lDatum < 1 && !(layer.lShiftX >= 6377200.0 && layer.lShiftX <= 6378500.0)) {
        layer.lShiftX = 6378137.0;
    }
}

void WritePointRecord(const PointObject& p, ByteBuffer& out) {
    out.PutLE<std::int32_t>(p.VertexCount);
    out.PutLE<std::int32_t>(p.PointStyle);
    out.PutLE<std::int32_t>(p.PointSize);
    out.PutLE<std::int32_t>(p.PointColor);
    out.PutLE<std::int32_t>(p.FontIndex);
    out.PutLE<std::int32_t>(p.FontStyle);
    out.PutLE<float>(p.PointRot);
    PutVertices(p.Vertices, out);
}

void WriteLineRecord(const LineObject& line, ByteBuffer& out) {
    out.PutLE<std::int32_t>(line.PartCount);
    out.PutLE<std::int32_t>(line.PenIndex);
    for (const LinePart& part : line.Parts) {
        PutPartHead(part, out);
        PutVertices(part.Vertices, out);
    }
}

void WriteRegionRecord(const RegionObject& region, ByteBuffer& out) {
    out.PutLE<std::int32_t>(region.PartCount);
    out.PutLE<std::int32_t>(region.PenIndex);
    out.PutLE<std::int32_t>(region.BrushIndex);
    for (const RegionPart& ring : region.Parts) {
        out.PutU8(ring.IsHole);
        PutPartHead(ring, out);
        PutVertices(ring.Vertices, out);
    }
}

void WriteLayerHeader(LayerModel& model, BinaryWriter& vxv) {
    LayerFileHeader& h = model.FileHeader;
    h.FormatNumber = kLayerFormatNumber;
    model.LayerKind.Reserved[0] = model.LayerKind.Reserved[1] = model.LayerKind.Reserved[2] = 0;
    ByteBuffer out;
    EncodeLayerFileHeader(h, out);  // completed at offset 0 once the index is written
    h.LayerInfoOffset = kLayerInfoOffset;
    h.LayerInfoSize = kLayerInfoSize;
    EncodeLayerInfo(model.Layer, out);
    h.KindInfoOffset = kKindInfoOffset;
    h.KindInfoSize = kKindInfoSize;
    EncodeLayerKindInfo(model.LayerKind, out);

    auto here = [&] { return static_cast<std::int32_t>(vxv.Position() + out.Size()); };
    h.TableListOffset = here();
    h.TableCount = static_cast<std::int32_t>(model.TableNames.size());
    PutNameList(model.TableNames, model.TableNameLengths, out);
    h.FontListOffset = here();
    h.FontCount = model.Fonts.Count();
    PutNameList(model.Fonts.Names(), model.Fonts.Lengths(), out);
    h.PenTableOffset = here();
    h.PenCount = model.Pens.Count();
    for (const PenStyle& pen : model.Pens.Entries()) {
        out.PutLE<std::int32_t>(pen.PenSize);
        out.PutLE<std::int32_t>(pen.PenPattern);
        out.PutLE<std::int32_t>(pen.PenColor);
    }
    h.BrushTableOffset = here();
    h.BrushCount = model.Brushes.Count();
    for (const BrushStyle& brush : model.Brushes.Entries()) {
        out.PutLE<std::int32_t>(brush.BrushPattern);
        out.PutLE<std::int32_t>(brush.BrushForeColor);
        out.PutLE<std::int32_t>(brush.BrushBackColor);
    }
    vxv.Write(out);
}

bool WriteGeometryRecords(LayerModel& model, int kind, std::int32_t count, BinaryWriter& vxs,
                          std::string& error) {
    ByteBuffer record;
    for (std::int32_t i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (at >= model.ObjectIndex.size()) {
            error = "object index shorter than the object count";
            return false;
        }
        if (vxs.Position() > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
            error = "geometry file larger than a layer can address";
            return false;
        }
        model.ObjectIndex[at].DataOffset = static_cast<std::int32_t>(vxs.Position());
        record.Clear();
        bool consistent = false;
        if (kind == kKindPoint && at < model.Points.size()) {
            consistent = CountsMatch(model.Points[at]);
            WritePointRecord(model.Points[at], record);
        } else if (kind == kKindLine && at < model.Lines.size()) {
            consistent = CountsMatch(model.Lines[at]);
            WriteLineRecord(model.Lines[at], record);
        } else if (kind == kKindRegion && at < model.Regions.size()) {
            consistent = CountsMatch(model.Regions[at]);
            WriteRegionRecord(model.Regions[at], record);
        }
        if (!consistent) {
            error = "object " + std::to_string(i + 1) + " does not match its counts";
            return false;
        }
        vxs.Write(record);
    }
    return true;
}

bool WriteLayer(LayerModel& model, int kind, std::int32_t count, const std::string& vxvPath,
                const std::string& vxsPath, std::string& error) {
    BinaryWriter vxv;
    BinaryWriter vxs;
    if (!vxv.Create(vxvPath)) {
        error = "cannot create " + vxvPath;
        return false;
    }
    if (!vxs.Create(vxsPath)) {
        error = "cannot create " + vxsPath;
        return false;
    }
    model.LayerKind.ObjectKind = static_cast<std::uint8_t>(kind);
    WriteLayerHeader(model, vxv);
    if (!WriteGeometryRecords(model, kind, count, vxs, error)) return false;

    LayerFileHeader& h = model.FileHeader;
    h.IndexOffset = static_cast<std::int32_t>(vxv.Position());
    h.ObjectCount = count;
    ByteBuffer index;
    for (std::int32_t i = 0; i < count; ++i) {
        const IndexEntry& e = model.ObjectIndex[static_cast<std::size_t>(i)];
        index.PutU8(e.Flags);
        index.PutLE<std::int32_t>(e.ObjectNo);
        index.PutU8(e.ObjectKind);
        index.PutLE<std::int32_t>(e.DataOffset);
        index.PutLE<double>(e.MinX);
        index.PutLE<double>(e.MinY);
        index.PutLE<double>(e.MaxX);
        index.PutLE<double>(e.MaxY);
        if (index.Size() >= (1u << 20)) {
            vxv.Write(index);
            index.Clear();
        }
    }
    vxv.Write(index);
    ByteBuffer header;
    EncodeLayerFileHeader(h, header);
    vxv.WriteAt(0, header.Data(), header.Size());
    const bool vxvOk = vxv.Close();
    const bool vxsOk = vxs.Close();
    if (!vxvOk || !vxsOk) {
        error = "cannot write the layer files";
        return false;
    }
    return true;
}

}  // namespace vx
