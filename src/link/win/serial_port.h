#pragma once
#include <windows.h>

#include <array>

#include "link/byte_port.h"

// Room for the longest path CreateFileA takes, with its terminator.
using PortPath = std::array<char, MAX_PATH>;

// The name CreateFileA is given for a port name. A name that does not begin
// with "\\" goes into the device namespace, "\\.\" in front: ports numbered
// 10 and above (as USB adapters are) and the names virtual-port drivers give
// their ports ("CNCA0") open only that way, and COM1 to COM9 open that way too.
// A name that begins with "\\" is already a path and is used as it is. The
// result is `portName` or `path`; null when the prefixed name does not fit
// `path`. The empty name stays empty: no port has it.
const char* PortPathFor(const char* portName, PortPath& path);

// Opens the infrared COM port by name and sets the line (9600 8N1, no flow
// control, DTR and RTS raised) and the timeouts that every read of the link
// relies on. Returns INVALID_HANDLE_VALUE when the port cannot be opened, with
// the system's error code for it.
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
