#include "engine/import.h"

#include <ctime>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/strings.h"
#include "platform/text_file.h"
#include "platform/write_failure.h"
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
    // Every line ends with CR LF, also those that a message brought with a bare LF or CR.
    for (std::size_t i = 0; i < log.size(); ++i) {
        const char c = log[i];
        if (c == '\r' || c == '\n') {
            text += kCrLf;
            if (c == '\r' && i + 1 < log.size() && log[i + 1] == '\n') ++i;
        } else {
            text += c;
        }
    }
    if (!log.empty() && log.back() != '\n' && log.back() != '\r') text += kCrLf;
    text += kCrLf;

    TextWriter out;
    if (!out.Create(FileName)) return false;
    out.Write(text);
    return out.Close();
}

void Import::ResetJob() {
    ctx_.ResetJob();
    model_.Clear();
    stage_.Abandon();
    TakeWriteFailure();
}

bool Import::OpenStage() {
    std::string error;
    if (stage_.Open(ctx_.outputFolder, error)) return true;
    ctx_.ReportStage(error);
    ctx_.Fail();
    return false;
}

Import::~Import() {
    // A program that ends does not wait for the freeing: the system takes the memory back.
    if (freeing_.joinable()) freeing_.detach();
}

bool Import::CommitOutputs() {
    // Every output is written by now. Freeing a large layer's hundreds of thousands of
    // blocks takes as long as the commit, so it is done on another core, during the commit
    // and whatever comes after it; the next commit waits for it, so that only one model is
    // ever being freed.
    if (freeing_.joinable()) freeing_.join();
    freeing_ = std::thread([](LayerModel) {}, std::move(model_));
    model_.Clear();
    if (stage_.Commit(commitFailure_)) return true;
    ctx_.Fail();
    return false;
}

void Import::AbandonOutputs() {
    const std::string failure = TakeWriteFailure();
    if (!commitFailure_.empty()) {
        ctx_.ReportStage(commitFailure_);
        commitFailure_.clear();
    } else if (!failure.empty()) {
        ctx_.ReportStage("Cannot write " + stage_.InFinalNames(failure));
    }
    stage_.Abandon();
}

void Import::FailUnexpected(std::string_view what) {
    ctx_.ReportStage(what.empty()
                         ? std::string("Problems Encountered !!!")
                         : "Problems Encountered !!! " + stage_.InFinalNames(std::string(what)));
    ctx_.Fail();
    AbandonOutputs();
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

std::vector<std::string> Import::LayerSetTables(const std::string& vxvPath) const {
    std::vector<std::string> tables;
    std::vector<std::string> names;
    if (ctx_.outputFolder.empty() || !ReadLayerTableNames(vxvPath, names)) return tables;
    for (const auto& name : names) {
        // A name from a file is only ever a file in the job's own folder.
        if (!IsPlainFileName(name)) continue;
        const std::string table = JoinPath(ctx_.outputFolder, name);
        tables.push_back(table);
        // The table's code page goes with it.
        const std::string codePage = FindCompanion(table, ".cpg");
        if (!codePage.empty()) tables.push_back(codePage);
    }
    return tables;
}

void Import::DeleteLayerSet(const std::string& vxvPath) {
    for (const std::string& path : LayerSetTables(vxvPath))
        DeleteFile(path);
}

void Import::RetireLayerSet(const std::string& vxvPath) {
    if (!FileExists(vxvPath)) return;
    for (const std::string& path : LayerSetTables(vxvPath))
        stage_.Retire(path);
    stage_.Retire(vxvPath);
    const std::string geometry = FindCompanion(vxvPath, ".vxs");
    if (!geometry.empty()) stage_.Retire(geometry);
}

}  // namespace vx
