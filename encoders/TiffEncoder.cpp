#include "encoders/TiffEncoder.h"

#include "decoders/ExifOrientation.h"
#include "encoders/EncoderInput.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exiv2/exiv2.hpp>
#include <memory>
#include <tiffio.h>
#include <vector>

namespace pm {

namespace {

// The file as libtiff writes it: it moves back and forth to patch offsets.
struct TTiffMemory {
    std::vector<std::uint8_t> bytes;
    std::uint64_t pos = 0;
    std::string message;  // the first error libtiff reported
};

tmsize_t MemRead(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<TTiffMemory*>(h);
    if (n <= 0 || m->pos >= m->bytes.size()) return 0;
    const std::size_t count = std::min<std::size_t>(m->bytes.size() - m->pos, static_cast<std::size_t>(n));
    std::memcpy(buf, m->bytes.data() + m->pos, count);
    m->pos += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t MemWrite(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<TTiffMemory*>(h);
    if (n < 0) return -1;
    const std::size_t end = static_cast<std::size_t>(m->pos) + static_cast<std::size_t>(n);
    if (end > m->bytes.size()) m->bytes.resize(end);
    std::memcpy(m->bytes.data() + m->pos, buf, static_cast<std::size_t>(n));
    m->pos = end;
    return n;
}

toff_t MemSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<TTiffMemory*>(h);
    const std::uint64_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? m->bytes.size() : 0;
    // Classic TIFF keeps every offset below 4 GiB.
    if (off > (std::uint64_t(1) << 32) || base + off > (std::uint64_t(1) << 32))
        return static_cast<toff_t>(-1);
    m->pos = base + off;
    return m->pos;
}

int MemClose(thandle_t) {
    return 0;
}
toff_t MemSize(thandle_t h) {
    return static_cast<TTiffMemory*>(h)->bytes.size();
}
int MemMap(thandle_t, void**, toff_t*) {
    return 0;
}
void MemUnmap(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    auto* m = static_cast<TTiffMemory*>(user);
    if (m->message.empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, fmt, ap);
        m->message = std::string("TIFF: ") + (module ? std::string(module) + ": " : std::string()) + text;
    }
    return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TTiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};

std::uint16_t LibraryCompression(TTiffCompression c) {
    switch (c) {
    case TTiffCompression::LZW:
        return COMPRESSION_LZW;
    case TTiffCompression::Deflate:
        return COMPRESSION_ADOBE_DEFLATE;
    case TTiffCompression::JPEG:
        return COMPRESSION_JPEG;
    default:
        return COMPRESSION_NONE;
    }
}

bool SetTags(TIFF* tif, const TFastDIB& dib, TTiffCompression compression, const TImageMetadata* meta) {
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(dib.Width())) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(dib.Height())) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) && TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, LibraryCompression(compression));
    if (!ok) return false;
    if (compression == TTiffCompression::JPEG) {
        // YCbCr subsampled like an ordinary JPEG; the library converts
        // the RGB lines it gets.
        ok = TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR) &&
             TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    } else {
        ok = TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        if (ok && compression != TTiffCompression::None)
            ok = TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    }
    // Strips of about 64 KiB; JPEG wants a multiple of its 16-line blocks.
    std::uint32_t rows = std::max<std::uint32_t>(1, 65536u / (3u * static_cast<std::uint32_t>(dib.Width())));
    if (compression == TTiffCompression::JPEG) rows = (rows + 15) / 16 * 16;
    ok = ok && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
    if (!ok || !meta) return ok;
    if (!meta->Xmp.empty())
        ok = ok && TIFFSetField(tif, TIFFTAG_XMLPACKET, static_cast<std::uint32_t>(meta->Xmp.size()),
                                meta->Xmp.data());
    if (!meta->Iptc.empty()) {
        // Padded to whole 32-bit words, as the tag is commonly written (and
        // as Exiv2 writes it again when it adds the EXIF tags).
        std::vector<std::uint8_t> iptc(meta->Iptc);
        iptc.resize((iptc.size() + 3) / 4 * 4);
        ok = ok &&
             TIFFSetField(tif, TIFFTAG_RICHTIFFIPTC, static_cast<std::uint32_t>(iptc.size()), iptc.data());
    }
    if (!meta->Icc.empty())
        ok = ok && TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(meta->Icc.size()),
                                meta->Icc.data());
    return ok;
}

// Tags of the EXIF block the file has already: the colour profile, XMP and
// IPTC as the encoder wrote them, and the pointers Exiv2 sets itself.
bool KeepsItsOwn(const Exiv2::Exifdatum& d) {
    if (d.groupName() == "Image")
        return d.tag() == 0x8773 || d.tag() == 700 || d.tag() == 33723 || d.tag() == 0x8769 ||
               d.tag() == 0x8825;
    // The thumbnail's directory would be a second picture in a TIFF file.
    return d.groupName() == "Thumbnail";
}

// A TIFF file's EXIF tags are tags of its own directories, pointing into its
// own bytes: Exiv2 merges those of the block into the finished file and
// lays the directories out anew around the strips; the structure tags stay
// as libtiff wrote them. A block Exiv2 cannot read or write leaves the file
// without EXIF, with the reason in `warnings`, rather than without a result.
void AddExif(std::vector<std::uint8_t>& file, const std::vector<std::uint8_t>& block,
             std::vector<std::string>& warnings) {
    auto leftOut = [&warnings](const std::string& why) {
        warnings.push_back("The EXIF block can't be written into the TIFF file (" + why +
                           ") and is left out.");
    };
    PrepareExiv2();
    try {
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, block.data(), static_cast<std::uint32_t>(block.size()));
        if (exif.empty()) return leftOut("no tags found");
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(file.data(), static_cast<long>(file.size()));
        image->readMetadata();
        // The XMP packet as given, not as Exiv2 would write it out again.
        image->writeXmpFromPacket(true);
        Exiv2::ExifData& target = image->exifData();
        for (const Exiv2::Exifdatum& d : exif) {
            if (KeepsItsOwn(d)) continue;
            const auto old = target.findKey(Exiv2::ExifKey(d.key()));
            if (old != target.end()) target.erase(old);
            target.add(d);
        }
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        if (io.open() != 0) return leftOut("can't read the result back");
        std::vector<std::uint8_t> merged(io.size());
        const long got = io.read(merged.data(), static_cast<long>(merged.size()));
        io.close();
        if (got != static_cast<long>(merged.size())) return leftOut("can't read the result back");
        file.swap(merged);
    } catch (const std::exception& e) {
        // Exiv2 throws its own errors and the standard library's alike.
        leftOut(e.what());
    } catch (...) {
        leftOut("unknown error");
    }
}

}  // namespace

bool TTiffEncoder::SaveToSink(const TFastDIB& source, const TByteSink& sink, std::string& error) const {
    TFastDIB copy;
    const TFastDIB* dib = PictureAt24Bits(source, copy, error);
    if (!dib) return false;
    TTiffMemory memory;
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts) {
        error = "TIFF: out of memory";
        return false;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(opts, OnError, &memory);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, OnWarning, &memory);
    std::unique_ptr<TIFF, TTiffCloser> tif(TIFFClientOpenExt(
        "result", "w", &memory, MemRead, MemWrite, MemSeek, MemClose, MemSize, MemMap, MemUnmap, opts));
    TIFFOpenOptionsFree(opts);
    auto fail = [&](const char* what) {
        error = memory.message.empty() ? std::string("TIFF: ") + what : memory.message;
        return false;
    };
    if (!tif) return fail("can't start the file");
    if (!SetTags(tif.get(), *dib, Compression, Metadata)) return fail("can't set the tags");
    std::vector<std::uint8_t> line(static_cast<std::size_t>(dib->Width()) * 3);
    for (int y = 0; y < dib->Height(); ++y) {
        LineToRgb(*dib, y, line.data());
        if (TIFFWriteScanline(tif.get(), line.data(), static_cast<std::uint32_t>(y), 0) < 0)
            return fail("can't write the lines");
    }
    if (!TIFFWriteDirectory(tif.get())) return fail("can't write the directory");
    tif.reset();
    if (!memory.message.empty()) return fail("");
    Warnings.clear();
    if (Metadata && !Metadata->Exif.empty()) AddExif(memory.bytes, Metadata->Exif, Warnings);
    return SinkAll(sink, memory.bytes.data(), memory.bytes.size());
}

}  // namespace pm
