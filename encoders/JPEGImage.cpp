#include "encoders/JPEGImage.h"

#include "encoders/KX_JPEG_CommentWriter.h"

#include <csetjmp>
#include <cstdio>
#include <exception>
#include <jpeglib.h>
#include <memory>
#include <vector>

#include <jerror.h>

#if !defined(JCS_EXTENSIONS)
#error "libjpeg-turbo with the BGR input extension is required"
#endif

namespace pm {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return.
// It jumps back into RunCompressor; no C++ object lives in the frames between.
struct TErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
    TErrorManager* err = reinterpret_cast<TErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings (corrupt-data notices) are for decoders; the encoder stays quiet.
void IgnoreMessage(j_common_ptr) {}

// Hands full buffers to the sink; a sink failure becomes a library error.
struct TSinkDestination {
    jpeg_destination_mgr pub;
    const TByteSink* sink;
    std::vector<JOCTET> buffer;
};

void InitDestination(j_compress_ptr cinfo) {
    TSinkDestination* d = reinterpret_cast<TSinkDestination*>(cinfo->dest);
    d->pub.next_output_byte = d->buffer.data();
    d->pub.free_in_buffer = d->buffer.size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    TSinkDestination* d = reinterpret_cast<TSinkDestination*>(cinfo->dest);
    // The whole buffer is due, whatever free_in_buffer says.
    if (!(*d->sink)(d->buffer.data(), d->buffer.size())) ERREXIT(cinfo, JERR_FILE_WRITE);
    d->pub.next_output_byte = d->buffer.data();
    d->pub.free_in_buffer = d->buffer.size();
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    TSinkDestination* d = reinterpret_cast<TSinkDestination*>(cinfo->dest);
    std::size_t used = d->buffer.size() - d->pub.free_in_buffer;
    if (used > 0 && !(*d->sink)(d->buffer.data(), used)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

// Everything the library works on, in one place outside the frame that
// calls setjmp.
struct TEncodeJob {
    jpeg_compress_struct cinfo{};
    TErrorManager err{};
    TSinkDestination dest{};
    JSAMPROW* rows = nullptr;
    JDIMENSION width = 0, height = 0;
    int quality = 75;
    bool progressive = false;
    const std::uint8_t* comment = nullptr;
    std::size_t commentLength = 0;
    // Application segments, each with its marker, written before the comment.
    const std::vector<std::pair<int, std::vector<JOCTET>>>* segments = nullptr;
    const JOCTET* icc = nullptr;
    unsigned iccLength = 0;
    std::string error;
};

// Only `job` (a volatile copy of the pointer) is used after setjmp, and no
// object with a destructor lives in this frame, so the jump back from the
// library is safe.
bool RunCompressor(TEncodeJob* const job) {
    TEncodeJob* volatile j = job;
    j->cinfo.err = jpeg_std_error(&j->err.pub);
    j->err.pub.error_exit = ErrorExit;
    j->err.pub.output_message = IgnoreMessage;
    if (setjmp(j->err.jump)) {
        jpeg_destroy_compress(&j->cinfo);
        j->error = j->err.message;
        return false;
    }
    jpeg_create_compress(&j->cinfo);
    j_compress_ptr c = &j->cinfo;
    c->dest = &j->dest.pub;
    c->image_width = j->width;
    c->image_height = j->height;
    c->input_components = 3;
    // Pixels lie in memory as blue, green, red.
    c->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(c);
    jpeg_set_quality(c, j->quality, TRUE);
    if (j->progressive) jpeg_simple_progression(c);
    // Writes the start-of-image marker and the JFIF segment; the tables
    // follow with the first rows, so the comment goes in between.
    jpeg_start_compress(c, TRUE);
    for (const auto& segment : *j->segments)
        jpeg_write_marker(c, segment.first, segment.second.data(),
                          static_cast<unsigned>(segment.second.size()));
    if (j->iccLength > 0) jpeg_write_icc_profile(c, j->icc, j->iccLength);
    try {
        WriteJPEGMarker(c, JPEG_COM, j->comment, j->commentLength);
    } catch (const std::exception& e) {
        jpeg_destroy_compress(&j->cinfo);
        j->error = e.what();
        return false;
    }
    while (c->next_scanline < c->image_height)
        jpeg_write_scanlines(c, j->rows + c->next_scanline, c->image_height - c->next_scanline);
    jpeg_finish_compress(c);
    jpeg_destroy_compress(c);
    return true;
}

// Largest body of one segment: its 16-bit length counts its own two bytes.
constexpr std::size_t kMaxSegmentBody = 65533;

std::vector<JOCTET> Prefixed(const char* prefix, std::size_t prefixLength, const std::uint8_t* data,
                             std::size_t size) {
    std::vector<JOCTET> body(prefix, prefix + prefixLength);
    body.insert(body.end(), data, data + size);
    return body;
}

// IPTC datasets travel as resource 0x0404 of a Photoshop segment, with an
// empty name and padded to an even length.
std::vector<JOCTET> PhotoshopIptc(const std::vector<std::uint8_t>& iptc) {
    static const char kHeader[] = "Photoshop 3.0\0"
                                  "8BIM\x04\x04\0\0";
    std::vector<JOCTET> body(kHeader, kHeader + sizeof kHeader - 1);
    const std::uint32_t n = static_cast<std::uint32_t>(iptc.size());
    for (int shift = 24; shift >= 0; shift -= 8) body.push_back(static_cast<JOCTET>(n >> shift));
    body.insert(body.end(), iptc.begin(), iptc.end());
    if (n % 2) body.push_back(0);
    return body;
}

// The application segments of `meta` in the order cameras write them: EXIF,
// XMP, then IPTC. What does not fit one segment is left out with a warning.
std::vector<std::pair<int, std::vector<JOCTET>>> MetadataSegments(const TImageMetadata& meta,
                                                                  std::vector<std::string>& warnings) {
    std::vector<std::pair<int, std::vector<JOCTET>>> out;
    auto add = [&](int marker, std::vector<JOCTET> body, const char* what) {
        if (body.size() <= kMaxSegmentBody)
            out.emplace_back(marker, std::move(body));
        else
            warnings.push_back(std::string(what) +
                               " is larger than a JPEG segment holds and is not written.");
    };
    if (!meta.Exif.empty())
        add(JPEG_APP0 + 1, Prefixed("Exif\0\0", 6, meta.Exif.data(), meta.Exif.size()), "The EXIF block");
    if (!meta.Xmp.empty()) {
        static const char kXmp[] = "http://ns.adobe.com/xap/1.0/";
        add(JPEG_APP0 + 1,
            Prefixed(kXmp, sizeof kXmp, reinterpret_cast<const std::uint8_t*>(meta.Xmp.data()),
                     meta.Xmp.size()),
            "The XMP packet");
    }
    if (!meta.Iptc.empty()) add(JPEG_APP0 + 13, PhotoshopIptc(meta.Iptc), "The IPTC block");
    return out;
}

}  // namespace

bool TJPEGImage::SaveToSink(const TFastDIB& source, const TByteSink& sink, std::string& error) const {
    if (source.Width() <= 0 || source.Height() <= 0) {
        error = "Image is empty, nothing to save!";
        return false;
    }
    TFastDIB converted;
    const TFastDIB* dib = &source;
    if (source.Bpp() != 24) {
        converted = source;
        if (!ConvertDepth(converted, 24)) {
            error = "Can't convert image to 24 bits per pixel!";
            return false;
        }
        dib = &converted;
    }
    const int height = dib->Height();
    // Stored rows are bottom-up; the encoder wants the top line first.
    std::vector<JSAMPROW> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<JSAMPROW>(dib->Row(height - 1 - y));

    auto job = std::make_unique<TEncodeJob>();
    job->dest.sink = &sink;
    job->dest.buffer.resize(64 * 1024);
    job->dest.pub.init_destination = InitDestination;
    job->dest.pub.empty_output_buffer = EmptyOutputBuffer;
    job->dest.pub.term_destination = TermDestination;
    job->rows = rows.data();
    job->width = static_cast<JDIMENSION>(dib->Width());
    job->height = static_cast<JDIMENSION>(height);
    job->quality = CompressionQuality;
    job->progressive = ProgressiveEncoding;
    job->comment = reinterpret_cast<const std::uint8_t*>(Comment.data());
    job->commentLength = Comment.size();
    Warnings.clear();
    std::vector<std::pair<int, std::vector<JOCTET>>> segments;
    if (Metadata) {
        segments = MetadataSegments(*Metadata, Warnings);
        // The library splits a profile over as many segments as it needs.
        if (Metadata->Icc.size() <= 0xFFFFFFFFu) {
            job->icc = Metadata->Icc.data();
            job->iccLength = static_cast<unsigned>(Metadata->Icc.size());
        }
    }
    job->segments = &segments;
    if (RunCompressor(job.get())) return true;
    error = job->error;
    return false;
}

}  // namespace pm
