#include "png.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace artgen {
namespace {

constexpr std::array<uint8_t, 8> Signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t HeaderLength = 13;
constexpr uint8_t BitDepth = 8, ColourTypeRgba = 6, NoFilter = 0;
constexpr uint32_t BytesPerPixel = 4;
constexpr uint32_t ChunkOverhead = 12;  // length, type and CRC

void PutBig32(Bytes& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t Big32(const Bytes& in, size_t at) {
    return static_cast<uint32_t>(in[at]) << 24 | in[at + 1] << 16 | in[at + 2] << 8 | in[at + 3];
}

// The CRC covers the type and the data, not the length.
void PutChunk(Bytes& out, const char* type, const Bytes& data) {
    PutBig32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, static_cast<uint32_t>(crc32(0, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt))));
}

uint32_t RowLength(uint32_t width) { return 1 + width * BytesPerPixel; }

} // namespace

Bytes EncodePng(uint32_t width, uint32_t height, const Bytes& rgba) {
    Bytes header;
    PutBig32(header, width);
    PutBig32(header, height);
    header.insert(header.end(), {BitDepth, ColourTypeRgba, 0, 0, 0});  // deflate, no interlace

    Bytes rows;
    for (uint32_t y = 0; y < height; ++y) {
        rows.push_back(NoFilter);
        const auto start = rgba.begin() + static_cast<long>(y * width * BytesPerPixel);
        rows.insert(rows.end(), start, start + width * BytesPerPixel);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    Bytes packed(packedSize);
    compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION);
    packed.resize(packedSize);

    Bytes out(Signature.begin(), Signature.end());
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

Bytes DecodePng(const Bytes& png, uint32_t width, uint32_t height) {
    if (png.size() < Signature.size() || !std::equal(Signature.begin(), Signature.end(), png.begin())) return {};
    Bytes packed;
    bool headerSound = false, ended = false;
    for (size_t at = Signature.size(); !ended && at + ChunkOverhead <= png.size();) {
        const uint32_t length = Big32(png, at);
        if (length > png.size() - at - ChunkOverhead) return {};
        const uint8_t* type = png.data() + at + 4;
        const uint8_t* data = type + 4;
        if (crc32(0, type, length + 4) != Big32(png, at + 8 + length)) return {};
        if (std::memcmp(type, "IHDR", 4) == 0) {
            const Bytes header(data, data + length);
            headerSound = length == HeaderLength && Big32(header, 0) == width && Big32(header, 4) == height &&
                          header[8] == BitDepth && header[9] == ColourTypeRgba && header[10] == 0 &&
                          header[11] == 0 && header[12] == 0;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            packed.insert(packed.end(), data, data + length);
        }
        ended = std::memcmp(type, "IEND", 4) == 0;
        at += ChunkOverhead + length;
    }
    if (!headerSound || !ended) return {};

    Bytes rows(static_cast<size_t>(RowLength(width)) * height);
    uLongf rowsSize = static_cast<uLongf>(rows.size());
    if (uncompress(rows.data(), &rowsSize, packed.data(), static_cast<uLong>(packed.size())) != Z_OK ||
        rowsSize != rows.size())
        return {};
    Bytes rgba;
    for (uint32_t y = 0; y < height; ++y) {
        const auto row = rows.begin() + static_cast<long>(y * RowLength(width));
        if (*row != NoFilter) return {};
        rgba.insert(rgba.end(), row + 1, row + RowLength(width));
    }
    return rgba;
}

} // namespace artgen
