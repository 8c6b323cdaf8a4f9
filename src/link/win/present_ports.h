#pragma once
#include <windows.h>

// The serial ports present on this machine as Windows' device list knows
// them: each with its driver's name, as Device Manager shows it, and where it
// was enumerated. Through the wide calls, so a name in any language arrives
// whole.

// One present device of the Ports class.
struct PresentPort {
    const wchar_t* portName;      // the device key's PortName: "COM5"; "LPT1" for a printer port
    const wchar_t* friendlyName;  // "USB Serial Port (COM5)"; empty when the driver gave none
    const wchar_t* instanceId;    // "FTDIBUS\...", "BTHENUM\{...}..."; empty when unknown
};

// Calls `each` for every present device of the Ports class that has a port
// name. Nothing is opened. Under Wine, and on a machine whose device list
// cannot be read, there may be none: the serial map of the registry still
// lists the ports then.
void ForEachPresentPort(void (*each)(const PresentPort& port, void* context), void* context);

// Room for the name a port is shown by, with its terminator.
inline constexpr int ShownNameSize = 128;

// The name to show for a port: a friendly name that already holds "(COMn)"
// as it is, any other as "Name (COMn)", no friendly name as the bare port
// name; a Bluetooth port with " (Bluetooth)" after it. A name too long for
// the room is cut before the port's number, which always shows.
void ComposeShownName(const wchar_t* portName, const wchar_t* friendlyName, bool bluetooth,
                      wchar_t (&shown)[ShownNameSize]);

// Whether the device was enumerated by the Bluetooth stack ("BTHENUM\..."):
// opening such a port makes Windows call the paired device, which can hold
// the caller for seconds.
bool EnumeratedUnderBluetooth(const wchar_t* instanceId);
