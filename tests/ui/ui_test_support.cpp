#include "ui_test_support.h"

#include <QApplication>

#include "support/test_support.h"

namespace vx::ui::test {

void EnsureApplication() {
    if (QApplication::instance() != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives until the program ends
}

void ProcessEventsUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void ScriptedUserPrompt::Message(QWidget*, const QString& text, const QString& title, Icon icon) {
    messages.push_back({text, title, icon});
    if (onMessage) onMessage(Shown(messages.back()));
}

bool ScriptedUserPrompt::AskYesNo(QWidget*, const QString& text, const QString& title) {
    questions.push_back({text, title, Icon::kWarning});
    if (yesNo.empty()) return false;
    const bool answer = yesNo.front();
    yesNo.pop_front();
    return answer;
}

std::optional<QString> ScriptedUserPrompt::AskText(QWidget*, const QString& prompt,
                                                   const QString& title) {
    inputs.push_back({prompt, title, Icon::kNone});
    if (texts.empty()) return std::nullopt;
    const bool cancelled = !texts.front().has_value();
    const QString answer = texts.front().value_or(QString());
    texts.pop_front();
    if (cancelled) return std::nullopt;
    return answer;
}

QStringList ScriptedUserPrompt::ChooseOpenFiles(QWidget*, const QString& filter) {
    filters.push_back(filter);
    if (openFiles.empty()) return {};
    QStringList files = openFiles.front();
    openFiles.pop_front();
    return files;
}

QString ScriptedUserPrompt::ChooseSaveFile(QWidget*, const QString& filter) {
    filters.push_back(filter);
    if (saveFiles.empty()) return {};
    QString file = saveFiles.front();
    saveFiles.pop_front();
    return file;
}

void ScriptedUserPrompt::RunModal(QDialog& dialog) {
    modals << dialog.objectName();
    if (onModal) onModal(dialog);
}

std::string WriteMif(const std::string& folder, const std::string& name) {
    const std::string mif = folder + "/" + name + ".mif";
    vx::test::WriteFile(mif,
                        "Version 300\r\nCharset \"WindowsLatin1\"\r\nDelimiter \",\"\r\n"
                        "Columns 1\r\n  Name Char(10)\r\nData\r\n\r\n"
                        "Point 1 2\r\nPoint 3 4\r\n");
    vx::test::WriteFile(folder + "/" + name + ".mid", "\"a\"\r\n\"b\"\r\n");
    return mif;
}

std::string WriteShapefile(const std::string& folder, const std::string& name) {
    const std::string shp = folder + "/" + name + ".shp";
    const std::string json = folder + "/" + name + ".geojson";
    vx::test::WriteFile(
        json,
        R"({"type":"FeatureCollection","features":[)"
        R"({"type":"Feature","properties":{"NAME":"a"},"geometry":{"type":"Point","coordinates":[1,2]}},)"
        R"({"type":"Feature","properties":{"NAME":"b"},"geometry":{"type":"Point","coordinates":[3,4]}}]})");
    const auto result =
        vx::test::RunCommand("ogr2ogr -f 'ESRI Shapefile' '" + shp + "' '" + json + "'");
    EXPECT_EQ(result.status, 0) << result.err;
    return shp;
}

}  // namespace vx::ui::test
