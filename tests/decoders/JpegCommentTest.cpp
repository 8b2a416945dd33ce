// The JPEG comment reader on hand-made marker sequences.
#include "decoders/KX_JPEG_Comment.h"
#include "support/JpegTestFiles.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace pm {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Segment;

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kSoi{0xFF, 0xD8};
const Bytes kEoi{0xFF, 0xD9};
// A start of scan; what follows it is never looked at.
const Bytes kSos = Join({Segment(0xDA, std::string("\x01\x01\x00\x00\x3F\x00", 6)), {0x12, 0x34}});
const Bytes kDqt = Segment(0xDB, std::string(65, '\x01'));
const Bytes kApp0 = Segment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));

struct CommentCase {
    const char* name;
    Bytes stream;
    bool ok;
    std::string comment; // when ok
    const char* error;   // when not ok
};

void PrintTo(const CommentCase& c, std::ostream* os) {
    *os << c.name;
}

class JpegCommentTest : public ::testing::TestWithParam<CommentCase> {};

TEST_P(JpegCommentTest, ReadsTheFirstCommentBeforeTheScan) {
    const CommentCase& c = GetParam();
    std::string comment = "stale", error;
    const bool ok = ReadJPEGComment(c.stream.data(), c.stream.size(), comment, error);
    ASSERT_EQ(ok, c.ok) << error;
    if (ok)
        EXPECT_EQ(comment, c.comment);
    else
        EXPECT_EQ(error, c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, JpegCommentTest,
    ::testing::Values(
        CommentCase{"NoComment", Join({kSoi, kApp0, kDqt, kSos}), true, "", ""},
        CommentCase{"OneComment", Join({kSoi, kApp0, Segment(0xFE, "hello"), kDqt, kSos}), true, "hello", ""},
        CommentCase{"FirstOfTwo", Join({kSoi, Segment(0xFE, "first"), kApp0, Segment(0xFE, "second"), kSos}),
                    true, "first", ""},
        CommentCase{"EmptyFirstWins", Join({kSoi, Segment(0xFE, ""), Segment(0xFE, "later"), kSos}), true, "",
                    ""},
        CommentCase{"AfterQuantTables", Join({kSoi, kApp0, kDqt, kDqt, Segment(0xFE, "late"), kSos}), true,
                    "late", ""},
        CommentCase{"AfterScanIgnored", Join({kSoi, kDqt, kSos, Segment(0xFE, "too late"), kEoi}), true, "",
                    ""},
        CommentCase{"StopsAtEndOfImage", Join({kSoi, kEoi, Segment(0xFE, "after end")}), true, "", ""},
        CommentCase{"BytesKeptAsIs", Join({kSoi, Segment(0xFE, std::string("a\0\xFF\xD9z", 5)), kSos}), true,
                    std::string("a\0\xFF\xD9z", 5), ""},
        CommentCase{"FillBytesBeforeMarker", Join({kSoi, {0xFF, 0xFF, 0xFF}, Segment(0xFE, "filled"), kSos}),
                    true, "filled", ""},
        CommentCase{"GarbageBeforeMarker", Join({kSoi, kApp0, {0x00, 0x42}, Segment(0xFE, "x"), kSos}), false,
                    "", "Garbage data found in JPEG file"},
        CommentCase{"CommentLengthBelowTwo", Join({kSoi, {0xFF, 0xFE, 0x00, 0x01}, kSos}), false, "",
                    "Erroneous JPEG marker length"},
        CommentCase{"SegmentLengthZero", Join({kSoi, {0xFF, 0xE1, 0x00, 0x00}, kSos}), false, "",
                    "Erroneous JPEG marker length"},
        CommentCase{"SecondCommentLengthBelowTwo",
                    Join({kSoi, Segment(0xFE, "ok"), {0xFF, 0xFE, 0x00, 0x00}, kSos}), false, "",
                    "Erroneous JPEG marker length"},
        CommentCase{"SoiOnly", kSoi, false, "", "Premature EOF in JPEG file"},
        CommentCase{"EndsInsideMarker", Join({kSoi, {0xFF}}), false, "", "Premature EOF in JPEG file"},
        CommentCase{"EndsInsideLength", Join({kSoi, {0xFF, 0xFE, 0x00}}), false, "",
                    "Premature EOF in JPEG file"},
        CommentCase{"CommentCutShort", Join({kSoi, {0xFF, 0xFE, 0x00, 0x10, 'a', 'b'}}), false, "",
                    "Premature EOF in JPEG file"},
        CommentCase{"SegmentRunsPastEnd", Join({kSoi, {0xFF, 0xE0, 0x40, 0x00, 1, 2, 3}}), false, "",
                    "Premature EOF in JPEG file"},
        CommentCase{"NoScanAfterComment", Join({kSoi, Segment(0xFE, "dangling")}), false, "",
                    "Premature EOF in JPEG file"},
        CommentCase{"Empty", {}, false, "", "Not a JPEG file"},
        CommentCase{"OneByte", {0xFF}, false, "", "Not a JPEG file"},
        CommentCase{
            "PngSignature", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, false, "", "Not a JPEG file"},
        CommentCase{"SoiNotAtStart", Join({{0x00}, kSoi, kSos}), false, "", "Not a JPEG file"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace pm
