#pragma once

#include <string>
#include <string_view>

namespace vx {

// Where a reader or writer reports its lines while it works ("Reading ...", what it gave up):
// the engine's job log and status event, or whatever a caller collects them in.
class StatusLines {
  public:
    virtual ~StatusLines() = default;
    // One line as it stands, line end included.
    virtual void Report(std::string_view line) = 0;
    // One line of a stage: "\t" + text + CR LF.
    void ReportStage(std::string_view text) {
        std::string line;
        line.reserve(text.size() + 3);
        line += '\t';
        line += text;
        line += "\r\n";
        Report(line);
    }
};

}  // namespace vx
