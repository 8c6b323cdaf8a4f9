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

// A .ico file holding one 32 x 32, 4-bit image. Pixels whose colour index is
// `transparent` get a set AND-mask bit (and black colour bits, as icons expect).
Bytes EncodeIcon(const Canvas& image, const std::array<Rgb, 16>& palette, int transparent);

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
