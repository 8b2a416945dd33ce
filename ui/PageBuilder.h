#pragma once
// Small helpers that lay out a settings page on a grid: each adds a named
// widget of one kind, optionally with a label in front of it.
#include <QGridLayout>
#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;

namespace pm {

class TBaseClass;
class TKX_ColorComboBox;
class TKX_Edit;
class TKX_MetricCombo;

class TPageBuilder {
public:
    // Starts a page (or a sub-page) named `name`.
    explicit TPageBuilder(const QString& name, QWidget* parent = nullptr);

    QWidget* Page() const { return page_; }
    QGridLayout* Grid() const { return grid_; }

    QLabel* Label(const QString& text, int row, int column, int span = 1);
    // A numeric field with the range `task` declares for the setting it
    // shows, a text field, a colour list, a pixel/percent list, a drop-down
    // list and a check box.
    TKX_Edit* Numeric(const QString& name, const TBaseClass& task, int row, int column);
    TKX_Edit* Text(const QString& name, int row, int column, int span = 1);
    TKX_ColorComboBox* Color(const QString& name, int row, int column, int span = 1);
    TKX_MetricCombo* Metric(const QString& name, int row, int column);
    QComboBox* DropDown(const QString& name, int row, int column, int span = 1);
    QCheckBox* Check(const QString& name, const QString& caption, int row, int column, int span = 1);
    // The nine anchor buttons, one exclusive group, in a widget `name`; the
    // buttons are `name` + "_SB1" .. "_SB9", row by row from the top-left.
    QWidget* Anchors(const QString& name, int row, int column, int rowSpan);

    // Lets the rows below `row` take the spare height.
    void FinishRows(int row);

private:
    QWidget* page_;
    QGridLayout* grid_;
};

}  // namespace pm
