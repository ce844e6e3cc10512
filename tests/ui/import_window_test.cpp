// The main window driven through its controls, with every box answered by a script: its
// states at load, after "Add Files", during and after a run, and the log it saves.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "support/test_support.h"
#include "ui/import_window.h"
#include "ui/output_dir_dialog.h"
#include "ui/rename_files_dialog.h"
#include "ui_test_support.h"

namespace vx::ui {
namespace {

using test::Child;

class ImportWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApplication();
        window = std::make_unique<ImportWindow>(prompt);
    }

    QPushButton* Button(const char* name) { return Child<QPushButton>(*window, name); }
    QRadioButton* Option(const char* name) { return Child<QRadioButton>(*window, name); }
    QComboBox* Formats() { return Child<QComboBox>(*window, "cmbImportType"); }
    QString Status() { return Child<QPlainTextEdit>(*window, "txtStatus")->toPlainText(); }
    QStringList FormatEntries() {
        QStringList entries;
        for (int i = 0; i < Formats()->count(); ++i)
            entries << Formats()->itemText(i);
        return entries;
    }
    void AddFiles(const QStringList& files) {
        prompt.openFiles.push_back(files);
        Button("cmdAddFiles")->click();
    }

    test::ScriptedUserPrompt prompt;
    std::unique_ptr<ImportWindow> window;
    vx::test::TempDir dir;
};

TEST_F(ImportWindowTest, LoadsIdleWithImportChosenAndStartSettings) {
    EXPECT_EQ(window->objectName(), "frmImport");
    EXPECT_EQ(window->windowTitle(), "VX File Translator");
    EXPECT_TRUE(Option("optImport(0)")->isChecked());
    EXPECT_EQ(Child<QLabel>(*window, "lblFormat")->text(), "Choose Format To Import:");
    EXPECT_EQ(FormatEntries(),
              QStringList({"MIF Files (*.mif)", "Shape Files (*.shp)", "Design Files (*.dgn)",
                           "Ascii Files (*.txt)", "Tab Files (*.tab)"}));
    EXPECT_EQ(Formats()->currentIndex(), 0);
    for (const char* name : {"cmdRenameFiles", "cmdImport", "cmdBrowse", "cmdSaveLog"})
        EXPECT_FALSE(Button(name)->isEnabled()) << name;
    for (const char* name : {"cmdAddFiles", "cmdCancel"})
        EXPECT_TRUE(Button(name)->isEnabled());
    EXPECT_FALSE(Child<QLineEdit>(*window, "txtOutput")->isEnabled());
    EXPECT_TRUE(Option("optFolder(1)")->isChecked());
    EXPECT_TRUE(Status().isEmpty());
    EXPECT_TRUE(window->Engine().CreateDbf());
    const ProjectionSettings& p = window->Batch().projection;
    EXPECT_EQ(p.lCoordSys, 0);
    EXPECT_EQ(p.lProjection, 1);
    EXPECT_EQ(p.lDatum, 226);
}

TEST_F(ImportWindowTest, AddFilesFillsTheListsOfTheChosenFormats) {
    AddFiles({});  // cancelled
    EXPECT_FALSE(Button("cmdImport")->isEnabled());
    EXPECT_TRUE(prompt.filters.back().startsWith("MapInfo (*.MIF *.mif)"));

    AddFiles({"/maps/a-1.MIF", "/maps/b.mif"});
    Formats()->setCurrentIndex(1);  // Shape: the MIF files stay
    AddFiles({"/maps/c.shp"});
    EXPECT_TRUE(prompt.filters.back().startsWith("ShapeFiles (*.shp *.SHP)"));

    const BatchRun& batch = window->Batch();
    ASSERT_EQ(batch.MifFiles.Count(), 2u);
    EXPECT_EQ(batch.MifFiles.outputs[0], "/maps/a_1.vxv");
    ASSERT_EQ(batch.ShpFiles.Count(), 1u);
    EXPECT_EQ(batch.ShpFiles.sources[0], "/maps/c.shp");
    EXPECT_TRUE(Button("cmdRenameFiles")->isEnabled());
    EXPECT_TRUE(Button("cmdImport")->isEnabled());
    EXPECT_EQ(Child<QProgressBar>(*window, "prgFiles")->maximum(), 3);

    // Another direction drops the files and lists that direction's formats.
    Option("optImport(1)")->click();
    EXPECT_EQ(batch.TotalFiles(), 0u);
    EXPECT_EQ(batch.TransType, TransferDirection::kExport);
    EXPECT_EQ(FormatEntries(),
              QStringList({"MIF Files (*.mif)", "Shape Files (*.shp)", "Tab Files (*.tab)"}));
    EXPECT_EQ(Child<QLabel>(*window, "lblFormat")->text(), "Choose Format To Export:");
    EXPECT_FALSE(Button("cmdRenameFiles")->isEnabled());
    EXPECT_FALSE(Button("cmdImport")->isEnabled());

    Formats()->setCurrentIndex(2);
    AddFiles({"/maps/d.vxv"});
    EXPECT_TRUE(prompt.filters.back().startsWith("VXV (*.vxv *.VXV)"));
    ASSERT_EQ(batch.TabFiles.Count(), 1u);
    EXPECT_EQ(batch.TabFiles.outputs[0], "/maps/d.Tab");
}

TEST_F(ImportWindowTest, SpecifyEnablesTheFolderBoxAndNeedsAFolder) {
    auto* box = Child<QLineEdit>(*window, "txtOutput");
    Option("optFolder(0)")->click();
    EXPECT_TRUE(box->isEnabled());
    EXPECT_TRUE(Button("cmdBrowse")->isEnabled());
    Option("optFolder(1)")->click();
    EXPECT_FALSE(box->isEnabled());
    EXPECT_FALSE(Button("cmdBrowse")->isEnabled());

    // "Convert>>>" with Specify and no folder tells so and starts nothing.
    const std::string mif = test::WriteMif(dir.path(), "roads");
    AddFiles({QString::fromStdString(mif)});
    Option("optFolder(0)")->click();
    box->setText("  ");
    Button("cmdImport")->click();
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "Please choose the output folder.");
    EXPECT_EQ(window->Batch().MifFiles.Count(), 1u);
    EXPECT_TRUE(Status().isEmpty());
    EXPECT_FALSE(Button("cmdSaveLog")->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(dir / "roads.vxv"));
}

TEST_F(ImportWindowTest, RunsMifAndShapefilesIntoTheChosenFolderAndSavesTheLog) {
    const std::string out = dir / "out";
    std::filesystem::create_directories(out);
    const std::string a = test::WriteMif(dir.path(), "a");
    const std::string b = test::WriteMif(dir.path(), "b");
    const std::string shp = test::WriteShapefile(dir.path(), "parcels");

    AddFiles({QString::fromStdString(a), QString::fromStdString(b)});
    Formats()->setCurrentIndex(1);
    AddFiles({QString::fromStdString(shp)});
    Option("optFolder(0)")->click();
    Child<QLineEdit>(*window, "txtOutput")->setText(QString::fromStdString(out));

    // What the window shows while the engine works: each line already in the box, the
    // wait cursor, the progress so far, and a window that will not close.
    struct Seen {
        bool lineShown = true;
        bool waitCursor = true;
        bool closeRefused = true;
        std::vector<int> progress;
    } seen;
    auto* status = Child<QPlainTextEdit>(*window, "txtStatus");
    auto* bar = Child<QProgressBar>(*window, "prgFiles");
    window->show();
    // Subscribed after the window, so each line has reached the box when this runs.
    const auto token = window->Engine().SubscribeReportStatus([&](const std::string& line) {
        QString shown = QString::fromStdString(line).replace("\r\n", "\n").replace('\r', '\n');
        seen.lineShown = seen.lineShown && status->toPlainText().endsWith(shown);
        const QCursor* cursor = QApplication::overrideCursor();
        seen.waitCursor = seen.waitCursor && cursor && cursor->shape() == Qt::WaitCursor;
        seen.closeRefused = seen.closeRefused && !window->close();
        seen.progress.push_back(bar->value());
    });
    Button("cmdImport")->click();
    window->Engine().UnsubscribeReportStatus(token);

    EXPECT_TRUE(seen.lineShown);
    EXPECT_TRUE(seen.waitCursor);
    EXPECT_TRUE(seen.closeRefused);
    ASSERT_FALSE(seen.progress.empty());
    EXPECT_EQ(seen.progress.front(), 0);
    EXPECT_EQ(seen.progress.back(), 2);  // the shapefile's lines come after both MIF files
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(window->isVisible());

    EXPECT_TRUE(prompt.messages.empty()) << prompt.messages[0].text.toStdString();
    EXPECT_TRUE(std::filesystem::exists(out + "/a.vxv"));
    EXPECT_TRUE(std::filesystem::exists(out + "/b.vxv"));
    const QString text = Status();
    const auto first = text.indexOf("Importing MIF File a.mif");
    const auto second = text.indexOf("Importing MIF File b.mif");
    const auto third = text.indexOf("Importing ShapeFile parcels.shp");
    EXPECT_GE(first, 0);
    EXPECT_GT(second, first);
    EXPECT_GT(third, second);
    EXPECT_EQ(text.count("Import Successfully Completed."), 3);
    EXPECT_EQ(bar->value(), 3);
    EXPECT_EQ(bar->text(), "3 of 3 files");

    // After the run: lists empty, back to "Same Folder As Source", the log can be saved.
    EXPECT_EQ(window->Batch().TotalFiles(), 0u);
    EXPECT_FALSE(Button("cmdImport")->isEnabled());
    EXPECT_FALSE(Button("cmdRenameFiles")->isEnabled());
    EXPECT_TRUE(Option("optFolder(1)")->isChecked());
    ASSERT_TRUE(Button("cmdSaveLog")->isEnabled());

    Button("cmdSaveLog")->click();  // cancelled: nothing written, still offered
    EXPECT_TRUE(Button("cmdSaveLog")->isEnabled());
    EXPECT_TRUE(prompt.messages.empty());

    prompt.saveFiles.push_back(QString::fromStdString(dir / "missing/run.txt"));
    Button("cmdSaveLog")->click();
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].title, "Save Log");
    EXPECT_TRUE(prompt.messages[0].text.contains("missing/run.txt"));
    EXPECT_TRUE(prompt.messages[0].text.contains("No such file", Qt::CaseInsensitive))
        << prompt.messages[0].text.toStdString();
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    EXPECT_TRUE(Button("cmdSaveLog")->isEnabled());

    const std::string log = dir / "run.txt";
    prompt.saveFiles.push_back(QString::fromStdString(log));
    Button("cmdSaveLog")->click();
    EXPECT_FALSE(Button("cmdSaveLog")->isEnabled());
    const std::string saved = vx::test::ReadFile(log);
    const auto at = [&](const char* line) { return saved.find(line); };
    EXPECT_NE(at("Importing MIF File a.mif"), std::string::npos);
    EXPECT_LT(at("Importing MIF File a.mif"), at("Importing MIF File b.mif"));
    EXPECT_LT(at("Importing MIF File b.mif"), at("Importing ShapeFile parcels.shp"));

    // "Add Files" empties the status box for the next run.
    AddFiles({QString::fromStdString(a)});
    EXPECT_TRUE(Status().isEmpty());
}

TEST_F(ImportWindowTest, AFailedFileIsToldOnceAtTheEnd) {
    const std::string good = test::WriteMif(dir.path(), "good");
    const std::string lonely = dir / "lonely.mif";  // no MID beside it
    vx::test::WriteFile(lonely, vx::test::ReadFile(good));
    AddFiles({QString::fromStdString(lonely), QString::fromStdString(good)});
    Button("cmdImport")->click();

    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "One or More files were not imported");
    EXPECT_EQ(prompt.messages[0].title, "Import Error");
    EXPECT_TRUE(std::filesystem::exists(dir / "good.vxv"));
    EXPECT_EQ(Status().count("Import Successfully Completed."), 1);
    EXPECT_EQ(Child<QProgressBar>(*window, "prgFiles")->text(), "2 of 2 files");
}

TEST_F(ImportWindowTest, ShowFilesAndBrowseOpenTheirDialogsOverTheWindowsState) {
    AddFiles({"/maps/a.mif"});
    prompt.onModal = [&](QDialog& dialog) {
        auto* files = qobject_cast<RenameFilesDialog*>(&dialog);
        ASSERT_NE(files, nullptr);
        prompt.texts = {QString("renamed")};
        files->RenameRow(1);
    };
    Button("cmdRenameFiles")->click();
    EXPECT_EQ(window->Batch().MifFiles.outputs[0], "/maps/renamed.vxv");

    std::filesystem::create_directories(dir / "out");
    window->show();
    Option("optFolder(0)")->click();
    prompt.onModal = [&](QDialog& dialog) {
        auto* folders = qobject_cast<OutputDirDialog*>(&dialog);
        ASSERT_NE(folders, nullptr);
        folders->SetPath(QString::fromStdString(dir / "out"));
        Child<QPushButton>(dialog, "cmdDone")->click();
    };
    Button("cmdBrowse")->click();
    auto* box = Child<QLineEdit>(*window, "txtOutput");
    EXPECT_EQ(box->text(), QString::fromStdString(dir / "out"));
    EXPECT_EQ(box->toolTip(), box->text());
    EXPECT_EQ(prompt.modals, QStringList({"frmRenameFiles", "frmOutputDir"}));
}

TEST_F(ImportWindowTest, TheProjectionDialogIsShownWithoutTheWaitCursor) {
    ProjectionSettings settings;
    const QCursor* cursorSeen = nullptr;
    prompt.onModal = [&](QDialog& dialog) {
        cursorSeen = QApplication::overrideCursor();
        auto* zone = dialog.findChild<QLineEdit*>("txtProjParam(8)");
        ASSERT_NE(zone, nullptr);
        zone->setText("31");
        Child<QPushButton>(dialog, "cmdOK")->click();
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);  // as during a run
    window->EditProjection(settings);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();

    ASSERT_EQ(prompt.modals, QStringList({"frmProjSetting"}));
    ASSERT_NE(cursorSeen, nullptr);
    EXPECT_EQ(cursorSeen->shape(), Qt::ArrowCursor);
    EXPECT_EQ(settings.lUTMZone, 31);
}

}  // namespace
}  // namespace vx::ui
