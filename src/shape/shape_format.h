#pragma once

#include <cstdint>

// The fixed part of the ESRI shapefile layout shared by the reader and the writer: the
// 100-byte header of the main and index files and the shape type codes this program knows.
namespace vx {

inline constexpr std::int32_t kShapeFileCode = 9994;
inline constexpr std::int32_t kShapeVersion = 1000;
inline constexpr std::uint64_t kShapeHeaderSize = 100;
inline constexpr std::uint64_t kShapeRecordHeaderSize = 8;

// Header fields, as byte offsets.
inline constexpr std::uint64_t kShapeFileLengthAt = 24;
inline constexpr std::uint64_t kShapeVersionAt = 28;
inline constexpr std::uint64_t kShapeTypeAt = 32;
inline constexpr std::uint64_t kShapeBoxAt = 36;

inline constexpr std::int32_t kShapeNull = 0;
inline constexpr std::int32_t kShapePoint = 1;
inline constexpr std::int32_t kShapePolyLine = 3;
inline constexpr std::int32_t kShapePolygon = 5;
inline constexpr std::int32_t kShapeMultiPoint = 8;

}  // namespace vx
