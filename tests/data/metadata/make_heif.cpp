// Writes photo.heic: a 64 x 48 grey ramp (HEVC) with test.icc as its colour
// profile and the EXIF block in /tmp/facts.exif as its Exif item.
//   g++ -std=c++17 make_heif.cpp $(pkg-config --cflags --libs libheif) -o /tmp/make_heif && /tmp/make_heif
#include <libheif/heif.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<char> Slurp(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Check(heif_error e) {
    if (e.code != heif_error_Ok) {
        std::fprintf(stderr, "%s\n", e.message);
        std::exit(1);
    }
}

}  // namespace

int main() {
    const int width = 64, height = 48;
    heif_image* image = nullptr;
    Check(heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image));
    Check(heif_image_add_plane(image, heif_channel_interleaved, width, height, 8));
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x) plane[y * stride + x] = static_cast<std::uint8_t>(x / 3 * 4);
    const std::vector<char> icc = Slurp("test.icc"), exif = Slurp("/tmp/facts.exif");
    Check(heif_image_set_raw_color_profile(image, "prof", icc.data(), icc.size()));
    heif_context* ctx = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    Check(heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder));
    Check(heif_encoder_set_lossy_quality(encoder, 90));
    heif_image_handle* handle = nullptr;
    Check(heif_context_encode_image(ctx, image, encoder, nullptr, &handle));
    Check(heif_context_add_exif_metadata(ctx, handle, exif.data(), static_cast<int>(exif.size())));
    Check(heif_context_write_to_file(ctx, "photo.heic"));
    heif_image_handle_release(handle);
    heif_encoder_release(encoder);
    heif_context_free(ctx);
    heif_image_release(image);
    return 0;
}
