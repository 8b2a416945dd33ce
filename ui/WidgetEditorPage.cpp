#include "ui/WidgetEditorPage.h"

#include "log/WriteLog.h"
#include "ui/KX_ColorComboBox.h"
#include "ui/KX_Edit.h"
#include "ui/KX_FileDirComboBox.h"
#include "ui/KX_MetricCombo.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTreeWidget>

namespace pm {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

template <typename W> W* TWidgetEditorPage::Find(const std::string& name) {
    const QString n = Q(name);
    W* w = root_ ? root_->findChild<W*>(n) : nullptr;
    if (!w && !unknown_.contains(n)) {
        unknown_ << n;
        LogError("Editor widget \"" + name + "\" not found!");
    }
    return w;
}

QString TWidgetEditorPage::FromEngineText(const std::string& text) {
    QString t = Q(text);
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

std::string TWidgetEditorPage::ToEngineText(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t.toStdString();
}

void TWidgetEditorPage::SetInteger(const std::string& widget, std::int32_t value) {
    // A scenario file may hold values outside the field's range; they are
    // shown as they are so that saving does not change them behind the
    // user's back.
    if (auto* e = Find<TKX_Edit>(widget)) e->setText(QString::number(value));
}

std::int32_t TWidgetEditorPage::GetInteger(const std::string& widget) {
    auto* e = Find<TKX_Edit>(widget);
    return e ? TKX_Edit::ParseInt(e->text()).value_or(0) : 0;
}

void TWidgetEditorPage::SetText(const std::string& widget, const std::string& value) {
    QWidget* w = Find<QWidget>(widget);
    if (auto* chooser = qobject_cast<TKX_FileDirComboBox*>(w)) {
        chooser->SetObjectCurrentPath(Q(value));
        chooser->SetComboBoxCaption(Q(value));
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
        memo->setPlainText(FromEngineText(value));
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(Q(value));
    } else if (w) {
        LogError("Editor widget \"" + widget + "\" holds no text!");
    }
}

std::string TWidgetEditorPage::GetText(const std::string& widget) {
    QWidget* w = Find<QWidget>(widget);
    // The file field keeps what was typed even when no such file exists
    // (a missing background file falls back to the colour).
    if (auto* chooser = qobject_cast<TKX_FileDirComboBox*>(w))
        return chooser->ComboBoxCaption().toStdString();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) return ToEngineText(memo->toPlainText());
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().toStdString();
    return {};
}

void TWidgetEditorPage::SetChecked(const std::string& widget, bool value) {
    auto* b = Find<QAbstractButton>(widget);
    if (!b) return;
    QButtonGroup* group = b->group();
    // An exclusive group refuses to release its pressed button.
    if (!value && group && group->exclusive() && b->isChecked()) {
        group->setExclusive(false);
        b->setChecked(false);
        group->setExclusive(true);
        return;
    }
    b->setChecked(value);
}

bool TWidgetEditorPage::GetChecked(const std::string& widget) {
    auto* b = Find<QAbstractButton>(widget);
    return b && b->isChecked();
}

void TWidgetEditorPage::SetColor(const std::string& widget, TColor value) {
    if (auto* c = Find<TKX_ColorComboBox>(widget)) c->SetColorValue(value);
}

TColor TWidgetEditorPage::GetColor(const std::string& widget) {
    auto* c = Find<TKX_ColorComboBox>(widget);
    return c ? c->ColorValue() : TColor(0);
}

void TWidgetEditorPage::SetMetric(const std::string& widget, TMetric value) {
    if (auto* m = Find<TKX_MetricCombo>(widget)) m->SetMetric(value);
}

TMetric TWidgetEditorPage::GetMetric(const std::string& widget) {
    auto* m = Find<TKX_MetricCombo>(widget);
    return m ? m->Metric() : mPixel;
}

void TWidgetEditorPage::SetItems(const std::string& widget, const std::vector<std::string>& items) {
    auto* c = Find<QComboBox>(widget);
    if (!c) return;
    const int keep = c->currentIndex();
    const QSignalBlocker block(c);
    c->clear();
    for (const std::string& item : items) c->addItem(Q(item));
    if (keep >= 0 && keep < c->count()) c->setCurrentIndex(keep);
}

void TWidgetEditorPage::SetItemIndex(const std::string& widget, int index) {
    // An index outside the list leaves nothing selected, like the platform's
    // drop-down list.
    if (auto* c = Find<QComboBox>(widget)) c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
}

int TWidgetEditorPage::GetItemIndex(const std::string& widget) {
    auto* c = Find<QComboBox>(widget);
    return c ? c->currentIndex() : -1;
}

void TWidgetEditorPage::SetPageIndex(const std::string& widget, int index) {
    auto* nb = Find<QStackedWidget>(widget);
    if (nb && index >= 0 && index < nb->count()) nb->setCurrentIndex(index);
}

void TWidgetEditorPage::ClearRows(const std::string& widget) {
    if (auto* list = Find<QTreeWidget>(widget)) list->clear();
}

void TWidgetEditorPage::AddRow(const std::string& widget, const std::vector<std::string>& columns) {
    auto* list = Find<QTreeWidget>(widget);
    if (!list) return;
    QStringList texts;
    for (const std::string& c : columns) texts << Q(c);
    auto* item = new QTreeWidgetItem(texts);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                   Qt::ItemNeverHasChildren);
    item->setCheckState(0, Qt::Unchecked);
    list->addTopLevelItem(item);
}

int TWidgetEditorPage::RowCount(const std::string& widget) {
    auto* list = Find<QTreeWidget>(widget);
    return list ? list->topLevelItemCount() : 0;
}

void TWidgetEditorPage::SetRowChecked(const std::string& widget, int row, bool value) {
    auto* list = Find<QTreeWidget>(widget);
    if (!list) return;
    if (QTreeWidgetItem* item = list->topLevelItem(row))
        item->setCheckState(0, value ? Qt::Checked : Qt::Unchecked);
}

bool TWidgetEditorPage::GetRowChecked(const std::string& widget, int row) {
    auto* list = Find<QTreeWidget>(widget);
    QTreeWidgetItem* item = list ? list->topLevelItem(row) : nullptr;
    return item && item->checkState(0) == Qt::Checked;
}

void TWidgetEditorPage::SetEnabled(const std::string& widget, bool value) {
    if (auto* w = Find<QWidget>(widget)) w->setEnabled(value);
}

void TWidgetEditorPage::SetFileChooser(const std::string& widget, const std::string& buttonCaption,
                                       const std::string& prompt, const std::string& filter) {
    auto* chooser = Find<TKX_FileDirComboBox>(widget);
    if (!chooser) return;
    chooser->SetObjectType(otFile);
    chooser->SetButtonCaption(Q(buttonCaption));
    chooser->SetObjectCommentText(Q(prompt));
    chooser->SetObjectFilterText(Q(filter));
}

}  // namespace pm
