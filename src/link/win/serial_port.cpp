#include "link/win/serial_port.h"

#include <cstring>
#include <string_view>

#include "link/win/line_settings.h"

namespace {

constexpr std::string_view DevicePrefix = "\\\\.\\";
constexpr std::string_view PathPrefix = "\\\\";

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
    // Measured only as far as the path could reach: the name may be anything.
    const std::string_view name(portName, strnlen(portName, path.size()));
    if (name.empty() || name.substr(0, PathPrefix.size()) == PathPrefix) return portName;
    if (DevicePrefix.size() + name.size() >= path.size()) return nullptr;
    DevicePrefix.copy(path.data(), DevicePrefix.size());
    name.copy(path.data() + DevicePrefix.size(), name.size());
    path[DevicePrefix.size() + name.size()] = '\0';
    return path.data();
}

HANDLE OpenDevicePort(const char* portName) {
    PortPath path{};
    const char* opened = PortPathFor(portName, path);
    if (opened == nullptr) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE port = CreateFileA(opened, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
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
