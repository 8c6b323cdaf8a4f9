#include "ui/window_icons.h"

#include "res/resource_ids.h"
#include "ui/art_sizes.h"

HICON MainIcon;
HICON LargeMainIcon;
HICON ConnectedIcon;
HICON ProgressIcons[ProgressFrameCount];

namespace {

static_assert(ProgressFrameCount == IDI_PROGRESS_LAST - IDI_PROGRESS_FIRST + 1,
              "one progress icon resource per animation frame");

// The icon drawn for the display's DPI, or the 96 DPI one where that DPI has
// none of its own. Above 96 DPI each is loaded at the size it was drawn, which
// the caption then shrinks to its own, with no detour through the large-icon
// size first. Shared, as LoadIconA's are, so that loading the table again
// hands back the same icons instead of new ones.
HICON LoadOwnIcon(HINSTANCE instance, int id, int dpi) {
    const int sizedId = ArtResourceId(id, dpi);
    if (sizedId == id) return LoadIconA(instance, MAKEINTRESOURCEA(id));
    for (int candidate : {sizedId, id}) {
        auto icon = static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(candidate), IMAGE_ICON, 0, 0, LR_SHARED));
        if (icon) return icon;
    }
    return nullptr;
}

// The main icon's group holds an image for every small- and large-icon size
// of the common DPIs; the system's metrics say which one this display uses.
HICON LoadMainIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

}  // namespace

void LoadWindowIcons(HINSTANCE instance) {
    const int dpi = DisplayDpi();
    if (!MainIcon) MainIcon = LoadMainIcon(instance, SM_CXSMICON, SM_CYSMICON);
    if (!LargeMainIcon) LargeMainIcon = LoadMainIcon(instance, SM_CXICON, SM_CYICON);
    if (!ConnectedIcon) ConnectedIcon = LoadOwnIcon(instance, IDI_CONNECTED, dpi);
    for (uint32_t frame = 0; frame < ProgressFrameCount; ++frame)
        ProgressIcons[frame] =
            LoadOwnIcon(instance, IDI_PROGRESS_FIRST + static_cast<int>(frame), dpi);
}
