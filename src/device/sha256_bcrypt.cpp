#include "device/sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <array>

#include "device/hex_digits.h"

namespace {

constexpr size_t DigestSize = 32;

bool Succeeded(NTSTATUS status) { return status >= 0; }

// The object-per-hash calls, not the one-shot BCryptHash, so that Windows 7
// computes it too.
bool HashWith(BCRYPT_ALG_HANDLE algorithm, std::span<const uint8_t> bytes,
              std::array<uint8_t, DigestSize>& digest) {
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!Succeeded(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0))) return false;
    // Every file of the device is far below a ULONG's count.
    bool ok = Succeeded(BCryptHashData(hash, const_cast<PUCHAR>(bytes.data()),
                                       static_cast<ULONG>(bytes.size()), 0)) &&
              Succeeded(BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    BCryptDestroyHash(hash);
    return ok;
}

}  // namespace

std::string Sha256Hex(std::span<const uint8_t> bytes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        return {};
    }
    std::array<uint8_t, DigestSize> digest{};
    const bool ok = HashWith(algorithm, bytes, digest);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return ok ? HexDigits(digest) : std::string();
}
