#include "ui/rename_files_dialog.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vx::ui {

namespace {

// One set of the job lists as the grid shows it: its captions for the output and source
// sides in each direction, and the extension a renamed output gets.
struct SetView {
    JobList BatchRun::*list;
    const char* importTo;
    const char* importFrom;
    const char* exportTo;
    const char* exportFrom;
    const char* exportExtension;  // empty: the set has no export
};

// The order the grid lists the sets in.
constexpr SetView kSets[] = {
    {&BatchRun::MifFiles,
     ":::VXV Files:::", ":::MIF Files:::", ":::MIF Files:::", ":::VXV Files:::", ".MIF"},
    {&BatchRun::TabFiles,
     ":::VXV Files:::", ":::Tab Files:::", ":::Tab Files:::", ":::VXV Files:::", ".Tab"},
    {&BatchRun::DgnFiles,
     ":::VXV Files:::", ":::DGN Files:::", ":::DGN Files:::", ":::VXV Files:::", ""},
    {&BatchRun::ShpFiles, ":::VXV Files",
     ":::Shape Files:::", ":::Shape Files:::", ":::VXV Files:::", ".shp"},
    {&BatchRun::AsciiFiles,
     ":::VXV FILES:::", ":::Ascii Files:::", ":::Ascii Files:::", ":::VXV Files", ""},
};

QTableWidgetItem* CaptionItem(const char* text) {
    auto* item = new QTableWidgetItem(QString::fromLatin1(text));
    QFont font = item->font();
    font.setBold(true);
    item->setFont(font);
    item->setTextAlignment(Qt::AlignCenter);
    item->setBackground(QColor(0xe4, 0xeb, 0xf5));  // sets each group of files apart
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

QTableWidgetItem* PathItem(const std::string& path) {
    auto* item = new QTableWidgetItem(FromBytes(path));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(item->text());
    return item;
}

}  // namespace

RenameFilesDialog::RenameFilesDialog(BatchRun& batch, UserPrompt& prompt, QWidget* parent,
                                     std::string outputFolder)
    : QDialog(parent), batch_(batch), prompt_(prompt), outputFolder_(std::move(outputFolder)) {
    setObjectName(QStringLiteral("frmRenameFiles"));
    const bool import = batch_.TransType == TransferDirection::kImport;
    setWindowTitle(import ? tr("Files for Import") : tr("Files for Export"));
    resize(760, 420);

    auto* layout = new QVBoxLayout(this);
    count_ = new QLabel;
    count_->setObjectName(QStringLiteral("lblNoOfFiles"));
    QFont bold = count_->font();
    bold.setBold(true);
    count_->setFont(bold);
    layout->addWidget(count_);

    grid_ = new QTableWidget(0, 2);
    grid_->setObjectName(QStringLiteral("msflexFiles"));
    grid_->setHorizontalHeaderLabels({tr("Converting To:"), tr("Converting From:")});
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->verticalHeader()->hide();
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    grid_->installEventFilter(this);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setAlternatingRowColors(true);
    grid_->setWordWrap(false);
    grid_->setTextElideMode(Qt::ElideLeft);  // the file name at the end is what matters
    layout->addWidget(grid_, 1);

    // Files of several kinds of objects are written as one layer per kind.
    layersNote_ = new QLabel(
        tr("A file holding several kinds of objects becomes one layer per kind: "
           "<i>name</i>_rg.vxv (regions), <i>name</i>_ln.vxv (lines) and <i>name</i>_pt.vxv "
           "(points)."));
    layersNote_->setObjectName(QStringLiteral("lblLayers"));
    layersNote_->setWordWrap(true);
    layout->addWidget(layersNote_);

    auto* bottom = new QHBoxLayout;
    auto* tips = new QVBoxLayout;
    tips->setSpacing(0);
    auto* tip = new QLabel(tr("TIP::::::Click on file to Rename"));
    tip->setObjectName(QStringLiteral("Label1"));
    tip->setEnabled(false);
    auto* keys = new QLabel(tr("F2 or Enter renames the selected file, Delete removes it."));
    keys->setObjectName(QStringLiteral("Label2"));
    keys->setEnabled(false);
    tips->addWidget(tip);
    tips->addWidget(keys);
    bottom->addLayout(tips);
    bottom->addStretch();
    auto* clear = new QPushButton(tr("Clear"));
    clear->setObjectName(QStringLiteral("cmdClear"));
    clear->setAutoDefault(false);  // Enter belongs to "Done" and to the grid
    auto* done = new QPushButton(tr("Done"));
    done->setObjectName(QStringLiteral("cmdDone"));
    done->setDefault(true);
    bottom->addWidget(clear);
    bottom->addWidget(done);
    layout->addLayout(bottom);

    FillFileGrid();
    ShowCount();
    done->setFocus();  // no cell looks chosen before the person clicks one
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == 0) RenameRow(row);
    });
    connect(grid_, &QWidget::customContextMenuRequested, this, &RenameFilesDialog::ShowContextMenu);
    connect(clear, &QPushButton::clicked, this, &RenameFilesDialog::ClearAll);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
}

void RenameFilesDialog::ShowCount() {
    const bool import = batch_.TransType == TransferDirection::kImport;
    count_->setText(QStringLiteral("%1%2 Files:")
                        .arg(import ? tr("Importing ") : tr("Exporting "))
                        .arg(batch_.TotalFiles()));
    // Only the imports that may meet several kinds in one file need the note; a shapefile
    // holds one.
    layersNote_->setVisible(import && batch_.TotalFiles() > batch_.ShpFiles.Count());
}

void RenameFilesDialog::FillFileGrid() {
    const bool import = batch_.TransType == TransferDirection::kImport;
    for (const SetView& set : kSets) {
        JobList& list = batch_.*(set.list);
        if (list.Count() == 0) continue;
        int row = grid_->rowCount();
        grid_->insertRow(row);
        grid_->setItem(row, 0, CaptionItem(import ? set.importTo : set.exportTo));
        grid_->setItem(row, 1, CaptionItem(import ? set.importFrom : set.exportFrom));
        rows_.push_back({});
        const char* extension = import ? ".vxv" : set.exportExtension;
        for (std::size_t i = 0; i < list.Count(); ++i) {
            row = grid_->rowCount();
            grid_->insertRow(row);
            grid_->setItem(row, 0, PathItem(batch_.Destination(list, i, outputFolder_)));
            grid_->setItem(row, 1, PathItem(list.sources[i]));
            rows_.push_back({&list, i, extension});
        }
    }
}

void RenameFilesDialog::RenameRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
    const Row& target = rows_[static_cast<std::size_t>(row)];
    if (target.list == nullptr) return;

    const auto answer = prompt_.AskText(this, tr("Enter New File Name:"), tr("Rename File"));
    if (!answer) return;
    // The name is what precedes the first dot; the set decides the extension.
    const QString name = answer->section(QLatin1Char('.'), 0, 0).trimmed();
    if (name.isEmpty()) return;
    if (name.contains(QLatin1Char('/'))) {
        prompt_.Message(this, tr("A file name cannot contain \"/\"."), tr("Rename File"));
        return;
    }

    std::string& output = target.list->outputs[target.entry];
    const auto slash = output.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : output.substr(0, slash + 1);
    output = folder + ToBytes(name) + target.extension;
    const QString shown = FromBytes(batch_.Destination(*target.list, target.entry, outputFolder_));
    grid_->item(row, 0)->setText(shown);
    grid_->item(row, 0)->setToolTip(shown);
}

void RenameFilesDialog::RemoveRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
    const Row& target = rows_[static_cast<std::size_t>(row)];
    if (target.list == nullptr) return;
    target.list->Remove(target.entry);
    Refill(row);
}

void RenameFilesDialog::ClearAll() {
    batch_.ClearJobLists();
    Refill(0);
}

void RenameFilesDialog::Refill(int row) {
    grid_->setRowCount(0);
    rows_.clear();
    FillFileGrid();
    ShowCount();
    // The entry that took the removed one's place, or the last one; never a caption row.
    row = std::min(row, grid_->rowCount() - 1);
    while (row >= 0 && rows_[static_cast<std::size_t>(row)].list == nullptr)
        row = row + 1 < grid_->rowCount() ? row + 1 : -1;
    if (row >= 0) grid_->setCurrentCell(row, 0);
}

void RenameFilesDialog::ShowContextMenu(const QPoint& at) {
    const int row = grid_->rowAt(at.y());
    const bool entry = row >= 0 && rows_[static_cast<std::size_t>(row)].list != nullptr;
    if (entry) grid_->setCurrentCell(row, 0);
    QMenu menu(this);
    QAction* rename = menu.addAction(tr("Rename..."), QKeySequence(Qt::Key_F2), this,
                                     [this, row] { RenameRow(row); });
    QAction* remove = menu.addAction(tr("Remove"), QKeySequence(QKeySequence::Delete), this,
                                     [this, row] { RemoveRow(row); });
    rename->setEnabled(entry);
    remove->setEnabled(entry);
    menu.addSeparator();
    menu.addAction(tr("Clear"), this, &RenameFilesDialog::ClearAll)->setEnabled(!rows_.empty());
    menu.exec(grid_->viewport()->mapToGlobal(at));
}

bool RenameFilesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_F2:
            case Qt::Key_Return:
            case Qt::Key_Enter:
                RenameRow(grid_->currentRow());
                return true;  // Enter renames here rather than closing the dialog
            case Qt::Key_Delete:
                RemoveRow(grid_->currentRow());
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vx::ui
