#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dbase/dbase_layout.h"

namespace vx {

// A dBASE table held whole in memory: its head, its field descriptors and its records, each a
// deletion flag and record length - 1 bytes of fixed-width text. Fields can be renamed,
// removed or added; records are appended from comma-separated text; the table is written
// back whole (UpdateFile) or grown by appending a buffer of new records (UpdateFileEx), which
// is how large tables are filled. Field indices are 1-based.
class VXRecordset {
  public:
    // Appends one record, formatted from `text`, to the records held in memory.
    void InsertRecord(const std::string& text);
    // Appends one record, formatted from `text`, to the record buffer.
    void InsertRecordEX(const std::string& text);
    // Empties the record buffer and makes room in it for `capacity` records.
    void ResizeRecords(std::int32_t capacity);
    // Deletes the file; a failure is ignored.
    void KillDBF(const std::string& path);
    // Loads a table. False for a file that is no whole table, and for a table without
    // records (whose head and fields are loaded all the same).
    bool OpenDBF(const std::string& path);
    void RenameField(int index, const std::string& name);
    void RemoveField(int index);
    // Writes the table again from the records held, leaving out deleted ones, and reloads it.
    void UpdateFile();
    // Writes the head over the start of the file at `path` and the buffered records right
    // after the records already there, then the end-of-file byte.
    void UpdateFileEx(const std::string& path);
    std::int32_t RecordCount() const { return layout_.header.recordCount; }
    std::int16_t FieldCount() const { return static_cast<std::int16_t>(layout_.fields.size()); }
    // The ten name bytes, NUL padding included; empty for an index out of range.
    std::string FieldName(int index) const;
    std::uint8_t FieldSize(int index) const;
    std::uint8_t FieldDecimalSize(int index) const;
    // The field's type letter as a byte ('C' 67, 'N' 78, 'L' 76, 'D' 68); 0 out of range.
    std::uint8_t FieldType(int index) const;
    // Adds the key column SPATIAL_ID numbering the records 1, 2, 3 ..., unless a field of
    // that name is there already.
    void AddSpatialID();

    // Not part of the table's file: for callers that need to look closer.
    bool HasTable() const { return loaded_; }          // the last OpenDBF read a head
    bool WriteFailed() const { return writeFailed_; }  // a write since OpenDBF failed
    const DbfLayout& Layout() const { return layout_; }
    std::size_t RecordsHeld() const;
    char RecordFlag(std::size_t record) const;              // 1-based
    std::string_view RecordData(std::size_t record) const;  // 1-based, without the flag

  private:
    // Formats `text` into one record of record-length bytes at `out`.
    void FormatRecord(std::string_view text, char* out);
    void ComputeOffsets();
    bool ValidField(int index) const {
        return index >= 1 && index <= static_cast<int>(layout_.fields.size());
    }

    DbfLayout layout_;
    std::vector<std::size_t> offsets_;  // start of each field within a record, flag included
    std::vector<char> records_;         // the records, record length bytes each
    std::vector<char> buffer_;          // records waiting for UpdateFileEx
    std::int32_t buffered_ = 0;
    std::string path_;
    bool loaded_ = false;
    bool writeFailed_ = false;
};

}  // namespace vx
