#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/prompt.h"
#include "platform/status_lines.h"

namespace vx {

// The switches a caller sets on the engine before a job.
struct JobOptions {
    bool CreateDbf = false;
    bool CreateContours = false;  // cleared by every job reset
    bool CreateVxvFolder = false;
    bool OverwriteExistingFiles = false;
    bool DeleteScrFile = false;
};

// One conversion job: the switches, the names the check stage derives, the failure flag,
// and the reporting every stage goes through (the job log, the status text and the event).
// The engine owns one; readers and writers see it only as the StatusLines they report to.
class JobContext : public StatusLines {
  public:
    using StatusListener = std::function<void(const std::string& Status)>;

    JobContext();

    JobOptions options;

    // Names the check stage derives (folders without a trailing separator).
    std::string outputName;  // file name only of the main output
    std::string outputFolder;
    std::string sourceFolder;
    std::string shortTableName;  // name the attribute table is created under, no extension
    std::string tableFileName;   // the attribute table's file name
    std::string midPath;
    bool midPresent = false;
    std::string vxsPath;  // the geometry file of the layer being exported

    // The prompt through which messages reach the person; never null (silent by default).
    Prompt& prompt() const { return *prompt_; }
    void setPrompt(Prompt* prompt);

    // Reporting. To report a line is to append it to the job log (on a line of its own when
    // the log's last line was left open), store it as the status text and raise it to every
    // listener, synchronously.
    void Report(std::string_view line) override;
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

    // Start of every job: the names back to their first values, CreateContours and the
    // failure flag cleared. The log and the status text stay.
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
