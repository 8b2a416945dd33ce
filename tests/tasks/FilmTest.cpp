#include "support/EffectTesting.h"
#include "tasks/PM__TFilm.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using test::ExpectPixels;
using test::kImage;
using test::PixelAt;

constexpr std::uint32_t kGrey = 0x808080, kWhite = 0xFFFFFF, kBlack = 0x000000, kLime = 0x00FF00;

TBitmap RunFilm(int w, int h) {
    return test::RunEffect<TFilm>(w, h);
}

TEST(FilmExecute, MeasuresFor500x350) {
    const TBitmap out = RunFilm(500, 350);
    ExpectPixels(out, {
                          // outline around the whole picture
                          {0, 0, kBlack},
                          {499, 349, kBlack},
                          {0, 200, kBlack},
                          {250, 349, kBlack},
                          // side strips x 1..18 and 481..498, the lime line, the image 20..479
                          {1, 200, kGrey},
                          {18, 200, kGrey},
                          {19, 200, kLime},
                          {20, 200, kImage},
                          {479, 200, kImage},
                          {480, 200, kLime},
                          {481, 200, kGrey},
                          {498, 200, kGrey},
                          {499, 200, kBlack},
                          // top strip rows 1..53 and bottom strip rows 296..348, between holes
                          {250, 1, kGrey},
                          {250, 53, kGrey},
                          {250, 54, kLime},
                          {250, 55, kImage},
                          {250, 294, kImage},
                          {250, 295, kLime},
                          {250, 296, kGrey},
                          {250, 348, kGrey},
                          {19, 54, kLime},
                          {480, 295, kLime},
                          // first hole: x 20..39, rows 15..44 and 305..334, black outline
                          {20, 15, kWhite},
                          {39, 44, kWhite},
                          {19, 15, kBlack},
                          {40, 44, kBlack},
                          {20, 14, kBlack},
                          {39, 45, kBlack},
                          {19, 45, kBlack},
                          {18, 30, kGrey},
                          {41, 30, kGrey},
                          {30, 13, kGrey},
                          {30, 46, kGrey},
                          {20, 305, kWhite},
                          {39, 334, kWhite},
                          {20, 304, kBlack},
                          {20, 335, kBlack},
                          {30, 303, kGrey},
                          {30, 336, kGrey},
                          // holes every 50 pixels up to x = 470
                          {70, 30, kWhite},
                          {69, 30, kBlack},
                          {68, 30, kGrey},
                          {470, 30, kWhite},
                          {489, 320, kWhite},
                          {490, 320, kBlack},
                          {491, 320, kGrey},
                      });
}

TEST(FilmExecute, MeasuresRoundHalvesToEven) {
    // H = 105: u = 3; R(16.5) = 16, R(13.5) = 14, R(4.5) = 4.
    const TBitmap out = RunFilm(200, 105);
    ExpectPixels(out, {
                          {104, 14, kGrey},
                          {104, 15, kLime},
                          {104, 16, kImage},
                          {104, 88, kImage},
                          {104, 89, kLime},
                          {104, 90, kGrey},
                          {4, 50, kGrey},
                          {5, 50, kLime},
                          {6, 50, kImage},
                          {193, 50, kImage},
                          {194, 50, kLime},
                          // holes 6 wide every 15 pixels from x = 6, rows 4..13 and 91..99
                          {6, 4, kWhite},
                          {11, 13, kWhite},
                          {6, 3, kBlack},
                          {6, 14, kBlack},
                          {12, 8, kBlack},
                          {6, 91, kWhite},
                          {6, 99, kWhite},
                          {6, 90, kBlack},
                          {6, 100, kBlack},
                          {21, 4, kWhite},
                          {20, 4, kBlack},
                          {19, 4, kGrey},
                      });
}

TEST(FilmExecute, WideLowImagesGetManyHoles) {
    const TBitmap out = RunFilm(700, 70);  // u = 2: holes 4 wide every 10 pixels from x = 4
    int holes = 0;
    for (int x = 1; x < 700; ++x)
        if (PixelAt(out, x, 5) == kWhite && PixelAt(out, x - 1, 5) == kBlack) ++holes;
    EXPECT_EQ(holes, 70);
}

}  // namespace
}  // namespace pm
