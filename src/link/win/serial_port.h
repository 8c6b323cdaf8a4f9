#pragma once
#include <windows.h>
#include "link/byte_port.h"

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
