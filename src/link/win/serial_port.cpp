#include "link/win/serial_port.h"

#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view DevicePrefix = "\\\\.\\";
constexpr std::string_view ComPrefix = "COM";
constexpr size_t MaxComDigits = 3;
static_assert(DevicePrefix.size() + ComPrefix.size() + MaxComDigits + 1 <= PortPath{}.size());

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNumberedComName(std::string_view name) {
    if (name.size() <= ComPrefix.size() || name.size() > ComPrefix.size() + MaxComDigits) return false;
    for (size_t i = 0; i < ComPrefix.size(); ++i) {
        const char upper = (name[i] >= 'a' && name[i] <= 'z') ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
        if (upper != ComPrefix[i]) return false;
    }
    for (size_t i = ComPrefix.size(); i < name.size(); ++i) {
        if (!IsDigit(name[i])) return false;
    }
    return true;
}

// The line every read of the link is timed against: 9600 baud, 8N1, no flow
// control of any kind (with XON/XOFF on, bytes 0x11 and 0x13 of a file's text
// would vanish), DTR and RTS raised with no handshake on them.
constexpr DWORD LineBaud = 9600;
constexpr BYTE LineDataBits = 8;

// A read ends 3 ms after the line falls silent, or after 500 + 5 ms a byte asked
// for; a write gives up after 1024 + 5 ms a byte.
constexpr DWORD ReadInterval = 3;
constexpr DWORD ReadMultiplier = 5;
constexpr DWORD ReadConstant = 500;
constexpr DWORD WriteMultiplier = 5;
constexpr DWORD WriteConstant = 1024;

void ApplyLineSettings(HANDLE port) {
    // Start from what the driver reports and change only these members, so the
    // driver's own limits and special characters stay as it wants them.
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    dcb.BaudRate = LineBaud;
    dcb.ByteSize = LineDataBits;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    SetCommState(port, &dcb);
}

void ApplyTimeouts(HANDLE port) {
    COMMTIMEOUTS timeouts = {};
    GetCommTimeouts(port, &timeouts);
    timeouts.ReadIntervalTimeout = ReadInterval;
    timeouts.ReadTotalTimeoutMultiplier = ReadMultiplier;
    timeouts.ReadTotalTimeoutConstant = ReadConstant;
    timeouts.WriteTotalTimeoutMultiplier = WriteMultiplier;
    timeouts.WriteTotalTimeoutConstant = WriteConstant;
    SetCommTimeouts(port, &timeouts);
}

// The error is taken right at the failing call, before anything else can
// overwrite it, so the report can still name the cause much later.
PortTransfer Finish(BOOL succeeded, DWORD count) {
    if (!succeeded) return {false, 0, GetLastError()};
    return {true, count, ERROR_SUCCESS};
}

}  // namespace

const char* PortPathFor(const char* portName, PortPath& path) {
    // The registry's name may be anything: it is measured only as far as a
    // numbered COM name could reach.
    const std::string_view name(portName, strnlen(portName, ComPrefix.size() + MaxComDigits + 1));
    if (!IsNumberedComName(name)) return portName;
    DevicePrefix.copy(path.data(), DevicePrefix.size());
    name.copy(path.data() + DevicePrefix.size(), name.size());
    path[DevicePrefix.size() + name.size()] = '\0';
    return path.data();
}

HANDLE OpenDevicePort(const char* portName) {
    PortPath path{};
    HANDLE port = CreateFileA(PortPathFor(portName, path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (port == INVALID_HANDLE_VALUE) return port;
    // A port that refuses these settings is still used as it is: the device may
    // answer anyway, and the exchange reports it if it does not.
    ApplyLineSettings(port);
    ApplyTimeouts(port);
    return port;
}

PortTransfer SerialBytePort::Write(const uint8_t* data, uint32_t size) {
    DWORD written = 0;
    BOOL ok = WriteFile(handle_, data, size, &written, nullptr);
    return Finish(ok, written);
}

PortTransfer SerialBytePort::Read(uint8_t* into, uint32_t size) {
    DWORD got = 0;
    BOOL ok = ReadFile(handle_, into, size, &got, nullptr);
    return Finish(ok, got);
}
