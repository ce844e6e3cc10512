#include "dbase/dbase_layout.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace vx {

std::string DbfField::Name() const {
    const char* end = std::find(name.data(), name.data() + kDbfNameSize, '\0');
    return std::string(name.data(), end);
}

void DbfField::SetName(std::string_view text) {
    name.fill('\0');
    std::memcpy(name.data(), text.data(), std::min(text.size(), kDbfNameSize));
}

std::size_t DbfLayout::FieldBytes() const {
    std::size_t sum = 0;
    for (const auto& field : fields)
        sum += field.length;
    return sum;
}

bool ReadDbfLayout(BinaryReader& file, DbfLayout& layout, std::string& why) {
    layout = DbfLayout{};
    const unsigned char* p = file.Peek(0, kDbfHeaderSize);
    if (p == nullptr) {
        why = "The file is too short for a table header.";
        return false;
    }
    DbfHeader& h = layout.header;
    h.version = p[0];
    std::memcpy(h.date.data(), p + 1, 3);
    h.recordCount = LoadLE<std::int32_t>(p + 4);
    h.headerLength = LoadLE<std::uint16_t>(p + 8);
    h.recordLength = LoadLE<std::uint16_t>(p + 10);
    std::memcpy(h.reserved.data(), p + 12, 20);

    if (h.headerLength < kDbfHeaderSize + 1 || h.headerLength > file.Size()) {
        why = "The header length does not fit the file.";
        return false;
    }
    if (h.recordCount < 0 || h.recordLength < 1) {
        why = "The record count or record length is not valid.";
        return false;
    }
    // Descriptors run until a slot starts with the terminator. Version bytes say little about
    // what follows (dBASE IV, memo flags, FoxPro), so the terminator is what counts; a head
    // without one ends where no further whole descriptor fits.
    std::size_t slots = (h.headerLength - kDbfHeaderSize - 1) / kDbfDescriptorSize;
    std::size_t count = slots;
    for (std::size_t i = 0; i <= slots; ++i) {
        std::uint64_t at = kDbfHeaderSize + i * kDbfDescriptorSize;
        const unsigned char* first = file.Peek(at, 1);
        if (first == nullptr) {
            why = "The field descriptors run past the end of the file.";
            return false;
        }
        if (*first == kDbfTerminator) {
            count = i;
            break;
        }
    }
    std::size_t termAt = kDbfHeaderSize + count * kDbfDescriptorSize;
    const unsigned char* d = file.Peek(kDbfHeaderSize, termAt + 1 - kDbfHeaderSize);
    if (d == nullptr) {
        why = "The field descriptors run past the end of the file.";
        return false;
    }
    layout.fields.resize(count);
    for (std::size_t i = 0; i < count; ++i, d += kDbfDescriptorSize) {
        DbfField& f = layout.fields[i];
        std::memcpy(f.name.data(), d, kDbfNameSize + 1);
        f.type = static_cast<char>(d[11]);
        f.address = LoadLE<std::uint32_t>(d + 12);
        f.length = d[16];
        f.decimals = d[17];
        std::memcpy(f.reserved.data(), d + 18, 14);
    }
    layout.terminator = *d;
    layout.trailer.resize(h.headerLength - termAt - 1);
    if (!layout.trailer.empty() &&
        !file.Read(termAt + 1, layout.trailer.data(), layout.trailer.size())) {
        why = "The table header cannot be read.";
        return false;
    }
    if (layout.FieldBytes() + 1 > h.recordLength) {
        why = "The fields do not fit the record length.";
        return false;
    }
    std::uint64_t records = static_cast<std::uint64_t>(h.recordCount) * h.recordLength;
    if (!file.Contains(h.headerLength, records)) {
        why = "The table holds fewer records than its header says.";
        return false;
    }
    return true;
}

void EncodeDbfHeader(const DbfHeader& h, unsigned char* out) {
    out[0] = h.version;
    std::memcpy(out + 1, h.date.data(), 3);
    StoreLE<std::int32_t>(out + 4, h.recordCount);
    StoreLE<std::uint16_t>(out + 8, h.headerLength);
    StoreLE<std::uint16_t>(out + 10, h.recordLength);
    std::memcpy(out + 12, h.reserved.data(), 20);
}

void EncodeDbfLayout(const DbfLayout& layout, ByteBuffer& out) {
    unsigned char head[kDbfHeaderSize];
    EncodeDbfHeader(layout.header, head);
    out.PutBytes(head, sizeof head);
    for (const auto& f : layout.fields) {
        out.PutBytes(f.name.data(), f.name.size());
        out.PutU8(static_cast<std::uint8_t>(f.type));
        out.PutLE<std::uint32_t>(f.address);
        out.PutU8(f.length);
        out.PutU8(f.decimals);
        out.PutBytes(f.reserved.data(), f.reserved.size());
    }
    out.PutU8(layout.terminator);
    out.PutBytes(layout.trailer.data(), layout.trailer.size());
}

std::array<std::uint8_t, 3> DbfToday() {
    using namespace std::chrono;
    year_month_day today{floor<days>(system_clock::now())};
    int year = static_cast<int>(today.year()) - 1900;
    return {static_cast<std::uint8_t>(std::clamp(year, 0, 255)),
            static_cast<std::uint8_t>(static_cast<unsigned>(today.month())),
            static_cast<std::uint8_t>(static_cast<unsigned>(today.day()))};
}

}  // namespace vx
