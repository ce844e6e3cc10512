#include "dbase/attribute_table.h"

#include <charconv>

#include "dbase/table_code_page.h"
#include "dbase/vx_recordset.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/text_file.h"

namespace vx {

namespace {

// A flush also comes early when the rows collected reach this many bytes, so that a very wide
// table never holds 20,000 rows in memory at once.
constexpr std::size_t kFlushBytes = std::size_t{64} << 20;

constexpr std::string_view kKeyColumn = "SPATIAL_ID Decimal(20, 0)";

void BuildRow(std::string& row, std::int64_t n, std::string_view midLine, char delimiter,
              std::int32_t sourceIdColumn) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    row.assign(digits, end);
    std::vector<std::string> values = SplitQuoted(midLine, delimiter);
    for (std::size_t m = 1; m <= values.size(); ++m) {
        if (static_cast<std::int64_t>(m) == sourceIdColumn) continue;
        row += ',';
        AppendRowValue(row, values[m - 1]);
    }
}

}  // namespace

std::string AttributeTableFileName(const std::string& layerFileName) {
    if (EndsWithNoCase(layerFileName, ".vxv")) {
        return layerFileName.substr(0, layerFileName.size() - 4) + ".dbf";
    }
    return WithExtension(layerFileName, ".dbf");
}

std::string ShortTableName(const std::string& outputFolder, const std::string& tableFileName) {
    // Short names are asked of an existing file, so one is made for the question when the
    // table is not there yet, and removed again. A table that is there is left alone: the
    // attribute stage replaces it when it runs.
    std::string path = JoinPath(outputFolder, tableFileName);
    bool made = !FileExists(path) && CreateTextFile(path);
    std::string name = ShortName(path).value_or(tableFileName);
    if (made) DeleteFile(path);
    if (EndsWithNoCase(name, ".DBF")) name.resize(name.size() - 4);
    return name;
}

void AppendRowValue(std::string& row, std::string_view value) {
    if (value.find_first_of(",\"") == std::string_view::npos) {
        row += value;
        return;
    }
    row += '"';
    for (char c : value) {
        if (c == '"') row += '"';
        row += c;
    }
    row += '"';
}

std::string AttributeRowText(std::int64_t n, std::string_view midLine, char delimiter,
                             std::int32_t sourceIdColumn) {
    std::string row;
    BuildRow(row, n, midLine, delimiter, sourceIdColumn);
    return row;
}

bool CreateAttributeTable(TableConnection& connection, const std::string& shortTableName,
                          const std::string& tablePath, const AttributeRows& rows,
                          bool textLabelColumn, std::string& error) {
    const std::string folder = FolderOf(tablePath);
    const std::string existing = FindCompanion(JoinPath(folder, shortTableName + ".dbf"), ".dbf");
    if (!existing.empty()) DeleteFile(existing);
    // A source without a column list still gets the key column that ties rows to objects.
    std::string columns = Trim(rows.columnList).empty() ? std::string(kKeyColumn) : rows.columnList;
    if (textLabelColumn) columns += ",TextLabel char(254)";
    // Bare words that are also SQL keywords get an underscore; names from the MIF reader stand
    // in brackets and pass unchanged.
    columns = ReplaceAllNoCase(columns, "count ", "Count_ ");
    columns = ReplaceAllNoCase(columns, "text ", "Text_ ");
    columns = ReplaceAllNoCase(columns, "date ", "Date_ ");

    std::string statement = "CREATE TABLE [" + shortTableName + "]\r\n(\r\n" + columns + "\r\n)";
    if (!connection.Execute(statement, error)) return false;

    const std::string from = JoinPath(connection.Folder(), shortTableName + ".dbf");
    if (from != tablePath && !RenameFile(from, tablePath)) {
        error = "The table " + from + " cannot be renamed to " + tablePath + ".";
        return false;
    }
    // The rows come from the source as they are; the table says which code page they are in.
    if (!WriteTableCodePage(tablePath, rows.codePage)) {
        error = "The code page of the table " + tablePath + " cannot be written.";
        return false;
    }
    return true;
}

bool FillAttributeRows(const std::string& tablePath, const AttributeRows& rows,
                       const std::vector<std::int32_t>& objectOrder,
                       const std::vector<std::string>& labels, int kind) {
    if (rows.midPath.empty()) return true;
    VXRecordset table;
    table.OpenDBF(tablePath);  // false for the empty table; what counts is that its head loaded
    if (!table.HasTable()) return false;
    TextReader mid;
    if (!mid.Open(rows.midPath)) return false;
    table.ResizeRecords(kAttributeFlushRows);

    const std::size_t recordLength = table.Layout().header.recordLength;
    std::size_t r = 0;
    std::int64_t n = 0;
    std::size_t t = 0;
    std::int32_t pending = 0;
    std::string row;
    std::string_view line;
    while (mid.ReadLine(line)) {
        ++r;
        if (r > objectOrder.size()) break;  // lines past the last object belong to none
        std::int32_t code = objectOrder[r - 1];
        if (OrderHasKind(code, kind)) {
            BuildRow(row, ++n, line, rows.delimiter, rows.sourceIdColumn);
        } else if (kind == kKindPoint && code == kOrderText) {
            ++t;
            BuildRow(row, ++n, line, rows.delimiter, rows.sourceIdColumn);
            row += ',';
            AppendRowValue(row, t <= labels.size() ? std::string_view(labels[t - 1]) : "");
        } else {
            continue;
        }
        table.InsertRecordEX(row);
        ++pending;
        if (pending >= kAttributeFlushRows ||
            static_cast<std::size_t>(pending) * recordLength >= kFlushBytes) {
            table.UpdateFileEx(tablePath);
            table.ResizeRecords(kAttributeFlushRows);
            pending = 0;
        }
    }
    table.UpdateFileEx(tablePath);
    return !mid.Failed() && !table.WriteFailed();
}

bool WriteLayerTable(const std::string& dbfPath, const std::string& columns, std::int64_t rows,
                     const std::function<std::string(std::int64_t)>& rowValues,
                     std::string& error) {
    const std::string folder = FolderOf(dbfPath);
    const std::string fileName = NameOf(dbfPath);
    const std::string table = fileName.substr(0, fileName.size() - 4);
    TableConnection connection;
    if (!connection.Open(folder.empty() ? "." : folder)) {
        error = "no folder " + folder;
        return false;
    }
    // The engine refuses to create a table that is there; this one is being replaced.
    for (std::string old = connection.TablePath(table); !old.empty();
         old = connection.TablePath(table)) {
        if (!DeleteFile(old)) {
            error = "cannot replace " + old;
            return false;
        }
    }
    std::string sql = "CREATE TABLE [" + table + "]\r\n(\r\nSPATIAL_ID Decimal(20, 0)";
    if (!columns.empty()) sql += "," + columns;
    sql += "\r\n)";
    if (!connection.Execute(sql, error)) return false;
    const std::string path = connection.TablePath(table);

    VXRecordset recordset;
    recordset.OpenDBF(path);
    if (!recordset.HasTable()) {
        error = "cannot open the new table " + path;
        return false;
    }
    recordset.ResizeRecords(kAttributeFlushRows);
    std::int32_t pending = 0;
    std::string row;
    for (std::int64_t n = 1; n <= rows; ++n) {
        row = std::to_string(n);
        const std::string values = rowValues(n);
        if (!values.empty()) row += "," + values;
        recordset.InsertRecordEX(row);
        if (++pending == kAttributeFlushRows) {
            recordset.UpdateFileEx(path);
            recordset.ResizeRecords(kAttributeFlushRows);
            pending = 0;
        }
    }
    recordset.UpdateFileEx(path);
    if (recordset.WriteFailed()) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace vx
