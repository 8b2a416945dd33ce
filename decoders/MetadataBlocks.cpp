// Each container is walked with the bounds-checked byte reader; only the
// profile of a HEIF file comes through libheif, which owns that box layout.
#include "decoders/MetadataBlocks.h"

#include "decoders/ReaderSupport.h"

#include <libheif/heif.h>
#include <zlib.h>

#include <cstring>
#include <memory>

namespace pm {

namespace {

// Calls visit(marker, body, length) for each segment before the first scan,
// until it returns false.
template <typename TVisit> void WalkJpegSegments(const std::uint8_t* data, std::size_t size, TVisit visit) {
    TByteReader in(data, size);
    if (in.U16BE() != 0xFFD8) return;
    for (;;) {
        std::uint8_t marker = in.U8();
        if (marker != 0xFF) return;
        while (marker == 0xFF && in.Ok()) marker = in.U8();
        // Markers without a length: restart markers and a stray TEM.
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
        if (!in.Ok() || marker == 0xD9 || marker == 0xDA) return;
        const unsigned length = in.U16BE();
        if (!in.Ok() || length < 2) return;
        const std::uint8_t* body = in.Bytes(length - 2);
        if (!body || !visit(marker, body, std::size_t(length - 2))) return;
    }
}

bool Starts(const std::uint8_t* data, std::size_t size, const void* magic, std::size_t n) {
    return size >= n && std::memcmp(data, magic, n) == 0;
}

void SetProfile(TMetadataBlocks& out, const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > kMaxProfileBytes) {
        out.Profile = TProfileState::Damaged;
        return;
    }
    out.ProfileBytes.assign(data, data + size);
    out.Profile = TProfileState::Found;
}

// APP2 "ICC_PROFILE" segments carry the profile in numbered parts (1 to
// count) that are joined in number order, whatever order they come in.
// The IPTC datasets of a Photoshop segment's image resources: each resource
// is "8BIM", its number, a padded name and a padded length; 0x0404 is IPTC.
TByteSpan IptcResource(const std::uint8_t* body, std::size_t size) {
    TByteReader in(body, size);
    while (in.Remaining() >= 12) {
        const std::uint8_t* type = in.Bytes(4);
        const unsigned id = in.U16BE();
        const unsigned nameLength = in.U8();
        in.Skip(nameLength + (nameLength % 2 == 0 ? 1 : 0));
        const std::uint32_t length = in.U32BE();
        const std::uint8_t* data = in.Bytes(length);
        if (!type || !data || std::memcmp(type, "8BIM", 4) != 0) return {};
        if (id == 0x0404) return {data, length};
        if (length % 2) in.Skip(1);
    }
    return {};
}

void JpegTextBlocks(const std::uint8_t* data, std::size_t size, TMetadataBlocks& out) {
    static const char kXmp[] = "http://ns.adobe.com/xap/1.0/";
    static const char kPhotoshop[] = "Photoshop 3.0";
    WalkJpegSegments(data, size, [&](std::uint8_t marker, const std::uint8_t* body, std::size_t length) {
        if (marker == 0xE1 && !out.Xmp.Data && Starts(body, length, kXmp, sizeof kXmp))
            out.Xmp = {body + sizeof kXmp, length - sizeof kXmp};
        if (marker == 0xED && !out.Iptc.Data && Starts(body, length, kPhotoshop, sizeof kPhotoshop))
            out.Iptc = IptcResource(body + sizeof kPhotoshop, length - sizeof kPhotoshop);
        return true;
    });
}

void JpegBlocks(const std::uint8_t* data, std::size_t size, TMetadataBlocks& out) {
    out.Exif = JpegExifBlock(data, size);
    JpegTextBlocks(data, size, out);
    static const char kIcc[12] = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', '\0'};
    std::vector<TByteSpan> parts;
    std::size_t total = 0;
    bool damaged = false;
    WalkJpegSegments(data, size, [&](std::uint8_t marker, const std::uint8_t* body, std::size_t length) {
        if (marker != 0xE2 || length < 14 || std::memcmp(body, kIcc, 12) != 0) return true;
        const unsigned number = body[12], count = body[13];
        if (parts.empty()) parts.resize(count);
        if (number == 0 || number > count || count != parts.size() || parts[number - 1].Data) {
            damaged = true;
            return false;
        }
        parts[number - 1] = {body + 14, length - 14};
        total += length - 14;
        return true;
    });
    if (damaged) {
        out.Profile = TProfileState::Damaged;
        return;
    }
    if (parts.empty()) return;
    std::vector<std::uint8_t> joined;
    for (const TByteSpan& part : parts) {
        if (!part.Data || total > kMaxProfileBytes) {
            out.Profile = TProfileState::Damaged;
            return;
        }
        joined.insert(joined.end(), part.Data, part.Data + part.Size);
    }
    SetProfile(out, joined.data(), joined.size());
}

// iCCP: a name of 1 to 79 bytes, its NUL, method 0 and zlib data.
void PngProfile(const std::uint8_t* body, std::size_t size, TMetadataBlocks& out) {
    out.Profile = TProfileState::Damaged;
    const void* nul = std::memchr(body, 0, size < 80 ? size : 80);
    if (!nul) return;
    const std::size_t at = static_cast<const std::uint8_t*>(nul) - body + 1;
    if (at < 2 || at >= size || body[at] != 0) return;
    std::vector<std::uint8_t> inflated(kMaxProfileBytes);
    uLongf length = static_cast<uLongf>(inflated.size());
    // Z_BUF_ERROR: the profile would be larger than the cap.
    if (uncompress(inflated.data(), &length, body + at + 1, static_cast<uLong>(size - at - 1)) != Z_OK)
        return;
    SetProfile(out, inflated.data(), length);
}

// iTXt "XML:com.adobe.xmp": the keyword, its NUL, a compression flag and
// method, a language tag and a translated keyword (each ending in NUL), then
// the text, deflated when the flag says so.
void PngXmp(const std::uint8_t* body, std::size_t size, TMetadataBlocks& out) {
    static const char kKeyword[] = "XML:com.adobe.xmp";
    if (!Starts(body, size, kKeyword, sizeof kKeyword) || size < sizeof kKeyword + 2) return;
    std::size_t at = sizeof kKeyword + 2;
    const bool compressed = body[sizeof kKeyword] != 0;
    for (int field = 0; field < 2; ++field) {
        const void* nul = std::memchr(body + at, 0, size - at);
        if (!nul) return;
        at = static_cast<const std::uint8_t*>(nul) - body + 1;
    }
    if (!compressed) {
        if (size - at <= kMaxXmpBytes) out.Xmp = {body + at, size - at};
        return;
    }
    std::vector<std::uint8_t> inflated(kMaxXmpBytes);
    uLongf length = static_cast<uLongf>(inflated.size());
    if (uncompress(inflated.data(), &length, body + at, static_cast<uLong>(size - at)) != Z_OK) return;
    inflated.resize(length);
    out.XmpCopy = std::move(inflated);
    out.Xmp = {out.XmpCopy.data(), out.XmpCopy.size()};
}

void PngBlocks(const std::uint8_t* data, std::size_t size, TMetadataBlocks& out) {
    out.Exif = PngExifBlock(data, size);
    TByteReader in(data, size);
    in.Skip(8);
    bool profileSeen = false;
    for (;;) {
        const std::uint32_t length = in.U32BE();
        const std::uint8_t* type = in.Bytes(4);
        const std::uint8_t* body = in.Bytes(length);
        if (!type || !body || !in.Skip(4) || std::memcmp(type, "IEND", 4) == 0) return;
        if (std::memcmp(type, "iCCP", 4) == 0 && !profileSeen) {
            profileSeen = true;
            PngProfile(body, length, out);
        }
        if (std::memcmp(type, "iTXt", 4) == 0 && !out.Xmp.Data) PngXmp(body, length, out);
    }
}

// Some writers lead a WebP's EXIF chunk with the JPEG segment's "Exif\0\0".
TByteSpan WebpExifBody(const std::uint8_t* body, std::size_t length) {
    const bool prefixed = Starts(body, length, "Exif\0\0", 6);
    return prefixed ? TByteSpan{body + 6, length - 6u} : TByteSpan{body, length};
}

// Visits a WebP's RIFF chunks (each padded to an even length) while `visit`
// returns true; false when a chunk runs past the file.
template <typename TVisit> bool WalkWebpChunks(const std::uint8_t* data, std::size_t size, TVisit visit) {
    TByteReader in(data, size);
    in.Skip(12);
    while (in.Remaining() >= 8) {
        const std::uint8_t* type = in.Bytes(4);
        const std::uint32_t length = in.U32LE();
        const std::uint8_t* body = in.Bytes(length);
        if (!body) return false;
        if (length % 2) in.Skip(1);
        if (!visit(type, body, length)) return true;
    }
    return true;
}

void WebpBlocks(const std::uint8_t* data, std::size_t size, TMetadataBlocks& out) {
    const bool whole = WalkWebpChunks(
        data, size, [&](const std::uint8_t* type, const std::uint8_t* body, std::size_t length) {
            if (std::memcmp(type, "ICCP", 4) == 0 && out.Profile == TProfileState::None)
                SetProfile(out, body, length);
            if (std::memcmp(type, "EXIF", 4) == 0 && !out.Exif.Data) out.Exif = WebpExifBody(body, length);
            if (std::memcmp(type, "XMP ", 4) == 0 && !out.Xmp.Data && length <= kMaxXmpBytes)
                out.Xmp = {body, length};
            return true;
        });
    if (!whole && out.Profile == TProfileState::None) out.Profile = TProfileState::Damaged;
}

struct THeifFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};

// The first "mime" item of type application/rdf+xml holds the XMP packet.
void HeifXmp(heif_image_handle* handle, TMetadataBlocks& out) {
    heif_item_id ids[8] = {};
    const int n = heif_image_handle_get_list_of_metadata_block_IDs(handle, "mime", ids, 8);
    for (int i = 0; i < n; ++i) {
        const char* type = heif_image_handle_get_metadata_content_type(handle, ids[i]);
        if (!type || std::strcmp(type, "application/rdf+xml") != 0) continue;
        const std::size_t size = heif_image_handle_get_metadata_size(handle, ids[i]);
        if (size == 0 || size > kMaxXmpBytes) return;
        out.XmpCopy.resize(size);
        if (heif_image_handle_get_metadata(handle, ids[i], out.XmpCopy.data()).code != heif_error_Ok) {
            out.XmpCopy.clear();
            return;
        }
        out.Xmp = {out.XmpCopy.data(), out.XmpCopy.size()};
        return;
    }
}

// The primary image's profile, and its first EXIF item, which leads with the
// offset of the TIFF header within it.
void HeifBlocks(const std::uint8_t* data, std::size_t size, TMetadataBlocks& out) {
    std::unique_ptr<heif_context, THeifFree> ctx(heif_context_alloc());
    if (!ctx ||
        heif_context_read_from_memory_without_copy(ctx.get(), data, size, nullptr).code != heif_error_Ok)
        return;
    heif_image_handle* raw = nullptr;
    if (heif_context_get_primary_image_handle(ctx.get(), &raw).code != heif_error_Ok) return;
    std::unique_ptr<heif_image_handle, THeifFree> handle(raw);
    if (const std::size_t n = heif_image_handle_get_raw_color_profile_size(handle.get()); n > 0) {
        if (n > kMaxProfileBytes) {
            out.Profile = TProfileState::Damaged;
        } else {
            std::vector<std::uint8_t> profile(n);
            if (heif_image_handle_get_raw_color_profile(handle.get(), profile.data()).code == heif_error_Ok)
                SetProfile(out, profile.data(), n);
            else
                out.Profile = TProfileState::Damaged;
        }
    }
    HeifXmp(handle.get(), out);
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle.get(), "Exif", &id, 1) != 1) return;
    const std::size_t n = heif_image_handle_get_metadata_size(handle.get(), id);
    if (n < 4 || n > kMaxExifBytes) return;
    std::vector<std::uint8_t> item(n);
    if (heif_image_handle_get_metadata(handle.get(), id, item.data()).code != heif_error_Ok) return;
    const std::uint32_t skip = Get32BE(item.data());
    if (skip > n - 4) return;
    out.ExifCopy.assign(item.begin() + 4 + skip, item.end());
    out.Exif = {out.ExifCopy.data(), out.ExifCopy.size()};
}

}  // namespace

TByteSpan JpegExifBlock(const std::uint8_t* data, std::size_t size) {
    TByteSpan block;
    WalkJpegSegments(data, size, [&](std::uint8_t marker, const std::uint8_t* body, std::size_t length) {
        if (marker == 0xE1 && length > 6 && std::memcmp(body, "Exif\0\0", 6) == 0)
            block = {body + 6, length - 6};
        return !block.Data;
    });
    return block;
}

bool IsWebpFile(const std::uint8_t* data, std::size_t size) {
    return Starts(data, size, "RIFF", 4) && size >= 12 && std::memcmp(data + 8, "WEBP", 4) == 0;
}

TByteSpan WebpExifBlock(const std::uint8_t* data, std::size_t size) {
    if (!IsWebpFile(data, size)) return {};
    // Only the EXIF chunk: the loader asks this of every WebP it reads.
    TByteSpan block;
    WalkWebpChunks(data, size, [&](const std::uint8_t* type, const std::uint8_t* body, std::size_t length) {
        if (std::memcmp(type, "EXIF", 4) == 0) block = WebpExifBody(body, length);
        return !block.Data;
    });
    return block;
}

TByteSpan PngExifBlock(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    TByteReader in(data, size);
    const std::uint8_t* signature = in.Bytes(8);
    if (!signature || std::memcmp(signature, kSignature, 8) != 0) return {};
    for (;;) {
        const std::uint32_t length = in.U32BE();
        const std::uint8_t* type = in.Bytes(4);
        const std::uint8_t* body = in.Bytes(length);
        if (!type || !body || !in.Skip(4)) return {};
        if (std::memcmp(type, "eXIf", 4) == 0) return {body, length};
        if (std::memcmp(type, "IEND", 4) == 0) return {};
    }
}

TMetadataBlocks FindMetadataBlocks(const std::uint8_t* data, std::size_t size) {
    TMetadataBlocks out;
    if (!data || size < 12) return out;
    if (data[0] == 0xFF && data[1] == 0xD8) {
        JpegBlocks(data, size, out);
    } else if (Starts(data, size, "\x89PNG\r\n\x1a\n", 8)) {
        PngBlocks(data, size, out);
    } else if (Starts(data, size, "II*\0", 4) || Starts(data, size, "MM\0*", 4)) {
        out.IsTiff = true;
        if (size <= kMaxExifBytes) out.Exif = {data, size};
    } else if (IsWebpFile(data, size)) {
        WebpBlocks(data, size, out);
    } else if (heif_check_filetype(data, static_cast<int>(size < 64 ? size : 64)) != heif_filetype_no) {
        HeifBlocks(data, size, out);
    }
    return out;
}

}  // namespace pm
