#pragma once
// The image files of one folder in a report list (name, size, and four
// columns the caller fills), sortable by name, type or size.
#include <QMenu>
#include <QTableWidget>

namespace pm {

class TKX_ImageListViewPopupMenu : public QMenu {
    Q_OBJECT

public:
    explicit TKX_ImageListViewPopupMenu(QWidget* parent = nullptr);
    QAction* ByName;
    QAction* ByType;
    QAction* BySize;
};

class TKX_ImageListView : public QTableWidget {
    Q_OBJECT

public:
    enum { smName = 0, smType = 1, smSize = 2 };
    enum { colName = 0, colSize, colWidth, colHeight, colColor, colTime, kColumnCount };

    explicit TKX_ImageListView(QWidget* parent = nullptr);

    // Lists the image files of `directory` (a path of one character or less
    // lists nothing).
    void FillFromDirectory(const QString& directory);

    int SortMethod() const { return sortMethod_; }
    // Stores the method, checks its menu entry and sorts the rows.
    void SetSortMethod(int method);
    void Sort();

    // The selected row, -1 when none; setting selects, focuses and shows it.
    int ItemIndex() const;
    void SetItemIndex(int index);

    QString FileName(int row) const;
    QString CellText(int row, int column) const;
    void SetCellText(int row, int column, const QString& text);

    TKX_ImageListViewPopupMenu* PopupMenu() const { return menu_; }
    // Whether the sort menu is offered (only with two rows or more).
    bool PopupMenuAttached() const { return menuAttached_; }

    // Whether a file name has one of the image extensions (letter case ignored).
    static bool IsImageFileName(const QString& name);

    QSize sizeHint() const override;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void AddRow(const QString& name, qint64 size);

    TKX_ImageListViewPopupMenu* menu_;
    int sortMethod_ = smName;
    bool menuAttached_ = false;
};

}  // namespace pm
