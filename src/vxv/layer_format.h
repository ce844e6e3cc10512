#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/layer_model.h"
#include "platform/binary_file.h"

// The fixed part of the .vxv layout: the header's place and size, and the sections whose
// offsets it gives. Everything read from a file is checked against the file's size.
namespace vx {

inline constexpr std::int32_t kLayerFormatNumber = 102;
inline constexpr std::int32_t kLayerHeaderSize = 60;
inline constexpr std::int32_t kLayerInfoOffset = 60;
inline constexpr std::int32_t kLayerInfoSize = 185;
inline constexpr std::int32_t kKindInfoOffset = 245;
inline constexpr std::int32_t kKindInfoSize = 5;
inline constexpr std::int32_t kTableListOffset = 250;
inline constexpr std::int32_t kStyleEntrySize = 12;
inline constexpr std::int32_t kIndexEntrySize = 42;

// Whether the first bytes of a file are those of a layer file: the format number, the
// description and kind sections where every layer file has them, and, when `size` reaches
// it, a known kind. Tells a layer file by its content, whatever its name.
bool IsLayerFileStart(const unsigned char* bytes, std::size_t size);

// The fifteen Int32 of the header, in file order.
void EncodeLayerFileHeader(const LayerFileHeader& header, ByteBuffer& out);
bool ReadLayerFileHeader(BinaryReader& file, LayerFileHeader& header);

// The 185 bytes of the layer description and the 5 bytes of the kind information.
void EncodeLayerInfo(const LayerInfo& info, ByteBuffer& out);
void DecodeLayerInfo(const unsigned char* bytes, LayerInfo& info);
void EncodeLayerKindInfo(const LayerKindInfo& kind, ByteBuffer& out);
void DecodeLayerKindInfo(const unsigned char* bytes, LayerKindInfo& kind);

// Reads `count` names (each an Int32 length and that many bytes) from `offset`. False, with
// the lists left empty, when the count is negative or any entry is negative or runs past the
// end of the file; the count is checked against the bytes left before anything is reserved.
bool ReadNameList(BinaryReader& file, std::int64_t offset, std::int32_t count,
                  std::vector<std::string>& names, std::vector<std::int32_t>& lengths);

// The attribute table names a layer file lists; false when the file is missing or its list
// is not whole.
bool ReadLayerTableNames(const std::string& vxvPath, std::vector<std::string>& names);

}  // namespace vx
