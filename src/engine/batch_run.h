#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/import.h"
#include "engine/projection_settings.h"
#include "platform/prompt.h"

namespace vx {

// What a run needs from the person besides message boxes: the projection parameters shown
// before the ASCII files of a run (the window's dialog; the command line passes options).
class RunPrompt : public Prompt {
  public:
    virtual void EditProjection(ProjectionSettings& settings) = 0;
};

enum class TransferDirection { kImport = 0, kExport = 1 };

// Positions of the format list. Import: MIF, Shape, DGN, ASCII, TAB; export: MIF, Shape, TAB.
enum class ImportFormat { kMif = 0, kShape = 1, kDgn = 2, kAscii = 3, kTab = 4 };
enum class ExportFormat { kMif = 0, kShape = 1, kTab = 2 };

// One format's job list: source i is converted to output i.
struct JobList {
    std::vector<std::string> sources;
    std::vector<std::string> outputs;
    std::size_t Count() const { return sources.size(); }
    void Clear() {
        sources.clear();
        outputs.clear();
    }
    void Remove(std::size_t i) {
        sources.erase(sources.begin() + static_cast<std::ptrdiff_t>(i));
        outputs.erase(outputs.begin() + static_cast<std::ptrdiff_t>(i));
    }
};

// The batch run behind "Add Files" and "Convert>>>": per-format job lists, filled from the
// chosen files and run through the engine one file at a time in a fixed order.
class BatchRun {
  public:
    explicit BatchRun(Import& engine) : engine_(engine) {}

    JobList MifFiles, DgnFiles, ShpFiles, AsciiFiles, TabFiles;
    ProjectionSettings projection;  // kept across runs
    TransferDirection TransType = TransferDirection::kImport;

    void SetPrompt(RunPrompt* prompt) { prompt_ = prompt; }
    // Told after every file of a run: files done so far, the run's total, whether that file
    // converted and, when it did, the folder its outputs went to.
    using Progress = std::function<void(std::size_t done, std::size_t total, bool converted,
                                        const std::string& folder)>;
    void SetProgress(Progress progress) { progress_ = std::move(progress); }

    // Appends the chosen files to the list of the format, each with its output path: the
    // source with the format's extension replaced by ".vxv" (import) or ".vxv" replaced by
    // the format's (export), and "-" made "_", in the file name only.
    void BuildImportLists(ImportFormat format, const std::vector<std::string>& paths);
    void BuildExportLists(ExportFormat format, const std::vector<std::string>& paths);

    // Every output goes into `folder`, under its own name. An empty folder is refused (with
    // a message) rather than taken for the root of the file system.
    bool ApplyOutputFolder(const std::string& folder);

    // The main file the run writes for entry i of one of the lists: its output path, moved
    // into `folder` when one is given as ApplyOutputFolder would, where the engine's route
    // places it (the VXV or SHP folder of the shapefile routes, CreateVxvFolder).
    std::string Destination(const JobList& list, std::size_t i,
                            const std::string& folder = {}) const;

    // Whether `source` is in one of the lists already.
    bool HasSource(const std::string& source) const;

    // Runs every list that has files, in the order MIF, DGN, Shape, ASCII, TAB. A failed file
    // never stops the run; at the end one message says that files failed, naming them, and
    // the lists are cleared. True when every file converted.
    bool RunConversion(bool overwriteExistingFiles);

    // Asks the run in progress to stop once the file in progress is done; the files after it
    // are not converted, and the run says how many. May be called from any thread.
    void RequestStop() { stopRequested_ = true; }

    void ClearJobLists();
    std::size_t TotalFiles() const;

  private:
    JobList* ListFor(ImportFormat format);
    JobList* ListFor(ExportFormat format);
    // One file of the TAB route, through a temporary MIF/MID that is always removed.
    bool ImportTabFile(const std::string& source, const std::string& output);
    bool ExportTabFile(const std::string& source, const std::string& output);
    // Counts file i of `list` done; a false result makes the run's result false.
    void Advance(const JobList& list, std::size_t i, bool converted);
    bool Stopping() const { return stopRequested_; }
    // The closing message: the failed files, and how many a stop left.
    void TellResult();

    Import& engine_;
    RunPrompt* prompt_ = nullptr;
    Progress progress_;
    bool allConverted_ = true;
    std::vector<std::string> failed_;  // sources of the files that failed, in run order
    std::size_t done_ = 0;
    std::size_t total_ = 0;
    std::atomic<bool> stopRequested_{false};
};

}  // namespace vx
