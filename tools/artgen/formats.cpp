#include "formats.h"

#include "png.h"

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

constexpr uint32_t BiRgb = 0, BiRle8 = 1;

// colours 0: the colour table is as long as the depth allows.
void PutInfoHeader(Bytes& out, uint32_t width, uint32_t height, uint32_t bits, uint32_t imageSize,
                   uint32_t compression = BiRgb, uint32_t colours = 0) {
    Put32(out, InfoHeaderSize);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);  // planes
    Put16(out, bits);
    Put32(out, compression);
    Put32(out, imageSize);
    Put32(out, 0);  // no physical resolution
    Put32(out, 0);
    Put32(out, colours);
    Put32(out, 0);
}

template <size_t N>
void PutPalette(Bytes& out, const std::array<Rgb, N>& palette, size_t count = N) {
    for (size_t i = 0; i < count && i < N; ++i) {
        const Rgb& c = palette[i];
        out.push_back(c.blue);
        out.push_back(c.green);
        out.push_back(c.red);
        out.push_back(0);
    }
}

// RLE8 codes: a count and a colour is a run; 0 and a code above 2 starts a
// run of that many literal bytes, padded to an even length.
constexpr uint8_t Escape = 0, EndOfLine = 0, EndOfBitmap = 1, FirstLiteralCount = 3;
constexpr size_t LongestRun = 255;

size_t RunAt(const Bytes& row, size_t at) {
    size_t n = 1;
    while (at + n < row.size() && n < LongestRun && row[at + n] == row[at]) ++n;
    return n;
}

// Runs of two or more repeat; stretches without repeats go out literally.
void EncodeRle8Row(Bytes& out, const Bytes& row) {
    size_t at = 0;
    while (at < row.size()) {
        const size_t run = RunAt(row, at);
        size_t literal = 0;
        while (run == 1 && at + literal < row.size() && literal < LongestRun &&
               RunAt(row, at + literal) == 1)
            ++literal;
        if (literal >= FirstLiteralCount) {
            out.push_back(Escape);
            out.push_back(static_cast<uint8_t>(literal));
            out.insert(out.end(), row.begin() + static_cast<long>(at),
                       row.begin() + static_cast<long>(at + literal));
            if (literal % 2) out.push_back(0);
            at += literal;
        } else {
            out.push_back(static_cast<uint8_t>(run));
            out.push_back(row[at]);
            at += run;
        }
    }
    out.push_back(Escape);
    out.push_back(EndOfLine);
}

} // namespace

Bytes RgbaPixels(const Canvas& image, const std::array<Rgb, 16>& palette, int transparent) {
    Bytes rgba;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const uint8_t index = image.At(x, y);
            const Rgb colour = index == transparent ? Rgb{0, 0, 0} : palette[index];
            rgba.insert(rgba.end(), {colour.red, colour.green, colour.blue,
                                     static_cast<uint8_t>(index == transparent ? 0 : 255)});
        }
    return rgba;
}

namespace {

// The AND mask that every icon image ends with: a set bit lets the screen
// through. Images with alpha carry it too, for whatever draws without alpha.
void PutMask(Bytes& out, const Canvas& image, int transparent) {
    const uint32_t w = image.Width(), h = image.Height(), maskRow = RowBytes(w, 1);
    for (uint32_t row = 0; row < h; ++row) {
        const int y = static_cast<int>(h - 1 - row);
        Bytes line(maskRow, 0);
        for (uint32_t x = 0; x < w; ++x)
            if (image.At(static_cast<int>(x), y) == transparent)
                line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), line.begin(), line.end());
    }
}

constexpr uint32_t TrueColourBits = 32;
constexpr uint32_t LargestIconByte = 256;  // a directory entry writes 256 pixels as 0

} // namespace

IconImage SixteenColourImage(const Canvas& image, const std::array<Rgb, 16>& palette,
                             int transparent) {
    const uint32_t w = image.Width(), h = image.Height();
    const uint32_t colourRow = RowBytes(w, 4), maskRow = RowBytes(w, 1);
    IconImage icon{w, 16, 4, {}};
    // An icon image's header counts the colour and mask halves together.
    PutInfoHeader(icon.data, w, h * 2, 4, (colourRow + maskRow) * h);
    PutPalette(icon.data, palette);
    for (uint32_t row = 0; row < h; ++row) {
        const int y = static_cast<int>(h - 1 - row);
        Bytes line(colourRow, 0);
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t index = image.At(static_cast<int>(x), y);
            if (index == transparent) index = 0;  // black under the mask, as icons expect
            line[x / 2] |= static_cast<uint8_t>(x % 2 ? index : index << 4);
        }
        icon.data.insert(icon.data.end(), line.begin(), line.end());
    }
    PutMask(icon.data, image, transparent);
    return icon;
}

IconImage TrueColourImage(const Canvas& image, const std::array<Rgb, 16>& palette,
                          int transparent) {
    const uint32_t w = image.Width(), h = image.Height();
    const Bytes rgba = RgbaPixels(image, palette, transparent);
    IconImage icon{w, 0, TrueColourBits, {}};
    PutInfoHeader(icon.data, w, h * 2, TrueColourBits, (w * BytesPerQuad + RowBytes(w, 1)) * h);
    for (uint32_t row = 0; row < h; ++row) {
        const size_t y = h - 1 - row;
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = &rgba[(y * w + x) * BytesPerQuad];
            icon.data.insert(icon.data.end(), {p[2], p[1], p[0], p[3]});  // BGRA
        }
    }
    PutMask(icon.data, image, transparent);
    return icon;
}

IconImage PngImage(const Canvas& image, const std::array<Rgb, 16>& palette, int transparent) {
    const uint32_t w = image.Width(), h = image.Height();
    return {w, 0, TrueColourBits, EncodePng(w, h, RgbaPixels(image, palette, transparent))};
}

Bytes EncodeIconFile(const std::vector<IconImage>& images) {
    Bytes out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // icon, not cursor
    Put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = IconDirSize + IconEntrySize * static_cast<uint32_t>(images.size());
    for (const IconImage& image : images) {
        const uint8_t edge = static_cast<uint8_t>(image.size % LargestIconByte);
        out.push_back(edge);
        out.push_back(edge);
        out.push_back(image.colours);
        out.push_back(0);
        Put16(out, 1);  // planes
        Put16(out, image.bitsPerPixel);
        Put32(out, static_cast<uint32_t>(image.data.size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(image.data.size());
    }
    for (const IconImage& image : images) out.insert(out.end(), image.data.begin(), image.data.end());
    return out;
}

Bytes EncodeIcon(const Canvas& image, const std::array<Rgb, 16>& palette, int transparent) {
    return EncodeIconFile({SixteenColourImage(image, palette, transparent)});
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

Bytes EncodeCompressedBitmap(const Canvas& image, const std::array<Rgb, 256>& palette,
                             uint32_t colours) {
    const uint32_t w = image.Width(), h = image.Height();
    Bytes pixels;
    for (uint32_t r = 0; r < h; ++r) {
        const int y = static_cast<int>(h - 1 - r);
        Bytes row;
        for (uint32_t x = 0; x < w; ++x) row.push_back(image.At(static_cast<int>(x), y));
        EncodeRle8Row(pixels, row);
    }
    pixels.back() = EndOfBitmap;  // in place of the last row's end of line
    const uint32_t imageSize = static_cast<uint32_t>(pixels.size());
    const uint32_t pixelOffset = FileHeaderSize + InfoHeaderSize + colours * BytesPerQuad;

    Bytes out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, pixelOffset + imageSize);
    Put32(out, 0);
    Put32(out, pixelOffset);
    PutInfoHeader(out, w, h, 8, imageSize, BiRle8, colours);
    PutPalette(out, palette, colours);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

Bytes DecodeRle8(const Bytes& encoded, uint32_t width, uint32_t height) {
    Bytes pixels;
    Bytes row;
    size_t at = 0;
    while (at + 1 < encoded.size()) {
        const uint8_t count = encoded[at], code = encoded[at + 1];
        at += 2;
        if (count != Escape) {
            row.insert(row.end(), count, code);
        } else if (code == EndOfLine || code == EndOfBitmap) {
            if (row.size() != width) return {};
            pixels.insert(pixels.end(), row.begin(), row.end());
            row.clear();
            if (code == EndOfBitmap) break;
        } else if (code >= FirstLiteralCount && at + code <= encoded.size()) {
            row.insert(row.end(), encoded.begin() + static_cast<long>(at),
                       encoded.begin() + static_cast<long>(at + code));
            at += code + code % 2;
        } else {
            return {};  // a jump, which the pictures never use, or a cut-off literal
        }
    }
    if (pixels.size() != static_cast<size_t>(width) * height) return {};
    return pixels;
}

} // namespace artgen
