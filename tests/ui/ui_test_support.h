#pragma once

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/user_prompt.h"

class QWidget;

namespace vx::ui::test {

// The Qt application of the test program, on the offscreen platform unless told otherwise.
void EnsureApplication();

// Handles the application's events until `done` holds, waiting for each next event (a run's
// thread posts one when it ends), so no clock decides the outcome.
void ProcessEventsUntil(const std::function<bool()>& done);

// Answers every box and dialog from a script and records what was shown. Modal dialogs are
// handed to `onModal`, which drives their widgets and closes them; without it they are only
// recorded.
class ScriptedUserPrompt : public UserPrompt {
  public:
    struct Shown {
        QString text;
        QString title;
        Icon icon;
    };

    void Message(QWidget* parent, const QString& text, const QString& title,
                 Icon icon = Icon::kNone) override;
    bool AskYesNo(QWidget* parent, const QString& text, const QString& title) override;
    std::optional<QString> AskText(QWidget* parent, const QString& prompt,
                                   const QString& title) override;
    QStringList ChooseOpenFiles(QWidget* parent, const QString& filter) override;
    QString ChooseSaveFile(QWidget* parent, const QString& filter) override;
    void RunModal(QDialog& dialog) override;

    std::vector<Shown> messages;
    std::vector<Shown> questions;
    std::vector<Shown> inputs;  // prompt and title of each input box
    std::vector<QString> filters;
    QStringList modals;  // object names of the dialogs shown

    std::deque<bool> yesNo;                    // No when used up
    std::deque<std::optional<QString>> texts;  // Cancel when used up
    std::deque<QStringList> openFiles;
    std::deque<QString> saveFiles;
    std::function<void(QDialog&)> onModal;
    std::function<void(const Shown&)> onMessage;  // after the message is recorded
};

// Small sources for real runs, written into `folder`: a MIF with its MID holding two points,
// and a shapefile of two points made by ogr2ogr.
std::string WriteMif(const std::string& folder, const std::string& name);
std::string WriteShapefile(const std::string& folder, const std::string& name);

// The child of `parent` with that object name, failing the test when there is none.
template <typename T>
T* Child(QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(QLatin1String(name));
    if (child == nullptr) ADD_FAILURE() << "no control named " << name;
    return child;
}

}  // namespace vx::ui::test
