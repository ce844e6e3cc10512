#pragma once

#include <cstdint>
#include <string>

#include "dbase/attribute_table.h"
#include "model/layer_model.h"
#include "platform/status_lines.h"

// Reading a MIF file: the header (delimiter, coordinate system, code page and, when
// attributes are carried, the columns), then every object with its style, into a layer model.
// The reader hands back what it read; it writes nothing and keeps nothing of the job.
namespace vx {

struct MifReadOptions {
    bool CreateDbf = false;       // read the Columns clause for the attribute table
    bool CreateContours = false;  // regions take their brush's fore colour as pen colour
};

struct MifReading {
    bool ok = false;  // false: the failure has been reported
    LayerModel model;
    // What the attribute stage needs: the MID beside the file and what the header says of
    // its rows.
    AttributeRows table;
    bool unsupportedShapes = false;  // objects were skipped with their rows
};

// The reader's own state while it reads one file; the header, object and style readers work
// on it.
class MifReadState {
  public:
    MifReadState(const MifReadOptions& readOptions, StatusLines& statusLines)
        : options(readOptions), status_(statusLines) {}

    MifReadOptions options;
    LayerModel model;
    AttributeRows table;
    double coordinateFactor = 1.0;  // every coordinate is multiplied by it as it is read
    Vertex coordinateOffset;        // and the whole layer moved by this afterwards
    bool unsupportedShapes = false;

    void ReportStage(std::string_view text) { status_.ReportStage(text); }
    void Fail() { failed_ = true; }
    bool Failed() const { return failed_; }

  private:
    StatusLines& status_;
    bool failed_ = false;
};

// Reads the MIF file at `path`. Stage lines and failures go to `status`; a file that cannot
// be opened at all gives ok false without a line, for the caller to report. The source file
// is only read.
MifReading ReadMifFile(const std::string& path, const MifReadOptions& options, StatusLines& status);

}  // namespace vx
