#include "link/win/serial_port.h"

namespace {

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

HANDLE OpenDevicePort(const char* portName) {
    HANDLE port = CreateFileA(portName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
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
