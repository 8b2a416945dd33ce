// The BMP encoder streams the same bytes the in-memory file image holds,
// whatever the depth and however the rows fall into pieces, and a failing
// sink ends it with the naming of the file left to the caller.
#include "encoders/BmpEncoder.h"
#include "support/RandomDib.h"

#include <gtest/gtest.h>

#include <vector>

namespace pm {
namespace {

TEST(TBmpEncoder, StreamsTheFileImage) {
    struct Case {
        int w, h, bpp;
    } cases[] = {
        {3, 2, 1},
        {5, 3, 4},
        {7, 4, 8},
        {9, 2, 16},
        {1, 1, 24},
        {33, 5, 32},
        // Rows that do not divide the pieces, and one row wider than a piece.
        {700, 300, 24},
        {30000, 3, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + "x" + std::to_string(c.bpp));
        const TFastDIB dib = test::RandomDib(c.w, c.h, c.bpp, 7);
        std::vector<std::uint8_t> expected, got;
        dib.SaveToStream(expected);
        std::string error;
        EXPECT_TRUE(TBmpEncoder().SaveToSink(
            dib,
            [&](const std::uint8_t* p, std::size_t n) {
                got.insert(got.end(), p, p + n);
                return true;
            },
            error));
        EXPECT_EQ(error, "");
        EXPECT_EQ(got, expected);
    }
}

TEST(TBmpEncoder, RefusesAnEmptyPictureAndStopsAtAFailingSink) {
    // The header, the first piece of rows, a later one.
    const TFastDIB dib = test::RandomDib(700, 300, 24, 3);
    for (int acceptCalls : {0, 1, 3}) {
        SCOPED_TRACE(acceptCalls);
        int calls = 0;
        std::string error;
        EXPECT_FALSE(TBmpEncoder().SaveToSink(
            dib, [&](const std::uint8_t*, std::size_t) { return calls++ < acceptCalls; }, error));
        EXPECT_EQ(error, "");
        EXPECT_EQ(calls, acceptCalls + 1);
    }
    std::string error;
    int calls = 0;
    EXPECT_FALSE(TBmpEncoder().SaveToSink(
        TFastDIB(), [&](const std::uint8_t*, std::size_t) { return ++calls > 0; }, error));
    EXPECT_EQ(error, "Image is empty, nothing to save!");
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace pm
