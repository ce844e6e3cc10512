#include "dbase/vx_recordset.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "dbase/field_format.h"
#include "platform/file_system.h"
#include "platform/strings.h"
#include "platform/write_failure.h"

namespace vx {

namespace {
constexpr std::size_t kReadChunk = 1 << 20;
constexpr std::size_t kMaxLength = 0xFFFF;  // header and record lengths are 16-bit
constexpr std::uint8_t kSpatialIdLength = 20;
}  // namespace

std::size_t VXRecordset::RecordsHeld() const {
    std::size_t length = layout_.header.recordLength;
    return length == 0 ? 0 : records_.size() / length;
}

char VXRecordset::RecordFlag(std::size_t record) const {
    if (record < 1 || record > RecordsHeld()) return '\0';
    return records_[(record - 1) * layout_.header.recordLength];
}

std::string_view VXRecordset::RecordData(std::size_t record) const {
    if (record < 1 || record > RecordsHeld()) return {};
    std::size_t length = layout_.header.recordLength;
    return std::string_view(records_.data() + (record - 1) * length + 1, length - 1);
}

void VXRecordset::ComputeOffsets() {
    offsets_.clear();
    std::size_t at = 1;
    for (const auto& field : layout_.fields) {
        offsets_.push_back(at);
        at += field.length;
    }
}

void VXRecordset::KillDBF(const std::string& path) {
    DeleteFile(path);
}

bool VXRecordset::OpenDBF(const std::string& path) {
    layout_ = DbfLayout{};
    offsets_.clear();
    records_.clear();
    buffer_.clear();
    buffered_ = 0;
    loaded_ = false;
    writeFailed_ = false;
    path_ = path;

    BinaryReader file;
    std::string why;
    if (!file.Open(path) || !ReadDbfLayout(file, layout_, why)) {
        layout_ = DbfLayout{};
        return false;
    }
    loaded_ = true;
    ComputeOffsets();
    if (layout_.header.recordCount == 0) return false;

    // ReadDbfLayout has checked that the records lie inside the file, so this is no bigger
    // than the file itself.
    std::size_t total =
        static_cast<std::size_t>(layout_.header.recordCount) * layout_.header.recordLength;
    records_.resize(total);
    for (std::size_t done = 0; done < total;) {
        std::size_t chunk = std::min(kReadChunk, total - done);
        if (!file.Read(layout_.header.headerLength + done, records_.data() + done, chunk)) {
            records_.clear();
            return false;
        }
        done += chunk;
    }
    return true;
}

void VXRecordset::FormatRecord(std::string_view text, char* out) {
    std::size_t length = layout_.header.recordLength;
    std::memset(out, ' ', length);  // the live flag, and blanks in any bytes past the fields
    std::vector<std::string> values = SplitQuoted(text, ',');
    // Quotes that survive the split stood doubled inside quotes: they are part of the value.
    for (std::size_t i = 0; i < layout_.fields.size(); ++i) {
        const DbfField& field = layout_.fields[i];
        std::string_view value = i < values.size() ? std::string_view(values[i]) : "";
        FormatField(field.type, value, field.length, field.decimals, out + offsets_[i]);
    }
}

void VXRecordset::InsertRecordEX(const std::string& text) {
    std::size_t length = layout_.header.recordLength;
    if (!loaded_ || length == 0) return;
    ++layout_.header.recordCount;
    ++buffered_;
    std::size_t need = static_cast<std::size_t>(buffered_) * length;
    if (buffer_.size() < need) buffer_.resize(need);
    FormatRecord(text, buffer_.data() + need - length);
}

void VXRecordset::InsertRecord(const std::string& text) {
    std::size_t length = layout_.header.recordLength;
    if (!loaded_ || length == 0) return;
    ++layout_.header.recordCount;
    records_.resize(records_.size() + length);
    FormatRecord(text, records_.data() + records_.size() - length);
}

void VXRecordset::ResizeRecords(std::int32_t capacity) {
    buffer_.clear();
    buffered_ = 0;
    // Room is made for what the caller expects, but never beyond a modest bound: the buffer
    // grows with the records really inserted, so a wide table does not take memory for rows
    // that never come.
    constexpr std::size_t kReserveBound = std::size_t{64} << 20;
    std::size_t wanted =
        static_cast<std::size_t>(std::max(capacity, 0)) * layout_.header.recordLength;
    buffer_.reserve(std::min(wanted, kReserveBound));
}

std::string VXRecordset::FieldName(int index) const {
    if (!ValidField(index)) return {};
    return std::string(layout_.fields[index - 1].name.data(), kDbfNameSize);
}

std::uint8_t VXRecordset::FieldSize(int index) const {
    return ValidField(index) ? layout_.fields[index - 1].length : 0;
}

std::uint8_t VXRecordset::FieldDecimalSize(int index) const {
    return ValidField(index) ? layout_.fields[index - 1].decimals : 0;
}

std::uint8_t VXRecordset::FieldType(int index) const {
    return ValidField(index) ? static_cast<std::uint8_t>(layout_.fields[index - 1].type) : 0;
}

void VXRecordset::RenameField(int index, const std::string& name) {
    if (!ValidField(index)) return;
    std::string_view trimmed = Trim(name);
    layout_.fields[index - 1].SetName(trimmed.substr(0, kDbfNameSize));
}

void VXRecordset::RemoveField(int index) {
    if (!ValidField(index)) return;
    std::size_t oldLength = layout_.header.recordLength;
    std::size_t start = offsets_[index - 1];
    std::size_t width = layout_.fields[index - 1].length;
    std::size_t count = RecordsHeld();
    // Close the gap in place, record by record.
    char* data = records_.data();
    std::size_t to = 0;
    for (std::size_t r = 0; r < count; ++r) {
        const char* from = data + r * oldLength;
        std::memmove(data + to, from, start);
        to += start;
        std::memmove(data + to, from + start + width, oldLength - start - width);
        to += oldLength - start - width;
    }
    records_.resize(to);
    layout_.header.headerLength =
        static_cast<std::uint16_t>(layout_.header.headerLength - kDbfDescriptorSize);
    layout_.header.recordLength = static_cast<std::uint16_t>(oldLength - width);
    layout_.fields.erase(layout_.fields.begin() + (index - 1));
    ComputeOffsets();
}

void VXRecordset::AddSpatialID() {
    if (!loaded_) return;
    for (const auto& field : layout_.fields) {
        if (EqualsNoCase(field.Name(), "SPATIAL_ID")) return;
    }
    std::size_t oldLength = layout_.header.recordLength;
    if (oldLength + kSpatialIdLength > kMaxLength ||
        layout_.header.headerLength + kDbfDescriptorSize > kMaxLength) {
        return;  // the table has no room left for another field
    }
    DbfField id;
    id.SetName("SPATIAL_ID");
    id.type = 'N';
    id.length = kSpatialIdLength;
    id.decimals = 5;
    // The new field's bytes go right after the last field's, which is the end of the record
    // unless the table pads its records.
    std::size_t at = 1 + layout_.FieldBytes();
    std::size_t newLength = oldLength + kSpatialIdLength;
    std::size_t count = RecordsHeld();
    std::vector<char> grown(count * newLength);
    for (std::size_t r = 0; r < count; ++r) {
        const char* from = records_.data() + r * oldLength;
        char* to = grown.data() + r * newLength;
        std::memcpy(to, from, at);
        char digits[24];
        auto end = std::to_chars(digits, digits + sizeof digits, r + 1).ptr;
        std::size_t n = static_cast<std::size_t>(end - digits);
        std::memset(to + at, ' ', kSpatialIdLength - n);
        std::memcpy(to + at + kSpatialIdLength - n, digits, n);
        std::memcpy(to + at + kSpatialIdLength, from + at, oldLength - at);
    }
    records_ = std::move(grown);
    layout_.fields.push_back(id);
    layout_.header.headerLength =
        static_cast<std::uint16_t>(layout_.header.headerLength + kDbfDescriptorSize);
    layout_.header.recordLength = static_cast<std::uint16_t>(newLength);
    ComputeOffsets();
}

void VXRecordset::UpdateFile() {
    if (!loaded_ || path_.empty()) {
        writeFailed_ = true;
        return;
    }
    std::size_t length = layout_.header.recordLength;
    std::size_t count = RecordsHeld();
    std::int32_t live = 0;
    for (std::size_t r = 0; r < count; ++r) {
        if (records_[r * length] == kDbfLiveFlag) ++live;
    }
    layout_.header.recordCount = live;

    // Written beside the table and moved over it, so that a failed write leaves the old
    // table as it was.
    std::string temporary = path_ + ".tmp";
    BinaryWriter out;
    bool ok = out.Create(temporary);
    if (ok) {
        ByteBuffer head;
        EncodeDbfLayout(layout_, head);
        out.Write(head);
        for (std::size_t r = 0; r < count; ++r) {
            const char* record = records_.data() + r * length;
            if (*record == kDbfLiveFlag) out.Write(record, length);
        }
        out.Write(&kDbfEndOfFile, 1);
        ok = out.Close();
    }
    ok = ok && RenameFile(temporary, path_);
    if (!ok) DeleteFile(temporary);
    OpenDBF(path_);
    writeFailed_ = !ok;
}

void VXRecordset::UpdateFileEx(const std::string& path) {
    if (!loaded_) {
        writeFailed_ = true;
        return;
    }
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (file == nullptr) file = std::fopen(path.c_str(), "w+b");
    if (file == nullptr) {
        NoteWriteFailure(path);
        writeFailed_ = true;
        return;
    }
    ByteBuffer head;
    EncodeDbfLayout(layout_, head);
    std::size_t length = layout_.header.recordLength;
    std::size_t bytes = static_cast<std::size_t>(buffered_) * length;
    // The new records go right after those already in the file, over the end-of-file byte of
    // an earlier call, whatever the file ended with.
    std::int64_t before = std::max<std::int64_t>(layout_.header.recordCount - buffered_, 0);
    auto at = static_cast<off_t>(head.Size() + static_cast<std::size_t>(before) * length);
    bool ok = std::fwrite(head.Data(), 1, head.Size(), file) == head.Size() &&
              fseeko(file, at, SEEK_SET) == 0 &&
              std::fwrite(buffer_.data(), 1, bytes, file) == bytes &&
              std::fputc(kDbfEndOfFile, file) != EOF;
    if (!ok) NoteWriteFailure(path);
    if (std::fclose(file) != 0 && ok) {
        NoteWriteFailure(path);
        ok = false;
    }
    // Nothing may follow the end-of-file byte.
    std::error_code ec;
    auto end = static_cast<std::uintmax_t>(at) + bytes + 1;
    if (ok && std::filesystem::file_size(path, ec) > end) {
        std::filesystem::resize_file(path, end, ec);
        ok = !ec;
        if (ec) NoteWriteFailure(path, ec.message());
    }
    if (!ok) writeFailed_ = true;
}

}  // namespace vx
