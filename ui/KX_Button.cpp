#include "ui/KX_Button.h"

#include <QEnterEvent>

namespace pm {

TKX_Button::TKX_Button(QWidget* parent) : TKX_Button(QString(), parent) {}

TKX_Button::TKX_Button(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    simpleColor_ = palette().color(QPalette::ButtonText);
    setAttribute(Qt::WA_Hover);
}

void TKX_Button::SetHoverColor(const QColor& color) {
    hoverColor_ = color;
    ApplyCaptionColor();
}

void TKX_Button::SetSimpleColor(const QColor& color) {
    simpleColor_ = color;
    ApplyCaptionColor();
}

void TKX_Button::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    ApplyCaptionColor();
    QPushButton::enterEvent(event);
}

void TKX_Button::leaveEvent(QEvent* event) {
    hovered_ = false;
    ApplyCaptionColor();
    QPushButton::leaveEvent(event);
}

void TKX_Button::ApplyCaptionColor() {
    QPalette p = palette();
    const QColor c = hovered_ ? hoverColor_ : simpleColor_;
    p.setColor(QPalette::Active, QPalette::ButtonText, c);
    p.setColor(QPalette::Inactive, QPalette::ButtonText, c);
    setPalette(p);
}

}  // namespace pm
