#pragma once
#include <cstdint>

#include "link/port_name.h"

// The serial ports that Windows lists for this machine, read afresh from the
// registry at each call, COMn names in the order of their numbers.
inline constexpr uint32_t MostListedPorts = 64;

struct SerialPortList {
    char names[MostListedPorts][PortNameSize];
    uint32_t count;
};

void ListSerialPorts(SerialPortList& list);

// "COM1, COM3, COM7" into `text` (always terminated, cut short when it does not fit).
void JoinPortNames(const char (*names)[PortNameSize], uint32_t count, char* text, uint32_t size);
