#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "device/outcome.h"

// Whole files on the PC, with every failure turned into an outcome that names
// the file: nothing here throws.

Outcome WritePcFile(const std::filesystem::path& path, std::span<const uint8_t> bytes);
// Reads at most `limit` bytes; a longer file is refused rather than cut.
Outcome ReadPcFile(const std::filesystem::path& path, uint64_t limit, std::vector<uint8_t>* bytes);
// UTF-8 text of a path for messages, whatever the platform's native form is.
std::string PathText(const std::filesystem::path& path);
