#include "link/win/serial_port.h"

#include <cstring>
#include <string_view>

#include "link/win/line_settings.h"

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

// Start from what the driver reports, so its own limits and special characters
// stay as it wants them.
void ApplyLineSettings(HANDLE port) {
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    DCB wanted = DeviceLineSettings(dcb);
    SetCommState(port, &wanted);
}

void ApplyTimeouts(HANDLE port) {
    COMMTIMEOUTS timeouts = {};
    GetCommTimeouts(port, &timeouts);
    COMMTIMEOUTS wanted = DeviceTimeouts(timeouts);
    SetCommTimeouts(port, &wanted);
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

uint32_t SerialBytePort::NowMs() {
    return GetTickCount();
}

uint32_t SerialBytePort::TimeoutError() const {
    return ERROR_TIMEOUT;
}
