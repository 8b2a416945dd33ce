// Writes the HEIF, AVIF and WebP samples of this folder. Run by hand when
// they have to change; the build and the tests only read the files.
//   g++ -std=c++17 make_samples.cpp $(pkg-config --cflags --libs libheif libwebp libwebpmux) -o make_samples
//   ./make_samples .
// Every picture is the same 64 x 48 pattern, red = 4x, green = 5y,
// blue = 2(x + y), so a test can compute the expected pixels.
#include <libheif/heif.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 64, kHeight = 48;

std::vector<std::uint8_t> Pattern(bool inverted) {
    std::vector<std::uint8_t> rgb(kWidth * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = &rgb[(y * kWidth + x) * 3];
            p[0] = static_cast<std::uint8_t>(x * 4);
            p[1] = static_cast<std::uint8_t>(y * 5);
            p[2] = static_cast<std::uint8_t>((x + y) * 2);
            if (inverted)
                for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(255 - p[c]);
        }
    return rgb;
}

void Check(heif_error e) {
    if (e.code != heif_error_Ok) {
        std::fprintf(stderr, "libheif: %s\n", e.message);
        std::exit(1);
    }
}

void Write(const std::string& path, const std::uint8_t* data, std::size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

void WriteHeif(const std::string& path, heif_compression_format format, heif_orientation orientation) {
    const std::vector<std::uint8_t> rgb = Pattern(false);
    heif_image* image = nullptr;
    Check(heif_image_create(kWidth, kHeight, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image));
    Check(heif_image_add_plane(image, heif_channel_interleaved, kWidth, kHeight, 8));
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < kHeight; ++y)
        for (int i = 0; i < kWidth * 3; ++i) plane[y * stride + i] = rgb[y * kWidth * 3 + i];
    heif_context* ctx = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    Check(heif_context_get_encoder_for_format(ctx, format, &encoder));
    Check(heif_encoder_set_lossy_quality(encoder, 90));
    Check(heif_encoder_set_parameter(encoder, "chroma", "444"));
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = orientation;
    Check(heif_context_encode_image(ctx, image, encoder, options, nullptr));
    Check(heif_context_write_to_file(ctx, path.c_str()));
    heif_encoding_options_free(options);
    heif_encoder_release(encoder);
    heif_context_free(ctx);
    heif_image_release(image);
}

void WriteWebp(const std::string& path, bool lossless) {
    const std::vector<std::uint8_t> rgb = Pattern(false);
    std::uint8_t* out = nullptr;
    const std::size_t size = lossless ? WebPEncodeLosslessRGB(rgb.data(), kWidth, kHeight, kWidth * 3, &out)
                                      : WebPEncodeRGB(rgb.data(), kWidth, kHeight, kWidth * 3, 90, &out);
    if (!size) std::exit(1);
    Write(path, out, size);
    WebPFree(out);
}

// Two lossless frames: the pattern, then its inverse.
void WriteAnimatedWebp(const std::string& path) {
    WebPAnimEncoderOptions animOptions;
    WebPAnimEncoderOptionsInit(&animOptions);
    WebPAnimEncoder* enc = WebPAnimEncoderNew(kWidth, kHeight, &animOptions);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int timestamp = 0;
    for (bool inverted : {false, true}) {
        const std::vector<std::uint8_t> rgb = Pattern(inverted);
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1;
        picture.width = kWidth;
        picture.height = kHeight;
        WebPPictureImportRGB(&picture, rgb.data(), kWidth * 3);
        if (!WebPAnimEncoderAdd(enc, &picture, timestamp, &config)) std::exit(1);
        WebPPictureFree(&picture);
        timestamp += 500;
    }
    WebPAnimEncoderAdd(enc, nullptr, timestamp, nullptr);
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAssemble(enc, &data)) std::exit(1);
    Write(path, data.bytes, data.size);
    WebPDataClear(&data);
    WebPAnimEncoderDelete(enc);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? std::string(argv[1]) + "/" : "./";
    WriteHeif(dir + "rotated90.heic", heif_compression_HEVC, heif_orientation_rotate_90_cw);
    WriteHeif(dir + "plain.avif", heif_compression_AV1, heif_orientation_normal);
    WriteWebp(dir + "lossy.webp", false);
    WriteWebp(dir + "lossless.webp", true);
    WriteAnimatedWebp(dir + "animated.webp");
    return 0;
}
