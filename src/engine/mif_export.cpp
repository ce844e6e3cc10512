#include <exception>

#include "engine/import.h"
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
    std::string outputPath = OutputFileN;
    if (ctx_.options.CreateVxvFolder) {
        outputPath = JoinPath(JoinPath(FolderOf(OutputFileN), "MIF"), NameOf(OutputFileN));
    }
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
    if (!ctx_.tabMode) {
        const std::string existing = ExistingOutput(mifPath);
        if (!existing.empty()) {
            if (!ctx_.options.OverwriteExistingFiles) {
                ctx_.Refuse("VXV to MIF Export Aborted");
                return;
            }
            DeleteFile(existing);
        }
    }
    if (ctx_.options.CreateDbf) {
        const std::string existing = ExistingOutput(MidPathFor(mifPath));
        if (!existing.empty()) {
            if (ctx_.options.OverwriteExistingFiles) {
                DeleteFile(existing);
            } else {
                ctx_.Refuse("VXV To MIF Export Aborted");
            }
        }
    }
}

bool Import::ExportMifFile(const std::string& Inputfile, const std::string& OutputFile) {
    bool result = false;
    try {
        // The log line names no file; the status line does.
        const std::string what =
            ctx_.tabMode ? "Exporting TAB To MIF File " : "Exporting VXV To MIF File ";
        ctx_.AppendLog(what + std::string(kCrLf));
        ctx_.SetStatus(what + NameOf(ctx_.tabMode ? ctx_.currentFile : OutputFile) +
                       std::string(kCrLf));
        ctx_.RaiseStatus();

        InitMifExport(Inputfile, OutputFile);
        if (ctx_.Failed()) {
            ctx_.RaiseStatus();
            return false;
        }
        ReadLayerFile(ctx_, Inputfile, connection_, recordset_);
        if (ctx_.Failed()) {
            ctx_.Report("\r\nThere was some problem during export.\r\n");
            recordset_.Close();
            connection_.Close();
            return false;
        }
        WriteMifFile(ctx_, recordset_);
        // The table is the source's; let go of it before the sources may be deleted.
        recordset_.Close();
        connection_.Close();
        ctx_.Report("\r\n\tExport Successfully Completed.\r\n\r\n");
        result = true;

        if (ctx_.options.DeleteScrFile) {
            std::string vxs =
                ctx_.vxsPath.empty() ? ReplaceInName(Inputfile, ".vxv", ".vxs") : ctx_.vxsPath;
            std::string dbf = FindCompanion(Inputfile, ".dbf");
            if (dbf.empty()) dbf = ReplaceInName(Inputfile, ".vxv", ".dbf");
            const std::string cpg = FindCompanion(dbf, ".cpg");
            // The first file that will not go ends the deletions; the export stands.
            for (const std::string& path : {Inputfile, vxs, dbf, cpg}) {
                if (path.empty() || !DeleteFile(path)) break;
            }
        }
        return result;
    } catch (const std::exception& e) {
        // What the writer had written stays on disk.
        recordset_.Close();
        connection_.Close();
        if (result) return result;
        FailUnexpected(e.what());
        return false;
    }
}

}  // namespace vx
