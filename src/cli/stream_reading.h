#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

// Reads `stream` to its end onto `bytes`. False on a read error, or as soon as
// more than `limit` bytes have come: nothing that long fits the keyboard.
inline bool ReadWholeStream(std::FILE* stream, std::vector<uint8_t>* bytes, uint64_t limit) {
    char chunk[4096];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, stream)) > 0) {
        bytes->insert(bytes->end(), chunk, chunk + n);
        if (bytes->size() > limit) return false;
    }
    return !std::ferror(stream);
}
