// HEIF (HEIC, HEIF) and AVIF through libheif: the primary image, with the
// file's own transformations (rotation, mirroring, cropping) applied as
// libheif does by default, so the picture comes out upright.
#include "decoders/Decoders.h"
#include "decoders/ReaderSupport.h"
#include "imaging/Limits.h"

#include <libheif/heif.h>

#include <cctype>
#include <memory>
#include <string>

namespace pm {

namespace {

struct THeifFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
    void operator()(heif_image* i) const { heif_image_release(i); }
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
template <typename T> using THeifPtr = std::unique_ptr<T, THeifFree>;

constexpr int kHeifSideForPixelCap = 1 << 14;
static_assert(std::int64_t(kHeifSideForPixelCap) * kHeifSideForPixelCap == kMaxImagePixels);

// libheif's reason, without the line break some of them end in (the reason
// goes into one log line).
bool Failed(const heif_error& e, std::string& error) {
    if (e.code == heif_error_Ok) return false;
    error = e.message ? e.message : "";
    while (!error.empty() && std::isspace(static_cast<unsigned char>(error.back()))) error.pop_back();
    if (error.empty()) error = "HEIF error";
    return true;
}

// libheif 1.15 with dav1d keeps the picture it made when it then refuses the
// frame's colour description, so every damaged AVIF of a run would cost
// memory for the rest of the run; its libaom path frees it. libaom when the
// library has it, else the library's own choice.
const char* Av1Decoder(const std::uint8_t* data, std::size_t size) {
    static const bool haveAom = [] {
        const heif_decoder_descriptor* found[8] = {};
        const int n = heif_get_decoder_descriptors(heif_compression_AV1, found, 8);
        for (int i = 0; i < n; ++i) {
            const char* id = heif_decoder_descriptor_get_id_name(found[i]);
            if (id && std::string(id) == "aom") return true;
        }
        return false;
    }();
    const heif_brand brand = heif_main_brand(data, static_cast<int>(size < 64 ? size : 64));
    return haveAom && (brand == heif_avif || brand == heif_avis) ? "aom" : nullptr;
}

}  // namespace

bool DecodeHeif(const TDecodeInput& in, TPicture& out, std::string& error) {
    out.Kind = TPictureKind::Raster;
    if (!in.Data || in.Size < 12 || heif_check_filetype(in.Data, 12) == heif_filetype_no)
        return Fail(error, "Not a HEIF file");
    THeifPtr<heif_context> ctx(heif_context_alloc());
    if (!ctx) return Fail(error, "Not enough memory for the image");
    // libheif caps every image of the file (tiles, alpha planes, thumbnails
    // too) at the square of this many pixels: the cap of Limits.h. And no
    // decoding threads of its own: a batch run already keeps the cores busy.
    heif_context_set_maximum_image_size_limit(ctx.get(), kHeifSideForPixelCap);
    heif_context_set_max_decoding_threads(ctx.get(), 0);
    if (Failed(heif_context_read_from_memory_without_copy(ctx.get(), in.Data, in.Size, nullptr), error))
        return false;
    heif_image_handle* rawHandle = nullptr;
    if (Failed(heif_context_get_primary_image_handle(ctx.get(), &rawHandle), error)) return false;
    THeifPtr<heif_image_handle> handle(rawHandle);

    // The upright size, before libheif decodes anything.
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    if (width <= 0 || height <= 0 || !ImageSizeAllowed(width, height))
        return Fail(error, "Image size out of range");
    // HEVC and AV1 code a flat block in a fraction of a bit, and a grid may
    // point all its tiles at the same bytes: no byte count bounds the
    // picture, so a tiny file that claims a huge one is taken as damaged.
    if (!CompressedSizeAllowed(std::int64_t(width) * height, static_cast<std::int64_t>(in.Size)))
        return Fail(error, "Picture too large for the HEIF data");

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    THeifPtr<heif_decoding_options> options(heif_decoding_options_alloc());
    if (!options) return Fail(error, "Not enough memory for the image");
    options->convert_hdr_to_8bit = 1;
    // Damaged coded data fails instead of giving a picture with made-up parts.
    options->strict_decoding = 1;
    options->decoder_id = Av1Decoder(in.Data, in.Size);
    heif_image* rawImage = nullptr;
    if (Failed(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                                 alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                 options.get()),
               error))
        return false;
    THeifPtr<heif_image> image(rawImage);
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int channels = alpha ? 4 : 3;
    if (!plane || heif_image_get_width(image.get(), heif_channel_interleaved) != width ||
        heif_image_get_height(image.get(), heif_channel_interleaved) != height || stride < width * channels)
        return Fail(error, "Decoded HEIF image has an unexpected layout");
    if (!CreateImage(out, width, height, channels * 8, error)) return false;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = plane + static_cast<std::size_t>(stride) * static_cast<std::size_t>(y);
        std::uint8_t* dst = out.Image.Row(height - 1 - y);
        for (int x = 0; x < width; ++x, src += channels, dst += channels) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            if (alpha) dst[3] = src[3];
        }
    }
    return true;
}

}  // namespace pm
