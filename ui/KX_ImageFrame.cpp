#include "ui/KX_ImageFrame.h"

#include "core/AtomicFile.h"
#include "imaging/Limits.h"
#include "imaging/Resample.h"
#include "ui/ControlDialogs.h"
#include "ui/DibImage.h"
#include "ui/UiColors.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <exception>
#include <string_view>

namespace pm {

namespace {
TZoomResampler g_resampler = nullptr;

int RoundInt(double v) {
    return static_cast<int>(std::nearbyint(v));
}
}  // namespace

void SetZoomResampler(TZoomResampler resampler) {
    g_resampler = resampler;
}

TZoomResampler ZoomResampler() {
    return g_resampler ? g_resampler : &BoxResample;
}

// The zoomed picture is resampled with the "Box" filter.
void BoxResample(int newWidth, int newHeight, TFastDIB& bitmap) {
    if (bitmap.Empty() || newWidth <= 0 || newHeight <= 0) return;
    ResampleBitmap(newWidth, newHeight, 0, 0, bitmap);
}

TKX_ImageFramePopupMenu::TKX_ImageFramePopupMenu(QWidget* parent) : QMenu(parent) {
    ZoomMenu = addMenu(QStringLiteral("Zoom"));
    auto* group = new QActionGroup(this);
    const char* labels[] = {"25 %", "50 %", "75 %", "100 %", "150 %", "200 %", "400 %"};
    for (int i = 0; i < int(kFactors.size()); ++i) {
        QAction* a = ZoomMenu->addAction(QString::fromLatin1(labels[i]));
        a->setCheckable(true);
        group->addAction(a);
        ZoomItems[i] = a;
        connect(a, &QAction::triggered, this, [this, i] {
            if (i == checked_) return;
            emit ZoomChosen(i);
        });
    }
    ZoomItems[checked_]->setChecked(true);
    SaveItem = addAction(QStringLiteral("Save to bitmap ..."));
}

void TKX_ImageFramePopupMenu::SetCheckedIndex(int index) {
    if (index < 0 || index >= int(kFactors.size())) index = 0;
    checked_ = index;
    ZoomItems[index]->setChecked(true);
}

TKX_ImageFrame::TKX_ImageFrame(QWidget* parent) : QWidget(parent), menu_(new TKX_ImageFramePopupMenu(this)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
    connect(menu_, &TKX_ImageFramePopupMenu::ZoomChosen, this, &TKX_ImageFrame::ZoomChosen);
    connect(menu_->SaveItem, &QAction::triggered, this, &TKX_ImageFrame::SaveToBitmap);
}

bool TKX_ImageFrame::AssignImage(const TBitmap* bitmap) {
    if (!bitmap) {
        src_.ReleaseImage();
        zoomed_ = QImage();
        visW_ = visH_ = 0;
        frameX_ = frameY_ = 0;
        dragging_ = false;
        unsetCursor();
        update();
        return false;
    }
    try {
        TBitmap copy = *bitmap;
        if (!copy.Empty() && copy.PixelFormat() != 24) {
            TFastDIB dib = copy.Dib();
            if (!ConvertDepth(dib, 24)) throw std::runtime_error("depth");
            copy.SetDib(std::move(dib));
        }
        src_ = std::move(copy);
    } catch (const std::exception&) {
        ControlDialogs().ShowError(this, QStringLiteral("Error"),
                                   QStringLiteral("Error: Can't assign bitmap!"));
        return false;
    }
    frameX_ = frameY_ = 0;
    centreX_ = centreY_ = 0;
    cleared_ = false;
    Rebuild();
    UpdateZoomMenu();
    UpdateCursor(mapFromGlobal(QCursor::pos()));
    update();
    return true;
}

bool TKX_ImageFrame::AssignImage(const TFastDIB& dib) {
    TBitmap bitmap{TFastDIB(dib)};
    return AssignImage(&bitmap);
}

QSize TKX_ImageFrame::ZoomedSizeFor(double factor) const {
    // A side never shrinks below one pixel, so tiny pictures stay visible.
    return {std::max(1, RoundInt(src_.Width() * factor)), std::max(1, RoundInt(src_.Height() * factor))};
}

void TKX_ImageFrame::SetZoom(double factor) {
    if (!(factor > 0) || !std::isfinite(factor)) return;
    RefreshCentre();
    int index = 0;
    for (int i = 0; i < int(TKX_ImageFramePopupMenu::kFactors.size()); ++i)
        if (TKX_ImageFramePopupMenu::kFactors[i] == factor) index = i;
    menu_->SetCheckedIndex(index);
    zoom_ = factor;
}

void TKX_ImageFrame::RefreshCentre() {
    if (zoomed_.isNull()) return;
    centreX_ = RoundInt((visW_ / 2.0 + frameX_) / zoom_);
    centreY_ = RoundInt((visH_ / 2.0 + frameY_) / zoom_);
}

void TKX_ImageFrame::Rebuild() {
    if (src_.Empty()) return;
    const QSize size = zoom_ == 1.0 ? QSize(src_.Width(), src_.Height()) : ZoomedSizeFor(zoom_);
    zoomed_ = QImage();
    if (std::int64_t(size.width()) * size.height() <= kMaxDisplayPixels) {
        try {
            if (zoom_ == 1.0) {
                zoomed_ = DibToQImage(src_.Dib());
            } else {
                TFastDIB dib = src_.Dib();
                ZoomResampler()(size.width(), size.height(), dib);
                zoomed_ = DibToQImage(dib);
            }
        } catch (const std::exception&) {
            zoomed_ = QImage();
        }
    }
    Place();
}

void TKX_ImageFrame::Place() {
    if (zoomed_.isNull()) {
        visW_ = visH_ = 0;
        frameX_ = frameY_ = 0;
        return;
    }
    const int pw = zoomed_.width(), ph = zoomed_.height();
    const int cw = InnerWidth(), ch = InnerHeight();
    visW_ = std::min(pw, cw);
    visH_ = std::min(ph, ch);
    auto placeAxis = [](int picture, int inner, int centre) {
        if (picture >= inner) {
            if (picture - centre < inner / 2) centre = picture - inner / 2;
        } else {
            centre = picture / 2;
        }
        const int origin = centre - inner / 2;
        return origin > 0 ? origin : 0;
    };
    frameX_ = placeAxis(pw, cw, RoundInt(centreX_ * zoom_));
    frameY_ = placeAxis(ph, ch, RoundInt(centreY_ * zoom_));
}

void TKX_ImageFrame::ClampOrigin() {
    frameX_ = std::clamp(frameX_, 0, std::max(0, zoomed_.width() - InnerWidth()));
    frameY_ = std::clamp(frameY_, 0, std::max(0, zoomed_.height() - InnerHeight()));
}

void TKX_ImageFrame::SetBitmapFrame(int x, int y) {
    frameX_ = x;
    frameY_ = y;
    ClampOrigin();
    update();
}

bool TKX_ImageFrame::CanPan() const {
    return !zoomed_.isNull() && (zoomed_.width() > InnerWidth() || zoomed_.height() > InnerHeight());
}

void TKX_ImageFrame::Redraw() {
    cleared_ = false;
    update();
}

void TKX_ImageFrame::ClearView() {
    cleared_ = true;
    update();
}

bool TKX_ImageFrame::SynchronizeAllowed() const {
    return partner_ && partner_->src_.Width() == src_.Width() && partner_->src_.Height() == src_.Height();
}

void TKX_ImageFrame::SyncPartner() {
    if (!doSync_ || !partner_ || !SynchronizeAllowed()) return;
    SetZoom(zoom_);
    TKX_ImageFrame* p = partner_;
    if (p->zoom_ != zoom_) {
        p->SetZoom(zoom_);
        p->Rebuild();
        p->UpdateCursor(p->mapFromGlobal(QCursor::pos()));
    }
    p->frameX_ = frameX_;
    p->frameY_ = frameY_;
    p->centreX_ = centreX_;
    p->centreY_ = centreY_;
    p->ClampOrigin();
    p->Redraw();
}

void TKX_ImageFrame::ZoomChosen(int index) {
    const double factor = TKX_ImageFramePopupMenu::kFactors[index];
    SetZoom(factor);
    Rebuild();
    UpdateCursor(mapFromGlobal(QCursor::pos()));
    ClearView();
    Redraw();
    SyncPartner();
}

void TKX_ImageFrame::UpdateZoomMenu() {
    // Factors whose picture would be too large to hold are not offered.
    for (int i = 0; i < int(TKX_ImageFramePopupMenu::kFactors.size()); ++i) {
        const QSize s = ZoomedSizeFor(TKX_ImageFramePopupMenu::kFactors[i]);
        menu_->ZoomItems[i]->setEnabled(std::int64_t(s.width()) * s.height() <= kMaxDisplayPixels);
    }
}

void TKX_ImageFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width(), h = height();
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, w - 1, h - 1);
    p.setPen(Qt::white);
    p.drawRect(1, 1, w - 3, h - 3);
    const QRect inner(2, 2, InnerWidth(), InnerHeight());
    const QColor face = ToQColor(clBtnFace);
    if (cleared_ || zoomed_.isNull()) {
        p.fillRect(inner, face);
        return;
    }
    const int shownW = std::clamp(zoomed_.width() - frameX_, 0, visW_);
    const int shownH = std::clamp(zoomed_.height() - frameY_, 0, visH_);
    p.drawImage(QPoint(2, 2), zoomed_, QRect(frameX_, frameY_, shownW, shownH));
    p.fillRect(QRect(2 + shownW, 2, inner.width() - shownW, inner.height()), face);
    p.fillRect(QRect(2, 2 + shownH, shownW, inner.height() - shownH), face);
}

void TKX_ImageFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (zoomed_.isNull()) return;
    RefreshCentre();
    Place();
}

void TKX_ImageFrame::UpdateCursor(const QPoint& pos) {
    if (dragging_) {
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    const QRect picture(2, 2, visW_, visH_);
    if (CanPan() && picture.contains(pos))
        setCursor(Qt::OpenHandCursor);
    else
        unsetCursor();
}

void TKX_ImageFrame::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->buttons() == Qt::LeftButton && CanPan() && QRect(2, 2, visW_, visH_).contains(pos)) {
        dragging_ = true;
        lastPos_ = pos;
        setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TKX_ImageFrame::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (!dragging_) {
        UpdateCursor(pos);
        return;
    }
    const QPoint delta = pos - lastPos_;
    lastPos_ = pos;
    frameX_ -= delta.x();
    frameY_ -= delta.y();
    ClampOrigin();
    update();
    SyncPartner();
}

void TKX_ImageFrame::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        UpdateCursor(event->position().toPoint());
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void TKX_ImageFrame::contextMenuEvent(QContextMenuEvent* event) {
    if (!PopupMenuAttached()) {
        event->ignore();
        return;
    }
    menu_->exec(event->globalPos());
}

void TKX_ImageFrame::SaveToBitmap() {
    if (src_.Empty()) return;
    const QString file = ControlDialogs().ChooseSaveFile(
        this, QString(), QStringLiteral("Bitmaps (*.bmp)|*.bmp"), QStringLiteral("bmp"));
    if (file.isEmpty()) return;
    if (!SaveToBitmapFile(file))
        ControlDialogs().ShowError(this, QStringLiteral("Error"),
                                   QStringLiteral("Error: Can't save bitmap as \"%1\"!").arg(file));
}

bool TKX_ImageFrame::SaveToBitmapFile(const QString& fileName) {
    if (src_.Empty()) return false;
    try {
        std::vector<std::uint8_t> bytes;
        src_.Dib().SaveToStream(bytes);
        return WriteFileAtomically(
            fileName.toStdString(),
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace pm
