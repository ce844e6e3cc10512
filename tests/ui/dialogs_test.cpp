// The file list with its renames, and the output folder dialog with its folder creation,
// driven through their widgets with every input box answered by a script.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "support/test_support.h"
#include "ui/output_dir_dialog.h"
#include "ui/rename_files_dialog.h"
#include "ui_test_support.h"

namespace vx::ui {
namespace {

using test::Child;

class RenameFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { test::EnsureApplication(); }

    static QStringList Row(QTableWidget* grid, int row) {
        return {grid->item(row, 0)->text(), grid->item(row, 1)->text()};
    }
    // A real click on a cell, as the person would make it.
    static void Click(QTableWidget* grid, int row, int column) {
        const QRect cell = grid->visualItemRect(grid->item(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

    Import engine;
    BatchRun batch{engine};
    test::ScriptedUserPrompt prompt;
};

TEST_F(RenameFilesTest, ImportListsShowCaptionsAndRenameTheClickedEntry) {
    batch.BuildImportLists(ImportFormat::kMif, {"/m/a.mif", "/m/b.mif", "/m/c.mif"});
    batch.BuildImportLists(ImportFormat::kTab, {"/t/x.tab"});
    batch.BuildImportLists(ImportFormat::kAscii, {"/t/p.txt"});
    RenameFilesDialog dialog(batch, prompt);
    dialog.resize(700, 400);
    dialog.show();
    auto* grid = Child<QTableWidget>(dialog, "msflexFiles");

    EXPECT_EQ(dialog.objectName(), "frmRenameFiles");
    EXPECT_EQ(dialog.windowTitle(), "Files for Import");
    EXPECT_EQ(Child<QLabel>(dialog, "lblNoOfFiles")->text(), "Importing 5 Files:");
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "Converting To:");
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Converting From:");
    ASSERT_EQ(grid->rowCount(), 8);  // MIF caption and 3, TAB caption and 1, ASCII caption and 1
    EXPECT_EQ(Row(grid, 0), QStringList({":::VXV Files:::", ":::MIF Files:::"}));
    EXPECT_TRUE(grid->item(0, 0)->font().bold());
    EXPECT_EQ(Row(grid, 2), QStringList({"/m/b.vxv", "/m/b.mif"}));
    EXPECT_EQ(Row(grid, 4), QStringList({":::VXV Files:::", ":::Tab Files:::"}));
    EXPECT_EQ(Row(grid, 6), QStringList({":::VXV FILES:::", ":::Ascii Files:::"}));
    EXPECT_EQ(grid->columnWidth(0), grid->columnWidth(1));

    // Clicks on a source, or on a caption, ask nothing.
    Click(grid, 2, 1);
    Click(grid, 0, 0);
    EXPECT_TRUE(prompt.inputs.empty());

    prompt.texts = {QString("roads.new")};
    Click(grid, 2, 0);
    ASSERT_EQ(prompt.inputs.size(), 1u);
    EXPECT_EQ(prompt.inputs[0].text, "Enter New File Name:");
    EXPECT_EQ(prompt.inputs[0].title, "Rename File");
    EXPECT_EQ(batch.MifFiles.outputs[1], "/m/roads.vxv");
    EXPECT_EQ(grid->item(2, 0)->text(), "/m/roads.vxv");

    // The first TAB row is the TAB entry, not a fourth MIF entry.
    prompt.texts = {QString("harbour")};
    Click(grid, 5, 0);
    EXPECT_EQ(batch.TabFiles.outputs[0], "/t/harbour.vxv");
    EXPECT_EQ(batch.MifFiles.outputs[2], "/m/c.vxv");

    // Cancel, an empty answer and a bare extension leave the entry as it was.
    prompt.texts = {std::nullopt, QString(""), QString(".vxv")};
    for (int i = 0; i < 3; ++i)
        dialog.RenameRow(1);
    EXPECT_EQ(batch.MifFiles.outputs[0], "/m/a.vxv");
    EXPECT_EQ(grid->item(1, 0)->text(), "/m/a.vxv");

    Child<QPushButton>(dialog, "cmdDone")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(RenameFilesTest, ExportRenamesKeepTheFormatsExtension) {
    batch.TransType = TransferDirection::kExport;
    batch.BuildExportLists(ExportFormat::kShape, {"/v/lots.vxv"});
    batch.BuildExportLists(ExportFormat::kMif, {"/v/roads.vxv"});
    RenameFilesDialog dialog(batch, prompt);
    auto* grid = Child<QTableWidget>(dialog, "msflexFiles");

    EXPECT_EQ(dialog.windowTitle(), "Files for Export");
    EXPECT_EQ(Child<QLabel>(dialog, "lblNoOfFiles")->text(), "Exporting 2 Files:");
    ASSERT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(Row(grid, 0), QStringList({":::MIF Files:::", ":::VXV Files:::"}));
    EXPECT_EQ(Row(grid, 2), QStringList({":::Shape Files:::", ":::VXV Files:::"}));

    prompt.texts = {QString("parcels"), QString("streets.txt")};
    dialog.RenameRow(3);
    dialog.RenameRow(1);
    EXPECT_EQ(batch.ShpFiles.outputs[0], "/v/parcels.shp");
    EXPECT_EQ(batch.MifFiles.outputs[0], "/v/streets.MIF");
    // Shown where the run writes it: a shapefile export goes into the SHP folder.
    EXPECT_EQ(grid->item(3, 0)->text(), "/v/SHP/parcels.shp");
}

TEST_F(RenameFilesTest, KeysRenameAndRemoveTheSelectedEntry) {
    batch.BuildImportLists(ImportFormat::kMif, {"/m/a.mif", "/m/b.mif"});
    batch.BuildImportLists(ImportFormat::kShape, {"/s/c.shp"});
    RenameFilesDialog dialog(batch, prompt);
    dialog.show();
    auto* grid = Child<QTableWidget>(dialog, "msflexFiles");
    EXPECT_EQ(grid->item(4, 0)->text(), "/s/VXV/c.vxv");

    // F2 and Enter rename the selected entry, whichever column; Enter does not close.
    grid->setCurrentCell(2, 1);
    prompt.texts = {QString("north"), QString("south")};
    QTest::keyClick(grid, Qt::Key_F2);
    EXPECT_EQ(batch.MifFiles.outputs[1], "/m/north.vxv");
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(batch.MifFiles.outputs[1], "/m/south.vxv");
    EXPECT_TRUE(dialog.isVisible());

    // Delete takes the entry out; the next entry is selected, and a caption row is no entry.
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(batch.MifFiles.sources, std::vector<std::string>{"/m/a.mif"});
    EXPECT_EQ(Child<QLabel>(dialog, "lblNoOfFiles")->text(), "Importing 2 Files:");
    ASSERT_EQ(grid->currentRow(), 3);
    EXPECT_EQ(grid->item(3, 1)->text(), "/s/c.shp");
    dialog.RemoveRow(0);
    EXPECT_EQ(batch.TotalFiles(), 2u);

    Child<QPushButton>(dialog, "cmdClear")->click();
    EXPECT_EQ(batch.TotalFiles(), 0u);
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_EQ(Child<QLabel>(dialog, "lblNoOfFiles")->text(), "Importing 0 Files:");
}

TEST_F(RenameFilesTest, NoFilesShowOnlyTheHeader) {
    RenameFilesDialog dialog(batch, prompt);
    EXPECT_EQ(Child<QTableWidget>(dialog, "msflexFiles")->rowCount(), 0);
    EXPECT_EQ(Child<QLabel>(dialog, "lblNoOfFiles")->text(), "Importing 0 Files:");
}

class OutputDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::EnsureApplication();
        std::filesystem::create_directories(dir / "maps/out");
        std::filesystem::create_directories(dir / "maps/old");
        owned = std::make_unique<QLineEdit>(QString::fromStdString(dir / "maps"));
    }
    static QString Q(const std::string& s) { return QString::fromStdString(s); }

    vx::test::TempDir dir;
    std::unique_ptr<QLineEdit> owned;  // the main window's folder box, made with the application
    QLineEdit& box() { return *owned; }
    test::ScriptedUserPrompt prompt;
};

TEST_F(OutputDirTest, TheWindowsBoxFollowsTheSelection) {
    OutputDirDialog dialog(box(), prompt);
    EXPECT_EQ(dialog.objectName(), "frmOutputDir");
    EXPECT_EQ(dialog.windowTitle(), "Choose Output Directory");
    EXPECT_EQ(dialog.Path(), Q(dir / "maps"));  // opens at the box's folder

    // Picking a folder in the tree: the child items are the folder's subfolders.
    auto* tree = Child<QTreeWidget>(dialog, "DirOutput");
    QTreeWidgetItem* maps = tree->currentItem();
    ASSERT_NE(maps, nullptr);
    ASSERT_EQ(maps->childCount(), 2);
    EXPECT_EQ(maps->child(0)->text(0), "old");
    tree->setCurrentItem(maps->child(1));
    EXPECT_EQ(box().text(), Q(dir / "maps/out"));
    EXPECT_EQ(Child<QLineEdit>(dialog, "txtOutputPath")->text(), "out");

    // Cancel, and Escape, put back what the box held when the dialog opened.
    Child<QPushButton>(dialog, "Command4")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(box().text(), Q(dir / "maps"));
    OutputDirDialog escaped(box(), prompt);
    escaped.SetPath(Q(dir / "maps/old"));
    EXPECT_EQ(box().text(), Q(dir / "maps/old"));
    QTest::keyClick(&escaped, Qt::Key_Escape);
    EXPECT_EQ(box().text(), Q(dir / "maps"));

    OutputDirDialog again(box(), prompt);
    EXPECT_EQ(again.Path(), Q(dir / "maps"));
    again.SetPath(Q(dir.path()));
    box().setText("typed over");
    Child<QPushButton>(again, "cmdDone")->click();
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(box().text(), Q(dir.path()));

    // A volume that cannot be read is refused and the folder shown stays.
    EXPECT_FALSE(again.SetDrive("/no/such/volume"));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].icon, UserPrompt::Icon::kCritical);
    EXPECT_EQ(again.Path(), Q(dir.path()));
}

TEST_F(OutputDirTest, NewFolderCreatesBesideTheSelectionOnce) {
    OutputDirDialog dialog(box(), prompt);
    auto* tree = Child<QTreeWidget>(dialog, "DirOutput");
    auto* newFolder = Child<QPushButton>(dialog, "cmdNewFolder");

    prompt.texts = {QString("  fresh  ")};
    newFolder->click();
    ASSERT_EQ(prompt.inputs.size(), 1u);
    EXPECT_EQ(prompt.inputs[0].text, "Name of the folder :");
    EXPECT_EQ(prompt.inputs[0].title, "New Folder");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "maps/fresh"));
    EXPECT_EQ(dialog.Path(), Q(dir / "maps"));  // not selected
    QStringList shown;
    for (int i = 0; i < tree->currentItem()->childCount(); ++i)
        shown << tree->currentItem()->child(i)->text(0);
    EXPECT_EQ(shown, QStringList({"fresh", "old", "out"}));

    prompt.texts = {QString("out")};
    newFolder->click();
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].text, "Folder Already Exists.");
    EXPECT_EQ(prompt.messages[0].title, "New Folder");

    // Blank, cancelled and impossible names do nothing and say nothing.
    prompt.texts = {QString("   "), std::nullopt, QString("a/b")};
    for (int i = 0; i < 3; ++i)
        newFolder->click();
    EXPECT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "maps"),
                            std::filesystem::directory_iterator()),
              3);
}

}  // namespace
}  // namespace vx::ui
