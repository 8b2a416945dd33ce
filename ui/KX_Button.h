#pragma once
// A push button whose caption changes colour while the mouse is over it.
#include <QColor>
#include <QPushButton>

namespace pm {

class TKX_Button : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QColor HoverColor READ HoverColor WRITE SetHoverColor)
    Q_PROPERTY(QColor SimpleColor READ SimpleColor WRITE SetSimpleColor)

public:
    explicit TKX_Button(QWidget* parent = nullptr);
    explicit TKX_Button(const QString& caption, QWidget* parent = nullptr);

    QColor HoverColor() const { return hoverColor_; }
    void SetHoverColor(const QColor& color);
    QColor SimpleColor() const { return simpleColor_; }
    void SetSimpleColor(const QColor& color);
    // Optional image beside the caption; a null icon removes it.
    void SetGlyph(const QIcon& glyph) { setIcon(glyph); }

    bool Hovered() const { return hovered_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ApplyCaptionColor();

    QColor hoverColor_{0, 0, 255};
    QColor simpleColor_;
    bool hovered_ = false;
};

}  // namespace pm
