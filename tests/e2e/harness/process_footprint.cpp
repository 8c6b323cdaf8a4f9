#include "harness/process_footprint.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace e2e {

std::optional<ProcessFootprint> ReadFootprint(pid_t pid) {
    const std::string dir = "/proc/" + std::to_string(pid);
    std::ifstream status(dir + "/status");
    if (!status) return std::nullopt;
    ProcessFootprint f;
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") status >> f.residentKb;
        else if (key == "Threads:") status >> f.threads;
        std::string rest;
        std::getline(status, rest);
    }
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(dir + "/fd", ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec))
        ++f.openFiles;
    return f;
}

}  // namespace e2e
