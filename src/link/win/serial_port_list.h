#pragma once
#include <cstdint>

#include "link/port_name.h"

// The serial ports that Windows lists for this machine, read afresh from the
// registry at each call: COMn names in the order of their numbers, any other
// name after them alphabetically, each name once. The window's menu and the
// command line's list show exactly this, so both offer the same ports.
//
// Fixed buffers, so the window program needs no heap for it.

inline constexpr uint32_t MostListedPorts = 64;
// Room for the driver's name of a port, cut short beyond it.
inline constexpr uint32_t DeviceNameSize = 64;

struct SerialPortEntry {
    char name[PortNameSize];      // what the port opens by: "COM7"
    char device[DeviceNameSize];  // the driver's own name for it: "\Device\Serial0"
};

struct SerialPortList {
    SerialPortEntry ports[MostListedPorts];
    uint32_t count = 0;
};

void ListSerialPorts(SerialPortList& list);
