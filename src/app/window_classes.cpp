#include <cstddef>

#include "app/startup.h"
#include "controller/main_window.h"
#include "ui/disclosure.h"
#include "ui/window_icons.h"

// The three window classes and the hidden helper window: made once at
// start-up, with the icons, and kept until the process ends.

HWND HelperWindow;

namespace {

constexpr const char* HelperClassName = "OrvexClass";
constexpr const char* MainClassName = "OrvexDlgClass";
constexpr const char* DisclosureClassName = "DisclosureClass";

// The dialog manager keeps its own data in the extra bytes of a window whose
// class a template names, so both dialog-side classes reserve that room.
constexpr int DialogExtraBytes = DLGWINDOWEXTRA;
constexpr int NoExtraBytes = 0;

bool ClassesRegistered = false;

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
    LoadWindowIcons(instance);
    if (!ClassesRegistered) {
        if (!RegisterClasses(instance)) return nullptr;
        ClassesRegistered = true;
    }
    HelperWindow = CreateHelperWindow(instance);
    return HelperWindow;
}
