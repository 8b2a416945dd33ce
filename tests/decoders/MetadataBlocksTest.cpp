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

namespace pm {
namespace {

TBytes Bytes(const std::string& text) {
    return TBytes(text.begin(), text.end());
}

TBytes JpegSegment(std::uint8_t marker, const TBytes& body) {
    const std::size_t n = body.size() + 2;
    TBytes s = {0xFF, marker, std::uint8_t(n >> 8), std::uint8_t(n)};
    s.insert(s.end(), body.begin(), body.end());
    return s;
}

TBytes PngChunks(const std::vector<std::pair<std::string, TBytes>>& chunks) {
    TBytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const auto& [type, body] : chunks) {
        const std::size_t n = body.size();
        out.insert(out.end(),
                   {std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n)});
        out.insert(out.end(), type.begin(), type.end());
        out.insert(out.end(), body.begin(), body.end());
        out.insert(out.end(), 4, 0);
    }
    return out;
}

// The XMP packet and the IPTC datasets are found in each container's own
// place; a resource or chunk that breaks its rules yields nothing.
TEST(MetadataBlocks, XmpAndIptcAreFoundInTheirContainers) {
    const std::string packet = "<x:xmpmeta xmlns:x='adobe:ns:meta/'/>";
    const TBytes iptc = {0x1C, 2, 120, 0, 3, 'c', 'a', 'p'};
    auto resource = [](std::uint16_t id, const std::string& name, const TBytes& data) {
        TBytes r = Bytes("8BIM");
        r.insert(r.end(), {std::uint8_t(id >> 8), std::uint8_t(id), std::uint8_t(name.size())});
        r.insert(r.end(), name.begin(), name.end());
        if (name.size() % 2 == 0) r.push_back(0);
        const std::size_t n = data.size();
        r.insert(r.end(),
                 {std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n)});
        r.insert(r.end(), data.begin(), data.end());
        if (n % 2) r.push_back(0);
        return r;
    };
    TBytes photoshop = Bytes(std::string("Photoshop 3.0", 14));
    const TBytes other = resource(0x03ED, "abc", {1, 2, 3});
    photoshop.insert(photoshop.end(), other.begin(), other.end());
    TBytes cut = photoshop;
    const TBytes withIptc = resource(0x0404, "", iptc);
    photoshop.insert(photoshop.end(), withIptc.begin(), withIptc.end());
    cut.insert(cut.end(), withIptc.begin(), withIptc.end() - 4);
    TBytes xmpApp1 = Bytes(std::string("http://ns.adobe.com/xap/1.0/", 29));
    xmpApp1.insert(xmpApp1.end(), packet.begin(), packet.end());
    auto itxt = [&](bool packed, const TBytes& text) {
        TBytes body = Bytes(std::string("XML:com.adobe.xmp\0", 18));
        body.insert(body.end(), {std::uint8_t(packed), 0, 'e', 'n', 0, 0});
        const TBytes data = packed ? Zlib(text) : text;
        body.insert(body.end(), data.begin(), data.end());
        return PngChunks({{"iTXt", body}, {"IEND", {}}});
    };
    TBytes webp = Bytes(std::string("RIFF\0\0\0\0WEBPXMP ", 16));
    const std::size_t n = packet.size();
    webp.insert(webp.end(), {std::uint8_t(n), std::uint8_t(n >> 8), 0, 0});
    webp.insert(webp.end(), packet.begin(), packet.end());
    const struct {
        const char* what;
        TBytes file;
        std::string xmp;
        TBytes iptc;
    } cases[] = {
        {"jpeg", Jpeg({JpegSegment(0xE1, xmpApp1), JpegSegment(0xED, photoshop)}), packet, iptc},
        {"jpeg, resource cut short", Jpeg({JpegSegment(0xED, cut)}), "", {}},
        {"png", itxt(false, Bytes(packet)), packet, {}},
        {"png, compressed", itxt(true, Bytes(packet)), packet, {}},
        {"png, inflates beyond the cap", itxt(true, TBytes(kMaxXmpBytes + 1, ' ')), "", {}},
        {"webp", webp, packet, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TMetadataBlocks blocks = FindMetadataBlocks(c.file.data(), c.file.size());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(blocks.Xmp.Data), blocks.Xmp.Size), c.xmp);
        EXPECT_EQ(TBytes(blocks.Iptc.Data, blocks.Iptc.Data + blocks.Iptc.Size), c.iptc);
    }
}

}  // namespace
}  // namespace pm
