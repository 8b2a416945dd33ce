#pragma once
// A framed, zoomable and pannable view of one picture that can make a
// partner frame follow its zoom and panning.
#include "imaging/Bitmap.h"

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <array>

namespace pm {

// Scales a 24-bit picture in place to the given size; the frame uses the
// "Box" resampler unless another one is set (tests).
using TZoomResampler = void (*)(int newWidth, int newHeight, TFastDIB& bitmap);
void SetZoomResampler(TZoomResampler resampler);  // nullptr: the "Box" resampler
TZoomResampler ZoomResampler();
void BoxResample(int newWidth, int newHeight, TFastDIB& bitmap);

class TKX_ImageFramePopupMenu : public QMenu {
    Q_OBJECT

public:
    static constexpr std::array<double, 7> kFactors = {0.25, 0.5, 0.75, 1.0, 1.5, 2.0, 4.0};

    explicit TKX_ImageFramePopupMenu(QWidget* parent = nullptr);

    int CheckedIndex() const { return checked_; }
    void SetCheckedIndex(int index);

    QMenu* ZoomMenu;
    std::array<QAction*, 7> ZoomItems{};
    QAction* SaveItem;

signals:
    // The user picked zoom entry `index` that was not checked.
    void ZoomChosen(int index);

private:
    int checked_ = 3;
};

class TKX_ImageFrame : public QWidget {
    Q_OBJECT

public:
    explicit TKX_ImageFrame(QWidget* parent = nullptr);

    // A private copy of `bitmap` (nullptr frees the picture and returns false).
    bool AssignImage(const TBitmap* bitmap);
    bool AssignImage(const TFastDIB& dib);
    const TBitmap& SrcBitmap() const { return src_; }
    bool HasImage() const { return !src_.Empty(); }

    double ZoomFactor() const { return zoom_; }
    // Remembers the centre of the visible part and stores the factor; the
    // picture changes with the next Rebuild.
    void SetZoom(double factor);
    // Zooms the picture and places the visible part around the centre.
    void Rebuild();
    // Shows the picture (again) / shows an empty frame.
    void Redraw();
    void ClearView();
    void SyncPartner();

    int BitmapFrameX() const { return frameX_; }
    int BitmapFrameY() const { return frameY_; }
    void SetBitmapFrame(int x, int y);
    QSize ZoomedSize() const { return zoomed_.size(); }
    QSize VisibleSize() const { return {visW_, visH_}; }
    // Whether the zoomed picture is larger than the inner area somewhere.
    bool CanPan() const;

    TKX_ImageFrame* SynchronizeImageFrame() const { return partner_; }
    void SetSynchronizeImageFrame(TKX_ImageFrame* partner) { partner_ = partner; }
    bool DoSynchronize() const { return doSync_; }
    void SetDoSynchronize(bool on) { doSync_ = on; }
    bool SynchronizeAllowed() const;

    TKX_ImageFramePopupMenu* PopupMenu() const { return menu_; }
    bool PopupMenuAttached() const { return HasImage(); }

    // Asks for a file name and writes the unzoomed picture as a BMP file.
    void SaveToBitmap();
    bool SaveToBitmapFile(const QString& fileName);

    QSize sizeHint() const override { return {100, 100}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    int InnerWidth() const { return std::max(0, width() - 4); }
    int InnerHeight() const { return std::max(0, height() - 4); }
    QSize ZoomedSizeFor(double factor) const;
    void Place();
    void RefreshCentre();
    void ClampOrigin();
    void UpdateCursor(const QPoint& pos);
    void UpdateZoomMenu();
    void ZoomChosen(int index);

    TBitmap src_;
    QImage zoomed_;
    double zoom_ = 1.0;
    int frameX_ = 0, frameY_ = 0;
    // Remembered centre of the view, in picture (unzoomed) coordinates.
    int centreX_ = 0, centreY_ = 0;
    int visW_ = 0, visH_ = 0;
    bool cleared_ = false;
    bool dragging_ = false;
    QPoint lastPos_;
    QPointer<TKX_ImageFrame> partner_;
    bool doSync_ = true;
    TKX_ImageFramePopupMenu* menu_;
};

}  // namespace pm
