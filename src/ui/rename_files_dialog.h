#pragma once

#include <QDialog>
#include <vector>

#include "engine/batch_run.h"
#include "ui/user_prompt.h"

class QLabel;
class QTableWidget;

namespace vx::ui {

// The files of the coming run, each output beside its source; a click on an output asks for
// a new name. Only output paths of the job lists are ever changed.
class RenameFilesDialog : public QDialog {
    Q_OBJECT

  public:
    RenameFilesDialog(BatchRun& batch, UserPrompt& prompt, QWidget* parent = nullptr);

    // Renames the output shown in a row of the grid (0 is the first row under the header);
    // rows that show no entry, and cancelled or empty answers, change nothing.
    void RenameRow(int row);

  private:
    struct Row {
        JobList* list = nullptr;  // null for a caption row
        std::size_t entry = 0;
        const char* extension = "";  // what a renamed output ends with
    };
    void FillFileGrid();

    BatchRun& batch_;
    UserPrompt& prompt_;
    QTableWidget* grid_;
    QLabel* count_;
    std::vector<Row> rows_;
};

}  // namespace vx::ui
