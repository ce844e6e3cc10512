#include "dbase/table_engine.h"

#include "dbase/field_format.h"
#include "dbase/table_code_page.h"
#include "dbase/table_statement.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"

namespace vx {

// Numbers are reported as the first type of the MIF writer's table (Integer, Decimal(12,0),
// Decimal(20, 5), Float) that holds every value the field can, so a column comes back from
// an import and an export as the same type or the nearest wider one:
//   N or F, no decimals, at most 11 wide   3   Integer (what an Integer column is made as)
//   N or F, no decimals, at most 13 wide   131 numeric, written as Decimal(12,0)
//   N or F, at most 5 decimals and an integer part (sign included) at most 14 wide
//                                          5   double, written as Decimal(20, 5)
//   any other N or F                       4   single, written as Float (a double in MIF)
//   L 11 Boolean, D 7 date, C and everything else 129 fixed character.
int AdoTypeOf(const DbfField& field) {
    switch (UpperAnsi(field.type)) {
        case 'N':
        case 'F': {
            int width = field.length;
            int decimals = field.decimals;
            if (decimals == 0 && width <= 11) return kAdInteger;
            if (decimals == 0 && width <= 13) return kAdNumeric;
            int integerWidth = width - decimals - (decimals > 0 ? 1 : 0);
            if (decimals <= 5 && integerWidth <= 14) return kAdDouble;
            return kAdSingle;
        }
        case 'L':
            return kAdBoolean;
        case 'D':
            return kAdDate;
        default:
            return kAdChar;
    }
}

bool TableConnection::Open(const std::string& folder) {
    Close();
    if (!FolderExists(folder)) return false;
    folder_ = folder;
    open_ = true;
    return true;
}

void TableConnection::Close() {
    open_ = false;
    folder_.clear();
}

std::string TableConnection::TablePath(const std::string& table) const {
    if (!open_ || !IsPlainFileName(table)) return {};
    return FindCompanion(JoinPath(folder_, table + ".dbf"), ".dbf");
}

bool TableConnection::Execute(const std::string& sql, std::string& error) {
    if (!open_) {
        error = "The connection is not open.";
        return false;
    }
    CreateTableStatement statement;
    if (!ParseCreateTable(sql, statement, error)) return false;
    if (!IsPlainFileName(statement.table)) {
        error = "The table name " + statement.table + " is not a file name.";
        return false;
    }
    if (!TablePath(statement.table).empty()) {
        error = "Table " + statement.table + " already exists.";
        return false;
    }
    DbfLayout layout;
    layout.header.version = kDbfVersion3;
    layout.header.date = DbfToday();
    std::size_t recordLength = 1;
    for (const auto& column : statement.columns) {
        DbfField field;
        field.SetName(column.name);
        field.type = column.type;
        field.length = column.length;
        field.decimals = column.decimals;
        layout.fields.push_back(field);
        recordLength += column.length;
    }
    layout.header.headerLength = static_cast<std::uint16_t>(layout.HeadSize());
    layout.header.recordLength = static_cast<std::uint16_t>(recordLength);

    ByteBuffer bytes;
    EncodeDbfLayout(layout, bytes);
    std::string path = JoinPath(folder_, statement.table + ".dbf");
    BinaryWriter out;
    if (!out.Create(path) || (out.Write(bytes), !out.Close())) {
        DeleteFile(path);
        error = "The table file " + path + " cannot be written.";
        return false;
    }
    return true;
}

bool TableRecordset::Open(const TableConnection& connection, const std::string& source,
                          std::string& error) {
    Close();
    if (!connection.IsOpen()) {
        error = "The connection is not open.";
        return false;
    }
    std::string_view name = Trim(source);
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
        name = name.substr(1, name.size() - 2);
    }
    std::string path = connection.TablePath(std::string(name));
    if (path.empty()) {
        error = "The table " + std::string(name) + " could not be found.";
        return false;
    }
    if (!file_.Open(path) || !ReadDbfLayout(file_, layout_, error)) {
        if (file_.IsOpen() && error.empty()) error = "The table cannot be read.";
        if (!file_.IsOpen()) error = "The table file " + path + " cannot be opened.";
        Close();
        return false;
    }
    std::size_t at = 1;
    for (const auto& field : layout_.fields) {
        TableField f;
        f.Name = field.Name();
        f.Type = AdoTypeOf(field);
        f.DefinedSize = field.length;
        f.NumericScale = field.decimals;
        fields_.push_back(std::move(f));
        offsets_.push_back(at);
        at += field.length;
    }
    codePage_ = ReadTableCodePage(path);
    row_ = 0;
    SeekLive();
    return true;
}

void TableRecordset::Close() {
    file_.Close();
    layout_ = DbfLayout{};
    fields_.clear();
    offsets_.clear();
    current_.clear();
    codePage_.clear();
    row_ = 0;
}

void TableRecordset::SeekLive() {
    std::size_t length = layout_.header.recordLength;
    for (; row_ < layout_.header.recordCount; ++row_) {
        std::uint64_t at = layout_.header.headerLength + std::uint64_t(row_) * length;
        const unsigned char* p = file_.Peek(at, length);
        if (p == nullptr) {  // checked on opening; only a file changed under us gets here
            row_ = layout_.header.recordCount;
            break;
        }
        if (p[0] != '*') {  // rows marked deleted are not part of the table
            current_.assign(reinterpret_cast<const char*>(p), length);
            return;
        }
    }
    current_.clear();
}

std::int32_t TableRecordset::LiveRowCount() {
    if (!IsOpen()) return 0;
    std::int32_t live = 0;
    const std::size_t length = layout_.header.recordLength;
    for (std::int32_t row = 0; row < layout_.header.recordCount; ++row) {
        const unsigned char* p =
            file_.Peek(layout_.header.headerLength + std::uint64_t(row) * length, 1);
        if (p == nullptr) break;  // as SeekLive: only a file changed under us ends early
        if (p[0] != '*') ++live;
    }
    return live;
}

void TableRecordset::MoveFirst() {
    if (!IsOpen()) return;
    row_ = 0;
    SeekLive();
}

void TableRecordset::MoveNext() {
    if (IsEOF()) return;
    ++row_;
    SeekLive();
}

std::optional<std::string> TableRecordset::Value(int index) const {
    if (IsEOF() || index < 0 || index >= FieldCount()) return std::nullopt;
    const DbfField& field = layout_.fields[static_cast<std::size_t>(index)];
    std::string_view raw(current_);
    return StoredValueText(field.type, raw.substr(offsets_[index], field.length));
}

}  // namespace vx
