#include "ui/import_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>

#include "ui/output_dir_dialog.h"
#include "ui/projection_dialog.h"
#include "ui/rename_files_dialog.h"

// The icon lives in this static library's resources, which a static build must register.
static void LoadResources() {
    Q_INIT_RESOURCE(vxtranslate);
}

namespace vx::ui {

namespace {

const QStringList kImportFormats = {"MIF Files (*.mif)", "Shape Files (*.shp)",
                                    "Design Files (*.dgn)", "Ascii Files (*.txt)",
                                    "Tab Files (*.tab)"};
const QStringList kExportFormats = {"MIF Files (*.mif)", "Shape Files (*.shp)",
                                    "Tab Files (*.tab)"};

// Open dialog filters by format. Names here are case-sensitive, so both spellings of an
// extension are listed.
const QStringList kImportFilters = {"MapInfo (*.MIF *.mif)", "ShapeFiles (*.shp *.SHP)",
                                    "DesignFiles (*.dgn *.DGN)", "Ascii Files (*.txt *.TXT)",
                                    "TabFiles (*.tab *.TAB)"};
const QString kExportFilter = QStringLiteral("VXV (*.vxv *.VXV)");
const QString kAllFiles = QStringLiteral(";;All Files (*)");

// Why a log file could not be written, in the system's words.
QString WhyNotWritable(const QString& path) {
    const bool existed = QFileInfo::exists(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return file.errorString();
    file.close();
    if (!existed) QFile::remove(path);
    return QObject::tr("The file could not be written completely (is the disk full?).");
}

QPushButton* Button(const QString& text, const char* name) {
    auto* button = new QPushButton(text);
    button->setObjectName(QLatin1String(name));
    // Enter on a button that has the focus presses it, as Space does.
    button->setAutoDefault(true);
    return button;
}

}  // namespace

ImportWindow::ImportWindow(UserPrompt& prompt, QWidget* parent) : QWidget(parent), prompt_(prompt) {
    LoadResources();
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QString::fromLatin1(kProgramTitle));
    setWindowIcon(QIcon(QStringLiteral(":/vxtranslate-gui.png")));

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(14, 12, 14, 12);
    root->setSpacing(10);

    // Banner.
    auto* banner = new QWidget;
    banner->setObjectName(QStringLiteral("Frame2"));
    auto* bannerLayout = new QHBoxLayout(banner);
    bannerLayout->setContentsMargins(0, 0, 0, 0);
    auto* logo = new QLabel;
    logo->setObjectName(QStringLiteral("Image2"));
    logo->setPixmap(windowIcon().pixmap(40, 40));
    auto* title = new QLabel(QString::fromLatin1(kProgramTitle));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* subtitle =
        new QLabel(tr("Converts map layers between VXV and MIF/MID, MapInfo TAB, Shapefile, "
                      "MicroStation DGN and ASCII text."));
    subtitle->setEnabled(false);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(0);
    titles->addWidget(title);
    titles->addWidget(subtitle);
    bannerLayout->addWidget(logo);
    bannerLayout->addLayout(titles, 1);
    root->addWidget(banner);

    auto* body = new QHBoxLayout;
    body->setSpacing(12);
    auto* left = new QVBoxLayout;
    left->setSpacing(10);

    auto* direction = direction_ = new QGroupBox(tr("Direction"));
    direction->setObjectName(QStringLiteral("Frame1"));
    auto* directionLayout = new QHBoxLayout(direction);
    optImport_[0] = new QRadioButton(tr("Import"));
    optImport_[1] = new QRadioButton(tr("Export"));
    for (int i = 0; i < 2; ++i) {
        optImport_[i]->setObjectName(QStringLiteral("optImport(%1)").arg(i));
        directionLayout->addWidget(optImport_[i]);
    }
    directionLayout->addStretch();
    left->addWidget(direction);

    auto* files = files_ = new QGroupBox(tr("Files"));
    files->setObjectName(QStringLiteral("Frame5"));
    auto* filesLayout = new QVBoxLayout(files);
    lblFormat_ = new QLabel(tr("Choose Format To Import:"));
    lblFormat_->setObjectName(QStringLiteral("lblFormat"));
    cmbImportType_ = new QComboBox;
    cmbImportType_->setObjectName(QStringLiteral("cmbImportType"));
    lblFormat_->setBuddy(cmbImportType_);
    cmdAddFiles_ = Button(tr("Add Files"), "cmdAddFiles");
    cmdRenameFiles_ = Button(tr("Show Files"), "cmdRenameFiles");
    auto* fileButtons = new QHBoxLayout;
    fileButtons->addWidget(cmdAddFiles_);
    fileButtons->addWidget(cmdRenameFiles_);
    filesLayout->addWidget(lblFormat_);
    filesLayout->addWidget(cmbImportType_);
    filesLayout->addLayout(fileButtons);
    left->addWidget(files);

    auto* output = output_ = new QGroupBox(tr("Output"));
    output->setObjectName(QStringLiteral("Frame4"));
    auto* outputLayout = new QVBoxLayout(output);
    optFolder_[1] = new QRadioButton(tr("Same Folder As Source"));
    optFolder_[0] = new QRadioButton(tr("Specify"));
    for (int i = 0; i < 2; ++i)
        optFolder_[i]->setObjectName(QStringLiteral("optFolder(%1)").arg(i));
    txtOutput_ = new QLineEdit;
    txtOutput_->setObjectName(QStringLiteral("txtOutput"));
    txtOutput_->setPlaceholderText(tr("Output folder"));
    cmdBrowse_ = Button(tr("Browse..."), "cmdBrowse");
    auto* folderRow = new QHBoxLayout;
    folderRow->setContentsMargins(22, 0, 0, 0);  // under the Specify button's text
    folderRow->addWidget(txtOutput_, 1);
    folderRow->addWidget(cmdBrowse_);
    chkOverwrite_ = new QCheckBox(tr("OverWrite Existing Files"));
    chkOverwrite_->setObjectName(QStringLiteral("chkOverwrite"));
    outputLayout->addWidget(optFolder_[1]);
    outputLayout->addWidget(optFolder_[0]);
    outputLayout->addLayout(folderRow);
    outputLayout->addSpacing(4);
    outputLayout->addWidget(chkOverwrite_);
    left->addWidget(output);
    left->addStretch();

    auto* leftPanel = new QWidget;
    leftPanel->setLayout(left);
    left->setContentsMargins(0, 0, 0, 0);
    leftPanel->setFixedWidth(320);
    body->addWidget(leftPanel);

    auto* status = new QGroupBox(tr("Status ..."));
    status->setObjectName(QStringLiteral("Frame3"));
    auto* statusLayout = new QVBoxLayout(status);
    txtStatus_ = new QPlainTextEdit;
    txtStatus_->setObjectName(QStringLiteral("txtStatus"));
    txtStatus_->setReadOnly(true);
    // Reached by Tab, it shows that it has the focus, and the keys move and select in it.
    txtStatus_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtStatus_->setStyleSheet(
        QStringLiteral("QPlainTextEdit:focus { border: 1px solid palette(highlight); }"));
    txtStatus_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtStatus_->setTabStopDistance(txtStatus_->fontMetrics().horizontalAdvance(QLatin1Char(' ')) *
                                   4);
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("prgFiles"));
    progress_->setTextVisible(true);
    statusLayout->addWidget(txtStatus_, 1);
    statusLayout->addWidget(progress_);
    body->addWidget(status, 1);
    root->addLayout(body, 1);

    auto* actions = new QHBoxLayout;
    cmdSaveLog_ = Button(tr("Save Log"), "cmdSaveLog");
    cmdImport_ = Button(tr("Convert>>>"), "cmdImport");
    cmdImport_->setDefault(true);
    cmdCancel_ = Button(tr("Cancel"), "cmdCancel");
    for (auto* button : {cmdSaveLog_, cmdImport_, cmdCancel_})
        button->setMinimumWidth(100);
    actions->addWidget(cmdSaveLog_);
    actions->addStretch();
    actions->addWidget(cmdImport_);
    actions->addWidget(cmdCancel_);
    root->addLayout(actions);

    resize(880, 540);

    connect(optImport_[0], &QRadioButton::toggled, this, [this](bool on) {
        if (on) SetDirection(0);
    });
    connect(optImport_[1], &QRadioButton::toggled, this, [this](bool on) {
        if (on) SetDirection(1);
    });
    connect(cmbImportType_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) importType_ = index;
    });
    connect(optFolder_[0], &QRadioButton::toggled, this, [this](bool specify) {
        cmdBrowse_->setEnabled(specify);
        txtOutput_->setEnabled(specify);
    });
    connect(cmdAddFiles_, &QPushButton::clicked, this, &ImportWindow::AddFiles);
    connect(cmdRenameFiles_, &QPushButton::clicked, this, &ImportWindow::ShowFiles);
    connect(cmdBrowse_, &QPushButton::clicked, this, &ImportWindow::Browse);
    connect(cmdImport_, &QPushButton::clicked, this, &ImportWindow::Convert);
    connect(cmdSaveLog_, &QPushButton::clicked, this, &ImportWindow::SaveLog);
    connect(cmdCancel_, &QPushButton::clicked, this, [this] {
        if (!running_) {
            close();
        } else if (AskToStop() && running_) {
            batch_.RequestStop();
            AppendStatus(tr("\nStopping once the file in progress is done ...\n"));
        }
    });

    // Load.
    VX_.SetCreateDbf(true);
    VX_.SetPrompt(this);
    batch_.SetPrompt(this);
    // Lines and progress are raised on the run's thread and shown on the window's, in the
    // order raised.
    statusToken_ = VX_.SubscribeReportStatus([this](const std::string& line) {
        const QString text = FromBytes(line);
        QMetaObject::invokeMethod(
            this, [this, text] { AppendStatus(text); }, Qt::AutoConnection);
    });
    batch_.SetProgress(
        [this](std::size_t done, std::size_t total, bool converted, const std::string& folder) {
            QMetaObject::invokeMethod(
                this,
                [this, done, total, converted, folder] {
                    if (converted) AppendWritten(folder);
                    ShowProgress(done, total);
                },
                Qt::AutoConnection);
        });
    batch_.projection = ProjectionSettings{};
    batch_.projection.lCoordSys = 0;
    batch_.projection.lProjection = 1;
    batch_.projection.lDatum = 226;
    cmdSaveLog_->setEnabled(false);
    txtOutput_->setEnabled(false);
    cmdBrowse_->setEnabled(false);
    optFolder_[1]->setChecked(true);
    txtStatus_->clear();
    statusTail_.clear();
    ShowProgress(0, 0);
    optImport_[0]->setChecked(true);
}

ImportWindow::~ImportWindow() {
    // A window destroyed during a run lets the file in progress finish, so that no output is
    // left half written; what the run still asks is answered without being shown.
    closing_ = true;
    if (worker_.joinable()) {
        batch_.RequestStop();
        while (worker_.joinable())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    VX_.UnsubscribeReportStatus(statusToken_);
    VX_.SetPrompt(nullptr);
}

void ImportWindow::OnWindowThread(const std::function<void()>& work) {
    if (QThread::currentThread() == thread()) {
        work();
    } else {
        QMetaObject::invokeMethod(
            this, [&work] { work(); }, Qt::BlockingQueuedConnection);
    }
}

void ImportWindow::ShowMessage(const std::string& text, const std::string& title) {
    OnWindowThread([&] {
        if (!closing_) prompt_.Message(this, FromBytes(text), FromBytes(title));
    });
}

bool ImportWindow::AskYesNo(const std::string& text) {
    bool yes = false;
    OnWindowThread([&] {
        if (!closing_) yes = prompt_.AskYesNo(this, FromBytes(text), QString());
    });
    return yes;
}

void ImportWindow::EditProjection(ProjectionSettings& settings) {
    OnWindowThread([&] {
        if (closing_) return;
        // The dialog is for the person to fill in: no busy cursor over it.
        const bool waiting = QApplication::overrideCursor() != nullptr;
        if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
        ProjectionDialog dialog(settings, prompt_, this);
        prompt_.RunModal(dialog);
        if (waiting) QApplication::restoreOverrideCursor();
    });
}

bool ImportWindow::AskToStop() {
    return prompt_.AskYesNo(this,
                            tr("Stop the conversion once the file in progress is done?\n"
                               "Files already converted are kept; the others are not "
                               "converted."),
                            tr("Cancel"));
}

void ImportWindow::closeEvent(QCloseEvent* event) {
    // A run is never cut off in the middle of a file: closing during a run stops it after
    // the file in progress, and the window closes then.
    if (!running_) {
        event->accept();
        return;
    }
    event->ignore();
    if (AskToStop() && running_) {
        closeWhenStopped_ = true;
        batch_.RequestStop();
    }
}

void ImportWindow::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier && cmdImport_->isEnabled()) {
        cmdImport_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ImportWindow::SetDirection(int direction) {
    batch_.TransType = direction == 0 ? TransferDirection::kImport : TransferDirection::kExport;
    cmbImportType_->clear();
    cmbImportType_->addItems(direction == 0 ? kImportFormats : kExportFormats);
    lblFormat_->setText(direction == 0 ? tr("Choose Format To Import:")
                                       : tr("Choose Format To Export:"));
    ClearLists();
    ShowProgress(0, 0);
}

void ImportWindow::ClearLists() {
    batch_.ClearJobLists();
    importType_ = 0;
    ListsChanged();
    cmdBrowse_->setEnabled(false);
    cmbImportType_->setCurrentIndex(0);
    optFolder_[1]->setChecked(true);
}

void ImportWindow::ListsChanged() {
    const bool any = batch_.TotalFiles() > 0;
    cmdRenameFiles_->setEnabled(any);
    cmdImport_->setEnabled(any);
}

QString ImportWindow::OpenFilter() const {
    if (batch_.TransType == TransferDirection::kExport) return kExportFilter + kAllFiles;
    return kImportFilters.value(importType_, kImportFilters.first()) + kAllFiles;
}

void ImportWindow::AddFiles() {
    const QStringList chosen = prompt_.ChooseOpenFiles(this, OpenFilter());
    txtStatus_->clear();
    statusTail_.clear();
    // A file is converted once a run: a second copy would only fail on the first one's
    // outputs.
    std::vector<std::string> paths;
    for (const QString& path : chosen) {
        const std::string bytes = ToBytes(path);
        if (batch_.HasSource(bytes)) {
            AppendStatus(tr("%1 is in the list already: not added again.\n")
                             .arg(QDir::toNativeSeparators(path)));
        } else {
            paths.push_back(bytes);
        }
    }
    if (batch_.TransType == TransferDirection::kImport)
        batch_.BuildImportLists(static_cast<ImportFormat>(importType_), paths);
    else
        batch_.BuildExportLists(static_cast<ExportFormat>(importType_), paths);
    ListsChanged();
    ShowProgress(0, batch_.TotalFiles());
}

void ImportWindow::ShowFiles() {
    // The list shows where the run will write, so the folder "Specify" names counts now.
    const std::string folder =
        optFolder_[0]->isChecked() ? ToBytes(txtOutput_->text().trimmed()) : std::string();
    RenameFilesDialog dialog(batch_, prompt_, this, folder);
    prompt_.RunModal(dialog);
    // Entries may have been removed there.
    ListsChanged();
    ShowProgress(0, batch_.TotalFiles());
    if (cmdImport_->isEnabled()) cmdImport_->setFocus();
}

void ImportWindow::Browse() {
    OutputDirDialog dialog(*txtOutput_, prompt_, this);
    prompt_.RunModal(dialog);
    txtOutput_->setToolTip(txtOutput_->text());
    if (cmdImport_->isEnabled()) cmdImport_->setFocus();
}

void ImportWindow::Convert() {
    if (running_) return;
    // An empty folder box is refused with a message before anything starts.
    if (optFolder_[0]->isChecked() &&
        !batch_.ApplyOutputFolder(ToBytes(txtOutput_->text().trimmed())))
        return;

    ShowProgress(0, batch_.TotalFiles());
    SetRunning(true);
    const bool overwrite = chkOverwrite_->isChecked();
    worker_ = std::thread([this, overwrite] {
        batch_.RunConversion(overwrite);
        QMetaObject::invokeMethod(
            this, [this] { RunFinished(); }, Qt::QueuedConnection);
    });
}

void ImportWindow::RunFinished() {
    worker_.join();
    if (closing_) return;
    SetRunning(false);
    ClearLists();
    if (closeWhenStopped_) close();
}

void ImportWindow::SetRunning(bool running) {
    running_ = running;
    // What cannot act during a run looks so; "Cancel" stays to stop it.
    for (QWidget* widget :
         std::initializer_list<QWidget*>{direction_, files_, output_, chkOverwrite_, cmdImport_})
        widget->setEnabled(!running);
    cmdSaveLog_->setEnabled(!running);
    if (running) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        cmdCancel_->setFocus();
    } else {
        QApplication::restoreOverrideCursor();
        closeWhenStopped_ = false;
    }
}

void ImportWindow::SaveLog() {
    const QString path = prompt_.ChooseSaveFile(this, tr("Text File (*.txt)"));
    if (path.isEmpty()) return;  // cancelled: nothing to write
    if (!VX_.SaveImportLog(ToBytes(path))) {
        prompt_.Message(this,
                        tr("The log could not be saved to %1:\n%2")
                            .arg(QDir::toNativeSeparators(path), WhyNotWritable(path)),
                        tr("Save Log"), UserPrompt::Icon::kCritical);
        return;
    }
    cmdSaveLog_->setEnabled(false);
}

void ImportWindow::AppendStatus(const QString& status) {
    QString text = status;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // A line left open (a refusal's text) is ended before the next one starts.
    if (!statusTail_.isEmpty() && !statusTail_.endsWith(QLatin1Char('\n')) &&
        !text.startsWith('\n'))
        text.prepend(QLatin1Char('\n'));
    statusTail_ = (statusTail_ + text).right(2);
    QTextCursor cursor = txtStatus_->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    txtStatus_->setTextCursor(cursor);
    txtStatus_->ensureCursorVisible();
}

void ImportWindow::AppendWritten(const std::string& folder) {
    const QString where = folder.empty() ? QStringLiteral(".") : FromBytes(folder);
    const QString line =
        QLatin1Char('\t') + tr("Written to %1").arg(QDir::toNativeSeparators(where));
    QTextCursor cursor = txtStatus_->textCursor();
    if (statusTail_ == QStringLiteral("\n\n")) {
        // Right under the success line, before the blank line that closes the file's lines.
        cursor.movePosition(QTextCursor::End);
        cursor.movePosition(QTextCursor::Left);
        cursor.insertText(line + QLatin1Char('\n'));
    } else {
        AppendStatus(line + QLatin1Char('\n'));
        return;
    }
    cursor.movePosition(QTextCursor::End);
    txtStatus_->setTextCursor(cursor);
    txtStatus_->ensureCursorVisible();
}

void ImportWindow::ShowProgress(std::size_t done, std::size_t total) {
    if (total == 0) {
        progress_->setRange(0, 1);
        progress_->setValue(0);
        progress_->setFormat(QString());
        return;
    }
    progress_->setRange(0, static_cast<int>(total));
    progress_->setValue(static_cast<int>(done));
    progress_->setFormat(tr("%1 of %2 files").arg(done).arg(total));
}

}  // namespace vx::ui
