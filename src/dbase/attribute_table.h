#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dbase/table_engine.h"
#include "model/job_context.h"

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

// Creates the empty table of a layer over the connection, under `shortTableName`, and leaves
// it under the job's table file name, marked with the job's code page (a .cpg beside it and
// its language driver byte); the layer model's table list becomes that one name.
// With `textLabelColumn` the table gets a last column TextLabel for the labels of text
// objects. On failure: a message box with the reason, the connection closed, the job failed
// and "Problems creating the dbf file!" reported; the result is false.
bool CreateAttributeTable(JobContext& job, TableConnection& connection,
                          const std::string& shortTableName, bool textLabelColumn);

// Fills the table of the layer of `kind` from the job's MID file: the r-th MID line belongs
// to the r-th object of the source; lines of other kinds are skipped, and for the point layer
// text objects bring their label. Rows are written 20,000 at a time. Does nothing when the
// job has no MID file. False when the table or the MID file cannot be read or the table
// cannot be written; the caller reports it.
bool FillAttributeTable(JobContext& job, int kind, const std::string& shortTableName);
// The same without reporting its stage. It only reads the job, so it may run on a thread of
// its own while the layer's files are written from the same model.
bool FillAttributeRows(const JobContext& job, int kind, const std::string& shortTableName);

}  // namespace vx
