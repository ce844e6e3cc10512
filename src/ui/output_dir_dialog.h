#pragma once

#include <QDialog>

#include "ui/user_prompt.h"

class QComboBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace vx::ui {

// Picks (and if need be creates) the folder the outputs go into. The main window's folder
// box follows the selection while the dialog is open; Done writes it once more and closes,
// Cancel puts back what the box held.
class OutputDirDialog : public QDialog {
    Q_OBJECT

  public:
    OutputDirDialog(QLineEdit& outputBox, UserPrompt& prompt, QWidget* parent = nullptr);

    // The selected folder, and selecting one as a click in the folder tree would.
    QString Path() const;
    void SetPath(const QString& path);
    // Chooses a volume as the drive list does; false (with a message) when it cannot be read.
    bool SetDrive(const QString& root);
    // The "New Folder" button.
    void NewFolder();

    // Cancel, Escape and closing: the window's box gets back what it held at the opening.
    void reject() override;

  private:
    void ShowTree(const QString& root);
    void Populate(QTreeWidgetItem* item);
    void OnFolderChanged();
    QTreeWidgetItem* ItemFor(const QString& path);

    QLineEdit& outputBox_;
    QString openingText_;  // the window's box when the dialog opened
    UserPrompt& prompt_;
    QComboBox* drives_;
    QTreeWidget* folders_;
    QLineEdit* folderName_;
    int driveIndex_ = -1;
    bool following_ = false;  // the window's box follows the selection  // the drive shown, kept
                              // when another cannot be read
};

}  // namespace vx::ui
