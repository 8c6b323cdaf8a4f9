// The light grey of the status pictures becomes the face colour, and nothing else changes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "ui/recolour_pixels.h"

namespace {

constexpr uint8_t FaceRed = 212, FaceGreen = 208, FaceBlue = 200;

TEST(RecolourLightGrey, ExactGreyBecomesTheFaceColourIn24BitPixels) {
    // blue, green, red per pixel
    std::vector<uint8_t> px = {192, 192, 192,  193, 192, 192,  192, 193, 192,  192, 192, 193,
                               0,   0,   255,  192, 192, 192};
    RecolourLightGrey(px.data(), 6, 3, FaceRed, FaceGreen, FaceBlue);
    const std::vector<uint8_t> want = {200, 208, 212,  193, 192, 192,  192, 193, 192,  192, 192, 193,
                                       0,   0,   255,  200, 208, 212};
    EXPECT_EQ(px, want) << "only pixels of exactly 192,192,192 change, stored blue first";
}

TEST(RecolourLightGrey, ThirtyTwoBitPixelsKeepTheirFourthByte) {
    std::vector<uint8_t> px = {192, 192, 192, 0x5A,  192, 192, 191, 0x00,  192, 192, 192, 0xFF};
    RecolourLightGrey(px.data(), 3, 4, FaceRed, FaceGreen, FaceBlue);
    const std::vector<uint8_t> want = {200, 208, 212, 0x5A,  192, 192, 191, 0x00,  200, 208, 212, 0xFF};
    EXPECT_EQ(px, want);
}

TEST(RecolourLightGrey, TouchesNothingPastTheCountAndRejectsNarrowPixels) {
    std::vector<uint8_t> px(4 * 3, 192);
    RecolourLightGrey(px.data(), 2, 3, 1, 2, 3);
    EXPECT_EQ(px[6], 192) << "the third pixel lies past the count";
    std::vector<uint8_t> narrow(4, 192);
    RecolourLightGrey(narrow.data(), 2, 2, 1, 2, 3);
    EXPECT_EQ(narrow, std::vector<uint8_t>(4, 192)) << "two bytes cannot hold blue, green and red";
    RecolourLightGrey(nullptr, 5, 3, 1, 2, 3);  // no pixels: nothing happens
}

TEST(RecolourLightGrey, RecolouringToGreyChangesNothing) {
    std::vector<uint8_t> px = {192, 192, 192, 10, 20, 30};
    const auto before = px;
    RecolourLightGrey(px.data(), 2, 3, 192, 192, 192);
    EXPECT_EQ(px, before);
}

// The larger pictures have widths whose rows end in padding (90 pixels at
// 24 bits is 270 bytes in a row of 272). The padding is never a pixel, and a
// row's pixels start where the row does, whatever the width.
TEST(RecolourLightGreyRows, OddWidthsKeepTheirRowPadding) {
    constexpr uint8_t Pad = 192;  // padding that looks like grey must stay as it is
    struct Case {
        uint32_t width, rows, bytesPerPixel, rowBytes;
    };
    const Case cases[] = {{1, 3, 3, 4},  {2, 2, 3, 8},   {3, 2, 3, 12},   {5, 4, 3, 16},
                          {71, 2, 3, 216}, {90, 3, 3, 272}, {108, 2, 3, 324}, {7, 3, 4, 28}};
    for (const Case& c : cases) {
        EXPECT_EQ(DibRowBytes(c.width, c.bytesPerPixel * 8), c.rowBytes) << c.width;
        std::vector<uint8_t> px(static_cast<size_t>(c.rowBytes) * c.rows, Pad);
        ASSERT_TRUE(RecolourLightGreyRows(px.data(), px.size(), c.width, c.rows, c.bytesPerPixel,
                                          FaceRed, FaceGreen, FaceBlue));
        for (uint32_t row = 0; row < c.rows; ++row) {
            for (uint32_t at = 0; at < c.rowBytes; ++at) {
                const uint32_t inPixel = at % c.bytesPerPixel;
                const bool pixel = at < c.width * c.bytesPerPixel;
                const std::array<uint8_t, 3> face = {FaceBlue, FaceGreen, FaceRed};
                const uint8_t want = !pixel || inPixel == 3 ? Pad : face[inPixel];
                ASSERT_EQ(px[row * c.rowBytes + at], want)
                    << "width " << c.width << ", row " << row << ", byte " << at;
            }
        }
    }
}

TEST(RecolourLightGreyRows, ABitmapLargerThanItsBufferIsLeftAlone) {
    std::vector<uint8_t> px(272 * 3 - 1, 192);  // one byte short of three 90-pixel rows
    EXPECT_FALSE(RecolourLightGreyRows(px.data(), px.size(), 90, 3, 3, 1, 2, 3));
    EXPECT_EQ(px, std::vector<uint8_t>(px.size(), 192));
    EXPECT_FALSE(RecolourLightGreyRows(px.data(), px.size(), 0x40000000u, 1, 4, 1, 2, 3))
        << "a width whose row length would wrap round";
    EXPECT_FALSE(RecolourLightGreyRows(px.data(), px.size(), 2, 1, 2, 1, 2, 3)) << "16-bit pixels";
    EXPECT_FALSE(RecolourLightGreyRows(nullptr, 100, 2, 1, 3, 1, 2, 3));
    EXPECT_TRUE(RecolourLightGreyRows(px.data(), px.size(), 90, 0, 3, 1, 2, 3)) << "no rows";
    EXPECT_EQ(px, std::vector<uint8_t>(px.size(), 192));
}

}  // namespace
