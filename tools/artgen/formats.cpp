#include "formats.h"

namespace artgen {
namespace {

constexpr uint32_t InfoHeaderSize = 40;
constexpr uint32_t FileHeaderSize = 14;
constexpr uint32_t IconDirSize = 6;
constexpr uint32_t IconEntrySize = 16;
constexpr uint32_t BytesPerQuad = 4;

void Put16(Bytes& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(Bytes& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

uint32_t RowBytes(uint32_t width, uint32_t bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

void PutInfoHeader(Bytes& out, uint32_t width, uint32_t height, uint32_t bits, uint32_t imageSize) {
    Put32(out, InfoHeaderSize);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);  // planes
    Put16(out, bits);
    Put32(out, 0);  // BI_RGB
    Put32(out, imageSize);
    Put32(out, 0);  // no physical resolution
    Put32(out, 0);
    Put32(out, 0);  // colour table as long as the depth allows
    Put32(out, 0);
}

template <size_t N>
void PutPalette(Bytes& out, const std::array<Rgb, N>& palette) {
    for (const Rgb& c : palette) {
        out.push_back(c.blue);
        out.push_back(c.green);
        out.push_back(c.red);
        out.push_back(0);
    }
}

} // namespace

Bytes EncodeIcon(const Canvas& image, const std::array<Rgb, 16>& palette, int transparent) {
    const uint32_t w = image.Width(), h = image.Height();
    const uint32_t colourRow = RowBytes(w, 4), maskRow = RowBytes(w, 1);
    const uint32_t imageSize = (colourRow + maskRow) * h;
    const uint32_t resourceSize = InfoHeaderSize + 16 * BytesPerQuad + imageSize;

    Bytes out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // icon, not cursor
    Put16(out, 1);  // one image
    out.push_back(static_cast<uint8_t>(w));
    out.push_back(static_cast<uint8_t>(h));
    out.push_back(16);  // colours
    out.push_back(0);
    Put16(out, 1);  // planes
    Put16(out, 4);  // bits per pixel
    Put32(out, resourceSize);
    Put32(out, IconDirSize + IconEntrySize);

    // An icon image's header counts the colour and mask halves together.
    PutInfoHeader(out, w, h * 2, 4, imageSize);
    PutPalette(out, palette);
    for (uint32_t row = 0; row < h; ++row) {
        const int y = static_cast<int>(h - 1 - row);
        Bytes line(colourRow, 0);
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t index = image.At(static_cast<int>(x), y);
            if (index == transparent) index = 0;
            line[x / 2] |= static_cast<uint8_t>(x % 2 ? index : index << 4);
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    for (uint32_t row = 0; row < h; ++row) {
        const int y = static_cast<int>(h - 1 - row);
        Bytes line(maskRow, 0);
        for (uint32_t x = 0; x < w; ++x)
            if (image.At(static_cast<int>(x), y) == transparent)
                line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

Bytes EncodeBitmap(const Canvas& image, const std::array<Rgb, 256>& palette) {
    const uint32_t w = image.Width(), h = image.Height();
    const uint32_t row = RowBytes(w, 8);
    const uint32_t imageSize = row * h;
    const uint32_t pixelOffset = FileHeaderSize + InfoHeaderSize + 256 * BytesPerQuad;

    Bytes out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, pixelOffset + imageSize);
    Put32(out, 0);
    Put32(out, pixelOffset);
    PutInfoHeader(out, w, h, 8, imageSize);
    PutPalette(out, palette);
    for (uint32_t r = 0; r < h; ++r) {
        const int y = static_cast<int>(h - 1 - r);
        for (uint32_t x = 0; x < row; ++x)
            out.push_back(x < w ? image.At(static_cast<int>(x), y) : 0);
    }
    return out;
}

} // namespace artgen
