#include "encoders/PngEncoder.h"

#include "encoders/EncoderInput.h"
#include "encoders/PngDeflate.h"

#include <algorithm>
#include <csetjmp>
#include <memory>
#include <png.h>
#include <vector>

namespace pm {

namespace {

// Everything libpng works on, outside the frame that calls setjmp.
struct TPngJob {
    const TFastDIB* dib = nullptr;
    const TImageMetadata* metadata = nullptr;
    int level = 6;
    bool interlaced = false;
    std::vector<std::uint8_t> idat;  // deflated rows ready to write; empty: libpng deflates
    std::unique_ptr<TPieceSink> out;
    bool sinkFailed = false;
    std::string error;
    std::vector<std::string> warnings;
    png_text xmp{};
};

void OnError(png_structp png, png_const_charp message) {
    auto* job = static_cast<TPngJob*>(png_get_error_ptr(png));
    if (job->error.empty()) job->error = std::string("PNG: ") + message;
    png_longjmp(png, 1);
}

// A profile or chunk the library will not take is left out with a warning;
// the picture itself is still written.
void OnWarning(png_structp png, png_const_charp message) {
    auto* job = static_cast<TPngJob*>(png_get_error_ptr(png));
    job->warnings.push_back(std::string("PNG: ") + message);
}

void WriteData(png_structp png, png_bytep data, png_size_t size) {
    auto* job = static_cast<TPngJob*>(png_get_io_ptr(png));
    if (!job->out->Put(data, size)) {
        job->sinkFailed = true;
        png_error(png, "write failed");
    }
}

void FlushData(png_structp) {}

void AddMetadata(png_structp png, png_infop info, TPngJob* job) {
    const TImageMetadata* m = job->metadata;
    if (!m) return;
    if (!m->Exif.empty())
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(m->Exif.size()),
                       const_cast<png_bytep>(m->Exif.data()));
    if (!m->Icc.empty())
        png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE, m->Icc.data(),
                     static_cast<png_uint_32>(m->Icc.size()));
    if (!m->Xmp.empty()) {
        job->xmp.compression = PNG_ITXT_COMPRESSION_NONE;
        job->xmp.key = const_cast<png_charp>("XML:com.adobe.xmp");
        job->xmp.text = const_cast<png_charp>(m->Xmp.c_str());
        job->xmp.itxt_length = m->Xmp.size();
        job->xmp.lang = const_cast<png_charp>("");
        job->xmp.lang_key = const_cast<png_charp>("");
        png_set_text(png, info, &job->xmp, 1);
    }
}

// Only `j` is used after setjmp, and no object with a destructor lives in
// this frame, so the jump back from the library is safe.
bool RunPng(TPngJob* const job) {
    TPngJob* volatile j = job;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, j, OnError, OnWarning);
    if (!png) {
        j->error = "PNG: out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    png_structp volatile pngKeep = png;
    png_infop volatile infoKeep = info;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_structp p = pngKeep;
        png_infop i = infoKeep;
        png_destroy_write_struct(&p, i ? &i : nullptr);
        if (j->error.empty()) j->error = "PNG: out of memory";
        return false;
    }
    png_set_benign_errors(png, 1);
    png_set_write_fn(png, j, WriteData, FlushData);
    png_set_compression_level(png, j->level);
    png_set_compression_buffer_size(png, 64 * 1024);
    // One filter for every row: trying all five per row took a third of the
    // encoding time for results a percent smaller on photos.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    const TFastDIB& dib = *j->dib;
    png_set_IHDR(png, info, static_cast<png_uint_32>(dib.Width()), static_cast<png_uint_32>(dib.Height()), 8,
                 PNG_COLOR_TYPE_RGB, j->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    AddMetadata(png, info, j);
    png_write_info(png, info);
    if (!j->idat.empty()) {
        // The header and metadata are the library's; the rows, deflated
        // already, go out in chunks of the size the library writes.
        static const png_byte kIdat[5] = {'I', 'D', 'A', 'T', 0}, kIend[5] = {'I', 'E', 'N', 'D', 0};
        const std::size_t total = j->idat.size(), piece = 64 * 1024;
        for (std::size_t at = 0; at < total; at += piece)
            png_write_chunk(png, kIdat, j->idat.data() + at, std::min(piece, total - at));
        png_write_chunk(png, kIend, nullptr, 0);
    } else {
        // Pixels lie in memory as blue, green, red; the library copies each
        // row before it swaps them.
        png_set_bgr(png);
        const int passes = png_set_interlace_handling(png);
        for (int pass = 0; pass < passes; ++pass)
            for (int y = 0; y < dib.Height(); ++y)
                png_write_row(png, const_cast<png_bytep>(dib.Row(dib.Height() - 1 - y)));
        png_write_end(png, info);
    }
    png_destroy_write_struct(&png, &info);
    if (j->out->Flush()) return true;
    j->sinkFailed = true;
    return false;
}

}  // namespace

bool TPngEncoder::SaveToSink(const TFastDIB& source, const TByteSink& sink, std::string& error) const {
    TFastDIB copy;
    const TFastDIB* dib = PictureAt24Bits(source, copy, error);
    if (!dib) return false;
    auto job = std::make_unique<TPngJob>();
    job->dib = dib;
    job->metadata = Metadata;
    job->level = std::clamp(CompressionLevel, 0, 9);
    job->interlaced = Interlaced;
    if (!Interlaced) job->idat = DeflatePngRows(*dib, job->level);
    job->out = std::make_unique<TPieceSink>(sink);
    const bool ok = RunPng(job.get());
    Warnings = job->warnings;
    if (ok) return true;
    // A failing sink is named by the caller, who knows the file.
    error = job->sinkFailed ? std::string() : job->error;
    return false;
}

}  // namespace pm
