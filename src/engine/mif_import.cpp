#include <exception>

#include "dbase/attribute_table.h"
#include "engine/import.h"
#include "engine/run_plan.h"
#include "mif/mif_reader.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "vxv/layer_format.h"
#include "vxv/layer_set_writer.h"

namespace vx {

namespace {

const char* WritingLine(int kind) {
    switch (kind) {
        case kKindRegion:
            return "Writing Region File.";
        case kKindLine:
            return "Writing Polyline File.";
        default:
            return "Writing Point File.";
    }
}

}  // namespace

bool Import::ClearLayerOutput(const std::string& vxvPath, const std::string& abortText) {
    if (!FileExists(vxvPath)) return true;
    if (!ctx_.options.OverwriteExistingFiles) {
        ctx_.Refuse(abortText);
        return false;
    }
    RetireLayerSet(vxvPath);
    return true;
}

void Import::InitMifImport(const std::string& Inputfile, const std::string& OutputFileN) {
    ResetJob();
    ctx_.ReportStage("Checking Input Files...");
    if (!FileExists(Inputfile)) {
        ctx_.Refuse("Source file does not exist.");
        return;
    }
    if (!EndsWithNoCase(Inputfile, ".MIF")) {
        ctx_.Refuse("Invalid source file.");
        return;
    }
    ctx_.sourceFolder = FolderOf(Inputfile);
    const std::string outputPath =
        OutputTarget(Route::kMifImport, OutputFileN, ctx_.options.CreateVxvFolder);
    const std::string folder = FolderOf(outputPath).empty() ? "." : FolderOf(outputPath);
    if (!FolderExists(folder) && !CreateFolder(folder)) {
        ctx_.ReportStage("Cannot create the output folder " + folder);
        ctx_.Fail();
        return;
    }

    // The MID is found whatever the letter case of its extension.
    ctx_.midPath = FindCompanion(Inputfile, ".mid");
    ctx_.midPresent = !ctx_.midPath.empty();
    if (!ctx_.midPresent) ctx_.midPath = ReplaceInName(Inputfile, ".MIF", ".MID");

    ctx_.outputFolder = folder;
    ctx_.outputName = OutputName(outputPath, ".MIF", ".vxv");

    // A source of several kinds writes suffixed layers; each is an output that overwriting
    // must allow, like the plain name.
    for (const std::string& path : LayerSetFiles(JoinPath(folder, ctx_.outputName))) {
        if (EndsWithNoCase(path, ".vxv") && !ClearLayerOutput(path, "MIF Import Aborted")) return;
    }

    const std::string tableFile = ReplaceAllNoCase(ctx_.outputName, ".vxv", ".dbf");
    if (ctx_.options.CreateDbf) {
        if (!ctx_.midPresent) {
            ctx_.AppendLog("\tDBF File does not exist. MIF Import Aborted\r\n");
            ctx_.SetStatus("\tDBF file does not exist. MIF Import Aborted\r\n");
            ctx_.Fail();
            return;
        }
        const std::string tablePath = JoinPath(folder, tableFile);
        if (FileExists(tablePath)) {
            if (!ctx_.options.OverwriteExistingFiles) {
                ctx_.Refuse("MIF Import Aborted");
                return;
            }
            stage_.Retire(tablePath);
            const std::string codePage = FindCompanion(tablePath, ".cpg");
            if (!codePage.empty()) stage_.Retire(codePage);
        }
    }
    ctx_.shortTableName = ShortTableName(folder, tableFile);
    OpenStage();
}

void Import::WriteMifLayerSet(const AttributeRows& rows, bool unsupportedShapes) {
    model_.FileHeader.FormatNumber = kLayerFormatNumber;
    ctx_.ReportStage("Writing ...");
    if (unsupportedShapes) {
        ctx_.prompt().ShowMessage(
            "Your file contains some unsupported shapes.\r\nOnly REGION, PLINE and POINT data is "
            "supported.");
    }
    std::string error = "cannot open the output folder " + stage_.Path();
    bool tableFailed = false;
    LayerStages stages;
    stages.begin = [&](int kind, const LayerFiles& files) {
        ctx_.ReportStage(WritingLine(kind));
        if (!ctx_.options.CreateDbf) return true;
        const std::string tableFile = NameOf(files.dbf);
        const bool labels = kind == kKindPoint && model_.TextCount >= 1;
        if (!CreateAttributeTable(connection_, ShortTableName(stage_.Path(), tableFile),
                                  files.dbf, rows, labels, error)) {
            ctx_.prompt().ShowMessage(error);
            tableFailed = true;
            return false;
        }
        NameLayerTable(model_, tableFile);
        return true;
    };
    stages.measured = [&](int) { ctx_.ReportStage("    Creating Data File."); };
    if (ctx_.options.CreateDbf && ctx_.midPresent) {
        // The filling reads only the object order and the labels, which writing the layer's
        // files does not change.
        stages.fill = [&](int kind, const LayerFiles& files) {
            return FillAttributeRows(files.dbf, rows, model_.ObjectOrder, model_.TextLabels, kind);
        };
        stages.written = [&](int, const LayerFiles&) {
            ctx_.ReportStage("    Creating DBF File.");
            return true;
        };
    }
    std::vector<std::string> written;
    const bool done =
        connection_.Open(stage_.Path()) &&
        WriteLayerSet(model_, Staged(ctx_.outputName), stages, written, error);
    connection_.Close();
    if (done) return;
    ctx_.Fail();
    if (tableFailed) {
        ctx_.ReportStage("Problems creating the dbf file!");
        return;
    }
    ctx_.ReportStage("Problems Encountered !!!");
    ctx_.AppendLog("\t(" + error + ")\r\n");
}

bool Import::ImportMifFile(const std::string& Inputfile, const std::string& OutputFile) {
    return Guarded([&] {
        if (tabMode_) {
            ctx_.Report("Importing TAB File " + NameOf(currentFile_) + std::string(kCrLf));
        } else {
            ctx_.Report("Importing MIF File " + NameOf(Inputfile) + std::string(kCrLf));
        }
        InitMifImport(Inputfile, OutputFile);
        if (ctx_.Failed()) {
            ctx_.RaiseStatus();
            stage_.Abandon();
            return false;
        }
        const MifReadOptions options{ctx_.options.CreateDbf, ctx_.options.CreateContours};
        MifReading reading = ReadMifFile(Inputfile, options, ctx_);
        if (!reading.ok) {
            ctx_.Fail();
            AbandonOutputs();
            return false;
        }
        model_ = std::move(reading.model);
        WriteMifLayerSet(reading.table, reading.unsupportedShapes);
        if (ctx_.Failed() || !CommitOutputs()) {
            AbandonOutputs();
            return false;
        }
        ctx_.Report("\r\n\tImport Successfully Completed.\r\n\r\n");
        if (ctx_.options.DeleteScrFile) {
            DeleteFile(Inputfile);
            if (ctx_.midPresent) DeleteFile(ctx_.midPath);
        }
        return true;
    });
}

}  // namespace vx
