#pragma once
// The icons and status pictures are drawn in one size for each of four display
// DPIs (tools/artgen); a display of any other DPI gets the nearest of them.
// A larger size's resource number is the 96 DPI number plus ART_ID_STEP for
// each size above 96 DPI.
#include <array>
#include <cstddef>

#include "res/resource_ids.h"

inline constexpr std::array<int, 4> ArtDpis = {96, 120, 144, 192};

// The index into ArtDpis of the size nearest to `dpi`. On a tie the smaller
// size wins, since a picture a little small still fits its place; a DPI the
// system could not tell (0 or less) counts as 96.
constexpr size_t NearestArtSize(int dpi) {
    size_t nearest = 0;
    for (size_t i = 1; i < ArtDpis.size(); ++i) {
        const long distance = static_cast<long>(dpi) - ArtDpis[i];
        const long best = static_cast<long>(dpi) - ArtDpis[nearest];
        if ((distance < 0 ? -distance : distance) < (best < 0 ? -best : best)) nearest = i;
    }
    return nearest;
}

// The resource number of the art whose 96 DPI number is `baseId`, for `dpi`.
constexpr int ArtResourceId(int baseId, int dpi) {
    return baseId + ART_ID_STEP * static_cast<int>(NearestArtSize(dpi));
}

#ifdef _WIN32
#include <windows.h>

// The display's DPI as this process sees it: the system DPI when the program
// declares itself DPI aware, 96 when Windows scales it as an unaware program.
inline int DisplayDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
}
#endif
