#include "ui/KX_LogConsole.h"

#include "log/WriteLog.h"
#include "ui/ControlDialogs.h"
#include "ui/UiColors.h"

#include <QAbstractItemDelegate>
#include <QAbstractListModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QThread>

// The resources live in a static library: make sure they are registered.
static void InitUiResources() {
    Q_INIT_RESOURCE(pixmill_ui);
}

namespace pm {

class TLogConsoleModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    struct TEntry {
        TLogMessage Message;
        std::vector<QString> Texts;  // the segments' texts, converted once
        // The layout for the width and settings it was made with.
        int LayoutWidth = -1;
        unsigned LayoutGeneration = 0;
        TLogLayout Layout;
    };
    std::deque<TEntry> Entries;

    static std::vector<QString> TextsOf(const TLogMessage& message) {
        std::vector<QString> texts;
        for (const TTextColor& s : message.Segments) texts.push_back(QString::fromStdString(s.Text));
        return texts;
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(Entries.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(Entries.size())) return {};
        QString text;
        for (const QString& t : Entries[index.row()].Texts) text += t;
        return text;
    }

    void Append(TLogMessage message) {
        const int n = int(Entries.size());
        beginInsertRows(QModelIndex(), n, n);
        TEntry entry;
        entry.Texts = TextsOf(message);
        entry.Message = std::move(message);
        Entries.push_back(std::move(entry));
        endInsertRows();
    }

    void AppendSegments(int row, const TTextColorArray& segments) {
        TEntry& entry = Entries[row];
        entry.Message.Segments.insert(entry.Message.Segments.end(), segments.begin(), segments.end());
        entry.Texts = TextsOf(entry.Message);
        entry.LayoutWidth = -1;
        const QModelIndex i = index(row);
        emit dataChanged(i, i);
    }

    void Remove(int first, int count) {
        if (count <= 0) return;
        beginRemoveRows(QModelIndex(), first, first + count - 1);
        Entries.erase(Entries.begin() + first, Entries.begin() + first + count);
        endRemoveRows();
    }
};

namespace {

class TLogConsoleDelegate : public QAbstractItemDelegate {
public:
    explicit TLogConsoleDelegate(TKX_LogConsole* console)
        : QAbstractItemDelegate(console), console_(console) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        console_->PaintMessage(*painter, option.rect, index.row());
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const TLogLayout layout = console_->LayoutMessage(index.row());
        // Rows are as wide as the view anyway; a width measured before a
        // resize would widen the contents past the view and cut the rows.
        return {1, console_->LineHeight() * layout.Lines};
    }

private:
    TKX_LogConsole* console_;
};

}  // namespace

TKX_LogConsole::TKX_LogConsole(QWidget* parent)
    : QListView(parent), model_(new TLogConsoleModel(this)), bitmapBG_(RGBColor(192, 192, 192)),
      selectedItemBG_(RGBColor(0, 0, 255)), color_(clWindow) {
    setModel(model_);
    setItemDelegate(new TLogConsoleDelegate(this));
    setUniformItemSizes(false);
    setResizeMode(QListView::Adjust);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A scroll bar that came and went would change the width the rows
    // wrap at while they are laid out.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSpacing(0);
    ApplyColor();
    UpdateMetrics();
}

TKX_LogConsole::~TKX_LogConsole() {
    if (GetLogConsole() == this) SetLogConsole(nullptr);
}

bool TKX_LogConsole::OnOwnThread() const {
    return QThread::currentThread() == thread();
}

void TKX_LogConsole::Enqueue(TPendingOp op) {
    std::lock_guard lock(pendingMutex_);
    pending_.push_back(std::move(op));
    if (flushScheduled_) return;
    flushScheduled_ = true;
    QMetaObject::invokeMethod(
        this, [this] { FlushPending(); }, Qt::QueuedConnection);
}

void TKX_LogConsole::FlushPending() {
    std::vector<TPendingOp> ops;
    {
        std::lock_guard lock(pendingMutex_);
        ops.swap(pending_);
        flushScheduled_ = false;
    }
    for (TPendingOp& op : ops) {
        switch (op.Op) {
        case TOp::Add:
            DoAddMessage(op.Kind, op.Segments);
            break;
        case TOp::Append:
            DoAppendToMessage(Count() - 1, op.Segments);
            break;
        case TOp::Select:
            DoSelectLast();
            break;
        }
    }
}

void TKX_LogConsole::AddMessage(int kind, const TTextColorArray& segments) {
    if (!OnOwnThread()) return Enqueue({TOp::Add, kind, segments});
    FlushPending();
    DoAddMessage(kind, segments);
}

void TKX_LogConsole::AppendToLast(const TTextColorArray& segments) {
    if (!OnOwnThread()) return Enqueue({TOp::Append, 0, segments});
    FlushPending();
    DoAppendToMessage(Count() - 1, segments);
}

void TKX_LogConsole::SelectLast() {
    if (!OnOwnThread()) return Enqueue({TOp::Select, 0, {}});
    FlushPending();
    DoSelectLast();
}

void TKX_LogConsole::AppendToMessage(int index, const TTextColorArray& segments) {
    FlushPending();
    DoAppendToMessage(index, segments);
}

void TKX_LogConsole::DoAddMessage(int kind, const TTextColorArray& segments) {
    if (segments.empty()) return InternalError(QStringLiteral("Very small input parameters"));
    model_->Append({kind, segments});
    Trim();
    scrollToBottom();
}

void TKX_LogConsole::DoAppendToMessage(int index, const TTextColorArray& segments) {
    if (segments.empty()) return InternalError(QStringLiteral("Very small input parameters"));
    if (index < 0 || index >= Count())
        return InternalError(QStringLiteral("Can't get pointer to the item object %1").arg(index));
    model_->AppendSegments(index, segments);
    // Only this item's height can change; the others keep their layouts.
    scheduleDelayedItemsLayout();
    viewport()->update();
    if (index == Count() - 1) scrollToBottom();
}

void TKX_LogConsole::DoSelectLast() {
    if (Count() == 0) return;
    selectingNewest_ = true;
    const QModelIndex last = model_->index(Count() - 1);
    selectionModel()->setCurrentIndex(last, QItemSelectionModel::ClearAndSelect);
    scrollTo(last);
    viewport()->update();
}

void TKX_LogConsole::DeleteMessage(int index) {
    FlushPending();
    if (index < 0 || index >= Count()) return;
    model_->Remove(index, 1);
}

void TKX_LogConsole::Trim() {
    const int excess = Count() - int(maxItems_);
    if (excess > 0) model_->Remove(0, excess);
}

int TKX_LogConsole::Count() const {
    return int(model_->Entries.size());
}

const TLogMessage& TKX_LogConsole::Message(int index) const {
    return model_->Entries.at(index).Message;
}

QString TKX_LogConsole::MessageText(int index) const {
    return model_->data(model_->index(index), Qt::DisplayRole).toString();
}

void TKX_LogConsole::InternalError(const QString& text) {
    ControlDialogs().ShowError(this, QStringLiteral("LogConsole internal error"), text + QLatin1Char('!'));
}

void TKX_LogConsole::Relayout() {
    ++layoutGeneration_;
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void TKX_LogConsole::SetBmpLeftMargin(std::uint16_t value) {
    if (value > 200) return;
    bmpLeftMargin_ = value;
    Relayout();
}

void TKX_LogConsole::SetBmpRightMargin(std::uint16_t value) {
    if (value > 200) return;
    bmpRightMargin_ = value;
    Relayout();
}

void TKX_LogConsole::SetTxtLeftMargin(std::uint16_t value) {
    if (value > 200) return;
    txtLeftMargin_ = value;
    Relayout();
}

void TKX_LogConsole::SetMaxItems(int value) {
    if (value < 5 || value > 65000) return;
    maxItems_ = std::uint16_t(value);
    Trim();
    viewport()->update();
}

void TKX_LogConsole::SetBitmapBG(TColor color) {
    bitmapBG_ = color;
    viewport()->update();
}

void TKX_LogConsole::SetSelectedItemBG(TColor color) {
    selectedItemBG_ = color;
    viewport()->update();
}

void TKX_LogConsole::SetColor(TColor color) {
    color_ = color;
    ApplyColor();
}

void TKX_LogConsole::ApplyColor() {
    QPalette p = palette();
    p.setColor(QPalette::Base, ToQColor(color_));
    setPalette(p);
    viewport()->update();
}

void TKX_LogConsole::SetFreeze(bool on) {
    frozenIndex_ = on ? Count() - 1 : -1;
    if (!on) viewport()->update();
}

void TKX_LogConsole::SetKindIcon(int kind, const QImage& graphic) {
    if (kind < 1 || kind > 4) return;
    icons_[kind - 1] = graphic.isNull() ? QImage() : graphic.convertToFormat(QImage::Format_RGB888);
    viewport()->update();
}

QImage TKX_LogConsole::KindIcon(int kind) const {
    if (kind < 1 || kind > 4) return {};
    return icons_[kind - 1];
}

void TKX_LogConsole::ReplaceIconBackground(TColor color) {
    const QRgb target = ToQColor(color).rgb();
    for (QImage& icon : icons_) {
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                if ((icon.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) icon.setPixel(x, y, target);
    }
    viewport()->update();
}

void TKX_LogConsole::UpdateMetrics() {
    const int height = QFontMetrics(font()).height() + 1;
    if (height <= 1) {
        InternalError(QStringLiteral("\u0421annot calculate height of one line in pixels"));
        return;
    }
    lineHeight_ = std::max(16, height);
    ApplyColor();
    Relayout();
}

void TKX_LogConsole::resizeEvent(QResizeEvent* event) {
    const QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    QListView::resizeEvent(event);
    // The list lays its rows out again only when its height changes, but
    // every row wraps anew at another width.
    if (event->size().width() != event->oldSize().width()) scheduleDelayedItemsLayout();
    // The newest message stays in full view when it was (the layout runs
    // first).
    if (atEnd) scrollToBottom();
}

void TKX_LogConsole::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateMetrics();
}

int TKX_LogConsole::HighlightedIndex() const {
    if (selectingNewest_) return Count() - 1;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TKX_LogConsole::mousePressEvent(QMouseEvent* event) {
    selectingNewest_ = false;
    QListView::mousePressEvent(event);
}

void TKX_LogConsole::keyPressEvent(QKeyEvent* event) {
    selectingNewest_ = false;
    QListView::keyPressEvent(event);
}

TLogLayout TKX_LogConsole::LayoutMessage(int index) const {
    if (index < 0 || index >= Count()) return {};
    TLogConsoleModel::TEntry& entry = model_->Entries[index];
    const int width = viewport()->width();
    if (entry.LayoutWidth != width || entry.LayoutGeneration != layoutGeneration_) {
        const QFontMetrics fm(font());
        entry.Layout = LayoutLogSegments(entry.Texts, TextOrigin(), width,
                                         [&fm](const QString& t) { return fm.horizontalAdvance(t); });
        entry.LayoutWidth = width;
        entry.LayoutGeneration = layoutGeneration_;
    }
    return entry.Layout;
}

void TKX_LogConsole::PaintMessage(QPainter& painter, const QRect& itemRect, int index) const {
    if (index < 0 || index >= Count()) return;
    const TLogMessage& message = model_->Entries[index].Message;
    const TLogLayout layout = LayoutMessage(index);
    const QRect rect(itemRect.left(), itemRect.top(), viewport()->width() - itemRect.left(),
                     lineHeight_ * layout.Lines);
    const QImage icon = (message.Kind >= 1 && message.Kind <= 4) ? icons_[message.Kind - 1] : QImage();
    const int iconW = icon.isNull() ? 16 : icon.width();
    const int column = bmpLeftMargin_ + iconW + bmpRightMargin_;

    painter.save();
    painter.fillRect(QRect(rect.left(), rect.top(), column, rect.height()), ToQColor(bitmapBG_));
    if (!icon.isNull())
        painter.drawImage(rect.left() + bmpLeftMargin_, rect.top() + (rect.height() - icon.height()) / 2,
                          icon);
    const bool highlighted = index == HighlightedIndex();
    painter.fillRect(QRect(rect.left() + column, rect.top(), rect.width() - column, rect.height()),
                     ToQColor(highlighted ? selectedItemBG_ : color_));
    painter.setFont(font());
    const QFontMetrics fm(font());
    const int textTop = (lineHeight_ - fm.height()) / 2 + fm.ascent();
    for (const TLogRun& run : layout.Runs) {
        painter.setPen(ToQColor(message.Segments[run.Segment].Color));
        painter.drawText(rect.left() + run.X, rect.top() + (run.Line - 1) * lineHeight_ + textTop, run.Text);
    }
    painter.restore();
}

bool CutKindIcons(const QImage& skin, std::array<QImage, 4>& icons) {
    if (skin.width() != 266 || skin.height() != 135) return false;
    for (int k = 0; k < 4; ++k)
        icons[k] = skin.copy(17 * k + 1, 100, 16, 16).convertToFormat(QImage::Format_RGB888);
    return true;
}

QImage LoadSkinImage() {
    InitUiResources();
    return QImage(QStringLiteral(":/pixmill/skin.png"));
}

bool LoadKindIcons(TKX_LogConsole& console, const QImage& skin) {
    std::array<QImage, 4> icons;
    if (!CutKindIcons(skin, icons)) return false;
    console.UpdateMetrics();
    for (int k = 0; k < 4; ++k) console.SetKindIcon(k + 1, icons[k]);
    console.ReplaceIconBackground(console.BitmapBG());
    return true;
}

}  // namespace pm
