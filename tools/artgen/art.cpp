#include "art.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "icons.h"
#include "palette.h"
#include "pictures.h"

namespace artgen {

std::vector<ArtFile> AllArt() {
    std::vector<ArtFile> files;
    const auto icons = IconPalette();
    files.push_back({"icons/main.ico", EncodeIcon(DrawMainIcon(), icons, IconTransparent)});
    files.push_back(
        {"icons/connected.ico", EncodeIcon(DrawConnectedIcon(), icons, IconTransparent)});
    for (int k = 0; k < ProgressFrames; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "icons/progress_%02d.ico", k);
        files.push_back({name, EncodeIcon(DrawProgressFrame(k), icons, IconTransparent)});
    }
    const auto colours = BitmapPalette();
    files.push_back({"bitmaps/cable_idle.bmp",
                     EncodeBitmap(DrawStatusPicture(Joint::Cable, false), colours)});
    files.push_back({"bitmaps/cable_linked.bmp",
                     EncodeBitmap(DrawStatusPicture(Joint::Cable, true), colours)});
    files.push_back({"bitmaps/waves_searching.bmp",
                     EncodeBitmap(DrawStatusPicture(Joint::WavesOut, false), colours)});
    files.push_back({"bitmaps/waves_linked.bmp",
                     EncodeBitmap(DrawStatusPicture(Joint::WavesBothWays, true), colours)});
    return files;
}

bool WriteArt(const std::string& resDir) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (const ArtFile& file : AllArt()) {
        const fs::path target = fs::path(resDir) / file.path;
        fs::create_directories(target.parent_path(), error);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.bytes.data()),
                  static_cast<std::streamsize>(file.bytes.size()));
        if (!out) return false;
    }
    return true;
}

} // namespace artgen
