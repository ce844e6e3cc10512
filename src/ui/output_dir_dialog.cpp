#include "ui/output_dir_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vx::ui {

namespace {

constexpr int kPathRole = Qt::UserRole;
// A child that only makes the expand arrow show until the folder is listed.
constexpr int kPlaceholderRole = Qt::UserRole + 1;

QString PathOf(const QTreeWidgetItem* item) {
    return item->data(0, kPathRole).toString();
}

QTreeWidgetItem* FolderItem(const QString& path, const QString& name, const QIcon& icon) {
    auto* item = new QTreeWidgetItem(QStringList{name});
    item->setData(0, kPathRole, path);
    item->setIcon(0, icon);
    if (!QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty()) {
        auto* placeholder = new QTreeWidgetItem;
        placeholder->setData(0, kPlaceholderRole, true);
        item->addChild(placeholder);
    }
    return item;
}

}  // namespace

OutputDirDialog::OutputDirDialog(QLineEdit& outputBox, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent), outputBox_(outputBox), openingText_(outputBox.text()), prompt_(prompt) {
    setObjectName(QStringLiteral("frmOutputDir"));
    setWindowTitle(tr("Choose Output Directory"));
    resize(440, 480);

    auto* layout = new QGridLayout(this);
    auto* driveLabel = new QLabel(tr("Drive:"));
    driveLabel->setObjectName(QStringLiteral("Label2"));
    drives_ = new QComboBox;
    drives_->setObjectName(QStringLiteral("DriveOutput"));
    driveLabel->setBuddy(drives_);
    auto* folderLabel = new QLabel(tr("Folder:"));
    folderLabel->setObjectName(QStringLiteral("Label1"));
    folders_ = new QTreeWidget;
    folders_->setObjectName(QStringLiteral("DirOutput"));
    folders_->setHeaderHidden(true);
    folders_->setUniformRowHeights(true);
    folderLabel->setBuddy(folders_);
    auto* targetLabel = new QLabel(tr("Converting Files To:"));
    targetLabel->setObjectName(QStringLiteral("Label3"));
    folderName_ = new QLineEdit;
    folderName_->setObjectName(QStringLiteral("txtOutputPath"));
    folderName_->setReadOnly(true);

    auto* newFolder = new QPushButton(tr("New Folder"));
    newFolder->setObjectName(QStringLiteral("cmdNewFolder"));
    auto* done = new QPushButton(tr("Done"));
    done->setObjectName(QStringLiteral("cmdDone"));
    done->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"));
    cancel->setObjectName(QStringLiteral("Command4"));

    layout->addWidget(driveLabel, 0, 0);
    layout->addWidget(drives_, 0, 1);
    layout->addWidget(folderLabel, 1, 0, Qt::AlignTop);
    layout->addWidget(folders_, 1, 1);
    layout->addWidget(targetLabel, 2, 0);
    layout->addWidget(folderName_, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(newFolder);
    buttons->addStretch();
    buttons->addWidget(done);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 3, 0, 1, 2);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(1, 1);

    // Volumes that hold folders (containers also mount single files).
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
            roots << volume.rootPath();
    }
    if (!roots.contains(QStringLiteral("/"))) roots << QStringLiteral("/");
    roots.sort();
    roots.removeDuplicates();
    for (const QString& root : roots)
        drives_->addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);

    const QString start = outputBox_.text().trimmed();
    SetPath(!start.isEmpty() && QFileInfo(start).isDir() ? start : QDir::homePath());
    following_ = true;

    connect(drives_, &QComboBox::activated, this,
            [this](int index) { SetDrive(drives_->itemData(index).toString()); });
    connect(folders_, &QTreeWidget::itemExpanded, this, &OutputDirDialog::Populate);
    connect(folders_, &QTreeWidget::currentItemChanged, this, &OutputDirDialog::OnFolderChanged);
    connect(newFolder, &QPushButton::clicked, this, &OutputDirDialog::NewFolder);
    connect(done, &QPushButton::clicked, this, [this] {
        outputBox_.setText(Path());
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString OutputDirDialog::Path() const {
    const QTreeWidgetItem* item = folders_->currentItem();
    return item != nullptr ? PathOf(item) : QString();
}

void OutputDirDialog::ShowTree(const QString& root) {
    folders_->clear();
    auto* top = FolderItem(root, QDir::toNativeSeparators(root),
                           style()->standardIcon(QStyle::SP_DriveHDIcon));
    folders_->addTopLevelItem(top);
    top->setExpanded(true);
    Populate(top);
}

void OutputDirDialog::Populate(QTreeWidgetItem* item) {
    if (item->childCount() == 1 && item->child(0)->data(0, kPlaceholderRole).toBool())
        delete item->takeChild(0);
    if (item->childCount() > 0) return;
    const QString path = PathOf(item);
    const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon);
    const QStringList names = QDir(path).entryList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString& name : names)
        item->addChild(FolderItem(QDir(path).filePath(name), name, icon));
}

QTreeWidgetItem* OutputDirDialog::ItemFor(const QString& path) {
    QTreeWidgetItem* item = folders_->topLevelItem(0);
    if (item == nullptr) return nullptr;
    const QString relative = QDir(PathOf(item)).relativeFilePath(path);
    if (relative == QStringLiteral(".") || relative.isEmpty()) return item;
    for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        Populate(item);
        item->setExpanded(true);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && next == nullptr; ++i) {
            if (item->child(i)->text(0) == part) next = item->child(i);
        }
        if (next == nullptr) break;  // gone meanwhile: stay at the nearest folder
        item = next;
    }
    return item;
}

void OutputDirDialog::SetPath(const QString& path) {
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // The drive is the volume whose root is the longest start of the path.
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < drives_->count(); ++i) {
        const QString root = drives_->itemData(i).toString();
        const bool inside =
            clean == root || clean.startsWith(root.endsWith('/') ? root : root + QLatin1Char('/'));
        if (inside && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best < 0) return;
    if (best != driveIndex_) {
        driveIndex_ = best;
        drives_->setCurrentIndex(best);
        ShowTree(drives_->itemData(best).toString());
    }
    if (QTreeWidgetItem* item = ItemFor(clean)) {
        // The chosen folder opens on its subfolders, the next likely choice.
        Populate(item);
        item->setExpanded(true);
        folders_->setCurrentItem(item);
        folders_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
        OnFolderChanged();
    }
}

bool OutputDirDialog::SetDrive(const QString& root) {
    const int index = drives_->findData(root);
    const QFileInfo info(root);
    if (index < 0 || !info.isDir() || !info.isReadable()) {
        prompt_.Message(this, tr("The drive %1 is not ready or cannot be read.").arg(root),
                        QString(), UserPrompt::Icon::kCritical);
        drives_->setCurrentIndex(driveIndex_);
        return false;
    }
    driveIndex_ = index;
    drives_->setCurrentIndex(index);
    ShowTree(root);
    folders_->setCurrentItem(folders_->topLevelItem(0));
    OnFolderChanged();
    return true;
}

void OutputDirDialog::OnFolderChanged() {
    const QString path = Path();
    if (path.isEmpty()) return;
    // The first folder shown is no choice yet, so the window's box is left alone then.
    if (following_) outputBox_.setText(path);
    folderName_->setText(QFileInfo(path).fileName());
}

void OutputDirDialog::NewFolder() {
    const auto answer = prompt_.AskText(this, tr("Name of the folder :"), tr("New Folder"));
    if (!answer) return;
    const QString name = answer->trimmed();
    if (name.isEmpty()) return;
    QTreeWidgetItem* item = folders_->currentItem();
    if (item == nullptr) return;
    const QDir parent(PathOf(item));
    if (QFileInfo(parent.filePath(name)).isDir()) {
        prompt_.Message(this, tr("Folder Already Exists."), tr("New Folder"));
        return;
    }
    // A name with a separator or one the file system refuses creates nothing.
    if (name.contains(QLatin1Char('/')) || !parent.mkdir(name)) return;
    // List the folder afresh so the new one shows; the selection stays where it was.
    qDeleteAll(item->takeChildren());
    Populate(item);
    item->setExpanded(true);
}

void OutputDirDialog::reject() {
    outputBox_.setText(openingText_);
    QDialog::reject();
}

}  // namespace vx::ui
