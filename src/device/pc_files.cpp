#include "device/pc_files.h"

#include <fstream>

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

Outcome WritePcFile(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    // A full disk often shows only when the buffer is flushed at the close.
    if (!out) return Failure(FailureKind::PcFile, "cannot write " + PathText(path));
    return Success();
}

Outcome ReadPcFile(const std::filesystem::path& path, uint64_t limit, std::vector<uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return Failure(FailureKind::PcFile, "cannot read " + PathText(path));
    std::vector<uint8_t> content;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        content.insert(content.end(), chunk, chunk + in.gcount());
        if (content.size() > limit) {
            return Failure(FailureKind::PcFile, PathText(path) + " is larger than any file the keyboard holds");
        }
    }
    if (in.bad()) return Failure(FailureKind::PcFile, "cannot read " + PathText(path));
    *bytes = std::move(content);
    return Success();
}
