#include "ui/KX_Edit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <limits>

namespace pm {

namespace {
// The field that is taking the focus back after an invalid leave. Other
// fields skip their own check while that happens, so two invalid fields
// cannot keep handing the focus to each other.
QPointer<TKX_Edit> g_reclaiming;
}  // namespace

TKX_Edit::TKX_Edit(QWidget* parent) : QLineEdit(parent) {
    fontOnNotFocus_ = font();
    fontOnFocus_ = font();
    colorOnNotFocus_ = palette().color(QPalette::Text);
    setFocusPolicy(Qt::StrongFocus);
}

std::optional<int> TKX_Edit::ParseInt(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    if (bytes.isEmpty() || text.size() != bytes.size()) return std::nullopt;
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (*first == '-' && bytes.size() == 1) return std::nullopt;
    int value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    return value;
}

std::optional<QString> TKX_Edit::AcceptNumericText(const QString& text, int min, int max) {
    if (text.isEmpty()) return text;
    if (text == QLatin1String("-")) {
        if (min < 0 || max < 0) return text;
        return std::nullopt;
    }
    std::optional<int> v = ParseInt(text);
    if (!v || *v > max) return std::nullopt;
    return QString::number(*v);
}

void TKX_Edit::SetEditType(TEditType type) {
    editType_ = type;
    setAlignment(type == etNumeric ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
    setAcceptDrops(type != etNumeric);
    setInputMethodHints(type == etNumeric ? Qt::ImhFormattedNumbersOnly : Qt::ImhNone);
    UpdateHint();
}

void TKX_Edit::SetMin(int value) {
    min_ = value;
    UpdateHint();
}

void TKX_Edit::SetMax(int value) {
    max_ = value;
    UpdateHint();
}

void TKX_Edit::UpdateHint() {
    if (editType_ == etNumeric) {
        hint_ = QStringLiteral("%1 ... %2").arg(min_).arg(max_);
        setToolTip(hint_);
    } else if (!hint_.isEmpty() && toolTip() == hint_) {
        setToolTip(QString());
        hint_.clear();
    }
}

int TKX_Edit::Value() const {
    if (editType_ != etNumeric) return 0;
    return ParseInt(text()).value_or(0);
}

bool TKX_Edit::SetValue(int value) {
    if (editType_ != etNumeric || value < min_ || value > max_) return false;
    setText(QString::number(value));
    return true;
}

void TKX_Edit::SetFontOnFocus(const QFont& font, const QColor& color) {
    fontOnFocus_ = font;
    colorOnFocus_ = color;
    if (hasFocus()) ApplyFont(true);
}

void TKX_Edit::SetFontOnNotFocus(const QFont& font, const QColor& color) {
    fontOnNotFocus_ = font;
    colorOnNotFocus_ = color;
    if (!hasFocus()) ApplyFont(false);
}

void TKX_Edit::ApplyFont(bool focused) {
    setFont(focused ? fontOnFocus_ : fontOnNotFocus_);
    QPalette p = palette();
    const QColor c = focused ? colorOnFocus_ : colorOnNotFocus_;
    p.setColor(QPalette::Active, QPalette::Text, c);
    p.setColor(QPalette::Inactive, QPalette::Text, c);
    setPalette(p);
}

bool TKX_Edit::ContentValid() {
    bool valid = true;
    if (editType_ == etNumeric) {
        std::optional<int> v = ParseInt(text());
        valid = v && *v >= min_ && *v <= max_;
    }
    if (OnValidate) OnValidate(*this, valid);
    return valid;
}

void TKX_Edit::focusInEvent(QFocusEvent* event) {
    if (!entered_) {
        saveValue_ = text();
        savedCaret_ = cursorPosition();
        entered_ = true;
    }
    if (g_reclaiming == this) g_reclaiming = nullptr;
    ApplyFont(true);
    QLineEdit::focusInEvent(event);
}

void TKX_Edit::focusOutEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    // Another window or a popup menu taking over does not leave the field.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    if (g_reclaiming && g_reclaiming != this) {
        entered_ = false;
        ApplyFont(false);
        QLineEdit::focusOutEvent(event);
        return;
    }
    leaveCaret_ = cursorPosition();
    if (ContentValid()) {
        entered_ = false;
        ApplyFont(false);
        QLineEdit::focusOutEvent(event);
        return;
    }
    QLineEdit::focusOutEvent(event);
    if (isVisible() && isEnabled()) {
        g_reclaiming = this;
        QTimer::singleShot(0, this, [this] {
            if (g_reclaiming == this) g_reclaiming = nullptr;
            if (!isVisible() || !isEnabled()) return;
            g_reclaiming = this;
            setFocus(Qt::OtherFocusReason);
            if (g_reclaiming == this) g_reclaiming = nullptr;
            setCursorPosition(leaveCaret_);
        });
    }
}

void TKX_Edit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier) {
        focusNextChild();
        event->accept();
        return;
    }
    if (key == Qt::Key_Escape && mods == Qt::NoModifier) {
        const bool changed = text() != saveValue_;
        setText(saveValue_);
        setCursorPosition(savedCaret_);
        // Nothing to undo: let a dialog see Esc as well.
        if (changed)
            event->accept();
        else
            event->ignore();
        return;
    }
    if (editType_ == etNumeric)
        NumericKey(event);
    else
        QLineEdit::keyPressEvent(event);
}

bool TKX_Edit::TryNumericText(const QString& candidate, int caret) {
    std::optional<QString> accepted = AcceptNumericText(candidate, min_, max_);
    if (!accepted) return false;
    caret -= int(candidate.size() - accepted->size());
    setText(*accepted);
    setCursorPosition(std::clamp(caret, 0, int(accepted->size())));
    return true;
}

void TKX_Edit::NumericKey(QKeyEvent* event) {
    event->accept();
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const QString current = text();
    const bool hasSel = hasSelectedText();
    const int selStart = hasSel ? selectionStart() : cursorPosition();
    const int selLen = hasSel ? int(selectedText().size()) : 0;

    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    if (isReadOnly()) return;

    if ((key == Qt::Key_Up || key == Qt::Key_Down) && mods == Qt::NoModifier) {
        std::optional<int> v = ParseInt(current);
        if (!v) return;
        const long long next = (long long)*v + (key == Qt::Key_Up ? 1 : -1);
        if (next < std::numeric_limits<int>::min() || next > max_) return;
        setText(QString::number(next));
        setCursorPosition(int(text().size()));
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        if (!hasSel) return;
        const QString cut = selectedText();
        QString candidate = current;
        candidate.remove(selStart, selLen);
        if (TryNumericText(candidate, selStart)) QGuiApplication::clipboard()->setText(cut);
        return;
    }
    if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && mods == Qt::NoModifier) {
        QString candidate = current;
        int caret = selStart;
        if (hasSel) {
            candidate.remove(selStart, selLen);
        } else if (key == Qt::Key_Delete) {
            if (selStart >= current.size()) return;
            candidate.remove(selStart, 1);
        } else {
            if (selStart == 0) return;
            candidate.remove(selStart - 1, 1);
            caret = selStart - 1;
        }
        TryNumericText(candidate, caret);
        return;
    }
    // Paste, undo, redo and word deletion are not for numeric fields.
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return;
    const QString typed = event->text();
    if (typed.size() != 1) return;
    const QChar c = typed[0];
    if (c == QLatin1Char('-')) {
        if (selStart != 0) return;
    } else if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
        return;
    }
    QString candidate = current;
    candidate.replace(selStart, selLen, c);
    TryNumericText(candidate, selStart + 1);
}

void TKX_Edit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    if (editType_ == etNumeric) {
        // Only copying and selecting stay: every other entry could bring in
        // text that the typing rules would refuse.
        const QStringList blocked = {"edit-undo", "edit-redo", "edit-cut", "edit-paste", "edit-delete"};
        for (QAction* action : menu->actions())
            if (blocked.contains(action->objectName())) action->setEnabled(false);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TKX_Edit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the X11 selection.
    if (editType_ == etNumeric && event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TKX_Edit::inputMethodEvent(QInputMethodEvent* event) {
    if (editType_ == etNumeric) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

}  // namespace pm
