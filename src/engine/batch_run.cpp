#include "engine/batch_run.h"

#include "converters/tab_converter.h"
#include "engine/run_plan.h"
#include "mif/mapinfo_files.h"
#include "platform/file_system.h"
#include "platform/output_stage.h"
#include "platform/paths.h"
#include "platform/temp_files.h"

namespace vx {

namespace {

// Extension replaced by ".vxv" in an import's output path, by format.
const char* ImportExtension(ImportFormat format) {
    switch (format) {
        case ImportFormat::kMif:
            return ".MIF";
        case ImportFormat::kShape:
            return ".shp";
        case ImportFormat::kDgn:
            return ".DGN";
        case ImportFormat::kAscii:
            return ".txt";
        case ImportFormat::kTab:
            return ".Tab";
    }
    return "";
}

// Extension that replaces ".vxv" in an export's output path, by format.
const char* ExportExtension(ExportFormat format) {
    switch (format) {
        case ExportFormat::kMif:
            return ".MIF";
        case ExportFormat::kShape:
            return ".shp";
        case ExportFormat::kTab:
            return ".Tab";
    }
    return "";
}

// An output path moved into the folder "Specify" chose, under its own name.
std::string InFolder(const std::string& folder, const std::string& output) {
    return JoinPath(folder, NameOf(output));
}

// The most failed files the closing message names one by one.
constexpr std::size_t kNamedFailures = 20;

std::string OutputPathFor(const std::string& source, const char* from, const char* to) {
    const std::string folder = FolderOf(source);
    const std::string name = OutputName(source, from, to);
    return folder.empty() ? name : JoinPath(folder, name);
}

}  // namespace

JobList* BatchRun::ListFor(ImportFormat format) {
    switch (format) {
        case ImportFormat::kMif:
            return &MifFiles;
        case ImportFormat::kShape:
            return &ShpFiles;
        case ImportFormat::kDgn:
            return &DgnFiles;
        case ImportFormat::kAscii:
            return &AsciiFiles;
        case ImportFormat::kTab:
            return &TabFiles;
    }
    return nullptr;
}

JobList* BatchRun::ListFor(ExportFormat format) {
    switch (format) {
        case ExportFormat::kMif:
            return &MifFiles;
        case ExportFormat::kShape:
            return &ShpFiles;
        case ExportFormat::kTab:
            return &TabFiles;
    }
    return nullptr;
}

void BatchRun::BuildImportLists(ImportFormat format, const std::vector<std::string>& paths) {
    JobList* list = ListFor(format);
    for (const auto& path : paths) {
        list->sources.push_back(path);
        list->outputs.push_back(OutputPathFor(path, ImportExtension(format), ".vxv"));
    }
}

void BatchRun::BuildExportLists(ExportFormat format, const std::vector<std::string>& paths) {
    JobList* list = ListFor(format);
    for (const auto& path : paths) {
        list->sources.push_back(path);
        list->outputs.push_back(OutputPathFor(path, ".vxv", ExportExtension(format)));
    }
}

bool BatchRun::ApplyOutputFolder(const std::string& folder) {
    if (folder.empty()) {
        if (prompt_ != nullptr) prompt_->ShowMessage("Please choose the output folder.");
        return false;
    }
    for (JobList* list : {&MifFiles, &DgnFiles, &ShpFiles, &AsciiFiles, &TabFiles}) {
        for (auto& output : list->outputs)
            output = InFolder(folder, output);
    }
    return true;
}

std::string BatchRun::Destination(const JobList& list, std::size_t i,
                                  const std::string& folder) const {
    // The list's position in the format list of the run's direction.
    int format = static_cast<int>(ImportFormat::kMif);
    if (&list == &ShpFiles) format = static_cast<int>(ImportFormat::kShape);
    if (&list == &DgnFiles) format = static_cast<int>(ImportFormat::kDgn);
    if (&list == &AsciiFiles) format = static_cast<int>(ImportFormat::kAscii);
    if (&list == &TabFiles) {
        format = TransType == TransferDirection::kImport ? static_cast<int>(ImportFormat::kTab)
                                                         : static_cast<int>(ExportFormat::kTab);
    }
    const std::string& output = list.outputs[i];
    return OutputTarget(RouteOf(TransType, format),
                        folder.empty() ? output : InFolder(folder, output),
                        engine_.CreateVxvFolder());
}

bool BatchRun::HasSource(const std::string& source) const {
    for (const JobList* list : {&MifFiles, &DgnFiles, &ShpFiles, &AsciiFiles, &TabFiles}) {
        for (const std::string& listed : list->sources) {
            if (listed == source) return true;
        }
    }
    return false;
}

std::size_t BatchRun::TotalFiles() const {
    return MifFiles.Count() + DgnFiles.Count() + ShpFiles.Count() + AsciiFiles.Count() +
           TabFiles.Count();
}

void BatchRun::Advance(const JobList& list, std::size_t i, bool converted) {
    ++done_;
    if (!converted) {
        allConverted_ = false;
        failed_.push_back(list.sources[i]);
    }
    if (progress_)
        progress_(done_, total_, converted, converted ? FolderOf(Destination(list, i)) : "");
}

void BatchRun::TellResult() {
    const std::size_t left = total_ - done_;
    std::string stopped;
    if (left > 0) {
        stopped = "The run was stopped: " + std::to_string(left) +
                  (left == 1 ? " file was not converted." : " files were not converted.");
        engine_.Context().Report("\r\n" + stopped + "\r\n");
    }
    if (prompt_ == nullptr) return;
    if (allConverted_) {
        if (!stopped.empty()) prompt_->ShowMessage(stopped);
        return;
    }
    std::string text = "One or More files were not imported";
    for (std::size_t i = 0; i < failed_.size() && i < kNamedFailures; ++i)
        text += "\n    " + failed_[i];
    if (failed_.size() > kNamedFailures)
        text += "\n    ... and " + std::to_string(failed_.size() - kNamedFailures) + " more";
    if (!stopped.empty()) text += "\n\n" + stopped;
    prompt_->ShowMessage(text, "Import Error");
}

bool BatchRun::ImportTabFile(const std::string& source, const std::string& output) {
    engine_.SetCurrentFile(source);
    TempFileSet temps;
    const std::string mif = temps.Create("mif", ".mif");
    if (mif.empty()) {
        engine_.Context().ReportStage("No temporary file for " + NameOf(source));
        return false;
    }
    temps.Track(WithExtension(mif, ".mid"));
    std::string reason;
    if (main1(source, mif, &reason) != 0) {
        engine_.Context().Report("Importing TAB File " + NameOf(source) + "\r\n");
        engine_.Context().ReportStage("The TAB file could not be converted: " + reason);
        return false;
    }
    return engine_.ImportMifFile(mif, output);
}

bool BatchRun::ExportTabFile(const std::string& source, const std::string& output) {
    engine_.SetCurrentFile(output);
    // The way is checked before anything is written, so a refused file costs nothing. The
    // older table is replaced only once the new one is complete.
    OutputStage stage;
    if (FileExists(output)) {
        if (!engine_.OverwriteExistingFiles()) {
            engine_.Context().Report("Exporting TAB To MIF File " + NameOf(output) + "\r\n");
            engine_.Context().Report("VXV to TAB Export Aborted\r\n");
            return false;
        }
        for (const std::string& file : MapInfoTableFiles(output))
            stage.Retire(file);
    }
    TempFileSet temps;
    const std::string mif = temps.Create("mif", ".mif");
    if (mif.empty()) {
        engine_.Context().ReportStage("No temporary file for " + NameOf(output));
        return false;
    }
    temps.Track(WithExtension(mif, ".mid"));
    if (!engine_.ExportMifFile(source, mif)) return false;
    std::string reason;
    if (!stage.Open(FolderOf(output), reason)) {
        engine_.Context().ReportStage(reason);
        return false;
    }
    if (main1(mif, stage.PathOf(NameOf(output)), &reason) != 0) {
        engine_.Context().ReportStage("The TAB file could not be written: " +
                                      stage.InFinalNames(reason));
        return false;
    }
    if (!stage.Commit(reason)) {
        engine_.Context().ReportStage(reason);
        return false;
    }
    // The source goes only once its TAB is in place.
    if (engine_.DeleteScrFile()) engine_.DeleteExportedLayer(source);
    return true;
}

bool BatchRun::RunConversion(bool overwriteExistingFiles) {
    engine_.SetOverwriteExistingFiles(overwriteExistingFiles);
    allConverted_ = true;
    failed_.clear();
    stopRequested_ = false;  // a stop asked after the last run ended is no stop of this one
    done_ = 0;
    total_ = TotalFiles();
    const bool import = TransType == TransferDirection::kImport;

    // TAB wording belongs to the TAB loops alone, whatever format the window shows.
    engine_.SetTabMode(false);
    for (std::size_t i = 0; i < MifFiles.Count() && !Stopping(); ++i) {
        Advance(MifFiles, i,
                import ? engine_.ImportMifFile(MifFiles.sources[i], MifFiles.outputs[i])
                       : engine_.ExportMifFile(MifFiles.sources[i], MifFiles.outputs[i]));
    }
    if (import) {
        for (std::size_t i = 0; i < DgnFiles.Count() && !Stopping(); ++i) {
            Advance(DgnFiles, i, engine_.ImportDgnFile(DgnFiles.sources[i], DgnFiles.outputs[i]));
        }
    }
    for (std::size_t i = 0; i < ShpFiles.Count() && !Stopping(); ++i) {
        // The import passes the default style values explicitly.
        Advance(ShpFiles, i,
                import ? engine_.ImportShapeFile(ShpFiles.sources[i], ShpFiles.outputs[i],
                                                 ShapeImportArguments{})
                       : engine_.ExportShapeFile(ShpFiles.sources[i], ShpFiles.outputs[i]));
    }
    if (import && AsciiFiles.Count() > 0 && !Stopping()) {
        // The projection of the text files is asked once per run, before the first of them.
        if (prompt_ != nullptr) prompt_->EditProjection(projection);
        engine_.SetAsciiLayerInfo(projection);
        for (std::size_t i = 0; i < AsciiFiles.Count() && !Stopping(); ++i) {
            Advance(AsciiFiles, i,
                    engine_.ImportAsciiFile(AsciiFiles.sources[i], AsciiFiles.outputs[i]));
        }
    }
    if (TabFiles.Count() > 0) {
        engine_.SetTabMode(true);
        for (std::size_t i = 0; i < TabFiles.Count() && !Stopping(); ++i) {
            Advance(TabFiles, i,
                    import ? ImportTabFile(TabFiles.sources[i], TabFiles.outputs[i])
                           : ExportTabFile(TabFiles.sources[i], TabFiles.outputs[i]));
        }
        engine_.SetTabMode(false);
    }

    const bool complete = allConverted_ && done_ == total_;
    TellResult();
    ClearJobLists();
    return complete;
}

void BatchRun::ClearJobLists() {
    for (JobList* list : {&MifFiles, &DgnFiles, &ShpFiles, &AsciiFiles, &TabFiles})
        list->Clear();
}

}  // namespace vx
