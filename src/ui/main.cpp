#include <QApplication>

#include "ui/import_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VX File Translator"));
    QApplication::setApplicationVersion(QStringLiteral(VX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vxtranslate-gui"));

    vx::ui::QtUserPrompt prompt;
    vx::ui::ImportWindow window(prompt);
    window.show();
    return QApplication::exec();
}
