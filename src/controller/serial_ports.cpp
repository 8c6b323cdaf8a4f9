#include "controller/serial_ports.h"

#include <windows.h>

#include <algorithm>

namespace {

// Where Windows keeps one value per serial port present, each naming the port.
constexpr const char* SerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr DWORD LongestValueName = 256;
constexpr const char* NameSeparator = ", ";
// Values read at most, named or not: a key full of junk cannot hold us up.
constexpr DWORD MostValuesRead = 1024;

bool Listed(const SerialPortList& list, const char* name) {
    for (uint32_t i = 0; i < list.count; ++i) {
        if (lstrcmpiA(list.names[i], name) == 0) return true;
    }
    return false;
}

// COMn names first by their number; any other name after them, alphabetically.
bool ComesBefore(const char* a, const char* b) {
    const uint32_t na = ComPortNumber(a), nb = ComPortNumber(b);
    if (na != 0 && nb != 0) return na < nb;
    if (na != 0 || nb != 0) return na != 0;
    return lstrcmpiA(a, b) < 0;
}

void SortByNumber(SerialPortList& list) {
    uint32_t order[MostListedPorts];
    for (uint32_t i = 0; i < list.count; ++i) order[i] = i;
    std::sort(order, order + list.count,
              [&](uint32_t a, uint32_t b) { return ComesBefore(list.names[a], list.names[b]); });
    char sorted[MostListedPorts][PortNameSize];
    for (uint32_t i = 0; i < list.count; ++i) lstrcpynA(sorted[i], list.names[order[i]], PortNameSize);
    for (uint32_t i = 0; i < list.count; ++i) lstrcpynA(list.names[i], sorted[i], PortNameSize);
}

}  // namespace

void ListSerialPorts(SerialPortList& list) {
    list.count = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SerialCommKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (DWORD index = 0; index < MostValuesRead && list.count < MostListedPorts; ++index) {
        char valueName[LongestValueName];
        DWORD nameSize = sizeof valueName;
        uint8_t data[PortNameSize] = {};
        DWORD type = 0;
        DWORD dataSize = sizeof data;
        const LONG status = RegEnumValueA(key, index, valueName, &nameSize, nullptr, &type, data, &dataSize);
        // A value too long for a port name is passed over; any other failure ends the list.
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        char name[PortNameSize];
        if (!UsablePortName(PortNameType::TextOnly, type, data, dataSize, name)) continue;
        if (Listed(list, name)) continue;
        lstrcpynA(list.names[list.count++], name, PortNameSize);
    }
    RegCloseKey(key);
    SortByNumber(list);
}

void JoinPortNames(const char (*names)[PortNameSize], uint32_t count, char* text, uint32_t size) {
    if (size == 0) return;
    text[0] = '\0';
    uint32_t used = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const char* parts[] = {i == 0 ? "" : NameSeparator, names[i]};
        for (const char* part : parts) {
            const uint32_t length = static_cast<uint32_t>(lstrlenA(part));
            if (used + length + 1 > size) return;
            lstrcpynA(text + used, part, static_cast<int>(size - used));
            used += length;
        }
    }
}
