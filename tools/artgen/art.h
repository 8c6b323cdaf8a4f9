#pragma once
// Every picture file of the program's resources, by its path under src/res.
#include <array>
#include <string>
#include <vector>

#include "formats.h"

namespace artgen {

struct ArtFile {
    std::string path;  // relative to src/res, e.g. "icons/main.ico"
    Bytes bytes;
};

// The sizes the art is drawn in, one set for each display DPI that Windows
// offers most. The connected icon and the progress frames only ever show in the
// caption, so they are drawn at its small-icon size; at 192 DPI that is 32
// pixels, which the 96 DPI icons already are, so that size adds none
// (captionIcon 0). The pictures are the DPI's share of 72 x 23.
struct ArtSize {
    int dpi;
    int captionIcon;  // pixels square; 0: the 96 DPI icons serve
};
inline constexpr int BaseDpi = 96;
inline constexpr std::array<ArtSize, 4> ArtSizes = {{{96, 32}, {120, 20}, {144, 24}, {192, 0}}};

// The main icon is what Explorer, shortcuts, the taskbar and the caption show
// of the program, at every DPI, so its one file (icons/main.ico) holds an image
// for each place: the 32-pixel 16-colour image for whatever draws in 16
// colours, a true-colour image for each DPI's small-icon (16 to 32) and
// large-icon (32 to 64) size, and a PNG for Explorer's largest views.
inline constexpr std::array<int, 7> MainIconTrueColourSizes = {16, 20, 24, 32, 40, 48, 64};
inline constexpr int MainIconPngSize = 256;
// Resource numbers of a larger size: the 96 DPI number plus this once per step.
inline constexpr int ArtIdStep = 100;

// Every size's icons and pictures (96 DPI first, in the order the resources
// list them), then larger_art.rc, which names the larger ones for app.rc.
std::vector<ArtFile> AllArt();

// Writes every file under `resDir`, creating the subfolders. False on a write error.
bool WriteArt(const std::string& resDir);

} // namespace artgen
