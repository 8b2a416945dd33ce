#include "ui/KX_ColorComboBox.h"

#include "ui/ControlDialogs.h"
#include "ui/UiColors.h"
#include "ui/UiScale.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <array>

namespace pm {

namespace {

struct TStandardColor {
    const char* Label;
    TColor Color;
};

constexpr std::array<TStandardColor, 16> kStandardColors = {{
    {"Black", RGBColor(0, 0, 0)},
    {"Maroon", RGBColor(128, 0, 0)},
    {"Green", RGBColor(0, 128, 0)},
    {"Olive", RGBColor(128, 128, 0)},
    {"Navy", RGBColor(0, 0, 128)},
    {"Purple", RGBColor(128, 0, 128)},
    {"Teal", RGBColor(0, 128, 128)},
    {"Gray", RGBColor(128, 128, 128)},
    {"Silver", RGBColor(192, 192, 192)},
    {"Red", RGBColor(255, 0, 0)},
    {"Lime", RGBColor(0, 255, 0)},
    {"Yellow", RGBColor(255, 255, 0)},
    {"Blue", RGBColor(0, 0, 255)},
    {"Fuchsia", RGBColor(255, 0, 255)},
    {"Aqua", RGBColor(0, 255, 255)},
    {"White", RGBColor(255, 255, 255)},
}};

class TColorEntryDelegate : public QStyledItemDelegate {
public:
    explicit TColorEntryDelegate(TKX_ColorComboBox* combo) : QStyledItemDelegate(combo), combo_(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        painter->fillRect(option.rect, pal.color(selected ? QPalette::Highlight : QPalette::Base));
        PaintColorEntry(*painter, option.rect, combo_->EntryColor(index.row()),
                        combo_->EntryLabel(index.row()),
                        pal.color(selected ? QPalette::HighlightedText : QPalette::Text), combo_);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(std::max(s.height(), option.fontMetrics.height() + 4));
        return s;
    }

private:
    TKX_ColorComboBox* combo_;
};

}  // namespace

void PaintColorEntry(QPainter& painter, const QRect& rect, TColor color, const QString& label,
                     const QColor& textColor, const QWidget* widget) {
    const int swatchRight = ScaledPx(widget, 20);
    const int textLeft = ScaledPx(widget, 24);
    QRect swatch(QPoint(rect.left() + 2, rect.top() + 1),
                 QPoint(rect.left() + swatchRight - 1, rect.bottom() - 1));
    painter.save();
    painter.setPen(Qt::black);
    painter.setBrush(ToQColor(color));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    painter.setPen(textColor);
    QRect text(rect.left() + textLeft, rect.top(), std::max(0, rect.width() - textLeft), rect.height());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, label);
    painter.restore();
}

TKX_ColorComboBox::TKX_ColorComboBox(QWidget* parent) : QComboBox(parent), custom_(RGBColor(230, 230, 230)) {
    setItemDelegate(new TColorEntryDelegate(this));
    for (int i = 0; i < kEntryCount; ++i) addItem(EntryLabel(i));
    setMaxVisibleItems(kEntryCount);
    setCurrentIndex(0);
    connect(this, &QComboBox::activated, this, &TKX_ColorComboBox::EntryChosen);
}

TColor TKX_ColorComboBox::EntryColor(int index) const {
    if (index >= 0 && index < int(kStandardColors.size())) return kStandardColors[index].Color;
    return custom_;
}

QString TKX_ColorComboBox::FormatLabel(TColor color, TColorFormat format, bool custom) {
    const TColor c = ResolveUiColor(color);
    const int r = int(c & 0xFF), g = int((c >> 8) & 0xFF), b = int((c >> 16) & 0xFF);
    QString label;
    if (format == cfHTML)
        label = QStringLiteral("#%1%2%3")
                    .arg(r, 2, 16, QLatin1Char('0'))
                    .arg(g, 2, 16, QLatin1Char('0'))
                    .arg(b, 2, 16, QLatin1Char('0'))
                    .toUpper();
    else
        label = QStringLiteral("%1:%2:%3").arg(r).arg(g).arg(b);
    if (custom) label += QStringLiteral(" ...");
    return label;
}

QString TKX_ColorComboBox::EntryLabel(int index) const {
    const bool custom = index == kCustomEntry;
    if (format_ == cfDefault)
        return custom ? QStringLiteral("More...") : QString::fromLatin1(kStandardColors[index].Label);
    return FormatLabel(EntryColor(index), format_, custom);
}

void TKX_ColorComboBox::RefreshLabels() {
    for (int i = 0; i < count(); ++i) setItemText(i, EntryLabel(i));
    update();
}

void TKX_ColorComboBox::SetColorFormat(TColorFormat format) {
    format_ = format;
    RefreshLabels();
}

void TKX_ColorComboBox::SetColorValue(TColor color) {
    value_ = color;
    int entry = kCustomEntry;
    for (int i = 0; i < int(kStandardColors.size()); ++i)
        if (kStandardColors[i].Color == color) {
            entry = i;
            break;
        }
    if (entry == kCustomEntry) {
        custom_ = color;
        setItemText(kCustomEntry, EntryLabel(kCustomEntry));
    }
    setCurrentIndex(entry);
    update();
}

void TKX_ColorComboBox::EntryChosen(int index) {
    if (index < 0) return;
    SetColorValue(EntryColor(index));
    if (index == kCustomEntry) {
        if (std::optional<QColor> chosen = ControlDialogs().ChooseColor(this, ToQColor(custom_)))
            SetColorValue(FromQColor(*chosen));
    }
    emit Change();
}

int TKX_ColorComboBox::WidestLabel() const {
    const QFontMetrics fm = fontMetrics();
    auto widestOf = [&fm](const QString& chars) {
        QChar widest = chars.front();
        for (QChar c : chars)
            if (fm.horizontalAdvance(c) > fm.horizontalAdvance(widest)) widest = c;
        return widest;
    };
    // The custom entry may hold any colour: its labels are measured with
    // the widest digits.
    const QChar hex = widestOf(QStringLiteral("0123456789ABCDEF"));
    const QChar dec = widestOf(QStringLiteral("0123456789"));
    const QString custom = QStringLiteral(" ...");
    int widest =
        std::max(fm.horizontalAdvance(QLatin1Char('#') + QString(6, hex) + custom),
                 fm.horizontalAdvance(QStringList(3, QString(3, dec)).join(QLatin1Char(':')) + custom));
    for (int i = 0; i < kEntryCount; ++i)
        widest = std::max(widest, fm.horizontalAdvance(i == kCustomEntry
                                                           ? QStringLiteral("More...")
                                                           : QString::fromLatin1(kStandardColors[i].Label)));
    return widest;
}

QSize TKX_ColorComboBox::sizeHint() const {
    // One width for every format, so that choosing another format neither
    // cuts a label nor moves the widgets of a page.
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const QSize label(ScaledPx(this, 24) + WidestLabel() + ScaledPx(this, 2), fontMetrics().height());
    QSize s = style()->sizeFromContents(QStyle::CT_ComboBox, &opt, label, this);
    s.setWidth(std::max(s.width(), ScaledPx(this, 120)));
    s.setHeight(QComboBox::sizeHint().height());
    return s;
}

QSize TKX_ColorComboBox::minimumSizeHint() const {
    return sizeHint();
}

void TKX_ColorComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    const int index = currentIndex();
    if (index < 0) return;
    PaintColorEntry(painter, field, EntryColor(index), EntryLabel(index),
                    palette().color(QPalette::ButtonText), this);
}

}  // namespace pm
