#include "controller/keyboard_finder.h"

#include "controller/busy_section.h"
#include "controller/port_choice.h"
#include "controller/serial_ports.h"
#include "controller/session.h"
#include "link/hello.h"
#include "link/win/serial_port.h"

namespace {

constexpr const char* CaptionFinder = "Find the keyboard";
constexpr const char* TextNoPortsListed = "Windows lists no serial ports on this computer.";
constexpr const char* TextAskBefore =
    "Glimmerly will send its hello to these ports, one after the other, and use the first one "
    "where a Quillatron answers:\n\n%s\n\nOther devices on these ports receive the hello too.";
constexpr const char* TextFoundOn = "Quillatron found on %s. Glimmerly uses that port from now on.";
constexpr const char* TextNoAnswer = "No Quillatron answered on %s.";
constexpr const char* TextNoneOpened = "None of these ports could be opened: %s.";

// Room for every listed name with its separator, and for the sentence around them.
constexpr uint32_t ListTextSize = MostListedPorts * (PortNameSize + 2);
constexpr uint32_t MessageSize = ListTextSize + 256;

struct Search {
    SerialPortList listed;
    char tried[MostListedPorts][PortNameSize];
    uint32_t triedCount = 0;
    int found = -1;  // index into listed
};

bool UserAgrees(HWND window, const SerialPortList& listed) {
    char names[ListTextSize];
    JoinPortNames(listed.names, listed.count, names, sizeof names);
    char message[MessageSize];
    wsprintfA(message, TextAskBefore, names);
    return MessageBoxA(window, message, CaptionFinder, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

// One hello on each port that opens; each is closed again at once, whatever
// answered, and the monitor opens the chosen one at its next tick.
void TryEachPort(Search& search) {
    for (uint32_t i = 0; i < search.listed.count && search.found < 0; ++i) {
        HANDLE handle = OpenDevicePort(search.listed.names[i]);
        if (handle == INVALID_HANDLE_VALUE) continue;
        lstrcpynA(search.tried[search.triedCount++], search.listed.names[i], PortNameSize);
        SerialBytePort port(handle);
        if (DetectDevice(port) == HelloOutcome::DeviceFound) search.found = static_cast<int>(i);
        CloseHandle(handle);
    }
}

void Report(HWND window, const Search& search) {
    char names[ListTextSize];
    char message[MessageSize];
    if (search.found >= 0) {
        wsprintfA(message, TextFoundOn, search.listed.names[search.found]);
        MessageBoxA(window, message, CaptionFinder, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (search.triedCount > 0) {
        JoinPortNames(search.tried, search.triedCount, names, sizeof names);
        wsprintfA(message, TextNoAnswer, names);
    } else {
        JoinPortNames(search.listed.names, search.listed.count, names, sizeof names);
        wsprintfA(message, TextNoneOpened, names);
    }
    MessageBoxA(window, message, CaptionFinder, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void FindKeyboardCommand(HWND window) {
    if (BusyFlag != 0) return;
    Search search;
    ListSerialPorts(search.listed);
    if (search.listed.count == 0) {
        MessageBoxA(window, TextNoPortsListed, CaptionFinder, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!UserAgrees(window, search.listed)) return;

    // As a transfer does: the ticks keep off the ports, and our own port is
    // free for the search, since it is one of those listed.
    EnterBusy();
    ReleaseOwnPort(window);
    TryEachPort(search);
    if (search.found >= 0) ApplyPortChoice(window, search.listed.names[search.found]);
    // Still busy while the user reads the outcome: the keyboard just found
    // would otherwise be retrieved and pasted into this very message box.
    Report(window, search);
    LeaveBusy();
}
