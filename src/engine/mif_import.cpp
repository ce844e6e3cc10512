#include <exception>

#include "dbase/attribute_table.h"
#include "engine/import.h"
#include "mif/mif_reader.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "vxv/layer_set_writer.h"

namespace vx {

namespace {

// The suffixes a layer set adds to its output name when the source holds several kinds.
constexpr const char* kLayerSuffixes[] = {"", "_rg", "_ln", "_pt"};

}  // namespace

bool Import::ClearLayerOutput(const std::string& vxvPath, const std::string& abortText) {
    if (!FileExists(vxvPath)) return true;
    if (!ctx_.options.OverwriteExistingFiles) {
        ctx_.Refuse(abortText);
        return false;
    }
    DeleteLayerSet(vxvPath);
    DeleteFile(vxvPath);
    return true;
}

void Import::FailUnexpected(const std::string& what) {
    ctx_.ReportStage("Problems Encountered !!! " + what);
    ctx_.Fail();
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
    std::string outputPath = OutputFileN;
    if (ctx_.options.CreateVxvFolder) {
        outputPath = JoinPath(JoinPath(FolderOf(OutputFileN), "VXV"), NameOf(OutputFileN));
    }
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
    for (const char* suffix : kLayerSuffixes) {
        const std::string name =
            ReplaceAllNoCase(ctx_.outputName, ".vxv", std::string(suffix) + ".vxv");
        if (!ClearLayerOutput(JoinPath(folder, name), "MIF Import Aborted")) return;
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
            DeleteFile(tablePath);
        }
    }
    ctx_.shortTableName = ShortTableName(folder, tableFile);
}

bool Import::ImportMifFile(const std::string& Inputfile, const std::string& OutputFile) {
    try {
        if (ctx_.tabMode) {
            ctx_.Report("Importing TAB File " + NameOf(ctx_.currentFile) + std::string(kCrLf));
        } else {
            ctx_.Report("Importing MIF File " + NameOf(Inputfile) + std::string(kCrLf));
        }
        InitMifImport(Inputfile, OutputFile);
        if (ctx_.Failed()) {
            ctx_.RaiseStatus();
            return false;
        }
        if (!ReadMifFile(ctx_, Inputfile) || ctx_.Failed()) {
            if (!ctx_.Failed()) {
                ctx_.ReportStage("Error Reading MIF Header");
                ctx_.Fail();
            }
            return false;
        }
        WriteLayerSet(ctx_, connection_);
        if (ctx_.Failed()) return false;
        ctx_.Report("\r\n\tImport Successfully Completed.\r\n\r\n");
        if (ctx_.options.DeleteScrFile) {
            DeleteFile(Inputfile);
            if (ctx_.midPresent) DeleteFile(ctx_.midPath);
        }
        return true;
    } catch (const std::exception& e) {
        FailUnexpected(e.what());
        return false;
    }
}

}  // namespace vx
