#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dbase/table_engine.h"
#include "model/layer_model.h"
#include "platform/code_page.h"

// The attribute table of each layer a MIF import writes: named after the layer, created empty
// from the MIF's column list, then filled from the MID rows of the layer's objects, with a
// SPATIAL_ID numbering them 1, 2, 3 ... in object order.
namespace vx {

// Rows collected before they are written to the table in one go.
inline constexpr std::int32_t kAttributeFlushRows = 20000;

// The table file name of a layer: the layer file name with the extension .dbf.
std::string AttributeTableFileName(const std::string& layerFileName);

// The name (without extension) under which the table is created: the file system's short
// name of the table file in the output folder, which here is the table file name itself.
std::string ShortTableName(const std::string& outputFolder, const std::string& tableFileName);

// One row of the table as comma-separated text: the identifier n, then the values of the MID
// line split at the MID delimiter, the source's own Spatial_ID column (1-based, -1 for none)
// left out. A value holding a comma or a double quote is quoted, its quotes doubled, so the
// row splits back into the same values.
std::string AttributeRowText(std::int64_t n, std::string_view midLine, char delimiter,
                             std::int32_t sourceIdColumn);
// `value` quoted for such a row when it needs it.
void AppendRowValue(std::string& row, std::string_view value);

// The rows of a layer's table as a MIF import brings them: a MID file of delimited text, the
// column declarations the header gives, and the code page of the text.
struct AttributeRows {
    std::string midPath;     // empty: the source has no MID
    std::string columnList;  // columns for CREATE TABLE, SPATIAL_ID first; empty: none
    char delimiter = ',';
    std::string codePage{kDefaultCodePage};
    std::int32_t sourceIdColumn = -1;  // 1-based position of a source Spatial_ID column
    bool sourceIdPresent = false;
};

// Creates the empty table of a layer over the connection (open on the output folder), under
// `shortTableName`, and leaves it as `tablePath` marked with the rows' code page. With
// `textLabelColumn` the table gets a last column TextLabel for the labels of text objects.
// False with the reason in `error`.
bool CreateAttributeTable(TableConnection& connection, const std::string& shortTableName,
                          const std::string& tablePath, const AttributeRows& rows,
                          bool textLabelColumn, std::string& error);

// Fills the table at `tablePath` of the layer of `kind` from the MID rows: the r-th MID line
// belongs to the r-th object of the source (objectOrder); lines of other kinds are skipped,
// and for the point layer text objects bring their label. Rows are written 20,000 at a
// time. Does nothing when there is no MID. False when the table or the MID cannot be read or
// the table cannot be written. It only reads, so it may run on a thread of its own while the
// layer's files are written from the same model.
bool FillAttributeRows(const std::string& tablePath, const AttributeRows& rows,
                       const std::vector<std::int32_t>& objectOrder,
                       const std::vector<std::string>& labels, int kind);

// Writes the attribute table of a layer of `rows` objects: a SPATIAL_ID column numbering them
// 1, 2, 3 ..., then `columns` (column definitions as CREATE TABLE takes them, after a comma;
// empty for none), each row's values given by `rowValues` (1-based, comma-separated, each
// value as AppendRowValue quotes it). An existing table is replaced. False with `error`.
bool WriteLayerTable(const std::string& dbfPath, const std::string& columns, std::int64_t rows,
                     const std::function<std::string(std::int64_t)>& rowValues, std::string& error);

}  // namespace vx
