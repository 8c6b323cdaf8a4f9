#pragma once
#include <termios.h>

#include <memory>
#include <string>

#include "link/byte_port.h"

// The byte port on a POSIX serial device, with the same line and the same read
// contract as the Windows one, so the link behaves alike on both:
//   9600 baud, 8N1, raw, modem lines ignored (CLOCAL), no flow control at all;
//   a read ends once it has all it asked for, 3 ms after the line falls silent,
//   or 500 + 5 ms per byte asked for after the call, whichever comes first;
//   a write gives up after 1024 + 5 ms per byte.
// A hang-up or an I/O error is a failed call with the errno as its error.
// While open, the port is this process's alone (a lock and the terminal's
// exclusive mode); on close, its terminal settings are put back as found.

// Open's refusal of the terminal the process itself runs in.
inline constexpr int PortIsOwnTerminal = -1;

class PosixSerialPort final : public BytePort {
public:
    // Opens and locks the device for this process alone. Null on failure, with
    // the errno in *error (EWOULDBLOCK or EBUSY: another program holds the
    // port), or PortIsOwnTerminal, refused before anything was changed.
    static std::unique_ptr<PosixSerialPort> Open(const std::string& path, int* error);
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    PortTransfer Write(const uint8_t* data, uint32_t size) override;
    PortTransfer Read(uint8_t* into, uint32_t size) override;
    uint32_t NowMs() override;
    uint32_t TimeoutError() const override;

private:
    PosixSerialPort(int fd, const termios& before) : fd_(fd), before_(before) {}
    int fd_;
    termios before_;
};
