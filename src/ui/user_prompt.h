#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

class QDialog;
class QWidget;

namespace vx::ui {

// Every place where a window waits for the person: message and input boxes, the file
// dialogs and the modal dialogs of the program. The program uses QtUserPrompt; tests answer
// from a script, so nothing ever blocks on a person there.
class UserPrompt {
  public:
    enum class Icon { kNone, kInformation, kWarning, kCritical };

    virtual ~UserPrompt() = default;
    virtual void Message(QWidget* parent, const QString& text, const QString& title,
                         Icon icon = Icon::kNone) = 0;
    virtual bool AskYesNo(QWidget* parent, const QString& text, const QString& title) = 0;
    // The answer of an input box; nothing when it was cancelled.
    virtual std::optional<QString> AskText(QWidget* parent, const QString& prompt,
                                           const QString& title) = 0;
    // The files chosen in an open dialog (several at once); empty when cancelled.
    virtual QStringList ChooseOpenFiles(QWidget* parent, const QString& filter) = 0;
    // The file named in a save dialog; empty when cancelled.
    virtual QString ChooseSaveFile(QWidget* parent, const QString& filter) = 0;
    // Shows one of the program's own dialogs modally until it closes.
    virtual void RunModal(QDialog& dialog) = 0;
};

// Qt's message boxes, input box and file dialogs. Boxes shown while the program holds the
// wait cursor get the ordinary pointer for as long as they are open.
class QtUserPrompt : public UserPrompt {
  public:
    void Message(QWidget* parent, const QString& text, const QString& title,
                 Icon icon = Icon::kNone) override;
    bool AskYesNo(QWidget* parent, const QString& text, const QString& title) override;
    std::optional<QString> AskText(QWidget* parent, const QString& prompt,
                                   const QString& title) override;
    QStringList ChooseOpenFiles(QWidget* parent, const QString& filter) override;
    QString ChooseSaveFile(QWidget* parent, const QString& filter) override;
    void RunModal(QDialog& dialog) override;
};

// Paths and texts cross into the engine as the bytes the file system uses.
std::string ToBytes(const QString& text);
QString FromBytes(const std::string& bytes);

// The program's title, used for boxes that name no title of their own.
inline constexpr const char* kProgramTitle = "VX File Translator";

}  // namespace vx::ui
