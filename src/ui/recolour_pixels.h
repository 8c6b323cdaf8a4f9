#pragma once
#include <cstdint>

// Replaces every pixel of exactly 192,192,192 by (red, green, blue) in a run of
// 24- or 32-bit pixels stored blue, green, red[, unused]. Other pixels, and the
// fourth byte of 32-bit pixels, stay as they are.
void RecolourLightGrey(uint8_t* pixels, uint32_t pixelCount, uint32_t bytesPerPixel, uint8_t red,
                       uint8_t green, uint8_t blue);
