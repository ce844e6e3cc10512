#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/layer_model.h"
#include "platform/binary_file.h"

// Hand-made .shp files: records are built field by field, so a test can break exactly the
// field it is about.
namespace vx::test {

inline void PutBox(ByteBuffer& out, const Bounds& b) {
    for (double v : {b.MinX, b.MinY, b.MaxX, b.MaxY})
        out.PutLE<double>(v);
}
inline void PutVertices(ByteBuffer& out, const std::vector<Vertex>& vertices) {
    for (const Vertex& v : vertices) {
        out.PutLE<double>(v.X);
        out.PutLE<double>(v.Y);
    }
}

// Content of a polyline (3) or polygon (5) record with any counts and part starts.
inline ByteBuffer PolyContent(std::int32_t type, const Bounds& box, std::int32_t parts,
                              std::int32_t points, const std::vector<std::int32_t>& starts,
                              const std::vector<Vertex>& vertices) {
    ByteBuffer c;
    c.PutLE<std::int32_t>(type);
    PutBox(c, box);
    c.PutLE<std::int32_t>(parts);
    c.PutLE<std::int32_t>(points);
    for (std::int32_t s : starts)
        c.PutLE<std::int32_t>(s);
    PutVertices(c, vertices);
    return c;
}

class ShpBuilder {
  public:
    explicit ShpBuilder(std::int32_t type, Bounds box = {0, 0, 10, 10}) : type_(type), box_(box) {}

    // A record of any content; its stated length in words is the content's unless given.
    ShpBuilder& Raw(const ByteBuffer& content, std::int32_t words = -1) {
        records_.PutBE<std::int32_t>(++count_);
        records_.PutBE<std::int32_t>(
            words >= 0 || words < -1 ? words : static_cast<std::int32_t>(content.Size() / 2));
        records_.PutBytes(content.Data(), content.Size());
        return *this;
    }
    ShpBuilder& Null() {
        ByteBuffer c;
        c.PutLE<std::int32_t>(0);
        return Raw(c);
    }
    ShpBuilder& Point(double x, double y) {
        ByteBuffer c;
        c.PutLE<std::int32_t>(1);
        PutVertices(c, {{x, y}});
        return Raw(c);
    }
    ShpBuilder& MultiPoint(const Bounds& box, const std::vector<Vertex>& points) {
        ByteBuffer c;
        c.PutLE<std::int32_t>(8);
        PutBox(c, box);
        c.PutLE<std::int32_t>(static_cast<std::int32_t>(points.size()));
        PutVertices(c, points);
        return Raw(c);
    }
    ShpBuilder& Poly(std::int32_t type, const Bounds& box,
                     const std::vector<std::vector<Vertex>>& parts) {
        std::vector<std::int32_t> starts;
        std::vector<Vertex> all;
        for (const auto& part : parts) {
            starts.push_back(static_cast<std::int32_t>(all.size()));
            all.insert(all.end(), part.begin(), part.end());
        }
        return Raw(PolyContent(type, box, static_cast<std::int32_t>(parts.size()),
                               static_cast<std::int32_t>(all.size()), starts, all));
    }

    // The file; `fileWords` replaces the true file length when given.
    std::string Bytes(std::int32_t code = 9994, std::int32_t version = 1000,
                      std::int32_t fileWords = -1) const {
        ByteBuffer out;
        out.PutBE<std::int32_t>(code);
        out.PutZeros(20);
        out.PutBE<std::int32_t>(
            fileWords >= 0 ? fileWords : static_cast<std::int32_t>((100 + records_.Size()) / 2));
        out.PutLE<std::int32_t>(version);
        out.PutLE<std::int32_t>(type_);
        PutBox(out, box_);
        out.PutZeros(32);
        out.PutBytes(records_.Data(), records_.Size());
        return std::string(reinterpret_cast<const char*>(out.Data()), out.Size());
    }

  private:
    std::int32_t type_;
    Bounds box_;
    ByteBuffer records_;
    std::int32_t count_ = 0;
};

// A closed ring turning clockwise, the way shapefiles store outer rings.
inline std::vector<Vertex> ClockwiseSquare(double x0, double y0, double size) {
    return {{x0, y0}, {x0, y0 + size}, {x0 + size, y0 + size}, {x0 + size, y0}, {x0, y0}};
}
inline std::vector<Vertex> Reversed(std::vector<Vertex> ring) {
    return {ring.rbegin(), ring.rend()};
}

}  // namespace vx::test
