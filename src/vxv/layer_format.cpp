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

bool IsLayerFileStart(const unsigned char* bytes, std::size_t size) {
    if (bytes == nullptr || size < static_cast<std::size_t>(kLayerHeaderSize)) return false;
    LayerFileHeader h;
    for (int i = 0; i < kHeaderFieldCount; ++i)
        *HeaderFields(h, i) = LoadLE<std::int32_t>(bytes + 4 * i);
    if (h.FormatNumber != kLayerFormatNumber || h.LayerInfoSize != kLayerInfoSize ||
        h.KindInfoSize != kKindInfoSize || h.LayerInfoOffset < kLayerHeaderSize ||
        h.KindInfoOffset < kLayerHeaderSize) {
        return false;
    }
    const auto kindAt = static_cast<std::size_t>(h.KindInfoOffset) + kKindInfoSize - 1;
    if (kindAt >= size) return true;
    const unsigned char kind = bytes[kindAt];
    return kind == kKindPoint || kind == kKindLine || kind == kKindRegion;
}

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

void EncodeLayerInfo(const LayerInfo& i, ByteBuffer& out) {
    out.PutU8(i.lCoordSys);
    out.PutLE<std::int32_t>(i.lProjection);
    out.PutLE<std::int32_t>(i.lDatum);
    out.PutLE<double>(i.MinX);
    out.PutLE<double>(i.MinY);
    out.PutZeros(8);
    out.PutLE<double>(i.MaxX);
    out.PutLE<double>(i.MaxY);
    out.PutZeros(8);
    for (double v : {i.lOriginLongitude, i.lOriginLatitude, i.lStdParellel1, i.lStdParellel2,
                     i.lAzimuth, i.lScaleFactor}) {
        out.PutLE<double>(v);
    }
    for (std::int32_t v : {i.lFalseEasting, i.lFalseNorthing, i.lRange, i.lAffineUnit}) {
        out.PutLE<std::int32_t>(v);
    }
    for (double v :
         {i.lPoleMeridian, i.lPoleParallel, i.lShiftX, i.lStretchY, i.lSkewY, i.lShiftY}) {
        out.PutLE<double>(v);
    }
    for (std::int32_t v : {i.lUTMZone, i.lYMultiplier, i.lXDisplacement, i.lYDisplacement}) {
        out.PutLE<std::int32_t>(v);
    }
}

void DecodeLayerInfo(const unsigned char* p, LayerInfo& i) {
    std::size_t at = 0;
    auto f64 = [&] {
        double v = LoadLE<double>(p + at);
        at += 8;
        return v;
    };
    auto i32 = [&] {
        std::int32_t v = LoadLE<std::int32_t>(p + at);
        at += 4;
        return v;
    };
    i.lCoordSys = p[at++];
    i.lProjection = i32();
    i.lDatum = i32();
    i.MinX = f64();
    i.MinY = f64();
    i.Reserved1 = 0.0;
    at += 8;
    i.MaxX = f64();
    i.MaxY = f64();
    i.Reserved2 = 0.0;
    at += 8;
    for (double* v : {&i.lOriginLongitude, &i.lOriginLatitude, &i.lStdParellel1, &i.lStdParellel2,
                      &i.lAzimuth, &i.lScaleFactor}) {
        *v = f64();
    }
    for (std::int32_t* v : {&i.lFalseEasting, &i.lFalseNorthing, &i.lRange, &i.lAffineUnit})
        *v = i32();
    for (double* v :
         {&i.lPoleMeridian, &i.lPoleParallel, &i.lShiftX, &i.lStretchY, &i.lSkewY, &i.lShiftY}) {
        *v = f64();
    }
    for (std::int32_t* v : {&i.lUTMZone, &i.lYMultiplier, &i.lXDisplacement, &i.lYDisplacement}) {
        *v = i32();
    }
}

void EncodeLayerKindInfo(const LayerKindInfo& kind, ByteBuffer& out) {
    out.PutU8(kind.Reserved[0]);
    out.PutU8(kind.Reserved[1]);
    out.PutU8(kind.Reserved[2]);
    out.PutU8(kind.UnitCode);
    out.PutU8(kind.ObjectKind);
}

void DecodeLayerKindInfo(const unsigned char* p, LayerKindInfo& kind) {
    kind.Reserved[0] = p[0];
    kind.Reserved[1] = p[1];
    kind.Reserved[2] = p[2];
    kind.UnitCode = p[3];
    kind.ObjectKind = p[4];
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
