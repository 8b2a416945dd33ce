#include "encoders/WebpEncoder.h"

#include "encoders/EncoderInput.h"

#include <algorithm>
#include <memory>
#include <webp/encode.h>
#include <webp/mux.h>

namespace pm {

namespace {

std::string EncodingError(WebPEncodingError code) {
    switch (code) {
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
        return "WebP: out of memory";
    case VP8_ENC_ERROR_BAD_DIMENSION:
        return "WebP: the picture is larger than 16383 x 16383";
    case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
    case VP8_ENC_ERROR_PARTITION_OVERFLOW:
        return "WebP: the picture is too large for one partition";
    case VP8_ENC_ERROR_FILE_TOO_BIG:
        return "WebP: the file would be larger than 4 GiB";
    default:
        return "WebP: encoding failed (" + std::to_string(static_cast<int>(code)) + ")";
    }
}

struct TPictureFree {
    void operator()(WebPPicture* p) const { WebPPictureFree(p); }
};
struct TWriterClear {
    void operator()(WebPMemoryWriter* w) const { WebPMemoryWriterClear(w); }
};
struct TMuxDelete {
    void operator()(WebPMux* m) const { WebPMuxDelete(m); }
};

// The bitstream with the chunks of `meta` around it, in `out`.
bool AddChunks(const WebPMemoryWriter& bitstream, const TImageMetadata& meta, WebPData& out,
               std::string& error) {
    std::unique_ptr<WebPMux, TMuxDelete> mux(WebPMuxNew());
    if (!mux) {
        error = "WebP: out of memory";
        return false;
    }
    const WebPData image{bitstream.mem, bitstream.size};
    bool ok = WebPMuxSetImage(mux.get(), &image, 0) == WEBP_MUX_OK;
    auto chunk = [&](const char* fourcc, const void* data, std::size_t size) {
        if (size == 0 || !ok) return;
        const WebPData d{static_cast<const std::uint8_t*>(data), size};
        ok = WebPMuxSetChunk(mux.get(), fourcc, &d, 0) == WEBP_MUX_OK;
    };
    chunk("ICCP", meta.Icc.data(), meta.Icc.size());
    chunk("EXIF", meta.Exif.data(), meta.Exif.size());
    chunk("XMP ", meta.Xmp.data(), meta.Xmp.size());
    if (ok) ok = WebPMuxAssemble(mux.get(), &out) == WEBP_MUX_OK;
    if (!ok) error = "WebP: can't add the metadata chunks";
    return ok;
}

}  // namespace

bool TWebpEncoder::SaveToSink(const TFastDIB& source, const TByteSink& sink, std::string& error) const {
    TFastDIB copy;
    const TFastDIB* dib = PictureAt24Bits(source, copy, error);
    if (!dib) return false;
    WebPConfig config;
    if (!WebPConfigInit(&config)) {
        error = "WebP: library version mismatch";
        return false;
    }
    config.quality = static_cast<float>(std::clamp(Quality, 0, 100));
    config.lossless = Lossless ? 1 : 0;
    config.method = std::clamp(Effort, 0, 6);
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) {
        error = "WebP: library version mismatch";
        return false;
    }
    std::unique_ptr<WebPPicture, TPictureFree> pictureGuard(&picture);
    picture.use_argb = config.lossless;
    picture.width = dib->Width();
    picture.height = dib->Height();
    // Stored rows are bottom-up: the top line with a negative stride.
    if (!WebPPictureImportBGR(&picture, dib->Row(dib->Height() - 1), -dib->Stride())) {
        error = EncodingError(picture.error_code);
        return false;
    }
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    std::unique_ptr<WebPMemoryWriter, TWriterClear> writerGuard(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    if (!WebPEncode(&config, &picture)) {
        error = EncodingError(picture.error_code);
        return false;
    }
    if (!Metadata || (Metadata->Icc.empty() && Metadata->Exif.empty() && Metadata->Xmp.empty()))
        return SinkAll(sink, writer.mem, writer.size);
    WebPData assembled{nullptr, 0};
    if (!AddChunks(writer, *Metadata, assembled, error)) return false;
    const bool ok = SinkAll(sink, assembled.bytes, assembled.size);
    WebPDataClear(&assembled);
    return ok;
}

}  // namespace pm
