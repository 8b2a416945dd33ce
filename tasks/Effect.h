#pragma once
// TEffect: the frame every border effect shares. The effect gets a 24-bit
// copy of the source (or an empty bitmap when it paints a canvas of its
// own, or a blank one of the source's size when it writes every pixel from
// the source), renders, and the result becomes the output bitmap; any
// exception while rendering ends in the effect's "Cannot make ... effect!"
// message.
#include "core/BaseClass.h"
#include "imaging/FastDIB.h"
#include "imaging/Limits.h"

#include <string>

namespace pm {

class TEffect : public TBaseClass {
public:
    bool Execute(TValueSlot slot) final;

protected:
    // FreshOutput spares the copy of the source for an effect that reads
    // the source (Source24) and writes each pixel of the result once.
    enum class TCanvas { SourceCopy, OwnCanvas, FreshOutput };
    // `effectName` is the name the failure message gives.
    TEffect(TRunContext* context, std::string effectName, TCanvas canvas);

    // What a run makes of a line thickness from a hand-edited file: a
    // negative one draws nothing, and anything beyond the largest image side
    // covers the same pixels as that side.
    static constexpr TIntRange kLineRun{0, kMaxImageSide + 1};

    // Checks of the settings against the source before any pixel is
    // touched; false after logging why. Accepts by default.
    virtual bool Accepts(TValueSlot slot);
    // Renders into `image`, which becomes the result: the 24-bit copy of the
    // source, or for TCanvas::OwnCanvas an empty bitmap the effect sets up
    // itself, or for TCanvas::FreshOutput a bitmap shaped as that copy
    // (size, header, row padding) whose pixels are unset, to be written
    // from RenderSource(). False after logging its own message.
    virtual bool Render(TFastDIB& image, TValueSlot slot) = 0;
    // The source at 24 bits for an effect with a canvas of its own: the
    // source's pixels themselves when it has that depth, else a converted
    // copy kept in `scratch`. Throws when it cannot be had.
    const TFastDIB& Source24(TFastDIB& scratch) const;
    // For TCanvas::FreshOutput while rendering: Source24 as the frame got it.
    const TFastDIB& RenderSource() const { return *renderSource_; }

private:
    std::string failure_;
    TCanvas canvas_;
    const TFastDIB* renderSource_ = nullptr;
};

}  // namespace pm
