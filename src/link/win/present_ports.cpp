#include "link/win/present_ports.h"

#include <setupapi.h>

namespace {

// The setup class of serial and parallel ports ("Ports (COM & LPT)"), written
// out so that no GUID library is needed.
constexpr GUID PortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr const wchar_t* PortNameValue = L"PortName";
constexpr const wchar_t* BluetoothEnumerator = L"BTHENUM\\";
constexpr const wchar_t* BluetoothMark = L" (Bluetooth)";
// Room for a port name as the device key holds it, and for an instance id.
constexpr DWORD PortNameRoom = 32;
constexpr DWORD InstanceIdRoom = 256;
// Devices looked at at most: a broken device list cannot hold us up.
constexpr DWORD MostDevices = 1024;

// A registry text read into `text`, always terminated; empty on any failure.
void ReadText(HKEY key, const wchar_t* name, wchar_t* text, DWORD room) {
    DWORD type = 0;
    DWORD size = (room - 1) * sizeof(wchar_t);
    text[0] = L'\0';
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        text[0] = L'\0';
        return;
    }
    text[size / sizeof(wchar_t)] = L'\0';
}

void ReadPortName(HDEVINFO devices, SP_DEVINFO_DATA& device, wchar_t (&name)[PortNameRoom]) {
    name[0] = L'\0';
    HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE) return;
    ReadText(key, PortNameValue, name, PortNameRoom);
    RegCloseKey(key);
}

void ReadFriendlyName(HDEVINFO devices, SP_DEVINFO_DATA& device, wchar_t (&name)[ShownNameSize]) {
    DWORD type = 0;
    name[0] = L'\0';
    if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, &type, reinterpret_cast<BYTE*>(name),
                                           sizeof name - sizeof name[0], nullptr) ||
        type != REG_SZ) {
        name[0] = L'\0';
    }
    name[ShownNameSize - 1] = L'\0';
}

void ReadInstanceId(HDEVINFO devices, SP_DEVINFO_DATA& device, wchar_t (&id)[InstanceIdRoom]) {
    if (!SetupDiGetDeviceInstanceIdW(devices, &device, id, InstanceIdRoom, nullptr)) id[0] = L'\0';
}

// Appends `text` to `shown` from `used` on, as far as it fits; the new length.
int Append(wchar_t (&shown)[ShownNameSize], int used, const wchar_t* text) {
    while (*text != L'\0' && used < ShownNameSize - 1) shown[used++] = *text++;
    shown[used] = L'\0';
    return used;
}

// Whether `text` holds "(name)", in any letter case.
bool HoldsPortInParentheses(const wchar_t* text, const wchar_t* name) {
    const int length = lstrlenW(name);
    for (const wchar_t* at = text; *at != L'\0'; ++at) {
        if (*at != L'(' || lstrlenW(at + 1) < length + 1) continue;
        if (CompareStringOrdinal(at + 1, length, name, length, TRUE) == CSTR_EQUAL && at[1 + length] == L')') {
            return true;
        }
    }
    return false;
}

}  // namespace

void ForEachPresentPort(void (*each)(const PresentPort& port, void* context), void* context) {
    HDEVINFO devices = SetupDiGetClassDevsW(&PortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) return;
    for (DWORD index = 0; index < MostDevices; ++index) {
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof device;
        if (!SetupDiEnumDeviceInfo(devices, index, &device)) break;
        wchar_t portName[PortNameRoom];
        ReadPortName(devices, device, portName);
        if (portName[0] == L'\0') continue;
        wchar_t friendlyName[ShownNameSize];
        wchar_t instanceId[InstanceIdRoom];
        ReadFriendlyName(devices, device, friendlyName);
        ReadInstanceId(devices, device, instanceId);
        each(PresentPort{portName, friendlyName, instanceId}, context);
    }
    SetupDiDestroyDeviceInfoList(devices);
}

void ComposeShownName(const wchar_t* portName, const wchar_t* friendlyName, bool bluetooth,
                      wchar_t (&shown)[ShownNameSize]) {
    const wchar_t* mark = bluetooth ? BluetoothMark : L"";
    const bool named = friendlyName != nullptr && friendlyName[0] != L'\0';
    const bool holdsPort = named && HoldsPortInParentheses(friendlyName, portName) &&
                           lstrlenW(friendlyName) + lstrlenW(mark) < ShownNameSize;
    // What follows the friendly name, kept whole: the port's name and the mark.
    wchar_t tail[ShownNameSize];
    int tailLength = 0;
    tail[0] = L'\0';
    if (!holdsPort) {
        tailLength = Append(tail, tailLength, named ? L" (" : L"");
        tailLength = Append(tail, tailLength, portName);
        tailLength = Append(tail, tailLength, named ? L")" : L"");
    }
    tailLength = Append(tail, tailLength, mark);
    const int room = ShownNameSize - 1 - tailLength;
    int used = 0;
    for (const wchar_t* c = named ? friendlyName : L""; *c != L'\0' && used < room; ++c) shown[used++] = *c;
    shown[used] = L'\0';
    Append(shown, used, tail);
}

bool EnumeratedUnderBluetooth(const wchar_t* instanceId) {
    const int length = lstrlenW(BluetoothEnumerator);
    return instanceId != nullptr && lstrlenW(instanceId) >= length &&
           CompareStringOrdinal(instanceId, length, BluetoothEnumerator, length, TRUE) == CSTR_EQUAL;
}
