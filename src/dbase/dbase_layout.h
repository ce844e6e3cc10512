#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/binary_file.h"

// The byte layout of a dBASE table head: the 32-byte header, one 32-byte descriptor per field,
// the terminator byte and whatever lies between the terminator and the first record. Shared by
// the table class, the CREATE TABLE writer and the recordset.
namespace vx {

inline constexpr std::size_t kDbfHeaderSize = 32;
inline constexpr std::size_t kDbfDescriptorSize = 32;
inline constexpr std::size_t kDbfNameSize = 10;
inline constexpr unsigned char kDbfTerminator = 0x0D;
inline constexpr unsigned char kDbfEndOfFile = 0x1A;
inline constexpr char kDbfLiveFlag = ' ';
inline constexpr std::uint8_t kDbfVersion3 = 0x03;
// The header byte that names the code page of the table's text (the language driver).
inline constexpr std::size_t kDbfLanguageDriverAt = 29;

struct DbfHeader {
    std::uint8_t version = kDbfVersion3;
    std::array<std::uint8_t, 3> date{};  // year - 1900, month, day
    std::int32_t recordCount = 0;
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;  // deletion flag included
    std::array<std::uint8_t, 20> reserved{};  // bytes 12 to 31, the language driver among them

    std::uint8_t LanguageDriver() const { return reserved[kDbfLanguageDriverAt - 12]; }
};

struct DbfField {
    std::array<char, kDbfNameSize + 1> name{};  // NUL-padded name and its terminator byte
    char type = 'C';
    std::uint32_t address = 0;
    std::uint8_t length = 0;
    std::uint8_t decimals = 0;
    std::array<std::uint8_t, 14> reserved{};

    // The name up to its first NUL.
    std::string Name() const;
    void SetName(std::string_view text);  // cut to 10 bytes, NUL-padded
};

struct DbfLayout {
    DbfHeader header;
    std::vector<DbfField> fields;
    std::uint8_t terminator = kDbfTerminator;
    // Bytes between the terminator and the first record (a FoxPro backlink, padding); kept as
    // found so that rewriting a table leaves them in place.
    std::vector<std::uint8_t> trailer;

    // Sum of the field lengths: the bytes of a record after its flag that belong to fields.
    std::size_t FieldBytes() const;
    // Offset of the first record when written: header, descriptors, terminator, trailer.
    std::size_t HeadSize() const {
        return kDbfHeaderSize + fields.size() * kDbfDescriptorSize + 1 + trailer.size();
    }
};

// Reads and checks the head of a table. The descriptors end at the terminator byte, whatever
// the version byte says; header length, record length, field lengths and record count are
// checked against each other and against the file's size. False, with `why` set, for a file
// that is not a whole table.
bool ReadDbfLayout(BinaryReader& file, DbfLayout& layout, std::string& why);

// The head as stored: header, descriptors, terminator and trailer.
void EncodeDbfLayout(const DbfLayout& layout, ByteBuffer& out);
void EncodeDbfHeader(const DbfHeader& header, unsigned char* out);  // 32 bytes

// Today's date in the header's three bytes.
std::array<std::uint8_t, 3> DbfToday();

}  // namespace vx
