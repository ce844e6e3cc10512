// The main window driven through its controls, with every box answered by a script: its
// states at load, after "Add Files", during and after a run, stopping a run, the list's
// destinations and editing, the keyboard, and the log it saves.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
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
    // "Convert>>>", and the run to its end.
    void Convert() {
        Button("cmdImport")->click();
        test::ProcessEventsUntil([&] { return !window->Running(); });
    }
    QString Progress() { return Child<QProgressBar>(*window, "prgFiles")->text(); }
    static QString Q(const std::string& path) { return QString::fromStdString(path); }

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

    // While the run goes on, only "Cancel" acts, and the pointer says the program is busy.
    // Closing the window asks whether to stop; answered No, the run goes on.
    window->show();
    Button("cmdImport")->click();
    ASSERT_TRUE(window->Running());
    for (const char* name : {"Frame1", "Frame4", "Frame5"})
        EXPECT_FALSE(Child<QWidget>(*window, name)->isEnabled()) << name;
    for (const char* name : {"cmdImport", "cmdSaveLog", "cmdAddFiles", "cmdRenameFiles"})
        EXPECT_FALSE(Button(name)->isEnabled()) << name;
    EXPECT_TRUE(Button("cmdCancel")->isEnabled());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    EXPECT_FALSE(window->close());
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].title, "Cancel");
    test::ProcessEventsUntil([&] { return !window->Running(); });
    auto* bar = Child<QProgressBar>(*window, "prgFiles");
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
    // Under each success line, the folder the file went to: a shapefile's VXV folder.
    EXPECT_EQ(text.count("\tWritten to " + Q(out) + "\n"), 2);
    EXPECT_TRUE(
        text.contains("Import Successfully Completed.\n\tWritten to " + Q(out + "/VXV") + "\n\n"))
        << text.toStdString();
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

TEST_F(ImportWindowTest, FailedFilesAreNamedAtTheEndAndEachLogLineEndsWithCrLf) {
    const std::string good = test::WriteMif(dir.path(), "good");
    const std::string old = test::WriteMif(dir.path(), "old");  // its layer is there already
    vx::test::WriteFile(dir / "old.vxv", "in the way");
    const std::string shp = test::WriteShapefile(dir.path(), "parcels");
    AddFiles({Q(old), Q(good)});
    Formats()->setCurrentIndex(1);
    AddFiles({Q(shp)});
    Convert();

    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "One or More files were not imported\n    " + Q(old));
    EXPECT_EQ(prompt.messages[0].title, "Import Error");
    EXPECT_TRUE(std::filesystem::exists(dir / "good.vxv"));
    EXPECT_EQ(Status().count("Import Successfully Completed."), 2);
    EXPECT_TRUE(Status().contains("MIF Import Aborted\nImporting MIF File good.mif"));
    EXPECT_EQ(Progress(), "3 of 3 files");

    // The refusal and the next file's first line are two lines of the saved log, and no line
    // ends otherwise than with CR LF.
    prompt.saveFiles.push_back(Q(dir / "run.txt"));
    Button("cmdSaveLog")->click();
    const std::string saved = vx::test::ReadFile(dir / "run.txt");
    EXPECT_NE(saved.find("MIF Import Aborted\r\nImporting MIF File good.mif\r\n"),
              std::string::npos)
        << saved;
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i] == '\r') {
            ASSERT_EQ(saved[i + 1], '\n') << "at " << i;
        }
        if (saved[i] == '\n') {
            ASSERT_TRUE(i > 0 && saved[i - 1] == '\r') << "at " << i;
        }
    }
}

TEST_F(ImportWindowTest, CancelStopsTheRunOnceTheFileInProgressIsDone) {
    // The first file holds a shape the import skips, which it says while it converts: the
    // person presses "Cancel" then, in the middle of the file.
    const std::string a = dir / "a.mif";
    vx::test::WriteFile(a,
                        "Version 300\r\nCharset \"WindowsLatin1\"\r\nDelimiter \",\"\r\n"
                        "Columns 1\r\n  Name Char(10)\r\nData\r\n\r\n"
                        "Point 1 2\r\nRoundrect 0 0 10 10\r\n  2\r\n");
    vx::test::WriteFile(dir / "a.mid", "\"a\"\r\n\"b\"\r\n");
    const std::string b = test::WriteMif(dir.path(), "b");
    const std::string c = test::WriteMif(dir.path(), "c");
    AddFiles({Q(a), Q(b), Q(c)});
    prompt.onMessage = [&](const test::ScriptedUserPrompt::Shown&) {
        prompt.onMessage = nullptr;
        ASSERT_TRUE(window->Running());
        prompt.yesNo = {true};
        Button("cmdCancel")->click();
    };
    Convert();

    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_TRUE(
        prompt.questions[0].text.startsWith("Stop the conversion once the file in "
                                            "progress is done?"));
    EXPECT_TRUE(std::filesystem::exists(dir / "a.vxv"));
    EXPECT_FALSE(std::filesystem::exists(dir / "b.vxv"));
    EXPECT_FALSE(std::filesystem::exists(dir / "c.vxv"));
    ASSERT_EQ(prompt.messages.size(), 2u);  // the skipped shape, then the summary
    EXPECT_EQ(prompt.messages[1].text, "The run was stopped: 2 files were not converted.");
    EXPECT_TRUE(Status().contains("The run was stopped: 2 files were not converted."));
    EXPECT_FALSE(Status().contains("Importing MIF File b.mif"));
    EXPECT_EQ(Progress(), "1 of 3 files");
    EXPECT_TRUE(window->Engine().JobLog().find("The run was stopped") != std::string::npos);
    // Idle again: "Cancel" closes the window.
    EXPECT_TRUE(Button("cmdAddFiles")->isEnabled());
    window->show();
    Button("cmdCancel")->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(prompt.questions.size(), 1u);
}

TEST_F(ImportWindowTest, ShowFilesListsTheFilesTheRunWrites) {
    const std::string out = dir / "out";
    std::filesystem::create_directories(out);
    const std::string mif = test::WriteMif(dir.path(), "roads");
    const std::string shp = test::WriteShapefile(dir.path(), "wells");
    AddFiles({Q(mif)});
    Formats()->setCurrentIndex(1);
    AddFiles({Q(shp)});
    // "Specify" chosen after the files were added still counts.
    Option("optFolder(0)")->click();
    Child<QLineEdit>(*window, "txtOutput")->setText(Q(out));

    QStringList shown;
    bool noteShown = false;
    prompt.onModal = [&](QDialog& dialog) {
        auto* grid = Child<QTableWidget>(dialog, "msflexFiles");
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (grid->item(row, 0)->text().startsWith('/')) shown << grid->item(row, 0)->text();
        }
        noteShown = !Child<QLabel>(dialog, "lblLayers")->isHidden();
    };
    Button("cmdRenameFiles")->click();
    EXPECT_EQ(shown, QStringList({Q(out + "/roads.vxv"), Q(out + "/VXV/wells.vxv")}));
    EXPECT_TRUE(noteShown);
    Convert();
    ASSERT_TRUE(prompt.messages.empty()) << prompt.messages[0].text.toStdString();
    for (const QString& path : shown)
        EXPECT_TRUE(std::filesystem::exists(path.toStdString())) << path.toStdString();

    // Exports: a shapefile goes into the SHP folder.
    Option("optImport(1)")->click();
    Formats()->setCurrentIndex(1);
    AddFiles({Q(out + "/roads.vxv")});
    shown.clear();
    Button("cmdRenameFiles")->click();
    EXPECT_EQ(shown, QStringList({Q(out + "/SHP/roads.shp")}));
    EXPECT_FALSE(noteShown);
    Convert();
    EXPECT_TRUE(std::filesystem::exists(shown.value(0).toStdString()));
}

TEST_F(ImportWindowTest, TheListTakesAFileOnceAndCanBeEdited) {
    AddFiles({"/maps/a.mif", "/maps/b.mif"});
    AddFiles({"/maps/b.mif", "/maps/c.mif"});
    EXPECT_EQ(window->Batch().MifFiles.sources,
              (std::vector<std::string>{"/maps/a.mif", "/maps/b.mif", "/maps/c.mif"}));
    EXPECT_EQ(Status(), "/maps/b.mif is in the list already: not added again.\n");
    EXPECT_EQ(Progress(), "0 of 3 files");

    // Removing an entry in the list; the window counts what is left.
    prompt.onModal = [&](QDialog& dialog) { static_cast<RenameFilesDialog&>(dialog).RemoveRow(1); };
    Button("cmdRenameFiles")->click();
    EXPECT_EQ(window->Batch().MifFiles.sources,
              (std::vector<std::string>{"/maps/b.mif", "/maps/c.mif"}));
    EXPECT_EQ(Progress(), "0 of 2 files");

    // "Clear" empties it: nothing left to show or convert.
    prompt.onModal = [&](QDialog& dialog) { Child<QPushButton>(dialog, "cmdClear")->click(); };
    Button("cmdRenameFiles")->click();
    EXPECT_EQ(window->Batch().TotalFiles(), 0u);
    EXPECT_FALSE(Button("cmdImport")->isEnabled());
    EXPECT_FALSE(Button("cmdRenameFiles")->isEnabled());
    EXPECT_EQ(Progress(), "");

    // Another direction resets the progress with the lists.
    AddFiles({"/maps/a.mif"});
    Option("optImport(1)")->click();
    EXPECT_EQ(Progress(), "");
}

TEST_F(ImportWindowTest, EnterPressesTheFocusedButtonOrElseConverts) {
    window->show();
    prompt.openFiles.push_back({"/maps/a.mif"});
    QTest::keyClick(Button("cmdAddFiles"), Qt::Key_Return);
    EXPECT_EQ(window->Batch().MifFiles.Count(), 1u);
    QTest::keyClick(Button("cmdAddFiles"), Qt::Key_Enter);
    EXPECT_EQ(prompt.filters.size(), 2u);

    // Elsewhere Enter is "Convert>>>": here refused for want of a folder.
    Option("optFolder(0)")->click();
    QTest::keyClick(Option("optFolder(0)"), Qt::Key_Return);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "Please choose the output folder.");
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

TEST_F(ImportWindowTest, AUtmTextImportExportsAsTransverseMercatorOfItsZone) {
    vx::test::WriteFile(dir / "survey.txt", "500000 5000000\r\n500100 5000100\r\n");
    Formats()->setCurrentIndex(3);
    AddFiles({Q(dir / "survey.txt")});
    prompt.onModal = [&](QDialog& dialog) {
        auto* projection = Child<QComboBox>(dialog, "cmbProjection");
        projection->setCurrentIndex(projection->findData(22));
        Child<QLineEdit>(dialog, "txtProjParam(8)")->setText("33");
        Child<QPushButton>(dialog, "cmdOK")->click();
    };
    Convert();
    ASSERT_TRUE(prompt.messages.empty()) << prompt.messages[0].text.toStdString();

    Option("optImport(1)")->click();
    std::vector<QString> layers;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().extension() == ".vxv") layers.push_back(Q(entry.path().string()));
    }
    ASSERT_EQ(layers.size(), 1u);
    AddFiles({layers[0]});
    Convert();
    ASSERT_TRUE(prompt.messages.empty()) << prompt.messages[0].text.toStdString();
    const std::string mif = vx::test::ReadFile(layers[0].replace(".vxv", ".MIF").toStdString());
    EXPECT_NE(mif.find("CoordSys Earth Projection 8, 104, \"m\", 15, 0, 0.9996, 500000, 0 "),
              std::string::npos)
        << mif;
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
