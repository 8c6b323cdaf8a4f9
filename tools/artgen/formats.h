#pragma once
// The two resource file formats the pictures are stored in.
#include <array>
#include <cstdint>
#include <vector>

#include "canvas.h"

namespace artgen {

struct Rgb {
    uint8_t red, green, blue;
};

using Bytes = std::vector<uint8_t>;

// In every form below, pixels whose colour index is `transparent` let the
// screen through: a set AND-mask bit, and alpha 0 where there is alpha.

// One image of an icon file, with what its directory entry says of it.
struct IconImage {
    uint32_t size;  // pixels square
    uint8_t colours;  // 0 for true colour
    uint16_t bitsPerPixel;
    Bytes data;
};
IconImage SixteenColourImage(const Canvas& image, const std::array<Rgb, 16>& palette, int transparent);
// 32 bits a pixel with alpha, and the AND mask for whatever draws without alpha.
IconImage TrueColourImage(const Canvas& image, const std::array<Rgb, 16>& palette, int transparent);
// PNG, which Windows takes for the largest sizes and stores far smaller.
IconImage PngImage(const Canvas& image, const std::array<Rgb, 16>& palette, int transparent);

// A .ico file: the directory, then the images in the order given.
Bytes EncodeIconFile(const std::vector<IconImage>& images);

// A .ico file holding one 4-bit image.
Bytes EncodeIcon(const Canvas& image, const std::array<Rgb, 16>& palette, int transparent);

// The image as red, green, blue and alpha bytes, top row first.
Bytes RgbaPixels(const Canvas& image, const std::array<Rgb, 16>& palette, int transparent);

// A .bmp file: 8 bits per pixel, full 256-entry colour table, BI_RGB, rows
// stored bottom-up and padded to four bytes.
Bytes EncodeBitmap(const Canvas& image, const std::array<Rgb, 256>& palette);

// A smaller .bmp file for the same picture: 8 bits per pixel, a colour table
// of the first `colours` entries only, rows bottom-up and run-length encoded
// (BI_RLE8), which the system decodes when it loads the bitmap.
Bytes EncodeCompressedBitmap(const Canvas& image, const std::array<Rgb, 256>& palette,
                             uint32_t colours);

// The pixels of a BI_RLE8 encoding, rows bottom-up, each `width` long; empty
// when the encoding is broken or does not fill `height` rows.
Bytes DecodeRle8(const Bytes& encoded, uint32_t width, uint32_t height);

} // namespace artgen
