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

}  // namespace
