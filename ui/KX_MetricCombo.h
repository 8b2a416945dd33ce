#pragma once
// The pixel/percent chooser beside length fields.
#include "core/Values.h"

#include <QComboBox>

namespace pm {

class TKX_MetricCombo : public QComboBox {
    Q_OBJECT

public:
    explicit TKX_MetricCombo(QWidget* parent = nullptr);

    TMetric Metric() const { return currentIndex() == 1 ? mPercent : mPixel; }
    void SetMetric(TMetric metric) { setCurrentIndex(metric == mPercent ? 1 : 0); }

    QSize sizeHint() const override;

signals:
    // The user chose an entry.
    void Change();
};

}  // namespace pm
