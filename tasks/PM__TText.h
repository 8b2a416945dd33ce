#pragma once
// "Mark: Text": a line of text at one of nine anchors with a margin, in a
// font family, size, colour and opacity, with an optional shadow; the
// placeholders {name}, {date}, {size} and {counter} take the picture's file
// name, the date it was taken, its size and its number in the run.
#include "imaging/TextLine.h"
#include "tasks/Effect.h"

#include <memory>

namespace pm {

class TText : public TEffect {
public:
    explicit TText(TRunContext* context = nullptr);
    ~TText() override;
    void ShowSettings(IEditorPage& page, TValueSlot slot) override;
    void ReadSettings(IEditorPage& page, TValueSlot slot) override;

    static constexpr const char* kAnchorPrefix = "TX_Anchor_SB";

    // What the placeholders of `text` stand for.
    struct TFacts {
        std::string Name;  // the file name without its folder
        std::string Date;  // YYYY-MM-DD
        int Width = 0, Height = 0;
        int Counter = 0;
    };
    static std::string Expand(const std::string& text, const TFacts& facts);

    TKX_String& Text;
    TKX_String& Font_Family;
    TKX_Integer& Size;
    TKX_Metric& Size_Metric;  // percent: of the picture's height
    TKX_Color& Color;
    TKX_Integer& Opacity;
    TKX_Integer& Anchor;  // shown by the anchor buttons
    TKX_Integer& Margin;
    TKX_Boolean& Shadow;
    TKX_Color& Shadow_Color;
    TKX_Integer& Shadow_Offset;

protected:
    bool Render(TFastDIB& image, TValueSlot slot) override;

private:
    // The font of the last picture, kept while family and size stay.
    std::string fontFile_;
    int fontSize_ = 0;
    std::unique_ptr<TTextLine> line_;
};

}  // namespace pm
