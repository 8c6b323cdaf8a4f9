#include "link/win/serial_port_list.h"

#include <windows.h>

#include <algorithm>

namespace {

// Where Windows keeps one value per serial port present: the value's name is
// the driver's name of the device, its data the port's name.
constexpr const char* SerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr DWORD LongestValueName = 256;
// Values read at most, named or not: a key full of junk cannot hold us up.
constexpr DWORD MostValuesRead = 1024;

bool Listed(const SerialPortList& list, const char* name) {
    for (uint32_t i = 0; i < list.count; ++i) {
        if (lstrcmpiA(list.ports[i].name, name) == 0) return true;
    }
    return false;
}

// COMn names first by their number; any other name after them, alphabetically.
bool ComesBefore(const SerialPortEntry& a, const SerialPortEntry& b) {
    const uint32_t na = ComPortNumber(a.name), nb = ComPortNumber(b.name);
    if (na != 0 && nb != 0) return na < nb;
    if (na != 0 || nb != 0) return na != 0;
    return lstrcmpiA(a.name, b.name) < 0;
}

}  // namespace

void ListSerialPorts(SerialPortList& list) {
    list.count = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SerialCommKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
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
        SerialPortEntry& entry = list.ports[list.count];
        if (!UsablePortName(PortNameType::TextOnly, type, data, dataSize, entry.name)) continue;
        if (Listed(list, entry.name)) continue;
        lstrcpynA(entry.device, valueName, DeviceNameSize);
        ++list.count;
    }
    RegCloseKey(key);
    std::sort(list.ports, list.ports + list.count, ComesBefore);
}
