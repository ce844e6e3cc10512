#include "vxv/layer_writer.h"

#include <bit>
#include <cmath>
#include <limits>
#include <type_traits>

#include "vxv/layer_format.h"

namespace vx {

namespace {

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
