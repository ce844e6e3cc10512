#include "model/job_context.h"

#include "platform/strings.h"

namespace vx {

namespace {
SilentPrompt gSilentPrompt;
}

JobContext::JobContext() : prompt_(&gSilentPrompt) {
    asciiLayer.lCoordSys = 1;
    asciiLayer.MinX = -90.0;
    asciiLayer.MinY = -45.0;
    asciiLayer.MaxX = 90.0;
    asciiLayer.MaxY = 45.0;
}

void JobContext::setPrompt(Prompt* prompt) {
    prompt_ = prompt != nullptr ? prompt : &gSilentPrompt;
}

void JobContext::Report(std::string_view line) {
    log_ += line;
    status_ = line;
    RaiseStatus();
}

void JobContext::ReportStage(std::string_view text) {
    std::string line = "\t";
    line += text;
    line += kCrLf;
    Report(line);
}

std::size_t JobContext::Subscribe(StatusListener listener) {
    listeners_.emplace_back(nextToken_, std::move(listener));
    return nextToken_++;
}

void JobContext::Unsubscribe(std::size_t token) {
    std::erase_if(listeners_, [token](const auto& entry) { return entry.first == token; });
}

void JobContext::RaiseStatus() {
    // Copies, so that a listener that reports again or unsubscribes cannot pull the text or
    // the list from under us.
    const std::string status = status_;
    const auto listeners = listeners_;
    for (const auto& entry : listeners)
        entry.second(status);
}

void JobContext::ResetJob() {
    outputName.clear();
    outputFolder.clear();
    sourceFolder.clear();
    shortTableName.clear();
    tableFileName.clear();
    midPath.clear();
    vxsPath.clear();
    midPresent = false;
    sourcePath.clear();
    columnList.clear();
    sourceIdPresent = false;
    delimiter = ',';
    codePage = kDefaultCodePage;
    options.CreateContours = false;
    failed_ = false;
    model.Clear();
    coordinateFactor = 1.0;
    coordinateOffset = {};
    coordProjection = -1;
    coordDatum = -1;
    sourceIdColumn = -1;
    unsupportedShapes = false;
}

}  // namespace vx
