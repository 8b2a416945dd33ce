// The comment marker goes byte by byte through whatever destination manager
// the encoder has, including its buffer refills.
#include "encoders/KX_JPEG_CommentWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace pm {
namespace {

// A destination with a tiny buffer that can be told to refuse refills.
struct SmallDestination {
    jpeg_destination_mgr pub{};
    std::vector<JOCTET> buffer;
    std::vector<std::uint8_t> out;
    int refillsAllowed = 1 << 30;
};

boolean Refill(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<SmallDestination*>(cinfo->dest);
    if (d->refillsAllowed-- <= 0) return FALSE;
    d->out.insert(d->out.end(), d->buffer.begin(), d->buffer.end());
    d->pub.next_output_byte = d->buffer.data();
    d->pub.free_in_buffer = d->buffer.size();
    return TRUE;
}

struct Writer {
    explicit Writer(std::size_t bufferSize) {
        dest.buffer.resize(bufferSize);
        dest.pub.next_output_byte = dest.buffer.data();
        dest.pub.free_in_buffer = bufferSize;
        dest.pub.empty_output_buffer = Refill;
        cinfo.dest = &dest.pub;
    }
    // Everything written so far, including what still sits in the buffer.
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> all = dest.out;
        all.insert(all.end(), dest.buffer.begin(),
                   dest.buffer.begin() + long(dest.buffer.size() - dest.pub.free_in_buffer));
        return all;
    }
    jpeg_compress_struct cinfo{};
    SmallDestination dest;
};

std::vector<std::uint8_t> Expected(int marker, const std::string& text) {
    const std::string head = {'\xFF', char(marker), char((text.size() + 2) >> 8),
                              char((text.size() + 2) & 0xFF)};
    const std::string all = head + text;
    return std::vector<std::uint8_t>(all.begin(), all.end());
}

TEST(WriteJPEGMarker, WritesTheSegmentAcrossBufferRefills) {
    const std::string texts[] = {"Hello", std::string("a\0b\r\n\xFF", 6), std::string(65533, 'z')};
    for (const std::string& text : texts) {
        for (std::size_t bufferSize : {1u, 3u, 4096u}) {
            SCOPED_TRACE(std::to_string(text.size()) + " / " + std::to_string(bufferSize));
            Writer w(bufferSize);
            WriteJPEGMarker(&w.cinfo, 0xFE, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
            EXPECT_EQ(w.Bytes(), Expected(0xFE, text));
        }
    }
}

TEST(WriteJPEGMarker, RefusedRefillIsAnError) {
    Writer w(4);
    w.dest.refillsAllowed = 1;
    const std::string text = "more than eight bytes";
    try {
        WriteJPEGMarker(&w.cinfo, 0xFE, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Suspension not allowed here");
    }
}

}  // namespace
}  // namespace pm
