#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/layer_model.h"
#include "platform/code_page.h"
#include "platform/prompt.h"

namespace vx {

// The switches a caller sets on the engine before a job.
struct JobOptions {
    bool CreateDbf = false;
    bool CreateContours = false;  // cleared by every job reset
    bool CreateVxvFolder = false;
    bool OverwriteExistingFiles = false;
    bool DeleteScrFile = false;
};

// The state of one conversion job and the reporting every stage goes through. The engine
// owns one; readers and writers take it by reference.
class JobContext {
  public:
    using StatusListener = std::function<void(const std::string& Status)>;

    JobContext();

    JobOptions options;
    LayerModel model;

    // Names the check stage derives (folders without a trailing separator).
    std::string outputName;  // file name only of the main output
    std::string outputFolder;
    std::string sourceFolder;
    std::string shortTableName;  // name the attribute table is created under, no extension
    std::string tableFileName;   // the attribute table's file name of the layer being written
    std::string midPath;
    std::string vxsPath;
    bool midPresent = false;

    // Reader state.
    std::string sourcePath;  // the source file being read
    std::string columnList;  // attribute columns for CREATE TABLE, from the source's header
    char delimiter = ',';
    // The code page of the source's text (platform/code_page.h), which its attribute table
    // carries on; Windows-1252 for a source that names none.
    std::string codePage{kDefaultCodePage};
    double coordinateFactor = 1.0;
    Vertex coordinateOffset;  // added to every coordinate after the factor
    std::int32_t coordProjection = -1;  // -1: no CoordSys seen
    std::int32_t coordDatum = -1;
    std::int32_t sourceIdColumn = -1;  // position of a source Spatial_ID column
    bool sourceIdPresent = false;
    bool unsupportedShapes = false;

    // Not reset between jobs.
    LayerInfo asciiLayer;
    bool tabMode = false;     // the front end shows the TAB format
    std::string currentFile;  // the .tab file of the TAB route in progress

    // The prompt through which messages reach the person; never null (silent by default).
    Prompt& prompt() const { return *prompt_; }
    void setPrompt(Prompt* prompt);

    // Reporting. To report a line is to append it to the job log, store it as the status
    // text and raise it to every listener, synchronously.
    void Report(std::string_view line);
    // Reports "\t" + text + CR LF, the form of a stage line.
    void ReportStage(std::string_view text);
    void AppendLog(std::string_view text) { log_ += text; }
    void SetStatus(std::string_view text) { status_ = text; }
    // Raises the current status text again.
    void RaiseStatus();
    // Adds a listener; the number returned takes it off again.
    std::size_t Subscribe(StatusListener listener);
    void Unsubscribe(std::size_t token);

    const std::string& Log() const { return log_; }
    const std::string& StatusText() const { return status_; }

    bool Failed() const { return failed_; }
    void Fail() { failed_ = true; }
    // A check's refusal: the bare text (no tab, no line end) goes to the log and becomes the
    // status text, and the job fails. The driver raises the status when it gives up.
    void Refuse(std::string_view text) {
        AppendLog(text);
        SetStatus(text);
        Fail();
    }

    // Start of every job: names, reader state and the model back to their first values, the
    // failure flag cleared. The log, the status text, the ASCII layer description and the
    // front end's TAB state stay.
    void ResetJob();

  private:
    bool failed_ = false;
    std::string log_;
    std::string status_;
    std::vector<std::pair<std::size_t, StatusListener>> listeners_;
    std::size_t nextToken_ = 1;
    Prompt* prompt_;
};

}  // namespace vx
