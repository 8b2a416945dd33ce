#include "support/JpegTestFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace pm::test {

TRgb TestPattern(int x, int y, int width, int height) {
    const int w = std::max(width - 1, 1), h = std::max(height - 1, 1);
    return {x * 255 / w, 40 + y * 200 / h, 230 - (x + y) * 180 / (w + h)};
}

namespace {

struct TInks {
    int c, m, y, k;
};

TInks InksFor(TRgb p) {
    const int mx = std::max({p.r, p.g, p.b});
    const int k = 255 - mx;
    if (mx == 0) return {0, 0, 0, 255};
    auto ink = [&](int v) { return (mx - v) * 255 / mx; };
    return {ink(p.r), ink(p.g), ink(p.b), k};
}

[[noreturn]] void ThrowOnError(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    throw std::runtime_error(text);
}

} // namespace

std::vector<std::uint8_t> MakeJpeg(TJpegKind kind, int width, int height) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    err.error_exit = ThrowOnError; // test inputs are valid; this only guards mistakes
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);

    const bool cmyk = kind == TJpegKind::Cmyk || kind == TJpegKind::AdobeCmyk || kind == TJpegKind::AdobeYcck;
    const bool inverted = kind == TJpegKind::AdobeCmyk || kind == TJpegKind::AdobeYcck;
    const int components = kind == TJpegKind::Grey ? 1 : (cmyk ? 4 : 3);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = kind == TJpegKind::Grey ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_RGB);
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    switch (kind) {
    case TJpegKind::Rgb:
        jpeg_set_colorspace(&cinfo, JCS_RGB);
        break;
    case TJpegKind::Cmyk:
        jpeg_set_colorspace(&cinfo, JCS_CMYK);
        cinfo.write_Adobe_marker = FALSE;
        break;
    case TJpegKind::AdobeCmyk:
        jpeg_set_colorspace(&cinfo, JCS_CMYK);
        break;
    case TJpegKind::AdobeYcck:
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
        break;
    default:
        break;
    }
    const bool subsampled =
        kind == TJpegKind::Subsampled || kind == TJpegKind::Restarts || kind == TJpegKind::Arithmetic;
    if (kind == TJpegKind::Restarts) cinfo.restart_in_rows = 1;
    if (kind == TJpegKind::Arithmetic) cinfo.arith_code = TRUE;
    if (!subsampled)
        for (int i = 0; i < cinfo.num_components; ++i)
            cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    if (kind == TJpegKind::Progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);

    std::vector<JSAMPLE> line(static_cast<std::size_t>(width * components));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const TRgb p = TestPattern(x, y, width, height);
            JSAMPLE* s = &line[static_cast<std::size_t>(x * components)];
            if (kind == TJpegKind::Grey) {
                s[0] = static_cast<JSAMPLE>(p.g);
            } else if (cmyk) {
                const TInks i = InksFor(p);
                const int v[4] = {i.c, i.m, i.y, i.k};
                for (int c = 0; c < 4; ++c) s[c] = static_cast<JSAMPLE>(inverted ? 255 - v[c] : v[c]);
            } else {
                s[0] = static_cast<JSAMPLE>(p.r);
                s[1] = static_cast<JSAMPLE>(p.g);
                s[2] = static_cast<JSAMPLE>(p.b);
            }
        }
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

std::vector<std::uint8_t> Segment(std::uint8_t code, const std::string& payload) {
    const std::size_t len = payload.size() + 2;
    std::vector<std::uint8_t> s(len + 2);
    s[0] = 0xFF;
    s[1] = code;
    s[2] = static_cast<std::uint8_t>(len >> 8);
    s[3] = static_cast<std::uint8_t>(len & 0xFF);
    std::copy(payload.begin(), payload.end(), s.begin() + 4);
    return s;
}

std::vector<std::uint8_t> InsertAfterSoi(const std::vector<std::uint8_t>& jpeg,
                                         const std::vector<std::uint8_t>& segment) {
    std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), segment.begin(), segment.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

} // namespace pm::test
