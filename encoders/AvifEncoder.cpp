#include "encoders/AvifEncoder.h"

#include "encoders/EncoderInput.h"

#include <algorithm>
#include <cstring>
#include <libheif/heif.h>
#include <memory>

namespace pm {

namespace {

struct THeifFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
    void operator()(heif_encoder* e) const { heif_encoder_release(e); }
    void operator()(heif_image* i) const { heif_image_release(i); }
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
    void operator()(heif_encoding_options* o) const { heif_encoding_options_free(o); }
};
template <typename T> using THeifPtr = std::unique_ptr<T, THeifFree>;

// The encoder's own bounds for "speed" (libaom takes 0..9).
int SpeedWithinBounds(heif_encoder* encoder, int speed) {
    for (const heif_encoder_parameter* const* p = heif_encoder_list_parameters(encoder); p && *p; ++p) {
        if (std::strcmp(heif_encoder_parameter_get_name(*p), "speed") != 0) continue;
        int haveMin = 0, haveMax = 0, min = 0, max = 0, count = 0;
        const int* values = nullptr;
        heif_encoder_parameter_get_valid_integer_values(*p, &haveMin, &haveMax, &min, &max, &count, &values);
        if (haveMin) speed = std::max(speed, min);
        if (haveMax) speed = std::min(speed, max);
    }
    return speed;
}

struct TWriteTarget {
    const TByteSink* sink;
    bool failed = false;
};

heif_error WriteOut(heif_context*, const void* data, size_t size, void* user) {
    auto* target = static_cast<TWriteTarget*>(user);
    if (!SinkAll(*target->sink, static_cast<const std::uint8_t*>(data), size)) {
        target->failed = true;
        return {heif_error_Encoding_error, heif_suberror_Cannot_write_output_data, "write failed"};
    }
    return {heif_error_Ok, heif_suberror_Unspecified, "Success"};
}

}  // namespace

bool TAvifEncoder::SaveToSink(const TFastDIB& source, const TByteSink& sink, std::string& error) const {
    TFastDIB copy;
    const TFastDIB* dib = PictureAt24Bits(source, copy, error);
    if (!dib) return false;
    auto failed = [&error](const heif_error& e) {
        if (e.code == heif_error_Ok) return false;
        error = std::string("AVIF: ") + (e.message ? e.message : "encoding failed");
        return true;
    };
    THeifPtr<heif_context> context(heif_context_alloc());
    heif_encoder* rawEncoder = nullptr;
    if (failed(heif_context_get_encoder_for_format(context.get(), heif_compression_AV1, &rawEncoder))) {
        error = "AVIF: no AV1 encoder is installed";
        return false;
    }
    THeifPtr<heif_encoder> encoder(rawEncoder);
    if (failed(heif_encoder_set_lossy_quality(encoder.get(), std::clamp(Quality, 0, 100))) ||
        failed(heif_encoder_set_parameter_integer(encoder.get(), "speed",
                                                  SpeedWithinBounds(encoder.get(), Speed))))
        return false;

    heif_image* rawImage = nullptr;
    if (failed(heif_image_create(dib->Width(), dib->Height(), heif_colorspace_RGB,
                                 heif_chroma_interleaved_RGB, &rawImage)))
        return false;
    THeifPtr<heif_image> image(rawImage);
    if (failed(heif_image_add_plane(image.get(), heif_channel_interleaved, dib->Width(), dib->Height(), 8)))
        return false;
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
    for (int y = 0; y < dib->Height(); ++y)
        LineToRgb(*dib, y, plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride));
    const TImageMetadata* meta = Metadata;
    if (meta && !meta->Icc.empty() &&
        failed(heif_image_set_raw_color_profile(image.get(), "prof", meta->Icc.data(), meta->Icc.size())))
        return false;

    THeifPtr<heif_encoding_options> options(heif_encoding_options_alloc());
    heif_image_handle* rawHandle = nullptr;
    if (failed(
            heif_context_encode_image(context.get(), image.get(), encoder.get(), options.get(), &rawHandle)))
        return false;
    THeifPtr<heif_image_handle> handle(rawHandle);
    if (meta && !meta->Exif.empty() &&
        failed(heif_context_add_exif_metadata(context.get(), handle.get(), meta->Exif.data(),
                                              static_cast<int>(meta->Exif.size()))))
        return false;
    if (meta && !meta->Xmp.empty() &&
        failed(heif_context_add_XMP_metadata(context.get(), handle.get(), meta->Xmp.data(),
                                             static_cast<int>(meta->Xmp.size()))))
        return false;

    TWriteTarget target{&sink};
    heif_writer writer{};
    writer.writer_api_version = 1;
    writer.write = WriteOut;
    const heif_error written = heif_context_write(context.get(), &writer, &target);
    // A failing sink is named by the caller, who knows the file.
    if (target.failed) {
        error.clear();
        return false;
    }
    return !failed(written);
}

}  // namespace pm
