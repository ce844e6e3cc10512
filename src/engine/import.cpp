#include "engine/import.h"

#include <ctime>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/text_file.h"
#include "vxv/layer_format.h"

namespace vx {

namespace {

// The local date and time, short date then long time, in a form that reads the same on
// every machine.
std::string GeneralDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

bool Import::SaveImportLog(const std::string& FileName) const {
    return SaveLogFile(FileName, ctx_.Log());
}

bool SaveLogFile(const std::string& FileName, std::string_view log) {
    const std::string rule(54, '-');
    std::string text;
    text += rule;
    text += kCrLf;
    text += std::string(11, ' ') + "VX File Translator - Conversion Log";
    text += kCrLf;
    text += kCrLf;
    text += "           Created : " + GeneralDate();
    text += kCrLf;
    text += rule;
    text += kCrLf;
    text += kCrLf;
    text += log;
    text += kCrLf;

    TextWriter out;
    if (!out.Create(FileName)) return false;
    out.Write(text);
    return out.Close();
}

void Import::ResetJob() {
    ctx_.ResetJob();
    model_.Clear();
}

void Import::FailUnexpected(std::string_view what) {
    ctx_.ReportStage(what.empty() ? std::string("Problems Encountered !!!")
                                  : "Problems Encountered !!! " + std::string(what));
    ctx_.Fail();
}

LayerInfo Import::InitialAsciiLayer() {
    // Until the front end gives its settings: plane coordinates.
    LayerInfo layer;
    layer.lCoordSys = 1;
    layer.MinX = -90.0;
    layer.MinY = -45.0;
    layer.MaxX = 90.0;
    layer.MaxY = 45.0;
    return layer;
}

void Import::DeleteLayerSet(const std::string& vxvPath) {
    std::vector<std::string> names;
    if (!ReadLayerTableNames(vxvPath, names)) return;
    if (ctx_.outputFolder.empty()) return;
    for (const auto& name : names) {
        // A name from a file is only ever a file in the job's own folder.
        if (!IsPlainFileName(name)) continue;
        const std::string table = JoinPath(ctx_.outputFolder, name);
        // The table's code page goes with it.
        const std::string codePage = FindCompanion(table, ".cpg");
        DeleteFile(table);
        if (!codePage.empty()) DeleteFile(codePage);
    }
}

}  // namespace vx
