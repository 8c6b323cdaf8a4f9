#include "controller/keyboard_finder.h"

#include <initializer_list>

#include "controller/busy_section.h"
#include "controller/port_choice.h"
#include "controller/session.h"
#include "link/hello.h"
#include "link/win/serial_port.h"
#include "link/win/serial_port_list.h"

namespace {

// Wide throughout: the ports are named as Device Manager shows them, in any
// language ("USB Serial Port (COM5)"), so that a user can tell which device
// each is before agreeing to the hello.
constexpr const wchar_t* CaptionFinder = L"Find the keyboard";
constexpr const wchar_t* TextNoPortsListed = L"Windows lists no serial ports on this computer.";
constexpr const wchar_t* TextOnlyBluetooth =
    L"Windows lists only Bluetooth serial ports on this computer, which the search leaves out. "
    L"To use one, choose it under Port.";
constexpr const wchar_t* TextAskBefore =
    L"Glimmerly will send its hello to these ports, one after the other, and use the first one "
    L"where a Quillatron answers:\n\n";
constexpr const wchar_t* TextAskAfter =
    L"\n\nOther devices on these ports receive the hello too, and opening a port can reset a device "
    L"attached to it.";
constexpr const wchar_t* TextBluetoothLeftOut =
    L"\n\nBluetooth ports are left out: opening one makes Windows call the paired device. To use one, "
    L"choose it under Port.";
constexpr const wchar_t* TextFoundOn = L"Quillatron found on ";
constexpr const wchar_t* TextFoundOnAfter = L". Glimmerly uses that port from now on.";
constexpr const wchar_t* TextNoAnswer = L"No Quillatron answered on ";
constexpr const wchar_t* TextNoneOpened = L"None of these ports could be opened: ";
constexpr const wchar_t* TextFullStop = L".";
constexpr const wchar_t* NameSeparator = L", ";

// Room for every listed name with its separator, and for the sentences around them.
constexpr uint32_t ListTextSize = MostListedPorts * (ShownNameSize + 2);
constexpr uint32_t MessageSize = ListTextSize + 512;

struct Search {
    SerialPortList listed;
    SerialPortList tried;
    int found = -1;  // index into listed
    uint32_t bluetoothLeftOut = 0;
};

// Opening a Bluetooth port makes Windows call the paired device, which can
// hold the window for seconds; only the user's own choice goes there.
void LeaveOutBluetooth(Search& search) {
    SerialPortList& list = search.listed;
    uint32_t kept = 0;
    for (uint32_t i = 0; i < list.count; ++i) {
        if (list.ports[i].bluetooth) {
            ++search.bluetoothLeftOut;
        } else {
            list.ports[kept++] = list.ports[i];
        }
    }
    list.count = kept;
}

// Puts `parts` one after the other into `text` of `size` characters, cut
// short rather than overflowing (wsprintf stops at 1024 characters).
void Compose(wchar_t* text, uint32_t size, std::initializer_list<const wchar_t*> parts) {
    text[0] = L'\0';
    uint32_t used = 0;
    for (const wchar_t* part : parts) {
        if (used + 1 >= size) return;
        lstrcpynW(text + used, part, static_cast<int>(size - used));
        used += static_cast<uint32_t>(lstrlenW(text + used));
    }
}

// "USB Serial Port (COM5), COM1" into `text`, each name whole or not at all.
void JoinPortNames(const SerialPortList& list, wchar_t* text, uint32_t size) {
    text[0] = L'\0';
    uint32_t used = 0;
    for (uint32_t i = 0; i < list.count; ++i) {
        const wchar_t* separator = i == 0 ? L"" : NameSeparator;
        const wchar_t* name = list.ports[i].shown;
        const uint32_t length = static_cast<uint32_t>(lstrlenW(separator) + lstrlenW(name));
        if (used + length + 1 > size) return;
        Compose(text + used, size - used, {separator, name});
        used += length;
    }
}

bool UserAgrees(HWND window, const Search& search) {
    wchar_t names[ListTextSize];
    wchar_t message[MessageSize];
    JoinPortNames(search.listed, names, ListTextSize);
    Compose(message, MessageSize,
            {TextAskBefore, names, TextAskAfter, search.bluetoothLeftOut > 0 ? TextBluetoothLeftOut : L""});
    return MessageBoxW(window, message, CaptionFinder, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

// One hello on each port that opens; each is closed again at once, whatever
// answered, and the monitor opens the chosen one at its next tick.
void TryEachPort(Search& search) {
    for (uint32_t i = 0; i < search.listed.count && search.found < 0; ++i) {
        HANDLE handle = OpenDevicePort(search.listed.ports[i].name);
        if (handle == INVALID_HANDLE_VALUE) continue;
        search.tried.ports[search.tried.count++] = search.listed.ports[i];
        SerialBytePort port(handle);
        if (DetectDevice(port) == HelloOutcome::DeviceFound) search.found = static_cast<int>(i);
        CloseHandle(handle);
    }
}

void Report(HWND window, const Search& search) {
    wchar_t names[ListTextSize];
    wchar_t message[MessageSize];
    if (search.found >= 0) {
        Compose(message, MessageSize, {TextFoundOn, search.listed.ports[search.found].shown, TextFoundOnAfter});
        MessageBoxW(window, message, CaptionFinder, MB_OK | MB_ICONINFORMATION);
        return;
    }
    const bool anyOpened = search.tried.count > 0;
    JoinPortNames(anyOpened ? search.tried : search.listed, names, ListTextSize);
    Compose(message, MessageSize, {anyOpened ? TextNoAnswer : TextNoneOpened, names, TextFullStop});
    MessageBoxW(window, message, CaptionFinder, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void FindKeyboardCommand(HWND window) {
    if (BusyFlag != 0) return;
    Search search;
    ListSerialPorts(search.listed);
    LeaveOutBluetooth(search);
    if (search.listed.count == 0) {
        MessageBoxW(window, search.bluetoothLeftOut > 0 ? TextOnlyBluetooth : TextNoPortsListed, CaptionFinder,
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!UserAgrees(window, search)) return;

    // As a transfer does: the ticks keep off the ports, and our own port is
    // free for the search, since it is one of those listed. Busy only: the
    // search leaves the cursor and the window as they are.
    const BusyScope busy;
    ReleaseOwnPort(window);
    TryEachPort(search);
    if (search.found >= 0) ApplyPortChoice(window, search.listed.ports[search.found].name);
    // Still busy while the user reads the outcome: the keyboard just found
    // would otherwise be retrieved and pasted into this very message box.
    Report(window, search);
}
