#pragma once
#include <cstddef>
#include <cstdint>

// Replaces every pixel of exactly 192,192,192 by (red, green, blue) in a run of
// 24- or 32-bit pixels stored blue, green, red[, unused]. Other pixels, and the
// fourth byte of 32-bit pixels, stay as they are.
void RecolourLightGrey(uint8_t* pixels, uint32_t pixelCount, uint32_t bytesPerPixel, uint8_t red,
                       uint8_t green, uint8_t blue);

// The bytes of one device-independent bitmap row: padded to whole 32-bit words.
uint32_t DibRowBytes(uint32_t width, uint32_t bitsPerPixel);

// The same over a whole device-independent bitmap of `rows` rows of `width`
// pixels, each row DibRowBytes long, in a buffer of `bufferBytes`: the padding
// at the end of a row is never taken for a pixel. A bitmap that does not fit
// the buffer, or whose pixels are narrower than three bytes, is left alone;
// returns whether it was recoloured.
bool RecolourLightGreyRows(uint8_t* pixels, size_t bufferBytes, uint32_t width, uint32_t rows,
                           uint32_t bytesPerPixel, uint8_t red, uint8_t green, uint8_t blue);
