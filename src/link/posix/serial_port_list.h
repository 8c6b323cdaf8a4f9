#pragma once
#include <filesystem>
#include <string>
#include <vector>

// The serial ports of a Linux machine that have hardware behind them, for the
// command line's list. Nothing is opened: opening a port raises its modem
// lines, which resets many boards attached to it.

struct ListedPosixPort {
    std::string device;       // "/dev/ttyUSB0"
    std::string stableNames;  // its /dev/serial/by-id names, space-separated; may be empty
};

// Every tty of `sysClassTty` with a driver behind it (consoles and
// pseudo-terminals have none), except a serial slot whose port type is 0:
// the 8250 driver keeps such slots (ttyS0 to ttyS31) whether or not a UART
// is there, and an empty one reports no type. Sorted by device name.
std::vector<ListedPosixPort> ListPosixSerialPorts(const std::filesystem::path& sysClassTty = "/sys/class/tty",
                                                  const std::filesystem::path& byIdFolder = "/dev/serial/by-id",
                                                  const std::filesystem::path& devFolder = "/dev");
