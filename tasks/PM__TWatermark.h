#pragma once
// "Mark: Watermark": a picture file (with its transparency) laid over the
// picture at one of nine anchors with a margin, scaled to a percentage of
// the picture's width, at an opacity.
#include "imaging/AlphaMark.h"
#include "tasks/Effect.h"

#include <cstdint>

namespace pm {

class TWatermark : public TEffect {
public:
    explicit TWatermark(TRunContext* context = nullptr);
    void PrepareEditor(IEditorPage& page) override;
    void ShowSettings(IEditorPage& page, TValueSlot slot) override;
    void ReadSettings(IEditorPage& page, TValueSlot slot) override;

    static constexpr const char* kAnchorPrefix = "WM_Anchor_SB";

    // Runs with this mark instead of the one of "Watermark_File".
    bool ExecuteWithMark(TValueSlot slot, const TAlphaImage& mark);

    TKX_String& File;
    TKX_Integer& Anchor;  // shown by the anchor buttons
    TKX_Integer& Margin;
    TKX_Integer& Width_Percent;  // 0: the mark's own size
    TKX_Integer& Opacity;

protected:
    bool Accepts(TValueSlot slot) override;
    bool Render(TFastDIB& image, TValueSlot slot) override;

private:
    // The mark of the file last loaded, kept while the file stays the same,
    // so a run loads it once and not for every picture.
    struct TCache {
        std::string Name;
        std::int64_t Stamp = 0;
        TAlphaImage Mark;
    };
    TCache cache_;
    const TAlphaImage* given_ = nullptr;
};

}  // namespace pm
