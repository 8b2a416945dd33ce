#pragma once
// The log console: a list of log messages, each with its kind icon and its
// coloured, word-wrapped text; the newest one highlighted, the oldest
// dropped beyond MaxItems. Messages may arrive from any thread.
#include "log/LogTypes.h"
#include "ui/LogLayout.h"

#include <QImage>
#include <QListView>
#include <array>
#include <cstdint>
#include <deque>
#include <mutex>

namespace pm {

struct TLogMessage {
    int Kind = 0;
    TTextColorArray Segments;
};

class TLogConsoleModel;

class TKX_LogConsole : public QListView, public ILogConsole {
    Q_OBJECT

public:
    explicit TKX_LogConsole(QWidget* parent = nullptr);
    ~TKX_LogConsole() override;

    // ILogConsole; from another thread the call is carried out on the
    // console's own thread, in the order the calls were made.
    void AddMessage(int kind, const TTextColorArray& segments) override;
    void AppendToLast(const TTextColorArray& segments) override;
    void SelectLast() override;

    // The operations below belong to the console's own (GUI) thread.
    void AppendToMessage(int index, const TTextColorArray& segments);
    void DeleteMessage(int index);
    int Count() const;
    const TLogMessage& Message(int index) const;
    // The texts of all segments of message `index`, joined.
    QString MessageText(int index) const;

    std::uint16_t BmpLeftMargin() const { return bmpLeftMargin_; }
    void SetBmpLeftMargin(std::uint16_t value);
    std::uint16_t BmpRightMargin() const { return bmpRightMargin_; }
    void SetBmpRightMargin(std::uint16_t value);
    std::uint16_t TxtLeftMargin() const { return txtLeftMargin_; }
    void SetTxtLeftMargin(std::uint16_t value);
    std::uint16_t MaxItems() const { return maxItems_; }
    // Accepted in 5..65000 only; drops the oldest messages beyond it.
    void SetMaxItems(int value);
    TColor BitmapBG() const { return bitmapBG_; }
    void SetBitmapBG(TColor color);
    TColor SelectedItemBG() const { return selectedItemBG_; }
    void SetSelectedItemBG(TColor color);
    // Background of the text area of ordinary items and below the last one.
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // While frozen, the index of the newest message when it was frozen.
    bool Freeze() const { return frozenIndex_ >= 0; }
    void SetFreeze(bool on);
    int FrozenIndex() const { return frozenIndex_; }

    // Kind 1..4; a null image leaves an empty icon slot.
    void SetKindIcon(int kind, const QImage& graphic);
    QImage KindIcon(int kind) const;
    // Pure white icon pixels take `color`.
    void ReplaceIconBackground(TColor color);
    // Takes the font and colours into account again.
    void UpdateMetrics();
    int LineHeight() const { return lineHeight_; }

    // The message that is drawn highlighted, -1 for none.
    int HighlightedIndex() const;
    // Layout of message `index` for the current width.
    TLogLayout LayoutMessage(int index) const;
    int TextOrigin() const { return bmpLeftMargin_ + 16 + bmpRightMargin_ + txtLeftMargin_; }
    // Draws message `index` into `rect` (used by the item delegate).
    void PaintMessage(QPainter& painter, const QRect& rect, int index) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class TOp { Add, Append, Select };
    struct TPendingOp {
        TOp Op;
        int Kind;
        TTextColorArray Segments;
    };
    bool OnOwnThread() const;
    void Enqueue(TPendingOp op);
    void FlushPending();
    void DoAddMessage(int kind, const TTextColorArray& segments);
    void DoAppendToMessage(int index, const TTextColorArray& segments);
    void DoSelectLast();
    void Trim();
    void InternalError(const QString& text);
    void Relayout();
    void ApplyColor();

    TLogConsoleModel* model_;
    std::array<QImage, 4> icons_;
    std::uint16_t bmpLeftMargin_ = 3, bmpRightMargin_ = 3, txtLeftMargin_ = 3;
    std::uint16_t maxItems_ = 50;
    TColor bitmapBG_;
    TColor selectedItemBG_;
    TColor color_;
    int frozenIndex_ = -1;
    int lineHeight_ = 16;
    bool selectingNewest_ = false;
    unsigned layoutGeneration_ = 1;

    std::mutex pendingMutex_;
    std::vector<TPendingOp> pending_;
    bool flushScheduled_ = false;
};

// Cuts the four kind icons from a skin image when it measures exactly
// 266 x 135 (icon k at (17k + 1, 100), 16 x 16); false otherwise.
bool CutKindIcons(const QImage& skin, std::array<QImage, 4>& icons);
// The program's skin image from the resources.
QImage LoadSkinImage();
// Gives the console the kind icons of `skin` (when it has the right size),
// with white turned into the icon column colour.
bool LoadKindIcons(TKX_LogConsole& console, const QImage& skin);

}  // namespace pm
