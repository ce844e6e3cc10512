#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/batch_run.h"
#include "support/test_support.h"

// What the engine's tests share: the sample set, batch runs that answer every question, the
// lines of one job, and folders compared file by file.
namespace vx::test {

inline std::string Samples(const std::string& name = {}) {
    return std::string(VX_SOURCE_TREE) + "/samples" + (name.empty() ? "" : "/" + name);
}

// Keeps what a run shows, answers No, and answers the projection dialog with `projection`
// when it is set.
class RunAnswers : public RunPrompt {
  public:
    void ShowMessage(const std::string& text, const std::string& title) override {
        messages.push_back(title + ": " + text);
    }
    bool AskYesNo(const std::string&) override { return false; }
    void EditProjection(ProjectionSettings& settings) override {
        ++projectionDialogs;
        if (projection) settings = *projection;
    }
    std::vector<std::string> messages;
    int projectionDialogs = 0;
    std::optional<ProjectionSettings> projection;
};

// An engine that carries attributes, with a batch run over it.
struct Batch {
    Batch() {
        engine.SetCreateDbf(true);
        run.SetPrompt(&prompt);
    }
    // Runs one list of `files` into `outFolder`, made first as the front ends make it (beside
    // each source when empty).
    bool Import(ImportFormat format, const std::vector<std::string>& files,
                const std::string& outFolder = {}, bool overwrite = false) {
        run.TransType = TransferDirection::kImport;
        run.BuildImportLists(format, files);
        return Run(outFolder, overwrite);
    }
    bool Export(ExportFormat format, const std::vector<std::string>& files,
                const std::string& outFolder = {}, bool overwrite = false) {
        run.TransType = TransferDirection::kExport;
        run.BuildExportLists(format, files);
        return Run(outFolder, overwrite);
    }
    bool Run(const std::string& outFolder, bool overwrite) {
        if (outFolder.empty()) return run.RunConversion(overwrite);
        std::filesystem::create_directories(outFolder);
        return run.ApplyOutputFolder(outFolder) && run.RunConversion(overwrite);
    }
    vx::Import engine;
    RunAnswers prompt;
    BatchRun run{engine};
};

// One job: whether it converted, what it added to the log and the statuses it raised.
struct JobRun {
    bool ok = false;
    std::string log;
    std::vector<std::string> statuses;
};
template <typename Job>
JobRun Watch(vx::Import& engine, Job job) {
    JobRun run;
    const std::size_t before = engine.JobLog().size();
    // A refusal leaves its line open; the line end the next job puts first closes it.
    const bool open =
        before > 0 && engine.JobLog().back() != '\n' && engine.JobLog().back() != '\r';
    const auto token =
        engine.SubscribeReportStatus([&](const std::string& s) { run.statuses.push_back(s); });
    run.ok = job();
    engine.UnsubscribeReportStatus(token);
    run.log = engine.JobLog().substr(before);
    if (open && run.log.starts_with("\r\n")) run.log.erase(0, 2);
    if (run.statuses.empty()) run.statuses.emplace_back();
    return run;
}

// Every file under a folder by its path relative to it, with its bytes; the subtree `skip`
// left out.
using FileTree = std::map<std::string, std::string>;
inline FileTree TakeTree(const std::string& folder, const std::string& skip = {}) {
    namespace fs = std::filesystem;
    FileTree files;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        if (!skip.empty() && it->path() == fs::path(skip)) {
            it.disable_recursion_pending();
        } else if (it->is_regular_file()) {
            files[fs::relative(it->path(), folder).string()] = ReadFile(it->path().string());
        }
    }
    return files;
}

// "gone: NAME", "changed: NAME", "added: NAME" between two takes, in name order by kind.
inline std::vector<std::string> TreeChanges(const FileTree& before, const FileTree& after) {
    std::vector<std::string> changes;
    for (const auto& [name, bytes] : before) {
        auto it = after.find(name);
        if (it == after.end()) {
            changes.push_back("gone: " + name);
        } else if (it->second != bytes) {
            changes.push_back("changed: " + name);
        }
    }
    for (const auto& [name, bytes] : after) {
        if (!before.count(name)) changes.push_back("added: " + name);
    }
    return changes;
}

}  // namespace vx::test
