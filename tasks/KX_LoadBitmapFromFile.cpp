#include "tasks/KX_LoadBitmapFromFile.h"

#include "core/Paths.h"
#include "decoders/PictureLoader.h"
#include "log/WriteLog.h"

namespace pm {

bool LoadBitmapFromFile(const std::string& fileName, TBitmap& bitmap) {
    LogNew(lmInfo,
           {{"Loading image \"", LogTextColor}, {fileName, LogValueColor}, {"\" ... ", LogTextColor}});
    if (!FileExists(fileName)) {
        LogNew(lmError,
               {{"File \"", LogErrorColor}, {fileName, LogValueColor}, {"\" not found!", LogErrorColor}});
        return false;
    }
    TPicture picture;
    std::string error;
    const bool loaded = LoadPicture(fileName, picture, error);
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

namespace {
// The depth a bitmap reports: 16-bit pictures with 5/5/5 channels are 15 bits.
std::uint8_t DepthOf(const TFastDIB& dib) {
    if (dib.Bpp() == 16 && dib.GBits() == 5) return 15;
    return static_cast<std::uint8_t>(dib.Bpp());
}
}  // namespace

bool LoadSourceImage(TRunContext& ctx, const std::string& fileName) {
    TBaseClass& g = ctx.GeneralObject();
    g.ResetBitmaps();
    if (!LoadBitmapFromFile(fileName, g.SrcBitmap)) return false;
    g.BitmapsInfo.SourceFileName = fileName;
    g.BitmapsInfo.Width = g.SrcBitmap.Width();
    g.BitmapsInfo.Height = g.SrcBitmap.Height();
    g.BitmapsInfo.BitsPerPixel = DepthOf(g.SrcBitmap.Dib());
    if (g.SrcBitmap.PixelFormat() == 24) return true;
    TFastDIB dib;
    if (!CopyBMPtoFD(g.SrcBitmap, dib)) return false;
    ConvertDepth(dib, 24);
    return CopyFDtoBMP(std::move(dib), g.SrcBitmap);
}

}  // namespace pm
