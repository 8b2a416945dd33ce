#include "cli/PictureInfo.h"

#include "decoders/PictureFacts.h"
#include "decoders/PictureLoader.h"
#include "imaging/Orientation.h"
#include "log/SafeText.h"
#include "tasks/KX_LoadBitmapFromFile.h"

#include <utility>

namespace pm {

namespace {

std::string Size(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

std::string OrNone(const std::string& text) {
    return text.empty() ? "none" : text;
}

}  // namespace

bool PrintPictureInfo(const std::vector<std::string>& files, std::FILE* out,
                      const std::function<void(const std::string&)>& complain) {
    bool allRead = true;
    for (const std::string& file : files) {
        TPicture picture;
        std::string error;
        std::vector<std::uint8_t> bytes;
        if (!LoadPicture(file, picture, error, bytes) || picture.Image.Empty()) {
            complain(file + ": " + (error.empty() ? "the picture has no pixels" : error));
            allRead = false;
            continue;
        }
        const TFastDIB& image = picture.Image;
        const bool swapped = OrientationSwapsSides(picture.Orientation);
        const TPictureFacts facts = ReadPictureFacts(bytes.data(), bytes.size());
        const std::string upright =
            swapped ? Size(image.Height(), image.Width()) : Size(image.Width(), image.Height());
        // Names and the file's own texts may hold anything: they reach the terminal escaped.
        std::fprintf(out, "%s\n", EscapeControls(file).c_str());
        const std::pair<const char*, std::string> lines[] = {
            {"format", PictureFormatName(file)},
            {"size", Size(image.Width(), image.Height()) + " stored, " + upright + " upright"},
            {"bits per pixel", std::to_string(PictureDepth(image))},
            {"orientation", std::to_string(picture.Orientation)},
            {"colour profile", facts.Profile},
            {"date taken", OrNone(facts.DateTaken)},
            {"camera", OrNone(facts.Camera)},
            {"lens", OrNone(facts.Lens)},
        };
        for (const auto& [label, value] : lines)
            std::fprintf(out, "  %s: %s\n", label, EscapeControls(value).c_str());
    }
    std::fflush(out);
    return allRead;
}

}  // namespace pm
