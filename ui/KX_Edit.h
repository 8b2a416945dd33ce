#pragma once
// A single-line edit with a text and a signed-integer mode. Entering the
// field remembers its text (Esc brings it back), Enter moves on like Tab,
// and leaving it is refused while the content is invalid.
#include <QFont>
#include <QLineEdit>
#include <functional>
#include <optional>

namespace pm {

enum TEditType { etString = 0, etNumeric = 1 };

class TKX_Edit : public QLineEdit {
    Q_OBJECT

public:
    explicit TKX_Edit(QWidget* parent = nullptr);

    TEditType EditType() const { return editType_; }
    void SetEditType(TEditType type);
    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    // Numeric mode: the text as an integer, 0 when it does not convert; 0 in
    // text mode. Writing is accepted in numeric mode within Min..Max only.
    int Value() const;
    bool SetValue(int value);
    QString SaveValue() const { return saveValue_; }

    QFont FontOnFocus() const { return fontOnFocus_; }
    void SetFontOnFocus(const QFont& font, const QColor& color);
    QFont FontOnNotFocus() const { return fontOnNotFocus_; }
    void SetFontOnNotFocus(const QFont& font, const QColor& color);
    QColor ColorOnFocus() const { return colorOnFocus_; }
    QColor ColorOnNotFocus() const { return colorOnNotFocus_; }

    bool Control3D() const { return hasFrame(); }
    void SetControl3D(bool on) { setFrame(on); }

    // Called when the field is left, with the verdict so far; may set it
    // to false to keep the focus in the field.
    std::function<void(TKX_Edit& edit, bool& valid)> OnValidate;

    // The numeric rule for a text about to be entered: the normalised text
    // when it may stand in the field (empty, a lone "-" while Min or Max is
    // negative, or an integer not above Max), nullopt when it is refused.
    static std::optional<QString> AcceptNumericText(const QString& text, int min, int max);
    // Decimal integer with an optional "-"; nullopt when it does not convert.
    static std::optional<int> ParseInt(const QString& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    bool ContentValid();
    void ApplyFont(bool focused);
    void UpdateHint();
    // Puts `candidate` into the field when the numeric rules accept it;
    // `caret` is where the caret goes in the unnormalised candidate.
    bool TryNumericText(const QString& candidate, int caret);
    void NumericKey(QKeyEvent* event);

    TEditType editType_ = etString;
    int min_ = 1, max_ = 1;
    QString saveValue_;
    int savedCaret_ = 0;
    int leaveCaret_ = 0;
    bool entered_ = false;  // focus received since the last successful leave
    QFont fontOnFocus_, fontOnNotFocus_;
    QColor colorOnFocus_{0, 0, 255}, colorOnNotFocus_;
    QString hint_;
};

}  // namespace pm
