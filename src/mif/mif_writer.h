#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "dbase/table_engine.h"
#include "model/layer_model.h"
#include "platform/code_page.h"
#include "platform/status_lines.h"
#include "platform/text_file.h"

// The MIF writer: one layer of the layer model, as the layer reader left it, becomes one MIF
// file and, when attributes are carried, its MID file. The header declares the coordinate
// system and the columns of the layer's table; the MID rows come from that table in its row
// order; the objects follow the header with their style clauses.
namespace vx {

// A file that cannot be created or written. What was written before stays on disk; the
// export driver reports the failure.
class MifWriteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The MID path of a MIF path: the extension of the file name changed, in the letter case of
// the MIF's own extension (x.MIF gives x.MID, x.mif gives x.mid). Folders are never touched.
std::string MidPathFor(const std::string& mifPath);

// The Charset a MIF file declares, and the conversion its table's text needs to be in it:
// none where MIF can name the table's code page, which is every code page but UTF-8 and a few
// rare ones.
struct MifTextEncoding {
    std::string_view charset = "WindowsLatin1";
    TextRecoder* recoder = nullptr;  // null: the bytes are written as they are
};

// Writes the model's layer as the MIF file at `mifPath` and, with `withMid`, its MID (at
// MidPathFor). `recordset` is the layer's open table, or closed when the layer has none; it
// is left at its end. The file declares the code page of the table's text; text in a code
// page MIF cannot name is written in the one of MIF's that holds most of it, with a status
// line saying so and another for characters it cannot hold. The objects come from `objects`,
// or from the model when it is empty. Throws MifWriteError when a file cannot be created or
// written, and passes on what the objects' sources throw.
void WriteMifFile(const LayerModel& model, const std::string& mifPath, bool withMid,
                  TableRecordset& recordset, StatusLines& status,
                  const ObjectSources& objects = {});

// Version, Charset, Delimiter, CoordSys, Columns and Data, then an empty line.
void WriteMifHeader(const LayerModel& model, const TableRecordset& recordset, TextWriter& out,
                    const MifTextEncoding& text = {});

// The MIF type of a table field: Integer, Float, Decimal(20, 5), Date, Logical, Char(n) or
// Decimal(12,0); empty for a type MIF has no column for.
std::string MifColumnType(const TableField& field);

// One row per table row, from the current one to the end; without a table, one row per
// object holding its number. Returns the number of rows written.
std::int32_t WriteMidRows(const LayerModel& model, TableRecordset& recordset, TextWriter& out,
                          const MifTextEncoding& text = {});

// What follows "CoordSys Earth Projection " for the layer's projection `code`: the MapInfo
// projection number, the datum, the unit and the parameters; a UTM zone as its transverse
// Mercator. Empty for a code MIF has no projection for (and for UTM without a zone 1 to 60);
// such layers are written as plane coordinates.
std::string MifProjectionClause(std::int32_t code, const LayerInfo& layer);

// The layer's CoordSys clause without its bounds: "CoordSys Earth Projection " and the
// projection clause, "CoordSys NonEarth Units " and the unit of a plane layer, or the plane
// clause in metres for an Earth layer whose projection MIF cannot name. Empty when the
// layer's lCoordSys is neither 0 nor 1. The MIF header and the .prj of shapefiles use it.
std::string MifCoordSysClause(const LayerInfo& layer, std::uint8_t unitCode);

// False for an Earth layer with a projection MIF cannot name: written as plane coordinates,
// it loses its place on the Earth. (An Earth layer without a projection never had one.)
bool MifCarriesCoordSys(const LayerInfo& layer);

// The MapInfo datum number of the engine's datum code; 0 for codes outside the catalogue.
std::int32_t MifDatumNumber(std::int32_t code);

// The objects of the layer's kind, 1 to LayerObjectCount, each meeting the MID row of its
// number (ObjectNumbers): "None" stands for every number up to `rows` that no object has,
// as for a shapefile's null records. The objects come from `objects` (two sources for a large
// layer, one for each thread), or from the model when it is empty.
void WriteMifObjects(const LayerModel& model, TextWriter& out, std::int32_t rows = 0,
                     const ObjectSources& objects = {});

// The layer model's pen and brush patterns as MapInfo pattern numbers; 0 for a pattern
// without an equivalent.
std::int32_t MifPenPattern(std::int32_t pattern);
std::int32_t MifBrushPattern(std::int32_t pattern);

}  // namespace vx
