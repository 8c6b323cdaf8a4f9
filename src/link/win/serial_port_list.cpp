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

constexpr const char* PrinterPortPrefix = "LPT";
// Room for a port name of the device list before it is judged like the registry's.
constexpr int PresentNameRoom = 32;

SerialPortEntry* Find(SerialPortList& list, const char* name) {
    for (uint32_t i = 0; i < list.count; ++i) {
        if (lstrcmpiA(list.ports[i].name, name) == 0) return &list.ports[i];
    }
    return nullptr;
}

bool PrinterPort(const char* name) {
    const int length = lstrlenA(PrinterPortPrefix);
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name, length, PrinterPortPrefix, length) == CSTR_EQUAL;
}

// A port of the device list, by the same rule of names as the registry's.
void AddPresentPort(const PresentPort& port, void* context) {
    auto& list = *static_cast<SerialPortList*>(context);
    if (list.count >= MostListedPorts) return;
    char bytes[PresentNameRoom] = {};
    const int size = WideCharToMultiByte(CP_ACP, 0, port.portName, -1, bytes, sizeof bytes, nullptr, nullptr);
    SerialPortEntry& entry = list.ports[list.count];
    if (size <= 0 || size > static_cast<int>(PortNameSize)) return;
    if (!UsablePortName(PortNameType::TextOnly, RegistryTextType, reinterpret_cast<const uint8_t*>(bytes),
                        static_cast<uint32_t>(size), entry.name)) {
        return;
    }
    if (PrinterPort(entry.name) || Find(list, entry.name) != nullptr) return;
    entry.device[0] = '\0';
    entry.bluetooth = EnumeratedUnderBluetooth(port.instanceId);
    ComposeShownName(port.portName, port.friendlyName, entry.bluetooth, entry.shown);
    ++list.count;
}

// A port of the serial map: known already from the device list, it only gains
// the driver's name; else it is shown by its bare name.
void AddMappedPort(SerialPortList& list, const char* name, const char* device) {
    if (SerialPortEntry* known = Find(list, name)) {
        if (known->device[0] == '\0') lstrcpynA(known->device, device, DeviceNameSize);
        return;
    }
    if (list.count >= MostListedPorts) return;
    SerialPortEntry& entry = list.ports[list.count++];
    lstrcpynA(entry.name, name, PortNameSize);
    lstrcpynA(entry.device, device, DeviceNameSize);
    entry.bluetooth = false;
    wchar_t wide[PortNameSize] = {};
    MultiByteToWideChar(CP_ACP, 0, name, -1, wide, PortNameSize);
    ComposeShownName(wide, nullptr, false, entry.shown);
}

void AddMappedPorts(SerialPortList& list) {
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
        char name[PortNameSize];
        if (UsablePortName(PortNameType::TextOnly, type, data, dataSize, name)) AddMappedPort(list, name, valueName);
    }
    RegCloseKey(key);
}

// COMn names first by their number; any other name after them, alphabetically.
bool ComesBefore(const SerialPortEntry& a, const SerialPortEntry& b) {
    const uint32_t na = ComPortNumber(a.name), nb = ComPortNumber(b.name);
    if (na != 0 && nb != 0) return na < nb;
    if (na != 0 || nb != 0) return na != 0;
    return lstrcmpiA(a.name, b.name) < 0;
}

}  // namespace

void ListSerialPorts(SerialPortList& list) { ListSerialPortsFrom(ForEachPresentPort, list); }

void ListSerialPortsFrom(PresentPortWalk forEachPresent, SerialPortList& list) {
    list.count = 0;
    forEachPresent(AddPresentPort, &list);
    AddMappedPorts(list);
    std::sort(list.ports, list.ports + list.count, ComesBefore);
}
