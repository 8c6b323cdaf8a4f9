#include <cstddef>

#include "app/startup.h"
#include "controller/main_window.h"
#include "res/resource_ids.h"
#include "ui/art_sizes.h"
#include "ui/disclosure.h"

// The icons, the three window classes and the hidden helper window: all made
// once at start-up and kept until the process ends.

HICON MainIcon;
HICON LargeMainIcon;
HICON ConnectedIcon;
HICON ProgressIcons[ProgressFrameCount];
HWND HelperWindow;

namespace {

constexpr const char* HelperClassName = "OrvexClass";
constexpr const char* MainClassName = "OrvexDlgClass";
constexpr const char* DisclosureClassName = "DisclosureClass";

// The dialog manager keeps its own data in the extra bytes of a window whose
// class a template names, so both dialog-side classes reserve that room.
constexpr int DialogExtraBytes = DLGWINDOWEXTRA;
constexpr int NoExtraBytes = 0;

static_assert(ProgressFrameCount == IDI_PROGRESS_LAST - IDI_PROGRESS_FIRST + 1,
              "one progress icon resource per animation frame");

bool ClassesRegistered = false;

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

void LoadIcons(HINSTANCE instance) {
    const int dpi = DisplayDpi();
    if (!MainIcon) MainIcon = LoadMainIcon(instance, SM_CXSMICON, SM_CYSMICON);
    if (!LargeMainIcon) LargeMainIcon = LoadMainIcon(instance, SM_CXICON, SM_CYICON);
    if (!ConnectedIcon) ConnectedIcon = LoadOwnIcon(instance, IDI_CONNECTED, dpi);
    for (uint32_t frame = 0; frame < ProgressFrameCount; ++frame)
        ProgressIcons[frame] =
            LoadOwnIcon(instance, IDI_PROGRESS_FIRST + static_cast<int>(frame), dpi);
}

// A class with an icon takes both main icons: the large one for the taskbar
// and Alt+Tab, the small one for the caption, each drawn for its size.
bool RegisterOne(HINSTANCE instance, const char* name, WNDPROC procedure, int windowExtra,
                 bool mainIcons, HCURSOR cursor, HBRUSH background) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = windowExtra;
    windowClass.hInstance = instance;
    windowClass.hIcon = mainIcons ? LargeMainIcon : nullptr;
    windowClass.hIconSm = mainIcons ? MainIcon : nullptr;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0;
}

// In this order; a failure stops at once and leaves the earlier ones registered.
bool RegisterClasses(HINSTANCE instance) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    return RegisterOne(instance, HelperClassName, HelperWindowProc, NoExtraBytes, true, nullptr,
                       nullptr) &&
           RegisterOne(instance, MainClassName, MainWindowProc, DialogExtraBytes, true, arrow,
                       face) &&
           RegisterOne(instance, DisclosureClassName, DisclosureProc, DialogExtraBytes, false,
                       arrow, face);
}

// Never shown: as a top-level window of this thread it hears WM_ACTIVATEAPP
// whenever the user switches applications.
HWND CreateHelperWindow(HINSTANCE instance) {
    return CreateWindowExA(0, HelperClassName, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                           nullptr);
}

}  // namespace

HWND RegisterWindowClasses(HINSTANCE instance) {
    LoadIcons(instance);
    if (!ClassesRegistered) {
        if (!RegisterClasses(instance)) return nullptr;
        ClassesRegistered = true;
    }
    HelperWindow = CreateHelperWindow(instance);
    return HelperWindow;
}
