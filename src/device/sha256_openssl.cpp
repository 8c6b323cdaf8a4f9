#include "device/sha256.h"

#include <openssl/evp.h>

#include "device/hex_digits.h"

std::string Sha256Hex(std::span<const uint8_t> bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr) != 1) {
        return {};
    }
    return HexDigits(std::span<const uint8_t>(digest, size));
}
