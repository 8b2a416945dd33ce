#pragma once
// TEffect: the frame every border effect shares. The effect gets a 24-bit
// copy of the source (or an empty bitmap when it paints a canvas of its
// own), renders, and the result becomes the output bitmap; any exception
// while rendering ends in the effect's "Cannot make ... effect!" message.
#include "core/BaseClass.h"
#include "imaging/FastDIB.h"
#include "imaging/Limits.h"

#include <string>

namespace pm {

class TEffect : public TBaseClass {
public:
    bool Execute(TValueSlot slot) final;

protected:
    enum class TCanvas { SourceCopy, OwnCanvas };
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
    // itself. False after logging its own message.
    virtual bool Render(TFastDIB& image, TValueSlot slot) = 0;
    // The source at 24 bits for an effect with a canvas of its own: the
    // source's pixels themselves when it has that depth, else a converted
    // copy kept in `scratch`. Throws when it cannot be had.
    const TFastDIB& Source24(TFastDIB& scratch) const;

private:
    std::string failure_;
    TCanvas canvas_;
};

}  // namespace pm
