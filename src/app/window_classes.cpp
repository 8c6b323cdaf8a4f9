#include <cstddef>

#include "app/startup.h"
#include "controller/main_window.h"
#include "res/resource_ids.h"
#include "ui/disclosure.h"

// The icons, the three window classes and the hidden helper window: all made
// once at start-up and kept until the process ends.

HICON MainIcon;
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

HICON LoadOwnIcon(HINSTANCE instance, int id) {
    return LoadIconA(instance, MAKEINTRESOURCEA(id));
}

void LoadIcons(HINSTANCE instance) {
    if (!MainIcon) MainIcon = LoadOwnIcon(instance, IDI_MAIN);
    if (!ConnectedIcon) ConnectedIcon = LoadOwnIcon(instance, IDI_CONNECTED);
    for (uint32_t frame = 0; frame < ProgressFrameCount; ++frame)
        ProgressIcons[frame] = LoadOwnIcon(instance, IDI_PROGRESS_FIRST + static_cast<int>(frame));
}

bool RegisterOne(HINSTANCE instance, const char* name, WNDPROC procedure, int windowExtra,
                 HICON icon, HCURSOR cursor, HBRUSH background) {
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = windowExtra;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0;
}

// In this order; a failure stops at once and leaves the earlier ones registered.
bool RegisterClasses(HINSTANCE instance) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    return RegisterOne(instance, HelperClassName, HelperWindowProc, NoExtraBytes, MainIcon,
                       nullptr, nullptr) &&
           RegisterOne(instance, MainClassName, MainWindowProc, DialogExtraBytes, MainIcon, arrow,
                       face) &&
           RegisterOne(instance, DisclosureClassName, DisclosureProc, DialogExtraBytes, nullptr,
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
