// Windows metafiles (WMF, with or without the placeable header) and enhanced
// metafiles (EMF), played by our own small renderer onto a white picture of
// the metafile's own size. It draws rectangles, ellipses, polygons,
// polylines and lines with solid pens and brushes, and embedded
// device-independent bitmaps; text, arcs, paths, regions and clipping are
// skipped like every record it does not know.
#include "decoders/Decoders.h"
#include "decoders/MetafileReaders.h"

namespace pm {

bool DecodeMetafile(const TDecodeInput& in, TPicture& out, std::string& error) {
    out.Kind = TPictureKind::Metafile;
    if (!in.Data) {
        error = "Empty metafile";
        return false;
    }
    return IsEnhancedMetafile(in.Data, in.Size) ? PlayEmf(in.Data, in.Size, out.Image, error)
                                                : PlayWmf(in.Data, in.Size, out.Image, error);
}

} // namespace pm
