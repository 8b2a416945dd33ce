// Finding the colour profile in a file's bytes: a JPEG profile split over
// APP2 segments is joined in part order, and any block that breaks its
// container's rules is damaged, never a crash or a wrong profile.
#include "decoders/MetadataBlocks.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace pm {
namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes IccSegment(int number, int count, const TBytes& part) {
    const std::size_t length = 2 + 14 + part.size();
    TBytes s = {0xFF,
                0xE2,
                std::uint8_t(length >> 8),
                std::uint8_t(length),
                'I',
                'C',
                'C',
                '_',
                'P',
                'R',
                'O',
                'F',
                'I',
                'L',
                'E',
                0,
                std::uint8_t(number),
                std::uint8_t(count)};
    s.insert(s.end(), part.begin(), part.end());
    return s;
}

TBytes Jpeg(const std::vector<TBytes>& segments) {
    TBytes out = {0xFF, 0xD8};
    for (const TBytes& s : segments) out.insert(out.end(), s.begin(), s.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

TBytes PngWithIccp(const TBytes& body) {
    TBytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const std::size_t n = body.size();
    out.insert(out.end(),
               {std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n)});
    out.insert(out.end(), {'i', 'C', 'C', 'P'});
    out.insert(out.end(), body.begin(), body.end());
    out.insert(out.end(), 4, 0);  // the CRC is not checked
    return out;
}

TBytes Zlib(const TBytes& data) {
    uLongf n = compressBound(static_cast<uLong>(data.size()));
    TBytes out(n);
    compress(out.data(), &n, data.data(), static_cast<uLong>(data.size()));
    out.resize(n);
    return out;
}

TEST(MetadataBlocks, ProfileOfEachContainer) {
    const TBytes icc = test::ReadFileBytes(test::TestDataPath("metadata/test.icc"));
    ASSERT_GT(icc.size(), 100u);
    const TBytes head(icc.begin(), icc.begin() + 100), tail(icc.begin() + 100, icc.end());
    TBytes named = {'P', 0, 0};
    const TBytes packed = Zlib(icc), bomb = Zlib(TBytes(kMaxProfileBytes + 1, 0));
    auto iccp = [&](const TBytes& name, const TBytes& data) {
        TBytes body = name;
        body.insert(body.end(), data.begin(), data.end());
        return PngWithIccp(body);
    };
    const TBytes noName = {0, 0}, badMethod = {'P', 0, 1};
    TBytes webp = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P', 'I', 'C', 'C', 'P', 0xFF, 0xFF, 0, 0};
    webp.insert(webp.end(), icc.begin(), icc.end());
    const struct {
        const char* what;
        TBytes file;
        TProfileState state;
    } cases[] = {
        {"jpeg, parts in order", Jpeg({IccSegment(1, 2, head), IccSegment(2, 2, tail)}),
         TProfileState::Found},
        {"jpeg, parts reversed", Jpeg({IccSegment(2, 2, tail), IccSegment(1, 2, head)}),
         TProfileState::Found},
        {"jpeg, one part", Jpeg({IccSegment(1, 1, icc)}), TProfileState::Found},
        {"jpeg, a part missing", Jpeg({IccSegment(1, 2, head)}), TProfileState::Damaged},
        {"jpeg, a part twice", Jpeg({IccSegment(1, 2, head), IccSegment(1, 2, head)}),
         TProfileState::Damaged},
        {"jpeg, counts disagree", Jpeg({IccSegment(1, 2, head), IccSegment(2, 3, tail)}),
         TProfileState::Damaged},
        {"jpeg, part 0", Jpeg({IccSegment(0, 1, icc)}), TProfileState::Damaged},
        {"jpeg, part beyond count", Jpeg({IccSegment(3, 2, icc)}), TProfileState::Damaged},
        {"jpeg, none", Jpeg({}), TProfileState::None},
        {"png", iccp(named, packed), TProfileState::Found},
        {"png, no name", iccp(noName, packed), TProfileState::Damaged},
        {"png, unknown method", iccp(badMethod, packed), TProfileState::Damaged},
        {"png, not zlib", iccp(named, icc), TProfileState::Damaged},
        {"png, inflates beyond the cap", iccp(named, bomb), TProfileState::Damaged},
        {"webp, chunk beyond the file", webp, TProfileState::Damaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TMetadataBlocks blocks = FindMetadataBlocks(c.file.data(), c.file.size());
        EXPECT_EQ(blocks.Profile, c.state);
        if (c.state == TProfileState::Found) {
            EXPECT_EQ(blocks.ProfileBytes, icc);
        }
    }
}

}  // namespace
}  // namespace pm
