#pragma once
// The PNG form that Windows takes for an icon's largest image: 8-bit RGBA,
// not interlaced, every row unfiltered, the whole image deflated by zlib.
#include <cstdint>

#include "formats.h"

namespace artgen {

// `rgba` holds width x height pixels, top row first, four bytes each.
Bytes EncodePng(uint32_t width, uint32_t height, const Bytes& rgba);

// The pixels of a PNG of the form above; empty when it is of another form,
// damaged (a chunk's CRC, the zlib stream) or not width x height.
Bytes DecodePng(const Bytes& png, uint32_t width, uint32_t height);

} // namespace artgen
