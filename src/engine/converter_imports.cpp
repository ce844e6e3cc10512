#include <algorithm>
#include <exception>
#include <functional>

#include "converters/ascii_converter.h"
#include "converters/dgn_converter.h"
#include "engine/import.h"
#include "engine/run_plan.h"
#include "platform/binary_file.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "vxv/layer_format.h"

namespace vx {

namespace {

const std::string kNewLine(kCrLf);

// The symbol size and kind the engine asks of the ASCII converter: points of size 10, no
// header lines.
constexpr int kAsciiKind = 1;
constexpr int kAsciiHeaderLines = 0;
constexpr int kAsciiSymbolSize = 10;

}  // namespace

void Import::SetAsciiLayerInfo(const ProjectionSettings& s) {
    static_cast<CoordinateSystem&>(asciiLayer_) = s;
}

bool Import::CheckConverterImport(const std::string& Inputfile, const std::string& OutputFile,
                                  bool dgn) {
    ResetJob();
    if (dgn) ctx_.ReportStage("Checking Input Files...");
    if (!FileExists(Inputfile)) {
        ctx_.Refuse(kNewLine + "Source file does not exist.");
        return false;
    }
    if (!EndsWithNoCase(Inputfile, dgn ? ".DGN" : ".TXT")) {
        ctx_.Refuse(kNewLine + "Invalid source file.");
        return false;
    }
    ctx_.sourceFolder = FolderOf(Inputfile);
    const std::string outputPath =
        OutputTarget(Route::kConverterImport, OutputFile, ctx_.options.CreateVxvFolder);
    const std::string folder = FolderOf(outputPath).empty() ? "." : FolderOf(outputPath);
    if (!FolderExists(folder) && !CreateFolder(folder)) {
        ctx_.Refuse(kNewLine + "Cannot create the output folder " + folder);
        return false;
    }
    ctx_.outputFolder = folder;
    ctx_.outputName = OutputName(outputPath, ".MIF", ".vxv");
    const std::string target = JoinPath(folder, ctx_.outputName);
    const std::string aborted = kNewLine + (dgn ? "DGN Import Aborted" : "Ascii Import Aborted");

    // A drawing of several kinds writes suffixed layers, known only once it is read: every
    // file the import may write is an output that overwriting must allow.
    std::vector<std::string> outputs =
        dgn ? DgnOutputFiles(target) : std::vector<std::string>{target};
    for (const auto& path : outputs) {
        if (FileExists(path) && !ctx_.options.OverwriteExistingFiles) {
            ctx_.Refuse(aborted);
            return false;
        }
    }
    for (const auto& path : outputs) {
        if (!FileExists(path)) continue;
        if (EndsWithNoCase(path, ".vxv")) RetireLayerSet(path);
        stage_.Retire(path);
    }
    return OpenStage();
}

bool Import::StampAsciiLayer(const std::string& vxvPath) {
    BinaryReader file;
    LayerFileHeader header;
    if (!file.Open(vxvPath) || !ReadLayerFileHeader(file, header)) return false;
    const unsigned char* stored =
        header.LayerInfoOffset < 0
            ? nullptr
            : file.Peek(static_cast<std::uint64_t>(header.LayerInfoOffset), kLayerInfoSize);
    if (stored == nullptr) return false;
    LayerInfo measured;
    DecodeLayerInfo(stored, measured);
    file.Close();
    LayerInfo& a = asciiLayer_;
    a.MinX = measured.MinX;
    a.MinY = measured.MinY;
    a.MaxX = measured.MaxX;
    a.MaxY = measured.MaxY;
    ByteBuffer bytes;
    EncodeLayerInfo(a, bytes);
    return PatchFile(vxvPath, static_cast<std::uint64_t>(header.LayerInfoOffset), bytes.Data(),
                     bytes.Size());
}

bool Import::RunConverterImport(
    const std::string& Inputfile, const std::string& OutputFile, bool dgn,
    const std::function<bool(const std::string&, std::string&)>& convert) {
    return Guarded([&] {
        ctx_.Report(std::string(dgn ? "Importing DGN File " : "Importing Ascii File ") +
                    NameOf(Inputfile) + kNewLine);
        if (!CheckConverterImport(Inputfile, OutputFile, dgn)) {
            ctx_.RaiseStatus();
            AbandonOutputs();
            return false;
        }
        std::string reason;
        if (!convert(Staged(ctx_.outputName), reason) || !CommitOutputs()) {
            ctx_.Report(kNewLine + "There was some problem during import." + kNewLine);
            if (!reason.empty()) ctx_.ReportStage(stage_.InFinalNames(reason));
            ctx_.Fail();
            AbandonOutputs();
            return false;
        }
        // What the converter could not carry is said before success.
        for (std::size_t at = 0; at < reason.size();) {
            const std::size_t end = std::min(reason.find('\n', at), reason.size());
            ctx_.ReportStage(reason.substr(at, end - at));
            at = end + 1;
        }
        ctx_.Report(kNewLine + "\tImport Successfully Completed." + kNewLine + kNewLine);
        if (ctx_.options.DeleteScrFile) DeleteFile(Inputfile);
        return true;
    });
}

bool Import::ImportDgnFile(const std::string& Inputfile, const std::string& OutputFile) {
    return RunConverterImport(Inputfile, OutputFile, true,
                              [&](const std::string& target, std::string& reason) {
                                  return DGNImport(Inputfile, target, &reason) != 0;
                              });
}

bool Import::ImportAsciiFile(const std::string& Inputfile, const std::string& OutputFile) {
    return RunConverterImport(
        Inputfile, OutputFile, false, [&](const std::string& target, std::string& reason) {
            // The layer gets the user's coordinate system before success is reported, so a
            // layer that could not be stamped is never reported as imported.
            if (TxtToVXV(Inputfile, target, kAsciiKind, kAsciiHeaderLines, kAsciiSymbolSize,
                         &reason) == 0)
                return false;
            if (StampAsciiLayer(target)) return true;
            reason = "the coordinate system could not be written into " + NameOf(target);
            return false;
        });
}

}  // namespace vx
