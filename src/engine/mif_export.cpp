#include <exception>

#include "engine/import.h"
#include "engine/run_plan.h"
#include "mif/mif_writer.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "vxv/layer_reader.h"

namespace vx {

namespace {

// An existing file at `path`, under this spelling or in another letter case; empty when
// there is none. Another spelling would otherwise stand beside the new file, and readers
// that look for companions in any case could take the old one.
std::string ExistingOutput(const std::string& path) {
    if (FileExists(path)) return path;
    const std::string name = NameOf(path);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return {};
    return FindCompanion(path, name.substr(dot));
}

}  // namespace

void Import::ReportLayerReadError() {
    ctx_.Fail();
    ctx_.AppendLog(std::string("Error Reading VXV....") + std::string(kCrLf));
    ctx_.SetStatus(std::string("\tError Reading VXV....") + std::string(kCrLf));
    ctx_.RaiseStatus();
}

void Import::ReadLayerFile(const std::string& vxvPath) {
    std::string vxsPath = FindCompanion(vxvPath, ".vxs");
    if (vxsPath.empty()) vxsPath = ReplaceInName(vxvPath, ".vxv", ".vxs");
    ctx_.vxsPath = vxsPath;
    std::string error;
    // The objects themselves are read as they are written (WriteMifFile's sources).
    if (!ReadLayerData(model_, vxvPath, vxsPath, LayerTarget::kIndex, nullptr, error)) {
        ReportLayerReadError();
        ctx_.AppendLog("\t(" + error + ")" + std::string(kCrLf));
        return;
    }
    if (ctx_.options.CreateDbf && !OpenAttributeTable(model_, vxvPath, connection_, recordset_)) {
        const std::string line = "\tMissing or Corrupt Non-Spatial Data File" + std::string(kCrLf);
        ctx_.AppendLog(line);
        ctx_.SetStatus(line);
        ctx_.RaiseStatus();
        ReportLayerReadError();
    }
}

void Import::InitMifExport(const std::string& Inputfile, const std::string& OutputFileN) {
    ResetJob();
    ctx_.ReportStage("Checking Input Files...");
    if (!FileExists(Inputfile)) {
        ctx_.Refuse("Source file does not exist.");
        return;
    }
    if (!EndsWithNoCase(Inputfile, ".VXV")) {
        ctx_.Refuse("Invalid source file.");
        return;
    }
    const std::string outputPath =
        OutputTarget(Route::kMifExport, OutputFileN, ctx_.options.CreateVxvFolder);
    const std::string folder = FolderOf(outputPath).empty() ? "." : FolderOf(outputPath);
    // The folder is made when missing, as the import does for its own.
    if (!FolderExists(folder) && !CreateFolder(folder)) {
        ctx_.ReportStage("Cannot create the output folder " + folder);
        ctx_.Fail();
        return;
    }
    ctx_.outputFolder = folder;
    ctx_.outputName = ReplaceAllNoCase(NameOf(outputPath), ".vxv", ".MIF");
    const std::string mifPath = JoinPath(folder, ctx_.outputName);

    // The TAB route writes its MIF to a temporary file of its own making, which is in the
    // way by design.
    if (!tabMode_) {
        const std::string existing = ExistingOutput(mifPath);
        if (!existing.empty()) {
            if (!ctx_.options.OverwriteExistingFiles) {
                ctx_.Refuse("VXV to MIF Export Aborted");
                return;
            }
            stage_.Retire(existing);
        }
    }
    if (ctx_.options.CreateDbf) {
        const std::string existing = ExistingOutput(MidPathFor(mifPath));
        if (!existing.empty()) {
            if (!ctx_.options.OverwriteExistingFiles) {
                ctx_.Refuse("VXV To MIF Export Aborted");
                return;
            }
            stage_.Retire(existing);
        }
    }
    OpenStage();
}

void Import::DeleteExportedLayer(const std::string& vxvPath) {
    std::string vxs = ctx_.vxsPath.empty() ? ReplaceInName(vxvPath, ".vxv", ".vxs") : ctx_.vxsPath;
    std::string dbf = FindCompanion(vxvPath, ".dbf");
    if (dbf.empty()) dbf = ReplaceInName(vxvPath, ".vxv", ".dbf");
    const std::string cpg = FindCompanion(dbf, ".cpg");
    // The first file that will not go ends the deletions; the export stands.
    for (const std::string& path : {vxvPath, vxs, dbf, cpg}) {
        if (path.empty() || !DeleteFile(path)) break;
    }
}

bool Import::ExportMifFile(const std::string& Inputfile, const std::string& OutputFile) {
    // The layer's table is the source's: it is let go of whatever happens, before the
    // sources may be deleted. What the writer had written stays on disk.
    struct TableRelease {
        Import& engine;
        ~TableRelease() {
            engine.recordset_.Close();
            engine.connection_.Close();
        }
    };
    return Guarded([&] {
        // The log line names no file; the status line does.
        const std::string what =
            tabMode_ ? "Exporting TAB To MIF File " : "Exporting VXV To MIF File ";
        ctx_.AppendLog(what + std::string(kCrLf));
        ctx_.SetStatus(what + NameOf(tabMode_ ? currentFile_ : OutputFile) + std::string(kCrLf));
        ctx_.RaiseStatus();

        InitMifExport(Inputfile, OutputFile);
        if (ctx_.Failed()) {
            ctx_.RaiseStatus();
            stage_.Abandon();
            return false;
        }
        {
            TableRelease release{*this};
            ReadLayerFile(Inputfile);
            if (ctx_.Failed()) {
                ctx_.Report("\r\nThere was some problem during export.\r\n");
                AbandonOutputs();
                return false;
            }
            // Each thread that writes objects reads them with a reader of its own.
            const std::string vxsPath = ctx_.vxsPath;
            const LayerModel& layer = model_;
            try {
                WriteMifFile(model_, Staged(ctx_.outputName), ctx_.options.CreateDbf, recordset_,
                             ctx_, [&layer, vxsPath] {
                                 return std::make_unique<LayerObjectReader>(layer, vxsPath);
                             });
            } catch (const LayerReadError& e) {
                ReportLayerReadError();
                ctx_.AppendLog("\t(" + std::string(e.what()) + ")" + std::string(kCrLf));
            }
        }
        if (ctx_.Failed() || !CommitOutputs()) {
            ctx_.Report("\r\nThere was some problem during export.\r\n");
            AbandonOutputs();
            return false;
        }
        ctx_.Report("\r\n\tExport Successfully Completed.\r\n\r\n");

        // The TAB export deletes the source once the TAB itself is in place.
        if (ctx_.options.DeleteScrFile && !tabMode_) DeleteExportedLayer(Inputfile);
        return true;
    });
}

}  // namespace vx
