#include "ui/KX_ImageListView.h"

#include "ui/UiScale.h"

#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>
#include <array>

namespace pm {

namespace {

const QStringList& ImageExtensions() {
    static const QStringList list = {
        "JPG", "JPEG", "JPE", "JFIF", "TIF", "TIFF", "FAX", "BW", "RGB", "RGBA", "SGI", "RLA", "RPF", "CEL",
        "PIC", "TGA", "VST", "ICB", "VDA", "WIN", "PCX", "PCC", "SCR", "PCD", "PPM", "PGM", "PBM", "CUT",
        "PAL", "GIF", "BMP", "RLE", "DIB", "PSD", "PDD", "PSP", "PNG", "WMF", "EMF", "ICO", "EPS",
        // added after the first release
        "HEIC", "HEIF", "AVIF", "WEBP"};
    return list;
}

// Name without extension and lower-cased extension, split at the last ".".
struct TNameParts {
    QString Base, Ext;
};

TNameParts SplitName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return {name, QString()};
    return {name.left(dot), name.mid(dot + 1).toLower()};
}

using TRow = std::array<QString, TKX_ImageListView::kColumnCount>;

}  // namespace

TKX_ImageListViewPopupMenu::TKX_ImageListViewPopupMenu(QWidget* parent) : QMenu(parent) {
    auto* group = new QActionGroup(this);
    ByName = addAction(QStringLiteral("Sort by Name"));
    ByType = addAction(QStringLiteral("Sort by Type"));
    BySize = addAction(QStringLiteral("Sort by Size"));
    for (QAction* a : {ByName, ByType, BySize}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    ByName->setChecked(true);
}

TKX_ImageListView::TKX_ImageListView(QWidget* parent)
    : QTableWidget(0, kColumnCount, parent), menu_(new TKX_ImageListViewPopupMenu(this)) {
    setHorizontalHeaderLabels({QStringLiteral("Image name"), QStringLiteral("Size"), QStringLiteral("Width"),
                               QStringLiteral("Height"), QStringLiteral("Color"),
                               QStringLiteral("Task(s) time")});
    const std::array<int, kColumnCount> widths = {120, 60, 50, 50, 40, 65};
    for (int c = 0; c < kColumnCount; ++c) {
        // Wide enough for the caption in the desktop font.
        const int caption =
            fontMetrics().horizontalAdvance(horizontalHeaderItem(c)->text()) + ScaledPx(this, 12);
        setColumnWidth(c, std::max(ScaledPx(this, widths[c]), caption));
        if (c > 0) horizontalHeaderItem(c)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    horizontalHeaderItem(colName)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setShowGrid(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(menu_->ByName, &QAction::triggered, this, [this] { SetSortMethod(smName); });
    connect(menu_->ByType, &QAction::triggered, this, [this] { SetSortMethod(smType); });
    connect(menu_->BySize, &QAction::triggered, this, [this] { SetSortMethod(smSize); });
}

QSize TKX_ImageListView::sizeHint() const {
    return {ScaledPx(this, 400), QTableWidget::sizeHint().height()};
}

bool TKX_ImageListView::IsImageFileName(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return false;
    return ImageExtensions().contains(name.mid(dot + 1), Qt::CaseInsensitive);
}

void TKX_ImageListView::AddRow(const QString& name, qint64 size) {
    const int row = rowCount();
    insertRow(row);
    for (int c = 0; c < kColumnCount; ++c) {
        auto* item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setText(c == colName ? name : c == colSize ? QString::number(size) : QStringLiteral("-"));
        setItem(row, c, item);
    }
}

void TKX_ImageListView::FillFromDirectory(const QString& directory) {
    if (directory.size() <= 1) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setUpdatesEnabled(false);
    setRowCount(0);
    QString dir = directory;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    // Regular files (and links to them) only: a device or a pipe named like a
    // picture must never reach a decoder.
    const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QFileInfo& info : entries) {
        const QString name = info.fileName();
        if (name.startsWith(QLatin1Char('.')) || info.isDir() || !IsImageFileName(name)) continue;
        AddRow(name, info.size());
    }
    menuAttached_ = rowCount() > 1;
    Sort();
    setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
}

void TKX_ImageListView::SetSortMethod(int method) {
    if (method < smName || method > smSize) return;
    sortMethod_ = method;
    QAction* actions[] = {menu_->ByName, menu_->ByType, menu_->BySize};
    actions[method]->setChecked(true);
    Sort();
}

void TKX_ImageListView::Sort() {
    const int n = rowCount();
    if (n < 2) return;
    const int selected = ItemIndex();
    std::vector<TRow> rows(n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < kColumnCount; ++c) rows[r][c] = CellText(r, c);

    auto byName = [](const TRow& a, const TRow& b) {
        const TNameParts pa = SplitName(a[colName]), pb = SplitName(b[colName]);
        if (int c = pa.Base.localeAwareCompare(pb.Base)) return c < 0;
        return pa.Ext.localeAwareCompare(pb.Ext) < 0;
    };
    auto byType = [](const TRow& a, const TRow& b) {
        const TNameParts pa = SplitName(a[colName]), pb = SplitName(b[colName]);
        if (int c = pa.Ext.localeAwareCompare(pb.Ext)) return c < 0;
        return pa.Base.localeAwareCompare(pb.Base) < 0;
    };
    auto bySize = [](const TRow& a, const TRow& b) {
        const qint64 sa = a[colSize].toLongLong(), sb = b[colSize].toLongLong();
        if (sa != sb) return sa < sb;
        return a[colName].localeAwareCompare(b[colName]) < 0;
    };
    if (sortMethod_ == smType)
        std::stable_sort(rows.begin(), rows.end(), byType);
    else if (sortMethod_ == smSize)
        std::stable_sort(rows.begin(), rows.end(), bySize);
    else
        std::stable_sort(rows.begin(), rows.end(), byName);

    for (int r = 0; r < n; ++r)
        for (int c = 0; c < kColumnCount; ++c) SetCellText(r, c, rows[r][c]);
    if (selected >= 0) SetItemIndex(selected);
}

int TKX_ImageListView::ItemIndex() const {
    const int row = currentRow();
    if (row < 0 || !selectionModel()->isRowSelected(row, QModelIndex())) return -1;
    return row;
}

void TKX_ImageListView::SetItemIndex(int index) {
    if (index < 0 || index >= rowCount()) {
        clearSelection();
        setCurrentCell(-1, -1);
        return;
    }
    setCurrentCell(index, colName, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollToItem(item(index, colName));
}

QString TKX_ImageListView::FileName(int row) const {
    return CellText(row, colName);
}

QString TKX_ImageListView::CellText(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text() : QString();
}

void TKX_ImageListView::SetCellText(int row, int column, const QString& text) {
    if (QTableWidgetItem* it = item(row, column)) it->setText(text);
}

void TKX_ImageListView::mousePressEvent(QMouseEvent* event) {
    // The sort menu opens on the press, as the list is used with one click.
    if (event->button() == Qt::RightButton && menuAttached_) {
        event->accept();
        menu_->exec(event->globalPosition().toPoint());
        return;
    }
    QTableWidget::mousePressEvent(event);
}

}  // namespace pm
