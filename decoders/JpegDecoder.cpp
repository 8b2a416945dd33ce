#include "decoders/JpegDecoder.h"

#include "decoders/Decoders.h"
#include "decoders/KX_JPEG_Comment.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace pm {

namespace {

// Rows handed to libjpeg per call: enough for any sampling factor, so each
// call can return a whole iMCU row.
constexpr int kChunkRows = 16;

// libjpeg reports fatal errors through error_exit, which must not return. We
// jump back to the frame that started the decode; everything that frame and
// libjpeg own is released by jpeg_destroy_decompress, and everything of ours
// lives outside the jump (in TJpegState or the caller's picture), so no C++
// destructor is skipped.
struct TJpegState {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};
    char warning[JMSG_LENGTH_MAX] = {};  // the first warning that left the pixels whole
    int maxScans = 0;
    bool created = false;

    ~TJpegState() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
};

TJpegState& StateOf(j_common_ptr cinfo) {
    return *static_cast<TJpegState*>(cinfo->client_data);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    TJpegState& s = StateOf(cinfo);
    (*cinfo->err->format_message)(cinfo, s.message);
    std::longjmp(s.jump, 1);
}

// Warnings that mean image data is missing or garbled (the data ends, a
// marker cuts a scan, a Huffman code that no table holds, lost restart
// markers) end the decode: libjpeg would fill in made-up pixels. The others
// (extraneous bytes between markers, unknown JFIF revisions ...) leave a
// complete picture; the first is kept for the log. Trace messages are dropped.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE ||
        code == JWRN_ARITH_BAD_CODE || code == JWRN_MUST_RESYNC)
        ErrorExit(cinfo);
    TJpegState& s = StateOf(cinfo);
    if (cinfo->err->num_warnings == 0) (*cinfo->err->format_message)(cinfo, s.warning);
    ++cinfo->err->num_warnings;
}

void OutputMessage(j_common_ptr) {}

void ProgressMonitor(j_common_ptr cinfo) {
    TJpegState& s = StateOf(cinfo);
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > s.maxScans) {
        std::snprintf(s.message, sizeof s.message, "Too many scans in JPEG file");
        std::longjmp(s.jump, 1);
    }
}

// False when the file is too small to code every block of even its most
// subsampled component (imaging/Limits.h), checked before libjpeg allocates
// its buffers and we the picture. Arithmetic coding can code an empty block
// in a small fraction of a bit, so it gives no useful bound.
bool FileHoldsBlocks(j_decompress_ptr cinfo, std::uint64_t fileSize) {
    if (cinfo->arith_code || cinfo->num_components <= 0) return true;
    std::uint64_t fewest = UINT64_MAX;
    for (int i = 0; i < cinfo->num_components; ++i) {
        const jpeg_component_info& c = cinfo->comp_info[i];
        fewest = std::min(fewest, std::uint64_t(c.width_in_blocks) * c.height_in_blocks);
    }
    return CodedDataCanHold(cinfo->progressive_mode ? TCoding::JpegProgressive : TCoding::JpegSequential,
                            fileSize, fewest);
}

// libjpeg's own memory: the whole-image coefficient buffers of a progressive
// or multi-scan file (64 two-byte coefficients a block, rows padded to whole
// MCUs) and working room.
long LibjpegMemoryCap(j_decompress_ptr cinfo) {
    std::uint64_t bytes = std::uint64_t(32) << 20;
    for (int i = 0; i < cinfo->num_components; ++i) {
        const jpeg_component_info& c = cinfo->comp_info[i];
        bytes += (std::uint64_t(c.width_in_blocks) + c.h_samp_factor) *
                 (std::uint64_t(c.height_in_blocks) + c.v_samp_factor) * 64 * sizeof(JCOEF);
    }
    return static_cast<long>(std::min<std::uint64_t>(bytes, LONG_MAX));
}

inline std::uint8_t Mul255(unsigned a, unsigned b) {
    // a * b / 255 rounded to nearest, exact for 8-bit operands.
    const unsigned t = a * b + 128;
    return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}

// CMYK samples to blue, green, red. Adobe applications store the inks
// inverted (0 = full ink); others store them plainly.
void CmykRowToBgr(const JSAMPLE* src, std::uint8_t* dst, int width, bool inverted) {
    if (inverted) {
        for (int x = 0; x < width; ++x, src += 4, dst += 3) {
            const unsigned k = src[3];
            dst[0] = Mul255(src[2], k);
            dst[1] = Mul255(src[1], k);
            dst[2] = Mul255(src[0], k);
        }
    } else {
        for (int x = 0; x < width; ++x, src += 4, dst += 3) {
            const unsigned k = 255u - src[3];
            dst[0] = Mul255(255u - src[2], k);
            dst[1] = Mul255(255u - src[1], k);
            dst[2] = Mul255(255u - src[0], k);
        }
    }
}

// The divisor the caller asks for a picture of this size; 1 when it asks
// nothing or something libjpeg's DCT scaling does not offer.
int ScaleDivisorFor(const TDecodeInput& in, int width, int height) {
    if (!in.ChooseScale || !*in.ChooseScale) return 1;
    const int d = (*in.ChooseScale)(width, height);
    return d == 2 || d == 4 || d == 8 ? d : 1;
}

// Runs libjpeg over the input into `image`. Only trivially destructible
// locals live in this frame after setjmp.
bool RunLibjpeg(TJpegState& s, const TDecodeInput& in, const TJpegLimits& limits, TPicture& out,
                std::string& error) {
    TFastDIB& image = out.Image;
    j_decompress_ptr cinfo = &s.cinfo;
    cinfo->err = jpeg_std_error(&s.err);
    s.err.error_exit = ErrorExit;
    s.err.emit_message = EmitMessage;
    s.err.output_message = OutputMessage;
    s.maxScans = limits.MaxScans;

    if (setjmp(s.jump)) {
        error = s.message;
        return false;
    }
    cinfo->client_data = &s;  // kept by jpeg_create_decompress
    jpeg_create_decompress(cinfo);
    s.created = true;
    s.progress.progress_monitor = ProgressMonitor;
    cinfo->progress = &s.progress;
    jpeg_mem_src(cinfo, in.Data, static_cast<unsigned long>(in.Size));
    jpeg_read_header(cinfo, TRUE);

    const std::int64_t width = cinfo->image_width, height = cinfo->image_height;
    if (width <= 0 || height <= 0 || !ImageSizeAllowed(width, height) || width * height > limits.MaxPixels) {
        error = "JPEG image size out of range";
        return false;
    }
    if (!FileHoldsBlocks(cinfo, in.Size)) {
        error = "Truncated JPEG image data";
        return false;
    }
    cinfo->mem->max_memory_to_use = LibjpegMemoryCap(cinfo);
    const int divisor = ScaleDivisorFor(in, static_cast<int>(width), static_cast<int>(height));
    cinfo->scale_num = 1;
    cinfo->scale_denom = static_cast<unsigned>(divisor);

    int bpp = 24;
    bool cmyk = false;
    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo->out_color_space = JCS_GRAYSCALE;
        bpp = 8;
        break;
    case JCS_YCbCr:
    case JCS_RGB:
        cinfo->out_color_space = JCS_EXT_BGR;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo->out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        error = "Unsupported JPEG colour space";
        return false;
    }
    const bool inverted = cmyk && cinfo->saw_Adobe_marker;

    jpeg_start_decompress(cinfo);
    const int expectComponents = bpp == 8 ? 1 : (cmyk ? 4 : 3);
    const std::int64_t outWidth = (width + divisor - 1) / divisor,
                       outHeight = (height + divisor - 1) / divisor;
    if (std::int64_t(cinfo->output_width) != outWidth || std::int64_t(cinfo->output_height) != outHeight ||
        cinfo->output_components != expectComponents) {
        error = "Unexpected JPEG output geometry";
        return false;
    }

    const int w = static_cast<int>(outWidth), h = static_cast<int>(outHeight);
    image.SetSize(w, h, bpp);
    if (bpp == 8)
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<std::uint8_t>(i);
            image.Colors()[static_cast<std::size_t>(i)] = {v, v, v, 0};
        }

    JSAMPARRAY cmykRows = nullptr;
    if (cmyk)
        cmykRows = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                               static_cast<JDIMENSION>(w) * 4, kChunkRows);
    JSAMPROW rows[kChunkRows];
    while (cinfo->output_scanline < cinfo->output_height) {
        const int first = static_cast<int>(cinfo->output_scanline);
        const int count = std::min(kChunkRows, h - first);
        if (!cmyk)
            for (int i = 0; i < count; ++i) rows[i] = image.Row(h - 1 - (first + i));
        const JDIMENSION got =
            jpeg_read_scanlines(cinfo, cmyk ? cmykRows : rows, static_cast<JDIMENSION>(count));
        if (got == 0) {
            error = "JPEG decoder stalled";
            return false;
        }
        if (cmyk)
            for (JDIMENSION i = 0; i < got; ++i)
                CmykRowToBgr(cmykRows[i], image.Row(h - 1 - (first + static_cast<int>(i))), w, inverted);
    }
    jpeg_finish_decompress(cinfo);
    if (divisor > 1) {
        out.ScaleDivisor = divisor;
        out.FullWidth = static_cast<int>(width);
        out.FullHeight = static_cast<int>(height);
    }
    return true;
}

}  // namespace

bool DecodeJpegLimited(const TDecodeInput& in, TPicture& out, std::string& error, const TJpegLimits& limits) {
    out.Kind = TPictureKind::Raster;
    if (!ReadJPEGComment(in.Data, in.Size, out.Comment, error)) return false;
    try {
        TJpegState state;
        if (RunLibjpeg(state, in, limits, out, error)) {
            if (state.warning[0]) out.Warn(state.warning);
            return true;
        }
    } catch (const std::exception& e) {
        error = e.what();
    }
    out.Image.Clear();
    out.Comment.clear();
    return false;
}

bool DecodeJpeg(const TDecodeInput& in, TPicture& out, std::string& error) {
    return DecodeJpegLimited(in, out, error, TJpegLimits{});
}

}  // namespace pm
