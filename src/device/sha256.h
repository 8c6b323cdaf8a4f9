#pragma once
#include <cstdint>
#include <span>
#include <string>

// The SHA-256 digest of `bytes` as 64 lower-case hex digits, from the system's
// own implementation. Empty when the system could not compute it.
std::string Sha256Hex(std::span<const uint8_t> bytes);
