#include "vxv/layer_reader.h"

#include "model/geometry.h"
#include "platform/binary_file.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "vxv/layer_format.h"

namespace vx {

namespace {

constexpr std::size_t kPointHead = 28;     // seven Int32/Float32 fields
constexpr std::size_t kPartHead = 4 + 32;  // VertexCount and the four bounds
constexpr std::size_t kVertexSize = 16;

// Reads records from the .vxs, each field checked against the file's size.
class RecordCursor {
  public:
    RecordCursor(BinaryReader& file, std::uint64_t at) : file_(file), at_(at) {}
    std::uint64_t Remaining() const { return file_.Size() >= at_ ? file_.Size() - at_ : 0; }
    std::uint64_t Position() const { return at_; }
    const unsigned char* Take(std::size_t length) {
        const unsigned char* p = file_.Peek(at_, length);
        if (p == nullptr) throw LayerReadError("record runs past the end of the geometry file");
        at_ += length;
        return p;
    }
    std::int32_t I32() { return LoadLE<std::int32_t>(Take(4)); }
    double F64() { return LoadLE<double>(Take(8)); }
    // A count that the bytes left must be able to hold, `each` bytes per counted item.
    std::int32_t Count(std::size_t each) {
        std::int32_t n = I32();
        if (n < 0 || static_cast<std::uint64_t>(n) * each > Remaining()) {
            throw LayerReadError("count larger than the geometry file can hold");
        }
        return n;
    }
    void Vertices(std::int32_t count, std::vector<Vertex>& out) {
        out.resize(static_cast<std::size_t>(count));
        if (count == 0) return;
        const unsigned char* p = Take(static_cast<std::size_t>(count) * kVertexSize);
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i].X = LoadLE<double>(p + i * kVertexSize);
            out[i].Y = LoadLE<double>(p + i * kVertexSize + 8);
        }
    }

  private:
    BinaryReader& file_;
    std::uint64_t at_;
};

template <typename Part>
void ReadPartHead(RecordCursor& c, Part& part) {
    part.VertexCount = c.Count(kVertexSize);
    part.MinX = c.F64();
    part.MinY = c.F64();
    part.MaxX = c.F64();
    part.MaxY = c.F64();
    c.Vertices(part.VertexCount, part.Vertices);
}

void ReadPointRecord(RecordCursor& c, PointObject& p) {
    const unsigned char* head = c.Take(kPointHead);
    p.VertexCount = LoadLE<std::int32_t>(head);
    p.PointStyle = LoadLE<std::int32_t>(head + 4);
    p.PointSize = LoadLE<std::int32_t>(head + 8);
    p.PointColor = LoadLE<std::int32_t>(head + 12);
    p.FontIndex = LoadLE<std::int32_t>(head + 16);
    p.FontStyle = LoadLE<std::int32_t>(head + 20);
    p.PointRot = LoadLE<float>(head + 24);
    if (p.VertexCount < 0 ||
        static_cast<std::uint64_t>(p.VertexCount) * kVertexSize > c.Remaining()) {
        throw LayerReadError("count larger than the geometry file can hold");
    }
    c.Vertices(p.VertexCount, p.Vertices);
}

template <typename Line>
void ReadLineRecord(RecordCursor& c, Line& line) {
    line.PartCount = c.Count(kPartHead);
    line.PenIndex = c.I32();
    line.Parts.resize(static_cast<std::size_t>(line.PartCount));
    for (auto& part : line.Parts)
        ReadPartHead(c, part);
}

template <typename Region>
void ReadRegionRecord(RecordCursor& c, Region& region) {
    region.PartCount = c.Count(1 + kPartHead);
    region.PenIndex = c.I32();
    region.BrushIndex = c.I32();
    region.Parts.resize(static_cast<std::size_t>(region.PartCount));
    for (auto& ring : region.Parts) {
        ring.IsHole = *c.Take(1);
        ReadPartHead(c, ring);
    }
}

// Checks that `count` entries of `each` bytes fit in the file at `offset`.
void CheckSection(const BinaryReader& file, std::int64_t offset, std::int32_t count,
                  std::size_t each, const char* what) {
    if (count < 0 || offset < 0 ||
        !file.Contains(static_cast<std::uint64_t>(offset),
                       static_cast<std::uint64_t>(count) * each)) {
        throw LayerReadError(std::string(what) + " does not fit in the layer file");
    }
}

void ReadStyleTables(BinaryReader& vxv, LayerModel& m, bool brushes) {
    const LayerFileHeader& h = m.FileHeader;
    CheckSection(vxv, h.PenTableOffset, h.PenCount, kStyleEntrySize, "pen table");
    for (std::int32_t i = 0; i < h.PenCount; ++i) {
        const unsigned char* p = vxv.Peek(
            static_cast<std::uint64_t>(h.PenTableOffset) + 12u * static_cast<std::uint64_t>(i), 12);
        m.Pens.Append(
            {LoadLE<std::int32_t>(p), LoadLE<std::int32_t>(p + 4), LoadLE<std::int32_t>(p + 8)});
    }
    if (!brushes) return;
    CheckSection(vxv, h.BrushTableOffset, h.BrushCount, kStyleEntrySize, "brush table");
    for (std::int32_t i = 0; i < h.BrushCount; ++i) {
        const unsigned char* p = vxv.Peek(
            static_cast<std::uint64_t>(h.BrushTableOffset) + 12u * static_cast<std::uint64_t>(i),
            12);
        m.Brushes.Append(
            {LoadLE<std::int32_t>(p), LoadLE<std::int32_t>(p + 4), LoadLE<std::int32_t>(p + 8)});
    }
}

// Where object `i`'s record starts, refused when the index points outside the geometry file.
std::uint64_t RecordStart(const IndexEntry& entry, std::size_t i, const BinaryReader& vxs) {
    if (entry.DataOffset < 0 || static_cast<std::uint64_t>(entry.DataOffset) >= vxs.Size()) {
        throw LayerReadError("object " + std::to_string(i + 1) +
                             " points outside the geometry file");
    }
    return static_cast<std::uint64_t>(entry.DataOffset);
}

// Records never share bytes, so all of them together are no longer than the geometry file;
// index entries that point at one record over and over are refused instead of reading it
// again and again.
void CountRecordBytes(std::uint64_t& total, std::uint64_t start, std::uint64_t end,
                      const BinaryReader& vxs) {
    total += end - start;
    if (total > vxs.Size()) throw LayerReadError("records overlap in the geometry file");
}

IndexEntry DecodeIndexEntry(const unsigned char* p) {
    IndexEntry e;
    e.Flags = p[0];
    e.ObjectNo = LoadLE<std::int32_t>(p + 1);
    e.ObjectKind = p[5];
    e.DataOffset = LoadLE<std::int32_t>(p + 6);
    e.MinX = LoadLE<double>(p + 10);
    e.MinY = LoadLE<double>(p + 18);
    e.MaxX = LoadLE<double>(p + 26);
    e.MaxY = LoadLE<double>(p + 34);
    return e;
}

void ReadObjects(BinaryReader& vxv, BinaryReader& vxs, LayerModel& m, LayerTarget target,
                 StatusLines* progress) {
    const LayerFileHeader& h = m.FileHeader;
    const int kind = m.LayerKind.ObjectKind;
    // The object count is believed only as far as the index holds it, whatever the kind: the
    // writers make a row or a number for every object counted.
    CheckSection(vxv, h.IndexOffset, h.ObjectCount, kIndexEntrySize, "object index");
    if (kind != kKindPoint && kind != kKindLine && kind != kKindRegion) return;
    const auto count = static_cast<std::size_t>(h.ObjectCount);
    // Room for the objects themselves only when they are read now.
    const std::size_t held = target == LayerTarget::kIndex ? 0 : count;

    if (kind == kKindRegion) {
        if (progress != nullptr) progress->ReportStage("Reading Regions");
        ReadStyleTables(vxv, m, true);
        m.Regions.resize(held);
    } else if (kind == kKindLine) {
        if (progress != nullptr) progress->ReportStage("Reading Lines");
        ReadStyleTables(vxv, m, false);
        m.Lines.resize(held);
    } else {
        if (progress != nullptr) progress->ReportStage("Reading Points");
        CheckSection(vxv, h.FontListOffset, h.FontCount, 4, "font name list");
        std::vector<std::string> names;
        std::vector<std::int32_t> lengths;
        if (!ReadNameList(vxv, h.FontListOffset, h.FontCount, names, lengths)) {
            throw LayerReadError("font name list runs past the end of the layer file");
        }
        for (std::size_t i = 0; i < names.size(); ++i)
            m.Fonts.Append(names[i], lengths[i]);
        m.Points.resize(held);
    }
    m.ObjectIndex.resize(count);

    std::uint64_t recordBytes = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* p = vxv.Peek(
            static_cast<std::uint64_t>(h.IndexOffset) + kIndexEntrySize * i, kIndexEntrySize);
        if (p == nullptr) throw LayerReadError("object index runs past the end of the layer file");
        const IndexEntry entry = DecodeIndexEntry(p);
        m.ObjectIndex[i] = entry;
        if (target == LayerTarget::kIndex) continue;
        const std::uint64_t start = RecordStart(entry, i, vxs);
        RecordCursor cursor(vxs, start);
        if (kind == kKindRegion) {
            ReadRegionRecord(cursor, m.Regions[i]);
        } else if (kind == kKindLine) {
            ReadLineRecord(cursor, m.Lines[i]);
        } else {
            ReadPointRecord(cursor, m.Points[i]);
        }
        CountRecordBytes(recordBytes, start, cursor.Position(), vxs);
    }
}

}  // namespace

bool ReadLayerData(LayerModel& m, const std::string& vxvPath, const std::string& vxsPath,
                   LayerTarget target, StatusLines* progress, std::string& error) {
    try {
        BinaryReader vxv;
        if (!vxv.Open(vxvPath)) throw LayerReadError("cannot open " + vxvPath);
        if (!ReadLayerFileHeader(vxv, m.FileHeader))
            throw LayerReadError("layer file header cut short");
        const LayerFileHeader& h = m.FileHeader;
        CheckSection(vxv, h.LayerInfoOffset, 1, kLayerInfoSize, "layer description");
        CheckSection(vxv, h.KindInfoOffset, 1, kKindInfoSize, "layer kind");
        DecodeLayerInfo(vxv.Peek(static_cast<std::uint64_t>(h.LayerInfoOffset), kLayerInfoSize),
                        m.Layer);
        DecodeLayerKindInfo(vxv.Peek(static_cast<std::uint64_t>(h.KindInfoOffset), kKindInfoSize),
                            m.LayerKind);
        if (!ReadNameList(vxv, h.TableListOffset, h.TableCount, m.TableNames, m.TableNameLengths)) {
            throw LayerReadError("table name list does not fit in the layer file");
        }
        if (h.ObjectCount < 0) throw LayerReadError("negative object count");
        m.LayerObjectCount = h.ObjectCount;
        BinaryReader vxs;
        if (!vxs.Open(vxsPath)) throw LayerReadError("cannot open " + vxsPath);
        ReadObjects(vxv, vxs, m, target, progress);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    return true;
}

LayerObjectReader::LayerObjectReader(const LayerModel& model, const std::string& vxsPath)
    : model_(model) {
    if (!vxs_.Open(vxsPath)) throw LayerReadError("cannot open " + vxsPath);
}

template <typename Object, typename ReadRecord>
const Object& LayerObjectReader::Take(std::size_t i, Object& object, ReadRecord read) {
    if (i >= model_.ObjectIndex.size()) throw LayerReadError("object outside the object index");
    const std::uint64_t start = RecordStart(model_.ObjectIndex[i], i, vxs_);
    RecordCursor cursor(vxs_, start);
    read(cursor, object);
    CountRecordBytes(recordBytes_, start, cursor.Position(), vxs_);
    return object;
}

const RegionObject& LayerObjectReader::Region(std::size_t i) {
    return Take(i, region_, ReadRegionRecord<RegionObject>);
}

const LineObject& LayerObjectReader::Line(std::size_t i) {
    return Take(i, line_, ReadLineRecord<LineObject>);
}

const PointObject& LayerObjectReader::Point(std::size_t i) {
    return Take(i, point_, ReadPointRecord);
}

bool OpenAttributeTable(const LayerModel& m, const std::string& vxvPath,
                        TableConnection& connection, TableRecordset& recordset) {
    if (m.TableNames.empty() || m.TableNames.front().empty()) return true;
    const std::string& entry = m.TableNames.front();
    const std::string folder = FolderOf(vxvPath).empty() ? "." : FolderOf(vxvPath);
    std::string error;
    // A name read from a layer file is only ever a file in the layer's own folder.
    if (!IsPlainFileName(entry) || !EndsWithNoCase(entry, ".dbf") ||
        !FileExists(JoinPath(folder, entry)))
        return false;
    const std::string table = entry.substr(0, entry.size() - 4);
    return connection.Open(folder) && recordset.Open(connection, "[" + table + "]", error);
}

}  // namespace vx
