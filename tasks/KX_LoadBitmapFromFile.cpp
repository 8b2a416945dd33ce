#include "tasks/KX_LoadBitmapFromFile.h"

#include "core/Paths.h"
#include "decoders/PictureLoader.h"
#include "decoders/SourceMetadata.h"
#include "imaging/Orientation.h"
#include "log/WriteLog.h"

namespace pm {

bool LoadBitmapFromFile(const std::string& fileName, TBitmap& bitmap, int* orientation,
                        TImageMetadata* metadata) {
    LogNew(lmInfo,
           {{"Loading image \"", LogTextColor}, {fileName, LogValueColor}, {"\" ... ", LogTextColor}});
    if (!FileExists(fileName)) {
        LogNew(lmError,
               {{"File \"", LogErrorColor}, {fileName, LogValueColor}, {"\" not found!", LogErrorColor}});
        return false;
    }
    TPicture picture;
    std::string error;
    std::vector<std::uint8_t> bytes;
    const bool loaded = LoadPicture(fileName, picture, error, bytes);
    // From the bytes already read: the file is read once, its pixels decoded once.
    if (loaded && metadata) *metadata = ReadSourceMetadata(bytes.data(), bytes.size());
    bytes = std::vector<std::uint8_t>();
    if (!loaded || picture.Image.Empty()) {
        LogNew(lmError,
               {{"Can't load image \"", LogErrorColor}, {fileName, LogValueColor}, {"\" !", LogErrorColor}});
        // Why, on a line of its own, so the message above stays as it was.
        if (loaded) error = "The picture has no pixels";
        if (!error.empty()) LogNew(lmWarning, {{error, LogTextColor}});
        return false;
    }
    try {
        // Icons and metafiles arrive already drawn at their own size, so all
        // three kinds of picture become the bitmap the same way.
        bitmap.SetDib(std::move(picture.Image));
        if (orientation) *orientation = picture.Orientation;
    } catch (const std::exception&) {
        LogNew(lmError, {{"Can't load Bitmap from file \"", LogErrorColor},
                         {fileName, LogValueColor},
                         {"\" !", LogErrorColor}});
        return false;
    }
    LogAppend(lmInfo, {{"Complete", LogDoneColor}});
    // What was odd about a file that still gave every pixel.
    for (const std::string& warning : picture.Warnings) LogNew(lmWarning, {{warning, LogTextColor}});
    return true;
}

std::uint8_t PictureDepth(const TFastDIB& dib) {
    if (dib.Bpp() == 16 && dib.GBits() == 5) return 15;
    return static_cast<std::uint8_t>(dib.Bpp());
}

bool LoadSourceImage(TRunContext& ctx, const std::string& fileName, bool applyOrientation) {
    TBaseClass& g = ctx.GeneralObject();
    g.ResetBitmaps();
    g.BitmapsInfo.Metadata.reset();
    int orientation = 1;
    auto metadata = std::make_shared<TImageMetadata>();
    if (!LoadBitmapFromFile(fileName, g.SrcBitmap, &orientation, metadata.get())) return false;
    TBitmapsInfo& info = g.BitmapsInfo;
    if (!metadata->Empty()) info.Metadata = std::move(metadata);
    info.SourceFileName = fileName;
    info.Width = g.SrcBitmap.Width();
    info.Height = g.SrcBitmap.Height();
    info.BitsPerPixel = PictureDepth(g.SrcBitmap.Dib());
    info.Orientation = orientation;
    info.OrientationApplied = false;
    if (g.SrcBitmap.PixelFormat() != 24) {
        TFastDIB dib;
        if (!CopyBMPtoFD(g.SrcBitmap, dib)) return false;
        ConvertDepth(dib, 24);
        if (!CopyFDtoBMP(std::move(dib), g.SrcBitmap)) return false;
    }
    if (!applyOrientation || orientation == orNormal) return true;
    try {
        ApplyOrientation(g.SrcBitmap.MutableDib(), orientation);
    } catch (const std::exception&) {
        LogNew(lmError, {{"Can't load Bitmap from file \"", LogErrorColor},
                         {fileName, LogValueColor},
                         {"\" !", LogErrorColor}});
        return false;
    }
    info.Width = g.SrcBitmap.Width();
    info.Height = g.SrcBitmap.Height();
    info.OrientationApplied = true;
    return true;
}

}  // namespace pm
