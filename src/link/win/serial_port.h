#pragma once
#include <windows.h>

#include <array>

#include "link/byte_port.h"

// Room for the device prefix, the longest name it goes before ("COM999") and
// the terminating zero.
using PortPath = std::array<char, 11>;

// The name CreateFileA is given for a port name. "COM" and 1 to 3 digits, in
// any letter case, become "\\.\COMn": ports numbered 10 and above (as USB
// adapters are) open only that way, and COM1 to COM9 open that way too. Any
// other name is returned as it is. The result is `portName` or `path`.
const char* PortPathFor(const char* portName, PortPath& path);

// Opens the infrared COM port by name and sets the line (9600 8N1, no flow
// control, DTR and RTS raised) and the timeouts that every read of the link
// relies on. Returns INVALID_HANDLE_VALUE when the port cannot be opened.
HANDLE OpenDevicePort(const char* portName);

// The byte port over an open serial handle. Captures GetLastError at a failing
// call; times the link's waits with the system's tick count.
class SerialBytePort final : public BytePort {
public:
    explicit SerialBytePort(HANDLE handle) : handle_(handle) {}
    PortTransfer Write(const uint8_t* data, uint32_t size) override;
    PortTransfer Read(uint8_t* into, uint32_t size) override;
    uint32_t NowMs() override;
    uint32_t TimeoutError() const override;

private:
    HANDLE handle_;
};
