#include "recolour_pixels.h"

namespace {
// The status pictures are drawn on this grey; it stands for the window's face.
constexpr uint8_t LightGreyLevel = 192;
constexpr uint32_t BlueByte = 0, GreenByte = 1, RedByte = 2;
}

void RecolourLightGrey(uint8_t* pixels, uint32_t pixelCount, uint32_t bytesPerPixel, uint8_t red,
                       uint8_t green, uint8_t blue) {
    // Anything narrower than blue, green, red has no whole pixel to look at.
    if (pixels == nullptr || bytesPerPixel <= RedByte) return;
    for (uint32_t i = 0; i < pixelCount; ++i) {
        uint8_t* pixel = pixels + static_cast<uint64_t>(i) * bytesPerPixel;
        if (pixel[BlueByte] == LightGreyLevel && pixel[GreenByte] == LightGreyLevel &&
            pixel[RedByte] == LightGreyLevel) {
            pixel[BlueByte] = blue;
            pixel[GreenByte] = green;
            pixel[RedByte] = red;
        }
    }
}
