#include "controller/keyboard_finder.h"

#include "controller/busy_section.h"
#include "controller/port_choice.h"
#include "controller/session.h"
#include "link/hello.h"
#include "link/win/serial_port.h"
#include "link/win/serial_port_list.h"

namespace {

constexpr const char* CaptionFinder = "Find the keyboard";
constexpr const char* TextNoPortsListed = "Windows lists no serial ports on this computer.";
constexpr const char* TextOnlyBluetooth =
    "Windows lists only Bluetooth serial ports on this computer, which the search leaves out. "
    "To use one, choose it under Port.";
constexpr const char* TextAskBefore =
    "Glimmerly will send its hello to these ports, one after the other, and use the first one "
    "where a Quillatron answers:\n\n%s\n\nOther devices on these ports receive the hello too, and opening "
    "a port can reset a device attached to it.%s";
constexpr const char* TextBluetoothLeftOut =
    "\n\nBluetooth ports are left out: opening one makes Windows call the paired device. To use one, "
    "choose it under Port.";
constexpr const char* TextFoundOn = "Quillatron found on %s. Glimmerly uses that port from now on.";
constexpr const char* TextNoAnswer = "No Quillatron answered on %s.";
constexpr const char* TextNoneOpened = "None of these ports could be opened: %s.";
constexpr const char* NameSeparator = ", ";

// Room for every listed name with its separator, and for the sentence around them.
constexpr uint32_t ListTextSize = MostListedPorts * (PortNameSize + 2);
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

// "COM1, COM3, COM7" into `text` (always terminated, cut short when it does not fit).
void JoinPortNames(const SerialPortList& list, char* text, uint32_t size) {
    text[0] = '\0';
    uint32_t used = 0;
    for (uint32_t i = 0; i < list.count; ++i) {
        const char* parts[] = {i == 0 ? "" : NameSeparator, list.ports[i].name};
        for (const char* part : parts) {
            const uint32_t length = static_cast<uint32_t>(lstrlenA(part));
            if (used + length + 1 > size) return;
            lstrcpynA(text + used, part, static_cast<int>(size - used));
            used += length;
        }
    }
}

bool UserAgrees(HWND window, const Search& search) {
    char names[ListTextSize];
    JoinPortNames(search.listed, names, sizeof names);
    char message[MessageSize];
    wsprintfA(message, TextAskBefore, names, search.bluetoothLeftOut > 0 ? TextBluetoothLeftOut : "");
    return MessageBoxA(window, message, CaptionFinder, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
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
    char names[ListTextSize];
    char message[MessageSize];
    if (search.found >= 0) {
        wsprintfA(message, TextFoundOn, search.listed.ports[search.found].name);
        MessageBoxA(window, message, CaptionFinder, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (search.tried.count > 0) {
        JoinPortNames(search.tried, names, sizeof names);
        wsprintfA(message, TextNoAnswer, names);
    } else {
        JoinPortNames(search.listed, names, sizeof names);
        wsprintfA(message, TextNoneOpened, names);
    }
    MessageBoxA(window, message, CaptionFinder, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void FindKeyboardCommand(HWND window) {
    if (BusyFlag != 0) return;
    Search search;
    ListSerialPorts(search.listed);
    LeaveOutBluetooth(search);
    if (search.listed.count == 0) {
        MessageBoxA(window, search.bluetoothLeftOut > 0 ? TextOnlyBluetooth : TextNoPortsListed, CaptionFinder,
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
