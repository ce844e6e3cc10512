// Saves a picture of each window in a state a person would see, for the README:
//   ui_screenshots FOLDER
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>

#include "support/test_support.h"
#include "ui/import_window.h"
#include "ui/output_dir_dialog.h"
#include "ui/projection_dialog.h"
#include "ui/rename_files_dialog.h"
#include "ui_test_support.h"

namespace {

bool Save(QWidget& window, const QString& folder, const char* name) {
    window.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QLatin1String(name));
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ui_screenshots FOLDER\n");
        return 2;
    }
    vx::ui::test::EnsureApplication();
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    // A small survey project to convert.
    vx::test::TempDir temp;
    const std::string project = temp / "survey-2024";
    const std::string out = project + "/vxv";
    std::filesystem::create_directories(out);
    std::filesystem::create_directories(project + "/archive");
    QStringList mifs;
    for (const char* name : {"roads", "rivers", "land-parcels"})
        mifs << QString::fromStdString(vx::ui::test::WriteMif(project, name));
    const QString shp = QString::fromStdString(vx::ui::test::WriteShapefile(project, "wells"));

    vx::ui::test::ScriptedUserPrompt prompt;
    bool ok = true;
    {
        vx::ui::ImportWindow window(prompt);
        auto* formats = window.findChild<QComboBox*>("cmbImportType");
        prompt.openFiles = {mifs, {shp}};
        window.findChild<QPushButton*>("cmdAddFiles")->click();
        formats->setCurrentIndex(1);
        window.findChild<QPushButton*>("cmdAddFiles")->click();

        window.findChild<QRadioButton*>("optFolder(0)")->click();
        window.findChild<QLineEdit*>("txtOutput")->setText(QString::fromStdString(out));
        // The list shows where the run will write.
        vx::ui::RenameFilesDialog files(window.Batch(), prompt, nullptr, out);
        files.resize(760, 380);
        ok = Save(files, folder, "frmRenameFiles.png") && ok;

        window.show();
        window.findChild<QPushButton*>("cmdImport")->click();
        ok = Save(window, folder, "frmImport-running.png") && ok;
        vx::ui::test::ProcessEventsUntil([&] { return !window.Running(); });
        ok = Save(window, folder, "frmImport.png") && ok;

        QLineEdit box(QString::fromStdString(out));
        vx::ui::OutputDirDialog dirs(box, prompt);
        ok = Save(dirs, folder, "frmOutputDir.png") && ok;
    }

    vx::ProjectionSettings settings;
    settings.lProjection = 22;  // universal transverse Mercator: the zone is all it takes
    settings.lDatum = 226;
    settings.lUTMZone = -43;
    vx::ui::ProjectionDialog projection(settings, prompt);
    ok = Save(projection, folder, "frmProjSetting.png") && ok;
    return ok ? 0 : 1;
}
