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

uint32_t DibRowBytes(uint32_t width, uint32_t bitsPerPixel) {
    return static_cast<uint32_t>((static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32 * 4);
}

bool RecolourLightGreyRows(uint8_t* pixels, size_t bufferBytes, uint32_t width, uint32_t rows,
                           uint32_t bytesPerPixel, uint8_t red, uint8_t green, uint8_t blue) {
    constexpr uint32_t BitsPerByte = 8, WidestPixel = 4;
    if (pixels == nullptr || bytesPerPixel <= RedByte || bytesPerPixel > WidestPixel) return false;
    // In 64 bits, so that no width can wrap the row length round to a small one.
    const uint64_t rowBytes =
        (static_cast<uint64_t>(width) * bytesPerPixel * BitsPerByte + 31) / 32 * 4;
    if (rows != 0 && rowBytes > bufferBytes / rows) return false;
    for (uint32_t row = 0; row < rows; ++row)
        RecolourLightGrey(pixels + row * rowBytes, width, bytesPerPixel, red, green, blue);
    return true;
}
