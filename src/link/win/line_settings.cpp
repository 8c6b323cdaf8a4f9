#include "link/win/line_settings.h"

#include "link/byte_port.h"

namespace {

constexpr DWORD LineBaud = 9600;
constexpr BYTE LineDataBits = 8;
constexpr DWORD WriteMultiplier = 5;
constexpr DWORD WriteConstant = 1024;

}  // namespace

// With XON/XOFF on, bytes 0x11 and 0x13 of a file's text would vanish; with a
// handshake on DTR or RTS, an infrared adapter that does not drive the lines
// would never let a byte through.
DCB DeviceLineSettings(DCB dcb) {
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
    return dcb;
}

COMMTIMEOUTS DeviceTimeouts(COMMTIMEOUTS timeouts) {
    timeouts.ReadIntervalTimeout = ReadIntervalMs;
    timeouts.ReadTotalTimeoutMultiplier = ReadMultiplierMs;
    timeouts.ReadTotalTimeoutConstant = ReadConstantMs;
    timeouts.WriteTotalTimeoutMultiplier = WriteMultiplier;
    timeouts.WriteTotalTimeoutConstant = WriteConstant;
    return timeouts;
}
