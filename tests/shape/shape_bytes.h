#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/layer_model.h"
#include "platform/binary_file.h"

// Hand-made .shp files for the tests: records are built field by field, so a test can break
// exactly the field it is about.
namespace vx::test {

class ShpBuilder {
  public:
    explicit ShpBuilder(std::int32_t shapeType, Bounds box = {0, 0, 10, 10})
        : shapeType_(shapeType), box_(box) {}

    // Each adds one record numbered as the next, or as `number` when given.
    ShpBuilder& Null(std::int32_t number = 0) {
        ByteBuffer content;
        content.PutLE<std::int32_t>(0);
        return Record(content, number);
    }
    ShpBuilder& Point(double x, double y, std::int32_t number = 0) {
        ByteBuffer content;
        content.PutLE<std::int32_t>(1);
        content.PutLE<double>(x);
        content.PutLE<double>(y);
        return Record(content, number);
    }
    ShpBuilder& MultiPoint(const Bounds& box, const std::vector<Vertex>& points) {
        ByteBuffer content;
        content.PutLE<std::int32_t>(8);
        PutBox(content, box);
        content.PutLE<std::int32_t>(static_cast<std::int32_t>(points.size()));
        for (const Vertex& v : points)
            PutVertex(content, v);
        return Record(content, 0);
    }
    // A polyline (3) or polygon (5) record of the given parts; the part starts can be given
    // to break them.
    ShpBuilder& Poly(std::int32_t type, const Bounds& box,
                     const std::vector<std::vector<Vertex>>& parts,
                     std::vector<std::int32_t> starts = {}, std::int32_t pointCount = -1) {
        std::int32_t points = 0;
        if (starts.empty()) {
            for (const auto& part : parts) {
                starts.push_back(points);
                points += static_cast<std::int32_t>(part.size());
            }
        } else {
            for (const auto& part : parts)
                points += static_cast<std::int32_t>(part.size());
        }
        ByteBuffer content;
        content.PutLE<std::int32_t>(type);
        PutBox(content, box);
        content.PutLE<std::int32_t>(static_cast<std::int32_t>(starts.size()));
        content.PutLE<std::int32_t>(pointCount >= 0 ? pointCount : points);
        for (std::int32_t s : starts)
            content.PutLE<std::int32_t>(s);
        for (const auto& part : parts) {
            for (const Vertex& v : part)
                PutVertex(content, v);
        }
        return Record(content, 0);
    }
    // Raw record: any content with any stated length in words.
    ShpBuilder& Raw(const ByteBuffer& content, std::int32_t words) {
        ++count_;
        records_.PutBE<std::int32_t>(count_);
        records_.PutBE<std::int32_t>(words);
        records_.PutBytes(content.Data(), content.Size());
        return *this;
    }

    // The file; `fileWords` replaces the true file length when given.
    std::string Bytes(std::int32_t fileCode = 9994, std::int32_t version = 1000,
                      std::int32_t fileWords = -1) const {
        ByteBuffer out;
        out.PutBE<std::int32_t>(fileCode);
        out.PutZeros(20);
        out.PutBE<std::int32_t>(
            fileWords >= 0 ? fileWords : static_cast<std::int32_t>((100 + records_.Size()) / 2));
        out.PutLE<std::int32_t>(version);
        out.PutLE<std::int32_t>(shapeType_);
        PutBox(out, box_);
        out.PutZeros(32);
        out.PutBytes(records_.Data(), records_.Size());
        return std::string(reinterpret_cast<const char*>(out.Data()), out.Size());
    }

    static void PutBox(ByteBuffer& out, const Bounds& box) {
        out.PutLE<double>(box.MinX);
        out.PutLE<double>(box.MinY);
        out.PutLE<double>(box.MaxX);
        out.PutLE<double>(box.MaxY);
    }
    static void PutVertex(ByteBuffer& out, const Vertex& v) {
        out.PutLE<double>(v.X);
        out.PutLE<double>(v.Y);
    }

  private:
    ShpBuilder& Record(const ByteBuffer& content, std::int32_t number) {
        ++count_;
        records_.PutBE<std::int32_t>(number != 0 ? number : count_);
        records_.PutBE<std::int32_t>(static_cast<std::int32_t>(content.Size() / 2));
        records_.PutBytes(content.Data(), content.Size());
        if (number != 0) count_ = number;
        return *this;
    }

    std::int32_t shapeType_;
    Bounds box_;
    ByteBuffer records_;
    std::int32_t count_ = 0;
};

// Closed rings, the way shapefiles store them.
inline std::vector<Vertex> ClockwiseSquare(double x0, double y0, double size) {
    return {{x0, y0}, {x0, y0 + size}, {x0 + size, y0 + size}, {x0 + size, y0}, {x0, y0}};
}
inline std::vector<Vertex> Reversed(std::vector<Vertex> ring) {
    return {ring.rbegin(), ring.rend()};
}

}  // namespace vx::test
