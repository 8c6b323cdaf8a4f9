#include "controller/port_menu.h"

#include "controller/keyboard_finder.h"
#include "controller/port_choice.h"
#include "controller/window_menu.h"
#include "link/win/serial_port_list.h"
#include "settings/win/store/settings_store.h"

namespace {

constexpr const char* TextDriverPort = "Infrared driver's port";
constexpr const char* TextNoDriverPort = "none";
constexpr const char* TextFindKeyboard = "Find the keyboard...";
constexpr int LongestItem = 64;

// The ports as the menu showed them, so that a choice names what the user saw
// even if the registry changed since.
SerialPortList ShownPorts;

void ClearMenu(HMENU menu) {
    while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
}

// A port the user chose that Windows does not list (unplugged now, or typed
// by hand) still shows, so that the tick always marks the port in use.
void AddChosenPortIfMissing() {
    if (!UserPortChosen() || ShownPorts.count >= MostListedPorts) return;
    for (uint32_t i = 0; i < ShownPorts.count; ++i) {
        if (lstrcmpiA(ShownPorts.ports[i].name, PortName) == 0) return;
    }
    SerialPortEntry& chosen = ShownPorts.ports[ShownPorts.count++];
    lstrcpynA(chosen.name, PortName, PortNameSize);
    chosen.device[0] = '\0';
    chosen.bluetooth = false;
    wchar_t wide[PortNameSize] = {};
    MultiByteToWideChar(CP_ACP, 0, PortName, -1, wide, PortNameSize);
    ComposeShownName(wide, nullptr, false, chosen.shown);
}

UINT Greyed(bool busy) { return busy ? MF_GRAYED : MF_ENABLED; }

void AppendListedPorts(HMENU menu, bool busy) {
    const bool userChoice = UserPortChosen();
    for (uint32_t i = 0; i < ShownPorts.count; ++i) {
        const SerialPortEntry& port = ShownPorts.ports[i];
        const bool inUse = userChoice && lstrcmpiA(port.name, PortName) == 0;
        // Wide: the driver's name for a port may be in any language.
        AppendMenuW(menu, MF_STRING | Greyed(busy) | (inUse ? MF_CHECKED : MF_UNCHECKED),
                    IdPortFirst + i * IdPortStep, port.shown);
    }
    if (ShownPorts.count > 0) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
}

void AppendDriverPort(HMENU menu, bool busy) {
    char text[LongestItem];
    wsprintfA(text, "%s (%s)", TextDriverPort, DriverPortName[0] ? DriverPortName : TextNoDriverPort);
    AppendMenuA(menu, MF_STRING | Greyed(busy) | (UserPortChosen() ? MF_UNCHECKED : MF_CHECKED), IdDriverPort,
                text);
}

}  // namespace

HMENU CreatePortMenu() { return CreatePopupMenu(); }

void FillPortMenu(HMENU menu, bool busy) {
    RefreshPortName();
    ListSerialPorts(ShownPorts);
    AddChosenPortIfMissing();
    ClearMenu(menu);
    AppendListedPorts(menu, busy);
    AppendDriverPort(menu, busy);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | Greyed(busy), IdFindKeyboard, TextFindKeyboard);
}

bool PortMenuCommand(HWND window, UINT id) {
    if (id == IdDriverPort) {
        ApplyPortChoice(window, nullptr);
        return true;
    }
    if (id == IdFindKeyboard) {
        FindKeyboardCommand(window);
        return true;
    }
    if (id < IdPortFirst || (id - IdPortFirst) % IdPortStep != 0) return false;
    const UINT index = (id - IdPortFirst) / IdPortStep;
    if (index >= ShownPorts.count) return false;
    ApplyPortChoice(window, ShownPorts.ports[index].name);
    return true;
}
