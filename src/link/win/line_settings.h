#pragma once
#include <windows.h>

// The line and the timeouts the device link runs on, built from what the driver
// reports for the port. Only the members the link relies on are changed; every
// other member (the driver's limits, special characters, reserved bits) keeps the
// driver's value.

// 9600 baud, 8 data bits, no parity, one stop bit; no flow control of any kind,
// no character substitution or stripping; DTR and RTS raised with no handshake.
DCB DeviceLineSettings(DCB reported);

// A read ends 3 ms after the line falls silent, or after 500 + 5 ms a byte asked
// for; a write gives up after 1024 + 5 ms a byte.
COMMTIMEOUTS DeviceTimeouts(COMMTIMEOUTS reported);
