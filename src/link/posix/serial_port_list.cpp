#include "link/posix/serial_port_list.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// What the serial core reports for a slot without a UART (PORT_UNKNOWN).
constexpr int NoPortType = 0;

// The stable names, keyed by the device each one leads to.
std::map<std::string, std::string> StableNames(const fs::path& byIdFolder) {
    std::map<std::string, std::string> byDevice;
    std::error_code error;
    for (const auto& link : fs::directory_iterator(byIdFolder, error)) {
        std::error_code ignored;
        const fs::path target = fs::canonical(link.path(), ignored);
        if (ignored) continue;
        std::string& names = byDevice[target.string()];
        names += (names.empty() ? "" : " ") + link.path().string();
    }
    return byDevice;
}

// The port type the serial core shows in sysfs: the same number TIOCGSERIAL
// gives, without opening the port. A tty without it (USB adapters, other
// drivers) has hardware by its driver alone.
bool EmptySerialSlot(const fs::path& tty) {
    std::ifstream typeFile(tty / "type");
    int type = -1;
    return typeFile >> type && type == NoPortType;
}

}  // namespace

std::vector<ListedPosixPort> ListPosixSerialPorts(const fs::path& sysClassTty, const fs::path& byIdFolder,
                                                  const fs::path& devFolder) {
    const std::map<std::string, std::string> stable = StableNames(byIdFolder);
    std::vector<ListedPosixPort> ports;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(sysClassTty, error)) {
        std::error_code ignored;
        if (!fs::exists(entry.path() / "device" / "driver", ignored)) continue;
        if (EmptySerialSlot(entry.path())) continue;
        const std::string device = (devFolder / entry.path().filename()).string();
        const auto names = stable.find(device);
        ports.push_back({device, names != stable.end() ? names->second : std::string()});
    }
    std::sort(ports.begin(), ports.end(),
              [](const ListedPosixPort& a, const ListedPosixPort& b) { return a.device < b.device; });
    return ports;
}
