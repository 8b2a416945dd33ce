#include "ui/KX_MetricCombo.h"

#include "ui/UiScale.h"

namespace pm {

TKX_MetricCombo::TKX_MetricCombo(QWidget* parent) : QComboBox(parent) {
    addItem(QStringLiteral("pix"));
    addItem(QStringLiteral("%"));
    setCurrentIndex(0);
    connect(this, &QComboBox::activated, this, [this](int) { emit Change(); });
}

QSize TKX_MetricCombo::sizeHint() const {
    QSize s = QComboBox::sizeHint();
    s.setWidth(std::max(s.width(), ScaledPx(this, 70)));
    return s;
}

}  // namespace pm
