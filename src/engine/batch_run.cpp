#include "engine/batch_run.h"

#include "converters/tab_converter.h"
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
            output = JoinPath(folder, NameOf(output));
    }
    return true;
}

std::size_t BatchRun::TotalFiles() const {
    return MifFiles.Count() + DgnFiles.Count() + ShpFiles.Count() + AsciiFiles.Count() +
           TabFiles.Count();
}

void BatchRun::Advance(bool converted) {
    ++done_;
    if (!converted) allConverted_ = false;
    if (progress_) progress_(done_, total_, converted);
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
    done_ = 0;
    total_ = TotalFiles();
    const bool import = TransType == TransferDirection::kImport;

    // TAB wording belongs to the TAB loops alone, whatever format the window shows.
    engine_.SetTabMode(false);
    for (std::size_t i = 0; i < MifFiles.Count(); ++i) {
        Advance(import ? engine_.ImportMifFile(MifFiles.sources[i], MifFiles.outputs[i])
                       : engine_.ExportMifFile(MifFiles.sources[i], MifFiles.outputs[i]));
    }
    if (import) {
        for (std::size_t i = 0; i < DgnFiles.Count(); ++i) {
            Advance(engine_.ImportDgnFile(DgnFiles.sources[i], DgnFiles.outputs[i]));
        }
    }
    for (std::size_t i = 0; i < ShpFiles.Count(); ++i) {
        // The import passes the default style values explicitly.
        Advance(import ? engine_.ImportShapeFile(ShpFiles.sources[i], ShpFiles.outputs[i],
                                                 ShapeImportArguments{})
                       : engine_.ExportShapeFile(ShpFiles.sources[i], ShpFiles.outputs[i]));
    }
    if (import && AsciiFiles.Count() > 0) {
        // The projection of the text files is asked once per run, before the first of them.
        if (prompt_ != nullptr) prompt_->EditProjection(projection);
        engine_.SetAsciiLayerInfo(projection);
        for (std::size_t i = 0; i < AsciiFiles.Count(); ++i) {
            Advance(engine_.ImportAsciiFile(AsciiFiles.sources[i], AsciiFiles.outputs[i]));
        }
    }
    if (TabFiles.Count() > 0) {
        engine_.SetTabMode(true);
        for (std::size_t i = 0; i < TabFiles.Count(); ++i) {
            Advance(import ? ImportTabFile(TabFiles.sources[i], TabFiles.outputs[i])
                           : ExportTabFile(TabFiles.sources[i], TabFiles.outputs[i]));
        }
        engine_.SetTabMode(false);
    }

    if (!allConverted_ && prompt_ != nullptr) {
        prompt_->ShowMessage("One or More files were not imported", "Import Error");
    }
    ClearJobLists();
    return allConverted_;
}

void BatchRun::ClearJobLists() {
    for (JobList* list : {&MifFiles, &DgnFiles, &ShpFiles, &AsciiFiles, &TabFiles})
        list->Clear();
}

}  // namespace vx
