#include "tasks/PM__TText.h"

#include "core/EditorPage.h"
#include "core/RunContext.h"
#include "imaging/Colors.h"
#include "log/WriteLog.h"
#include "tasks/Anchors.h"
#include "tasks/FileDate.h"

#include <filesystem>

namespace pm {

TText::TText(TRunContext* context)
    : TEffect(context, "Text", TCanvas::SourceCopy),
      Text(DeclareOptional<TKX_String>("TX_Text", "Text", std::string("{name}"))),
      Font_Family(DeclareOptional<TKX_String>("TX_Font", "Font_Family", std::string("DejaVu Sans"))),
      Size(DeclareOptional<TKX_Integer>("TX_Size", "Size", 5, TIntRange{1, 4096})),
      Size_Metric(DeclareOptional<TKX_Metric>("TX_Size_Metric", "Size_Metric", mPercent)),
      Color(DeclareOptional<TKX_Color>("TX_Color", "Color", 0xFFFFFFu)),
      Opacity(DeclareOptional<TKX_Integer>("TX_Opacity", "Opacity", 100, TIntRange{0, 100})),
      Anchor(DeclareOptional<TKX_Integer>("", "Anchor", 9, TIntRange{1, 9})),
      Margin(DeclareOptional<TKX_Integer>("TX_Margin", "Margin", 10, TIntRange{0, 10000})),
      Shadow(DeclareOptional<TKX_Boolean>("TX_Shadow", "Shadow", true)),
      Shadow_Color(DeclareOptional<TKX_Color>("TX_Shadow_Color", "Shadow_Color", 0x000000u)),
      Shadow_Offset(
          DeclareOptional<TKX_Integer>("TX_Shadow_Offset", "Shadow_Offset", 2, TIntRange{-100, 100})) {
    classInfo_ = {"TText", "Mark: Text", "Make \"Text\"", 16};
}

TText::~TText() = default;

void TText::ShowSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ShowSettings(page, slot);
    ShowAnchorButtons(page, kAnchorPrefix, Anchor.GetValue(slot));
}

void TText::ReadSettings(IEditorPage& page, TValueSlot slot) {
    TBaseClass::ReadSettings(page, slot);
    Anchor.SetValue(ReadAnchorButtons(page, kAnchorPrefix, Anchor.GetValue(slot)), slot);
}

std::string TText::Expand(const std::string& text, const TFacts& facts) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto at = [&](const char* key) {
            return text.compare(i, std::char_traits<char>::length(key), key) == 0;
        };
        if (at("{name}")) {
            out += facts.Name;
            i += 6;
        } else if (at("{date}")) {
            out += facts.Date;
            i += 6;
        } else if (at("{counter}")) {
            out += std::to_string(facts.Counter);
            i += 9;
        } else if (at("{size}")) {
            out += std::to_string(facts.Width) + " x " + std::to_string(facts.Height);
            i += 6;
        } else {
            out += text[i++];
        }
    }
    return out;
}

bool TText::Render(TFastDIB& image, TValueSlot slot) {
    const std::string pattern = Text.GetValue(slot);
    TFacts facts;
    facts.Width = image.Width();
    facts.Height = image.Height();
    if (Context()) {
        const std::string& file = Context()->GeneralObject().BitmapsInfo.SourceFileName;
        facts.Name = std::filesystem::path(file).filename().string();
        facts.Counter = Context()->CurrentFileNumber;
        if (pattern.find("{date}") != std::string::npos && !file.empty()) facts.Date = DateOfFile(file);
    }
    const std::string text = Expand(pattern, facts);
    if (text.empty()) return true;

    const int size = MetricToPixels(Size.InRange(slot), Size_Metric.GetValue(slot), image.Height());
    const std::string family = Font_Family.GetValue(slot);
    const std::string file = FindFontFile(family);
    if (file.empty()) {
        LogNew(lmError,
               {{"Font \"", LogErrorColor}, {family, LogValueColor}, {"\" not found!", LogErrorColor}});
        return false;
    }
    if (!line_ || file != fontFile_ || size != fontSize_) {
        line_ = std::make_unique<TTextLine>(file, std::max(1, size));
        fontFile_ = file;
        fontSize_ = size;
    }
    if (!line_->Ok()) {
        LogError(line_->Error());
        line_.reset();
        return false;
    }
    bool tooLarge = false;
    const TAlphaImage glyphs = line_->Draw(text, ColorToTriple(Color.GetValue(slot)).Packed(), &tooLarge);
    if (tooLarge) {
        LogError("The text is too large to draw!");
        return false;
    }
    if (glyphs.Empty()) return true;
    const int anchor = Anchor.InRange(slot), margin = Margin.InRange(slot), opacity = Opacity.InRange(slot);
    const long long x = AnchorPlace(image.Width(), glyphs.Width, AnchorColumn(anchor), margin);
    const long long y = AnchorPlace(image.Height(), glyphs.Height, AnchorLine(anchor), margin);
    if (Shadow.GetValue(slot)) {
        // The same cover in the shadow's colour.
        TAlphaImage shade = glyphs;
        const TColorTriple c = ColorToTriple(Shadow_Color.GetValue(slot));
        for (std::size_t i = 0; i < shade.Bgra.size(); i += 4) {
            const int a = shade.Bgra[i + 3];
            shade.Bgra[i] = std::uint8_t((c.b * a + 127) / 255);
            shade.Bgra[i + 1] = std::uint8_t((c.g * a + 127) / 255);
            shade.Bgra[i + 2] = std::uint8_t((c.r * a + 127) / 255);
        }
        const int d = Shadow_Offset.InRange(slot);
        BlendAlphaImage(image, shade, x + d, y + d, opacity);
    }
    BlendAlphaImage(image, glyphs, x, y, opacity);
    return true;
}

}  // namespace pm
