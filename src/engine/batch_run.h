#pragma once

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
    // Told after every file of a run: files done so far, the run's total, and whether that
    // file converted.
    using Progress = std::function<void(std::size_t done, std::size_t total, bool converted)>;
    void SetProgress(Progress progress) { progress_ = std::move(progress); }

    // Appends the chosen files to the list of the format, each with its output path: the
    // source with the format's extension replaced by ".vxv" (import) or ".vxv" replaced by
    // the format's (export), and "-" made "_", in the file name only.
    void BuildImportLists(ImportFormat format, const std::vector<std::string>& paths);
    void BuildExportLists(ExportFormat format, const std::vector<std::string>& paths);

    // Every output goes into `folder`, under its own name. An empty folder is refused (with
    // a message) rather than taken for the root of the file system.
    bool ApplyOutputFolder(const std::string& folder);

    // Runs every list that has files, in the order MIF, DGN, Shape, ASCII, TAB. A failed file
    // never stops the run; at the end one message says that files failed, and the lists are
    // cleared. True when every file converted.
    bool RunConversion(bool overwriteExistingFiles);

    void ClearJobLists();
    std::size_t TotalFiles() const;

  private:
    JobList* ListFor(ImportFormat format);
    JobList* ListFor(ExportFormat format);
    // One file of the TAB route, through a temporary MIF/MID that is always removed.
    bool ImportTabFile(const std::string& source, const std::string& output);
    bool ExportTabFile(const std::string& source, const std::string& output);
    // Counts a file done; false results make the run's result false.
    void Advance(bool converted);

    Import& engine_;
    RunPrompt* prompt_ = nullptr;
    Progress progress_;
    bool allConverted_ = true;
    std::size_t done_ = 0;
    std::size_t total_ = 0;
};

}  // namespace vx
