#pragma once

#include <QString>
#include <QWidget>
#include <array>

#include "engine/batch_run.h"
#include "engine/import.h"
#include "ui/user_prompt.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vx::ui {

// The main window: direction, format and files, output folder, overwrite, the run and its
// status lines. It owns the engine and the batch run, and is the batch run's prompt: the
// run's messages, questions and the projection dialog are shown through it.
class ImportWindow : public QWidget, public RunPrompt {
    Q_OBJECT

  public:
    explicit ImportWindow(UserPrompt& prompt, QWidget* parent = nullptr);
    ~ImportWindow() override;

    void ShowMessage(const std::string& text, const std::string& title = {}) override;
    bool AskYesNo(const std::string& text) override;
    // The projection dialog, shown before the ASCII files of a run.
    void EditProjection(ProjectionSettings& settings) override;

    Import& Engine() { return VX_; }
    BatchRun& Batch() { return batch_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void SetDirection(int direction);
    void ClearLists();
    void AddFiles();
    void ShowFiles();
    void Browse();
    void Convert();
    void SaveLog();
    void AppendStatus(const std::string& status);
    void ShowProgress(std::size_t done, std::size_t total);
    QString OpenFilter() const;

    UserPrompt& prompt_;
    Import VX_;
    BatchRun batch_{VX_};
    std::size_t statusToken_ = 0;
    int importType_ = 0;
    bool running_ = false;

    std::array<QRadioButton*, 2> optImport_{};
    QLabel* lblFormat_;
    QComboBox* cmbImportType_;
    QPushButton* cmdAddFiles_;
    QPushButton* cmdRenameFiles_;
    std::array<QRadioButton*, 2> optFolder_{};
    QLineEdit* txtOutput_;
    QPushButton* cmdBrowse_;
    QCheckBox* chkOverwrite_;
    QPushButton* cmdImport_;
    QPushButton* cmdSaveLog_;
    QPushButton* cmdCancel_;
    QPlainTextEdit* txtStatus_;
    QProgressBar* progress_;
};

}  // namespace vx::ui
