#include "art.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "icons.h"
#include "palette.h"
#include "pictures.h"

namespace artgen {
namespace {

struct PictureFile {
    const char* name;
    int resourceId;  // at 96 DPI
    Joint joint;
    bool deviceAnswers;
};

constexpr PictureFile Pictures[] = {
    {"cable_idle", 147, Joint::Cable, false},
    {"cable_linked", 148, Joint::Cable, true},
    {"waves_searching", 149, Joint::WavesOut, false},
    {"waves_linked", 150, Joint::WavesBothWays, true},
};

constexpr int ConnectedIconId = 112, FirstProgressIconId = 113;

// The 96 DPI files keep their plain names; a larger size adds its DPI.
std::string FileName(const char* folder, const std::string& name, int dpi, const char* type) {
    const std::string suffix = dpi == BaseDpi ? "" : "_" + std::to_string(dpi) + "dpi";
    return std::string(folder) + "/" + name + suffix + "." + type;
}

std::string ProgressName(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "progress_%02d", frame);
    return name;
}

ArtFile MainIconFile() {
    const auto palette = IconPalette();
    std::vector<IconImage> images = {SixteenColourImage(DrawMainIcon(), palette, IconTransparent)};
    for (int size : MainIconTrueColourSizes)
        images.push_back(TrueColourImage(DrawTrueColourMainIcon(size), palette, IconTransparent));
    images.push_back(PngImage(DrawTrueColourMainIcon(MainIconPngSize), palette, IconTransparent));
    return {"icons/main.ico", EncodeIconFile(images)};
}

void AddSize(std::vector<ArtFile>& files, const ArtSize& size) {
    const auto icons = IconPalette();
    if (size.dpi == BaseDpi) files.push_back(MainIconFile());
    if (size.captionIcon != 0) {
        files.push_back({FileName("icons", "connected", size.dpi, "ico"),
                         EncodeIcon(DrawConnectedIcon(size.captionIcon), icons, IconTransparent)});
        for (int k = 0; k < ProgressFrames; ++k)
            files.push_back(
                {FileName("icons", ProgressName(k), size.dpi, "ico"),
                 EncodeIcon(DrawProgressFrame(k, size.captionIcon), icons, IconTransparent)});
    }
    const auto colours = BitmapPalette();
    const double scale = static_cast<double>(size.dpi) / BaseDpi;
    // The larger pictures go compressed, with only the colours they use: they
    // cost the program a fifth of what they would as plain 256-colour files.
    for (const PictureFile& picture : Pictures) {
        const Canvas drawing = DrawStatusPicture(picture.joint, picture.deviceAnswers, scale);
        files.push_back({FileName("bitmaps", picture.name, size.dpi, "bmp"),
                         size.dpi == BaseDpi
                             ? EncodeBitmap(drawing, colours)
                             : EncodeCompressedBitmap(drawing, colours, PictureColours)});
    }
}

// The resource script that app.rc includes for the larger sizes: each one's
// resource number is the 96 DPI number plus ArtIdStep for every size above it.
ArtFile LargerArtScript() {
    std::string text =
        "// The icons and pictures for more than 96 DPI. Written by tools/artgen with\n"
        "// the files it draws; do not edit by hand. A size without a caption icon\n"
        "// of its own shows the 96 DPI one, which is already its size. The main\n"
        "// icon holds every size in its one group.\n";
    char line[96];
    for (size_t step = 1; step < ArtSizes.size(); ++step) {
        const int dpi = ArtSizes[step].dpi;
        const bool captionIcons = ArtSizes[step].captionIcon != 0;
        const int offset = static_cast<int>(step) * ArtIdStep;
        text += "\n";
        if (captionIcons) {
            std::snprintf(line, sizeof line, "%d ICON \"%s\"\n", ConnectedIconId + offset,
                          FileName("icons", "connected", dpi, "ico").c_str());
            text += line;
        }
        for (int k = 0; captionIcons && k < ProgressFrames; ++k) {
            std::snprintf(line, sizeof line, "%d ICON \"%s\"\n", FirstProgressIconId + k + offset,
                          FileName("icons", ProgressName(k), dpi, "ico").c_str());
            text += line;
        }
        for (const PictureFile& picture : Pictures) {
            std::snprintf(line, sizeof line, "%d BITMAP \"%s\"\n", picture.resourceId + offset,
                          FileName("bitmaps", picture.name, dpi, "bmp").c_str());
            text += line;
        }
    }
    return {"larger_art.rc", Bytes(text.begin(), text.end())};
}

} // namespace

std::vector<ArtFile> AllArt() {
    std::vector<ArtFile> files;
    for (const ArtSize& size : ArtSizes) AddSize(files, size);
    files.push_back(LargerArtScript());
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
