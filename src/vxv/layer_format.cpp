#include "vxv/layer_format.h"

namespace vx {

namespace {
std::int32_t* HeaderFields(LayerFileHeader& h, int i) {
    std::int32_t* fields[] = {&h.FormatNumber,   &h.LayerInfoOffset, &h.LayerInfoSize,
                              &h.KindInfoOffset, &h.KindInfoSize,    &h.TableListOffset,
                              &h.TableCount,     &h.FontListOffset,  &h.FontCount,
                              &h.PenTableOffset, &h.PenCount,        &h.BrushTableOffset,
                              &h.BrushCount,     &h.IndexOffset,     &h.ObjectCount};
    return fields[i];
}
constexpr int kHeaderFieldCount = 15;
}  // namespace

void EncodeLayerFileHeader(const LayerFileHeader& header, ByteBuffer& out) {
    LayerFileHeader copy = header;
    for (int i = 0; i < kHeaderFieldCount; ++i)
        out.PutLE<std::int32_t>(*HeaderFields(copy, i));
}

bool ReadLayerFileHeader(BinaryReader& file, LayerFileHeader& header) {
    const unsigned char* p = file.Peek(0, kLayerHeaderSize);
    if (p == nullptr) return false;
    for (int i = 0; i < kHeaderFieldCount; ++i)
        *HeaderFields(header, i) = LoadLE<std::int32_t>(p + 4 * i);
    return true;
}

bool ReadNameList(BinaryReader& file, std::int64_t offset, std::int32_t count,
                  std::vector<std::string>& names, std::vector<std::int32_t>& lengths) {
    names.clear();
    lengths.clear();
    if (count < 0 || offset < 0) return false;
    auto at = static_cast<std::uint64_t>(offset);
    // Every entry takes at least its four length bytes.
    if (!file.Contains(at, static_cast<std::uint64_t>(count) * 4)) return false;
    std::vector<std::string> readNames;
    std::vector<std::int32_t> readLengths;
    readNames.reserve(static_cast<std::size_t>(count));
    readLengths.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        std::int32_t length = 0;
        if (!file.ReadLE(at, length) || length < 0) return false;
        at += 4;
        std::string name(static_cast<std::size_t>(0), '\0');
        if (!file.Contains(at, static_cast<std::uint64_t>(length))) return false;
        name.resize(static_cast<std::size_t>(length));
        if (length > 0 && !file.Read(at, name.data(), name.size())) return false;
        at += static_cast<std::uint64_t>(length);
        readNames.push_back(std::move(name));
        readLengths.push_back(length);
    }
    names = std::move(readNames);
    lengths = std::move(readLengths);
    return true;
}

bool ReadLayerTableNames(const std::string& vxvPath, std::vector<std::string>& names) {
    names.clear();
    BinaryReader file;
    if (!file.Open(vxvPath)) return false;
    LayerFileHeader header;
    if (!ReadLayerFileHeader(file, header)) return false;
    std::vector<std::int32_t> lengths;
    return ReadNameList(file, header.TableListOffset, header.TableCount, names, lengths);
}

}  // namespace vx
