#pragma once
// A drop-down list of the sixteen standard colours and one custom entry,
// each drawn with a colour swatch; the custom entry opens the colour dialog.
#include "log/LogTypes.h"

#include <QComboBox>

namespace pm {

enum TColorFormat { cfDefault = 0, cfHTML = 1, cfRGB = 2 };

class TKX_ColorComboBox : public QComboBox {
    Q_OBJECT

public:
    static constexpr int kEntryCount = 17;
    static constexpr int kCustomEntry = 16;

    explicit TKX_ColorComboBox(QWidget* parent = nullptr);

    TColor ColorValue() const { return value_; }
    // Selects the entry of that colour; the custom entry takes any other value.
    void SetColorValue(TColor color);
    TColorFormat ColorFormat() const { return format_; }
    void SetColorFormat(TColorFormat format);

    TColor EntryColor(int index) const;
    QString EntryLabel(int index) const;
    // The label of a colour in a format; `custom` adds the " ..." of the
    // custom entry to the HTML and RGB forms.
    static QString FormatLabel(TColor color, TColorFormat format, bool custom);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user chose a colour (also when the colour dialog was cancelled).
    void Change();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void EntryChosen(int index);
    void RefreshLabels();
    // Width of the longest label in any format, in the box's font.
    int WidestLabel() const;

    TColor value_ = 0;
    TColor custom_;
    TColorFormat format_ = cfDefault;
};

// Draws one entry (swatch and label) into `rect`; shared by the list and the
// closed box.
void PaintColorEntry(QPainter& painter, const QRect& rect, TColor color, const QString& label,
                     const QColor& textColor, const QWidget* widget);

}  // namespace pm
