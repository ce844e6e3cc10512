#include "model/job_context.h"

namespace vx {

namespace {
SilentPrompt gSilentPrompt;
}

JobContext::JobContext() : prompt_(&gSilentPrompt) {}

void JobContext::setPrompt(Prompt* prompt) {
    prompt_ = prompt != nullptr ? prompt : &gSilentPrompt;
}

void JobContext::Report(std::string_view line) {
    // A refusal leaves its text without a line end; what follows starts a line of its own.
    const bool lineOpen = !log_.empty() && log_.back() != '\n' && log_.back() != '\r';
    if (lineOpen && !line.empty() && line.front() != '\r' && line.front() != '\n') log_ += "\r\n";
    log_ += line;
    status_ = line;
    RaiseStatus();
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
    midPresent = false;
    vxsPath.clear();
    options.CreateContours = false;
    failed_ = false;
}

}  // namespace vx
