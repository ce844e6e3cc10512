#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/layer_model.h"
#include "platform/binary_file.h"

// Hand-made .shp files and their fields: records are built field by field and fields are read
// and patched at their offsets, so that a test can break exactly the field it is about.
namespace vx::test {

inline std::int32_t IntAt(const std::string& bytes, std::size_t at, bool bigEndian = false) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    return bigEndian ? LoadBE<std::int32_t>(p) : LoadLE<std::int32_t>(p);
}
inline double DoubleAt(const std::string& bytes, std::size_t at) {
    return LoadLE<double>(reinterpret_cast<const unsigned char*>(bytes.data()) + at);
}
inline std::string WithInt(std::string bytes, std::size_t at, std::int32_t value,
                           bool bigEndian = false) {
    auto* p = reinterpret_cast<unsigned char*>(bytes.data()) + at;
    bigEndian ? StoreBE<std::int32_t>(p, value) : StoreLE<std::int32_t>(p, value);
    return bytes;
}

// Record content: the shape type, then doubles (a point's X and Y, a box) and Int32 counts.
inline ByteBuffer Content(std::int32_t type, const std::vector<double>& doubles = {},
                          const std::vector<std::int32_t>& ints = {}) {
    ByteBuffer c;
    c.PutLE<std::int32_t>(type);
    for (double v : doubles)
        c.PutLE<double>(v);
    for (std::int32_t v : ints)
        c.PutLE<std::int32_t>(v);
    return c;
}
// A multipoint (8), polyline (3) or polygon (5) record with the box 0 0 100 100.
inline ByteBuffer Poly(std::int32_t type, const std::vector<std::vector<Vertex>>& parts) {
    std::vector<std::int32_t> counts{static_cast<std::int32_t>(parts.size()), 0};
    for (const auto& part : parts) {
        if (type != 8) counts.push_back(counts[1]);
        counts[1] += static_cast<std::int32_t>(part.size());
    }
    if (type == 8) counts.erase(counts.begin());
    ByteBuffer c = Content(type, {0, 0, 100, 100}, counts);
    for (const auto& part : parts) {
        for (const Vertex& v : part) {
            c.PutLE<double>(v.X);
            c.PutLE<double>(v.Y);
        }
    }
    return c;
}

// A .shp of `type` with the given box and record contents, records numbered from 1.
inline std::string Shp(std::int32_t type, const std::vector<ByteBuffer>& records,
                       const Bounds& box = {0, 0, 10, 10}) {
    std::size_t size = 100;
    for (const ByteBuffer& r : records)
        size += 8 + r.Size();
    ByteBuffer out;
    for (std::int32_t field : {9994, 0, 0, 0, 0, 0, static_cast<std::int32_t>(size / 2)})
        out.PutBE<std::int32_t>(field);
    out.PutLE<std::int32_t>(1000);
    out.PutLE<std::int32_t>(type);
    for (double v : {box.MinX, box.MinY, box.MaxX, box.MaxY})
        out.PutLE<double>(v);
    out.PutZeros(32);
    std::int32_t number = 0;
    for (const ByteBuffer& r : records) {
        out.PutBE<std::int32_t>(++number);
        out.PutBE<std::int32_t>(static_cast<std::int32_t>(r.Size() / 2));
        out.PutBytes(r.Data(), r.Size());
    }
    return std::string(reinterpret_cast<const char*>(out.Data()), out.Size());
}

// A closed ring turning clockwise, the way shapefiles store outer rings, and the same ring the
// other way round.
inline std::vector<Vertex> ClockwiseSquare(double x0, double y0, double size) {
    return {{x0, y0}, {x0, y0 + size}, {x0 + size, y0 + size}, {x0 + size, y0}, {x0, y0}};
}
inline std::vector<Vertex> Reversed(std::vector<Vertex> ring) {
    return {ring.rbegin(), ring.rend()};
}

}  // namespace vx::test
