#include "ui/PageBuilder.h"

#include "core/BaseClass.h"
#include "ui/KX_ColorComboBox.h"
#include "ui/KX_Edit.h"
#include "ui/KX_MetricCombo.h"
#include "ui/UiScale.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>
#include <algorithm>
#include <stdexcept>

namespace pm {

TPageBuilder::TPageBuilder(const QString& name, QWidget* parent)
    : page_(new QWidget(parent)), grid_(nullptr) {
    page_->setObjectName(name);
    grid_ = new QGridLayout(page_);
    const int m = ScaledPx(page_, 4);
    grid_->setContentsMargins(m, m, m, m);
    grid_->setHorizontalSpacing(ScaledPx(page_, 6));
    grid_->setVerticalSpacing(ScaledPx(page_, 3));
}

QLabel* TPageBuilder::Label(const QString& text, int row, int column, int span) {
    auto* label = new QLabel(text, page_);
    grid_->addWidget(label, row, column, 1, span);
    return label;
}

TKX_Edit* TPageBuilder::Numeric(const QString& name, const TBaseClass& task, int row, int column) {
    const auto* setting = dynamic_cast<const TKX_Integer*>(task.SettingOfWidget(name.toStdString()));
    if (!setting) throw std::logic_error(task.ClassName() + " declares no integer for " + name.toStdString());
    const int min = setting->Range().Min, max = setting->Range().Max;
    auto* edit = new TKX_Edit(page_);
    edit->setObjectName(name);
    edit->SetEditType(etNumeric);
    edit->SetMin(min);
    edit->SetMax(max);
    // Wide enough for the longest number of the range.
    const int digits = std::max(QString::number(min).size(), QString::number(max).size());
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(int(digits) + 1, QLatin1Char('0'))) +
                        ScaledPx(edit, 12));
    grid_->addWidget(edit, row, column, Qt::AlignLeft);
    return edit;
}

TKX_Edit* TPageBuilder::Text(const QString& name, int row, int column, int span) {
    auto* edit = new TKX_Edit(page_);
    edit->setObjectName(name);
    grid_->addWidget(edit, row, column, 1, span);
    return edit;
}

TKX_ColorComboBox* TPageBuilder::Color(const QString& name, int row, int column, int span) {
    auto* combo = new TKX_ColorComboBox(page_);
    combo->setObjectName(name);
    grid_->addWidget(combo, row, column, 1, span, Qt::AlignLeft);
    return combo;
}

TKX_MetricCombo* TPageBuilder::Metric(const QString& name, int row, int column) {
    auto* combo = new TKX_MetricCombo(page_);
    combo->setObjectName(name);
    grid_->addWidget(combo, row, column, Qt::AlignLeft);
    return combo;
}

QComboBox* TPageBuilder::DropDown(const QString& name, int row, int column, int span) {
    auto* combo = new QComboBox(page_);
    combo->setObjectName(name);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    grid_->addWidget(combo, row, column, 1, span, Qt::AlignLeft);
    return combo;
}

QCheckBox* TPageBuilder::Check(const QString& name, const QString& caption, int row, int column, int span) {
    auto* box = new QCheckBox(caption, page_);
    box->setObjectName(name);
    grid_->addWidget(box, row, column, 1, span);
    return box;
}

QWidget* TPageBuilder::Anchors(const QString& name, int row, int column, int rowSpan) {
    auto* anchors = new QWidget(page_);
    anchors->setObjectName(name);
    auto* grid = new QGridLayout(anchors);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    auto* group = new QButtonGroup(anchors);
    group->setExclusive(true);
    const int side = ScaledPx(anchors, 20);
    for (int n = 1; n <= 9; ++n) {
        auto* button = new QToolButton(anchors);
        button->setObjectName(name + QStringLiteral("_SB%1").arg(n));
        button->setText(QString::number(n));
        button->setCheckable(true);
        button->setFixedSize(side, side);
        group->addButton(button, n);
        grid->addWidget(button, (n - 1) / 3, (n - 1) % 3);
    }
    grid_->addWidget(anchors, row, column, rowSpan, 1, Qt::AlignLeft | Qt::AlignTop);
    return anchors;
}

void TPageBuilder::FinishRows(int row) {
    grid_->setRowStretch(row, 1);
}

}  // namespace pm
