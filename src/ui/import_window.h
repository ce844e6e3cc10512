#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <thread>

#include "engine/batch_run.h"
#include "engine/import.h"
#include "ui/user_prompt.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
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
//
// A run goes on a thread of its own, so that the window stays alive: its status lines and
// progress come over to the window's thread as they are raised, and its messages and
// questions are shown there while the run waits for the answer. While it runs, only
// "Cancel" acts: it stops the run once the file in progress is done. Nothing else touches
// the engine or the lists until the run is over.
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
    // True from "Convert>>>" until the window has taken the run's end.
    bool Running() const { return running_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter where no button has the focus runs the conversion, as a default button would.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void SetDirection(int direction);
    void ClearLists();
    void AddFiles();
    void ShowFiles();
    void Browse();
    void Convert();
    // The run's end, on the window's thread.
    void RunFinished();
    // "Cancel" while a run goes on, and closing the window then: asks whether to stop once
    // the file in progress is done. True when the person said Yes.
    bool AskToStop();
    void SetRunning(bool running);
    // Enables "Show Files" and "Convert>>>" while the lists hold files.
    void ListsChanged();
    void SaveLog();
    void AppendStatus(const QString& status);
    // The folder a converted file went to, under its success line.
    void AppendWritten(const std::string& folder);
    void ShowProgress(std::size_t done, std::size_t total);
    QString OpenFilter() const;
    // Runs `work` on the window's thread and waits for it; at once when called there.
    void OnWindowThread(const std::function<void()>& work);

    UserPrompt& prompt_;
    Import VX_;
    BatchRun batch_{VX_};
    std::size_t statusToken_ = 0;
    int importType_ = 0;
    bool running_ = false;
    bool closeWhenStopped_ = false;     // the window was closed during the run
    std::atomic<bool> closing_{false};  // the window is going: nothing more is shown
    std::thread worker_;

    QGroupBox* direction_;
    QGroupBox* files_;
    QGroupBox* output_;
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
    QString statusTail_;  // the last two characters shown in txtStatus_
    QProgressBar* progress_;
};

}  // namespace vx::ui
