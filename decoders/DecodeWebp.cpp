// WebP through libwebp: lossy and lossless stills, and the first frame of an
// animation, composed on its canvas as a viewer shows it.
#include "decoders/Decoders.h"
#include "decoders/ReaderSupport.h"
#include "imaging/Limits.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>

namespace pm {

namespace {

const char* StatusText(VP8StatusCode status) {
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY:
        return "Not enough memory for the image";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return "Unsupported WebP feature";
    case VP8_STATUS_NOT_ENOUGH_DATA:
        return "Truncated WebP image data";
    case VP8_STATUS_BITSTREAM_ERROR:
    case VP8_STATUS_INVALID_PARAM:
    default:
        return "Damaged WebP image data";
    }
}

// A still picture straight into the bitmap: libwebp writes the top line last
// (flip), so its rows land in the bottom-up order of the bitmap.
bool DecodeStill(const TDecodeInput& in, const WebPBitstreamFeatures& features, TPicture& out,
                 std::string& error) {
    const int bpp = features.has_alpha ? 32 : 24;
    if (!CreateImage(out, features.width, features.height, bpp, error)) return false;
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return Fail(error, "Incompatible libwebp version");
    config.options.flip = 1;
    config.output.colorspace = features.has_alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = out.Image.Bits();
    config.output.u.RGBA.stride = out.Image.Stride();
    config.output.u.RGBA.size = static_cast<std::size_t>(out.Image.Stride()) * out.Image.Height();
    const VP8StatusCode status = WebPDecode(in.Data, in.Size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) return Fail(error, StatusText(status));
    return true;
}

struct TAnimDecoderFree {
    void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

// The first frame of an animation on the full canvas (parts it leaves
// uncovered stay transparent black).
bool DecodeFirstFrame(const TDecodeInput& in, TPicture& out, std::string& error) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return Fail(error, "Incompatible libwebp version");
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{in.Data, in.Size};
    std::unique_ptr<WebPAnimDecoder, TAnimDecoderFree> decoder(WebPAnimDecoderNew(&data, &options));
    if (!decoder) return Fail(error, "Damaged WebP animation");
    WebPAnimInfo info;
    if (!WebPAnimDecoderGetInfo(decoder.get(), &info) || info.frame_count == 0)
        return Fail(error, "WebP animation without frames");
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas)
        return Fail(error, "Damaged first frame of the WebP animation");
    if (!CreateImage(out, info.canvas_width, info.canvas_height, 32, error)) return false;
    const std::size_t lineBytes = std::size_t(info.canvas_width) * 4;
    const int height = static_cast<int>(info.canvas_height);
    for (int y = 0; y < height; ++y)
        std::memcpy(out.Image.Row(height - 1 - y), canvas + lineBytes * static_cast<std::size_t>(y),
                    lineBytes);
    return true;
}

}  // namespace

bool DecodeWebp(const TDecodeInput& in, TPicture& out, std::string& error) {
    out.Kind = TPictureKind::Raster;
    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(in.Data, in.Size, &features);
    if (status == VP8_STATUS_NOT_ENOUGH_DATA) return Fail(error, "Truncated WebP header");
    if (status != VP8_STATUS_OK) {
        const bool signed_ =
            in.Size >= 12 && std::memcmp(in.Data, "RIFF", 4) == 0 && std::memcmp(in.Data + 8, "WEBP", 4) == 0;
        return Fail(error, signed_ ? "Damaged WebP header" : "Not a WebP file");
    }
    if (features.width <= 0 || features.height <= 0 || !ImageSizeAllowed(features.width, features.height))
        return Fail(error, "Image size out of range");
    // A lossless stream whose codes have one symbol each costs no bits per
    // pixel, and a lossy one nearly none: no byte count bounds the picture.
    // A tiny file that claims a huge one is taken as damaged, before libwebp
    // allocates it.
    if (!CompressedSizeAllowed(std::int64_t(features.width) * features.height,
                               static_cast<std::int64_t>(in.Size)))
        return Fail(error, "Picture too large for the WebP data");
    return features.has_animation ? DecodeFirstFrame(in, out, error) : DecodeStill(in, features, out, error);
}

}  // namespace pm
