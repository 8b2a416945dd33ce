// Library errors while encoding come back as a false result with a reason.
#include "encoders/JPEGImage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pm {
namespace {

TEST(TJPEGImage, EncoderErrorsAreReportedNotFatal) {
    TFastDIB small;
    small.SetSize(40, 40, 24);
    small.Fill({1, 2, 3});
    TFastDIB wide;  // beyond the 65500 lines JPEG can hold
    wide.SetSize(65535, 1, 24);
    wide.Fill({1, 2, 3});
    struct Case {
        const TFastDIB* dib;
        std::size_t acceptBytes;  // the sink fails once it has this many
        std::string error;
    } cases[] = {
        {&small, 0, "Output file write error --- out of disk space?"},
        {&small, 100, "Output file write error --- out of disk space?"},
        {&wide, 1 << 30, "Maximum supported image dimension is 65500 pixels"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        std::vector<std::uint8_t> got;
        TByteSink sink = [&](const std::uint8_t* p, std::size_t n) {
            if (got.size() + n > c.acceptBytes) return false;
            got.insert(got.end(), p, p + n);
            return true;
        };
        TJPEGImage jpeg;
        jpeg.Comment = "a comment";
        std::string error;
        EXPECT_FALSE(jpeg.SaveToSink(*c.dib, sink, error));
        EXPECT_EQ(error, c.error);
        // The encoder is usable again afterwards.
        got.clear();
        error.clear();
        EXPECT_TRUE(jpeg.SaveToSink(
            small,
            [&](const std::uint8_t* p, std::size_t n) {
                got.insert(got.end(), p, p + n);
                return true;
            },
            error))
            << error;
        ASSERT_GE(got.size(), 4u);
        EXPECT_EQ(got[got.size() - 2], 0xFF);
        EXPECT_EQ(got.back(), 0xD9);
    }
}

}  // namespace
}  // namespace pm
