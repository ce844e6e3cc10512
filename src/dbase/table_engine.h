#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dbase/dbase_layout.h"
#include "platform/binary_file.h"

// The table engine: a folder of dBASE files reached as tables by name. A connection creates
// empty tables by a CREATE TABLE statement; a recordset walks the live rows of one table in
// file order. Field types are reported with the ADO type codes the rest of the program acts
// on.
namespace vx {

enum AdoType : int {
    kAdInteger = 3,
    kAdSingle = 4,
    kAdDouble = 5,
    kAdDate = 7,
    kAdBoolean = 11,
    kAdChar = 129,
    kAdWChar = 130,
    kAdNumeric = 131,
    kAdVarChar = 200,
    kAdVarWChar = 202,
};

// The type code of a dBASE field; see the definition for the rule.
int AdoTypeOf(const DbfField& field);

class TableConnection {
  public:
    // Opens the connection on a folder; false when there is no such folder.
    bool Open(const std::string& folder);
    void Close();
    bool IsOpen() const { return open_; }
    const std::string& Folder() const { return folder_; }

    // Runs a CREATE TABLE [name] ( column list ) statement: writes an empty table name.dbf
    // into the folder (version 3, one descriptor per column, the terminator, no end-of-file
    // byte). False, with the reason in `error`, when the statement cannot be parsed, the table
    // exists already or cannot be written.
    bool Execute(const std::string& sql, std::string& error);

    // The file of a table, found whatever the letter case of its extension; empty when there
    // is none.
    std::string TablePath(const std::string& table) const;

  private:
    std::string folder_;
    bool open_ = false;
};

struct TableField {
    std::string Name;
    int Type = kAdChar;    // ADO type code
    int DefinedSize = 0;   // the field's width in the table
    int NumericScale = 0;  // decimals of a numeric field
};

class TableRecordset {
  public:
    // Opens the table named by `source` ("[name]", or the bare name) over an open connection
    // and stands on its first live row. False, with the reason in `error`, for a closed
    // connection, a missing table or a file that is not a whole table.
    bool Open(const TableConnection& connection, const std::string& source, std::string& error);
    void Close();
    bool IsOpen() const { return file_.IsOpen(); }
    // Past the last row (EOF is taken by the C library).
    bool IsEOF() const { return !IsOpen() || row_ >= layout_.header.recordCount; }
    void MoveNext();
    // Back to the first live row.
    void MoveFirst();

    // The number of live rows, the ones the recordset stands on in turn.
    std::int32_t LiveRowCount();

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    const std::vector<TableField>& Fields() const { return fields_; }
    // 0-based, as in ADO's field collection.
    const TableField& Field(int index) const { return fields_.at(static_cast<std::size_t>(index)); }
    // The current row's value of field `index` as text (see StoredValueText); empty for an
    // empty value, past the end or for an index out of range.
    std::optional<std::string> Value(int index) const;
    // The code page the table's text is in, as the table names it (table_code_page.h); empty
    // when it names none.
    const std::string& CodePage() const { return codePage_; }

  private:
    // Reads rows from `row_` on until a live one; false when the file cannot be read.
    void SeekLive();

    BinaryReader file_;
    DbfLayout layout_;
    std::vector<TableField> fields_;
    std::vector<std::size_t> offsets_;
    std::int32_t row_ = 0;  // 0-based row in the file
    std::string current_;
    std::string codePage_;
};

}  // namespace vx
