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

bool CreateFailed(JobContext& job, TableConnection& connection, const std::string& why) {
    job.prompt().ShowMessage(why);
    connection.Close();
    job.Fail();
    job.ReportStage("Problems creating the dbf file!");
    return false;
}

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

// The table file as the filling step reaches it: under the layer's table name when it is
// there, else under the name it was created with.
std::string FilledTablePath(const JobContext& job, const std::string& shortTableName) {
    if (!job.tableFileName.empty()) {
        std::string path = JoinPath(job.outputFolder, job.tableFileName);
        if (FileExists(path)) return path;
    }
    return JoinPath(job.outputFolder, shortTableName + ".dbf");
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

bool CreateAttributeTable(JobContext& job, TableConnection& connection,
                          const std::string& shortTableName, bool textLabelColumn) {
    const std::string tableFile =
        job.tableFileName.empty() ? shortTableName + ".dbf" : job.tableFileName;
    if (job.options.CreateDbf) {
        std::string existing =
            FindCompanion(JoinPath(job.outputFolder, shortTableName + ".dbf"), ".dbf");
        if (!existing.empty()) DeleteFile(existing);
    }
    // A source without a column list still gets the key column that ties rows to objects.
    std::string columns = Trim(job.columnList).empty() ? std::string(kKeyColumn) : job.columnList;
    if (textLabelColumn) columns += ",TextLabel char(254)";
    // Bare words that are also SQL keywords get an underscore; names from the MIF reader stand
    // in brackets and pass unchanged.
    columns = ReplaceAllNoCase(columns, "count ", "Count_ ");
    columns = ReplaceAllNoCase(columns, "text ", "Text_ ");
    columns = ReplaceAllNoCase(columns, "date ", "Date_ ");

    std::string statement = "CREATE TABLE [" + shortTableName + "]\r\n(\r\n" + columns + "\r\n)";
    std::string error;
    if (!connection.Execute(statement, error)) return CreateFailed(job, connection, error);

    std::string from = JoinPath(connection.Folder(), shortTableName + ".dbf");
    std::string to = JoinPath(job.outputFolder, tableFile);
    if (from != to && !RenameFile(from, to)) {
        return CreateFailed(job, connection,
                            "The table " + from + " cannot be renamed to " + to + ".");
    }
    // The rows come from the source as they are; the table says which code page they are in.
    if (!WriteTableCodePage(to, job.codePage)) {
        return CreateFailed(job, connection,
                            "The code page of the table " + to + " cannot be written.");
    }
    job.model.TableNames = {tableFile};
    job.model.TableNameLengths = {static_cast<std::int32_t>(tableFile.size())};
    return true;
}

bool FillAttributeTable(JobContext& job, int kind, const std::string& shortTableName) {
    if (!job.midPresent) return true;
    job.ReportStage("    Creating DBF File.");
    return FillAttributeRows(job, kind, shortTableName);
}

bool FillAttributeRows(const JobContext& job, int kind, const std::string& shortTableName) {
    if (!job.midPresent) return true;
    const std::string path = FilledTablePath(job, shortTableName);
    VXRecordset table;
    table.OpenDBF(path);  // false for the empty table; what counts is that its head loaded
    if (!table.HasTable()) return false;
    TextReader mid;
    if (!mid.Open(job.midPath)) return false;
    table.ResizeRecords(kAttributeFlushRows);

    const auto& order = job.model.ObjectOrder;
    const auto& labels = job.model.TextLabels;
    const std::size_t recordLength = table.Layout().header.recordLength;
    std::size_t r = 0;
    std::int64_t n = 0;
    std::size_t t = 0;
    std::int32_t pending = 0;
    std::string row;
    std::string_view line;
    while (mid.ReadLine(line)) {
        ++r;
        if (r > order.size()) break;  // lines past the last object belong to none
        std::int32_t code = order[r - 1];
        if (OrderHasKind(code, kind)) {
            BuildRow(row, ++n, line, job.delimiter, job.sourceIdColumn);
        } else if (kind == kKindPoint && code == kOrderText) {
            ++t;
            BuildRow(row, ++n, line, job.delimiter, job.sourceIdColumn);
            row += ',';
            AppendRowValue(row, t <= labels.size() ? std::string_view(labels[t - 1]) : "");
        } else {
            continue;
        }
        table.InsertRecordEX(row);
        ++pending;
        if (pending >= kAttributeFlushRows ||
            static_cast<std::size_t>(pending) * recordLength >= kFlushBytes) {
            table.UpdateFileEx(path);
            table.ResizeRecords(kAttributeFlushRows);
            pending = 0;
        }
    }
    table.UpdateFileEx(path);
    return !mid.Failed() && !table.WriteFailed();
}

}  // namespace vx
