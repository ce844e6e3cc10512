#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "engine/batch_run.h"
#include "ui/user_prompt.h"

class QLabel;
class QTableWidget;

namespace vx::ui {

// The files of the coming run, each source beside the file the run will write for it
// (in the folder "Specify" names, and in the VXV or SHP folder of the shapefile routes); a
// click on an output, F2 or Enter asks for a new name, Delete or the context menu removes
// entries. Only the job lists are ever changed.
class RenameFilesDialog : public QDialog {
    Q_OBJECT

  public:
    // `outputFolder`: the folder the run will write into; empty for beside each source.
    RenameFilesDialog(BatchRun& batch, UserPrompt& prompt, QWidget* parent = nullptr,
                      std::string outputFolder = {});

    // Renames the output shown in a row of the grid (0 is the first row under the header);
    // rows that show no entry, and cancelled or empty answers, change nothing.
    void RenameRow(int row);
    // Takes the entry shown in a row out of the run; rows that show no entry change nothing.
    void RemoveRow(int row);
    // Takes every entry out of the run.
    void ClearAll();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Row {
        JobList* list = nullptr;  // null for a caption row
        std::size_t entry = 0;
        const char* extension = "";  // what a renamed output ends with
    };
    void FillFileGrid();
    // Fills the grid afresh after entries went, keeping the selection near `row`.
    void Refill(int row);
    void ShowCount();
    void ShowContextMenu(const QPoint& at);

    BatchRun& batch_;
    UserPrompt& prompt_;
    std::string outputFolder_;
    QTableWidget* grid_;
    QLabel* count_;
    QLabel* layersNote_;
    std::vector<Row> rows_;
};

}  // namespace vx::ui
