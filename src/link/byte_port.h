#pragma once
#include <cstdint>

// The one door between the link and the device.
//
// Write and Read mean exactly what WriteFile and ReadFile mean on a serial port
// configured with the link's timeouts (see serial_port.h):
//   - Write sends up to `size` bytes; `count` is what the driver reports written.
//   - Read returns once `size` bytes have arrived, or once more than 3 ms pass
//     between two received bytes, or once 500 + 5 * size ms have passed since the
//     call, with whatever arrived by then. A successful read of 0 bytes means the
//     line stayed silent for the whole total timeout; it is not an error.
//   - `ok` false means the call itself failed (the port vanished, the handle is
//     bad). `error` then holds the system error code captured at that call, so it
//     survives until the failure is reported. `count` is meaningless when `ok` is false.
struct PortTransfer {
    bool ok;
    uint32_t count;
    uint32_t error;
};

class BytePort {
public:
    virtual ~BytePort() = default;
    virtual PortTransfer Write(const uint8_t* data, uint32_t size) = 0;
    virtual PortTransfer Read(uint8_t* into, uint32_t size) = 0;
};
