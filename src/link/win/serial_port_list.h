#pragma once
#include <cstdint>

#include "link/port_name.h"
#include "link/win/present_ports.h"

// The serial ports that Windows lists for this machine, read afresh at each
// call: every present COM port of the device list, by the name Device Manager
// shows, then every port of the registry's serial map that the device list
// did not give (under Wine that is all of them), by its bare name. COMn names
// in the order of their numbers, any other name after them alphabetically,
// each name once. The window's menu and the command line's list show exactly
// this, so both offer the same ports.
//
// Fixed buffers, so the window program needs no heap for it.

inline constexpr uint32_t MostListedPorts = 64;
// Room for the driver's name of a port, cut short beyond it.
inline constexpr uint32_t DeviceNameSize = 64;

struct SerialPortEntry {
    char name[PortNameSize];       // what the port opens by: "COM7"
    char device[DeviceNameSize];   // the driver's own name for it: "\Device\Serial0"; may be empty
    wchar_t shown[ShownNameSize];  // what the user sees: "USB Serial Port (COM7)", or "COM7"
    bool bluetooth;                // a Bluetooth port: opening it calls the paired device
};

struct SerialPortList {
    SerialPortEntry ports[MostListedPorts];
    uint32_t count = 0;
};

void ListSerialPorts(SerialPortList& list);

// The same with the device list's ports from `forEachPresent` instead of the
// system's (ForEachPresentPort), so a test can give any devices.
using PresentPortWalk = void (*)(void (*each)(const PresentPort& port, void* context), void* context);
void ListSerialPortsFrom(PresentPortWalk forEachPresent, SerialPortList& list);
