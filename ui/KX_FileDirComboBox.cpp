#include "ui/KX_FileDirComboBox.h"

#include "core/Paths.h"
#include "ui/ControlDialogs.h"
#include "ui/UiScale.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>

namespace pm {

namespace {
constexpr QChar kSep = QLatin1Char(kPathSeparator);
}

TBrowseComboBox::TBrowseComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completion would rewrite the text being typed; the history does the job.
    setCompleter(nullptr);
}

void TBrowseComboBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !view()->isVisible()) {
        event->accept();
        emit EnterPressed();
        return;
    }
    QComboBox::keyPressEvent(event);
}

TKX_FileDirComboBox::TKX_FileDirComboBox(QWidget* parent)
    : QWidget(parent), combo_(new TBrowseComboBox(this)), button_(new TBrowseButton(this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusProxy(combo_);
    connect(combo_->lineEdit(), &QLineEdit::textEdited, this, &TKX_FileDirComboBox::TextEdited);
    connect(combo_, &QComboBox::activated, this, &TKX_FileDirComboBox::EntryChosen);
    connect(combo_, &TBrowseComboBox::EnterPressed, this, &TKX_FileDirComboBox::EnterInList);
    connect(button_, &QPushButton::clicked, this, &TKX_FileDirComboBox::Browse);
    resize(sizeHint());
    LayoutChildren();
}

QString TKX_FileDirComboBox::ButtonCaption() const {
    return button_->text();
}

void TKX_FileDirComboBox::SetButtonCaption(const QString& caption) {
    button_->setText(caption);
    LayoutChildren();
}

QString TKX_FileDirComboBox::ComboBoxCaption() const {
    return combo_->currentText();
}

void TKX_FileDirComboBox::SetComboBoxCaption(const QString& text) {
    combo_->setEditText(text);
}

QStringList TKX_FileDirComboBox::History() const {
    QStringList items;
    for (int i = 0; i < combo_->count(); ++i) items << combo_->itemText(i);
    return items;
}

int TKX_FileDirComboBox::FindInHistory(const QString& path) const {
    for (int i = 0; i < combo_->count(); ++i)
        if (combo_->itemText(i) == path) return i;
    if (objectType_ == otDirectory) {
        // An entry may have been stored with or without the separator.
        const QString other = path.endsWith(kSep) ? path.left(path.size() - 1) : path + kSep;
        if (!other.isEmpty())
            for (int i = 0; i < combo_->count(); ++i)
                if (combo_->itemText(i) == other) return i;
    }
    return -1;
}

void TKX_FileDirComboBox::SelectQuietly(int index, bool keepTypedText) {
    QLineEdit* edit = combo_->lineEdit();
    const QString typed = edit->text();
    const int caret = edit->cursorPosition();
    quiet_ = true;
    combo_->setCurrentIndex(index);
    if (keepTypedText) {
        edit->setText(typed);
        edit->setCursorPosition(caret);
    }
    quiet_ = false;
}

bool TKX_FileDirComboBox::TakePath(const QString& path, bool keepTypedText) {
    QString p = path;
    bool ok;
    if (objectType_ == otDirectory) {
        if (!p.isEmpty() && !p.endsWith(kSep)) p += kSep;
        ok = DirectoryExists(p.toStdString());
    } else {
        ok = FileExists(p.toStdString());
    }
    if (ok) {
        int index = FindInHistory(p);
        if (index < 0) {
            combo_->insertItem(0, p);
            index = 0;
        }
        SelectQuietly(index, keepTypedText);
        currentPath_ = p;
    } else {
        SelectQuietly(-1, true);
        if (!keepTypedText) combo_->setEditText(path);
        currentPath_.clear();
    }
    valid_ = ok;
    return ok;
}

bool TKX_FileDirComboBox::SetObjectCurrentPath(const QString& path) {
    return TakePath(path, false);
}

void TKX_FileDirComboBox::TextEdited(const QString& text) {
    const int match = combo_->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (match < 0 || match != combo_->currentIndex()) TakePath(text, true);
    emit Change();
}

void TKX_FileDirComboBox::EntryChosen(int index) {
    if (quiet_ || index < 0) return;
    TakePath(combo_->itemText(index), false);
    emit Change();
}

void TKX_FileDirComboBox::EnterInList() {
    if (TakePath(combo_->currentText(), true)) emit BrowseClick();
    emit Change();
    Browse();
}

void TKX_FileDirComboBox::Browse() {
    const QString start = currentPath_.isEmpty() ? combo_->currentText() : currentPath_;
    QString chosen;
    if (objectType_ == otDirectory) {
        chosen = ControlDialogs().ChooseDirectory(window(), commentText_, start);
        if (!chosen.isEmpty() && !chosen.endsWith(kSep)) chosen += kSep;
    } else {
        emit Click();
        chosen = ControlDialogs().ChooseOpenFile(window(), commentText_, start, filterText_, filterIndex_);
    }
    if (chosen.isEmpty()) return;
    if (TakePath(chosen, false)) emit BrowseClick();
    emit Change();
}

QSize TKX_FileDirComboBox::sizeHint() const {
    return {ScaledPx(this, 200), combo_->sizeHint().height()};
}

void TKX_FileDirComboBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutChildren();
}

void TKX_FileDirComboBox::LayoutChildren() {
    const int h = combo_->sizeHint().height();
    const int buttonWidth = std::max(ScaledPx(this, 68), button_->sizeHint().width());
    const int listWidth = std::max(0, width() - buttonWidth - 2);
    combo_->setGeometry(0, 0, listWidth, h);
    button_->setGeometry(listWidth + 2, 0, buttonWidth, h);
    setFixedHeight(h);
}

}  // namespace pm
