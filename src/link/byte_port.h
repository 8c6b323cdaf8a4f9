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

// Read timeouts, in milliseconds, that every port of the link is set to. The link
// needs them to know how long the next read may take before it starts it.
inline constexpr uint32_t ReadIntervalMs = 3;
inline constexpr uint32_t ReadMultiplierMs = 5;
inline constexpr uint32_t ReadConstantMs = 500;

// The longest a Read of `size` bytes can take: its total timeout.
constexpr uint32_t LongestReadMs(uint32_t size) {
    return ReadConstantMs + ReadMultiplierMs * size;
}

class BytePort {
public:
    virtual ~BytePort() = default;
    virtual PortTransfer Write(const uint8_t* data, uint32_t size) = 0;
    virtual PortTransfer Read(uint8_t* into, uint32_t size) = 0;

    // A monotonic clock in milliseconds, by which the link times every wait on
    // the device. Only differences count, so it may wrap.
    virtual uint32_t NowMs() = 0;

    // The system's own code for an operation whose time ran out, for a failure
    // the link itself detects (a line that takes no bytes at all).
    virtual uint32_t TimeoutError() const = 0;

    // The system error of the call that made the link's last operation on this
    // port end in a port failure, kept here so that the report names the cause
    // of that operation and not of whatever ran after it. 0 before any failure.
    uint32_t FailedCallError() const { return failedCallError_; }
    void NoteFailedCall(uint32_t error) { failedCallError_ = error; }

private:
    uint32_t failedCallError_ = 0;
};
