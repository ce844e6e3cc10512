#include "ui/user_prompt.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace vx::ui {

namespace {

// Lifts the wait cursor while a box is open and puts it back afterwards.
class NormalCursor {
  public:
    NormalCursor() : lifted_(QApplication::overrideCursor() != nullptr) {
        if (lifted_) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalCursor() {
        if (lifted_) QApplication::restoreOverrideCursor();
    }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

  private:
    bool lifted_;
};

QString TitleOr(const QString& title) {
    return title.isEmpty() ? QString::fromLatin1(kProgramTitle) : title;
}

}  // namespace

void QtUserPrompt::Message(QWidget* parent, const QString& text, const QString& title, Icon icon) {
    NormalCursor cursor;
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    switch (icon) {
        case Icon::kNone:
            break;
        case Icon::kInformation:
            boxIcon = QMessageBox::Information;
            break;
        case Icon::kWarning:
            boxIcon = QMessageBox::Warning;
            break;
        case Icon::kCritical:
            boxIcon = QMessageBox::Critical;
            break;
    }
    QMessageBox box(boxIcon, TitleOr(title), text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtUserPrompt::AskYesNo(QWidget* parent, const QString& text, const QString& title) {
    NormalCursor cursor;
    return QMessageBox::warning(parent, TitleOr(title), text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

std::optional<QString> QtUserPrompt::AskText(QWidget* parent, const QString& prompt,
                                             const QString& title) {
    NormalCursor cursor;
    bool ok = false;
    QString answer =
        QInputDialog::getText(parent, TitleOr(title), prompt, QLineEdit::Normal, QString(), &ok);
    if (!ok) return std::nullopt;
    return answer;
}

QStringList QtUserPrompt::ChooseOpenFiles(QWidget* parent, const QString& filter) {
    NormalCursor cursor;
    return QFileDialog::getOpenFileNames(parent, QObject::tr("Add Files"), QString(), filter);
}

QString QtUserPrompt::ChooseSaveFile(QWidget* parent, const QString& filter) {
    NormalCursor cursor;
    QFileDialog dialog(parent, QObject::tr("Save Log"), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

void QtUserPrompt::RunModal(QDialog& dialog) {
    dialog.exec();
}

std::string ToBytes(const QString& text) {
    const QByteArray bytes = QFile::encodeName(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString FromBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace vx::ui
